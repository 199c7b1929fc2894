#include "BurnerTestBench.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

namespace {

void RunShell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

} // namespace

void BurnerTestBench::SetUp()
{
    KSPlatformReset();
    KSPlatformClearDebugLines();
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    root_ = testing::TempDir() + "burner-" + info->test_suite_name() + "-" + info->name() + "-" +
            std::to_string(::getpid());
    modelRoot_ = root_ + "/model";
    program_ = root_ + "/program";
    staging_ = root_ + "/staging";
    RunShell("rm -rf '" + root_ + "' && mkdir -p '" + program_ + "' '" + staging_ + "' '" + modelRoot_ + "'");
    ASSERT_TRUE(optical::UseModelTools(program_, RVD_BIN_DIR, modelRoot_, staging_, 6ull << 30));
    drive_ = optical::Drive{};
    drive_.letter = 'R';
    drive_.disc = optical::BlankCdR();
    ASSERT_TRUE(optical::RegisterDrive(modelRoot_, drive_));
}

void BurnerTestBench::TearDown()
{
    optical::StopUsingModelTools();
    KSPlatformReset();
    if (!HasFailure())
        std::system(("rm -rf '" + root_ + "'").c_str());
}

void BurnerTestBench::Insert(const optical::Disc& disc)
{
    optical::Drive drive = Drive();
    ASSERT_TRUE(optical::InsertDisc(modelRoot_, drive, disc));
}

optical::Drive BurnerTestBench::Drive() const
{
    optical::Drive drive;
    EXPECT_TRUE(optical::Load(modelRoot_, 'R', drive));
    return drive;
}

void BurnerTestBench::SaveDrive(const optical::Drive& drive) { ASSERT_TRUE(optical::Save(modelRoot_, drive)); }

std::wstring BurnerTestBench::MakeFolder(const std::string& name, const std::vector<std::pair<std::string, size_t>>& files)
{
    const std::string folder = staging_ + "/" + name;
    ::mkdir(folder.c_str(), 0755);
    std::mt19937 random(static_cast<unsigned>(name.size() * 7919 + files.size()));
    for (const auto& file : files) {
        std::ofstream out(folder + "/" + file.first, std::ios::binary);
        std::string data(file.second, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        out << data;
    }
    return L"T:\\" + std::wstring(name.begin(), name.end());
}

std::string BurnerTestBench::HostOf(const std::wstring& windowsPath) const { return KSPlatformHostPath(windowsPath.c_str()); }

std::string BurnerTestBench::ReadFromDisc(uint32_t sessionStart, const std::string& name) const
{
    const std::string out = root_ + "/extracted";
    const std::string command = "isoinfo -i '" + optical::DiscImagePath(modelRoot_, 'R') + "' -T " +
                                std::to_string(sessionStart) + " -R -x '/" + name + "' > '" + out + "'";
    if (std::system(command.c_str()) != 0)
        return "(isoinfo failed)";
    return ReadHostFile(out);
}

::testing::AssertionResult BurnerTestBench::OnDiscAsIn(uint32_t sessionStart, const std::string& name,
                                                      const std::string& hostFile) const
{
    const std::string onDisc = ReadFromDisc(sessionStart, name);
    const std::string expected = ReadHostFile(hostFile);
    if (expected.empty())
        return ::testing::AssertionFailure() << hostFile << " is empty or missing";
    if (onDisc != expected)
        return ::testing::AssertionFailure() << name << " at block " << sessionStart << ": " << onDisc.size()
                                             << " bytes on the disc, " << expected.size() << " expected";
    return ::testing::AssertionSuccess();
}

std::string BurnerTestBench::ReadHostFile(const std::string& path) const
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

IPyrelle* BurnerTestBench::OpenBurner()
{
    IPyrelle* burner = nullptr;
    EXPECT_EQ(CreateObjectPyrelle(1, KS_PYRELLE_ID, reinterpret_cast<void**>(&burner)), 0u);
    if (burner) {
        EXPECT_TRUE(burner->Open(L"R:"));
    }
    return burner;
}

IBurnerTool* BurnerTestBench::SearchDrives()
{
    IBurnerTool* tool = nullptr;
    EXPECT_EQ(CreateObjectBurnerTool(1, KS_BURNER_TOOL_ID, reinterpret_cast<void**>(&tool)), 0u);
    if (tool)
        tool->SearchAllBurner();
    return tool;
}

bool BurnerTestBench::DebugLinesMention(const std::string& text) const
{
    for (const std::string& line : KSPlatformDebugLines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}
