// The disc output over a recording burner with scripted discs: which disc requests
// are made, what sizes the files get, when a disc is burned or appended to, and what
// happens to the staged files when a burn fails.
#include <gtest/gtest.h>

#include <KSPlatformControl.h>
#include <unistd.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "CDiscOutput.h"
#include "IBurnerTool.h"
#include "IKSBackup.h"
#include "IPyrelle.h"
#include "KSResult.h"

namespace {

struct ScriptedDisc {
    unsigned long type;
    uint64_t totalMiB;
    uint64_t usedMiB = 0;
};

ScriptedDisc CdR(uint64_t mib = 700, uint64_t used = 0) { return {BURN_MEDIA_CD_R, mib, used}; }
ScriptedDisc CdRw(uint64_t mib) { return {BURN_MEDIA_CD_RW, mib, 0}; }
ScriptedDisc Dvd(uint64_t mib) { return {BURN_MEDIA_DVD_PLUS_RW, mib, 0}; }

// A burner whose drive holds the discs of a script, one after another: each disc
// request the caller answers with 0 puts the next one in.
class RecordingBurner : public IPyrelle {
public:
    std::deque<ScriptedDisc> discs;
    std::deque<unsigned long> burnResults; // 0 when empty
    std::vector<std::string> calls;        // "Burn <folder>", "Append <folder>"
    unsigned locks = 0, unlocks = 0, ejects = 0;
    bool released = false;

    unsigned long Release() override
    {
        released = true;
        return 0;
    }
    bool Open(const wchar_t*) override { return !discs.empty(); }
    unsigned long LockTray(unsigned long lock) override
    {
        ++(lock ? locks : unlocks);
        return 0;
    }
    unsigned long Eject() override
    {
        ++ejects;
        return 0;
    }
    unsigned long HasData() override { return discs.front().usedMiB != 0; }
    unsigned long Burn(const wchar_t* source, unsigned long, const wchar_t*) override { return Record("Burn", source); }
    unsigned long Append(const wchar_t* source) override { return Record("Append", source); }
    unsigned long GetMediaType(unsigned long) override { return discs.front().type; }
    unsigned long GetDiscInfo(BURN_DISC_INFO* info) override
    {
        *info = BURN_DISC_INFO{};
        info->TotalKiB = discs.front().totalMiB * 1024;
        info->UsedKiB = discs.front().usedMiB * 1024;
        info->FreeKiB = info->TotalKiB - info->UsedKiB;
        return 0;
    }
    void Reserved9(void*) override {}
    unsigned long GetProgress(int* value, int* total, int* stage) override
    {
        *value = 12;
        *total = 300;
        *stage = BURN_STAGE_CD_WRITE;
        return 0;
    }
    const wchar_t* GetProductId() override { return nullptr; }
    const wchar_t* GetProductString() override { return nullptr; }
    const wchar_t* GetBusTypeName() override { return nullptr; }
    void Reserved14() override {}
    unsigned long QueryDeviceProperties() override { return 0; }
    unsigned long QueryProductId() override { return 0; }
    unsigned long QueryScsiIdString() override { return 0; }
    unsigned long GetScsiAddress(void*) override { return 0; }
    ~RecordingBurner() override = default;

private:
    unsigned long Record(const char* what, const wchar_t* source)
    {
        calls.push_back(std::string(what) + " " + std::string(source, source + wcslen(source)));
        if (burnResults.empty())
            return 0;
        const unsigned long rc = burnResults.front();
        burnResults.pop_front();
        return rc;
    }
};

class ScriptedTool : public IBurnerTool {
public:
    std::vector<std::wstring> asked;
    void SearchAllBurner() override {}
    unsigned long GetCount() override { return 1; }
    DREVEL_INFO* GetAt(unsigned long) override { return nullptr; }
    unsigned long Exists(const wchar_t* drive) override
    {
        asked.push_back(drive);
        return std::wstring(drive) == L"R:";
    }
    unsigned long IsSearched() override { return 1; }
    ~ScriptedTool() override = default;
};

RecordingBurner* g_burner = nullptr;
ScriptedTool* g_tool = nullptr;

unsigned long MakeBurner(unsigned long, unsigned long, void** out)
{
    *out = static_cast<IPyrelle*>(g_burner);
    return 0;
}
unsigned long MakeTool(unsigned long, unsigned long, void** out)
{
    *out = static_cast<IBurnerTool*>(g_tool);
    return 0;
}

class DiscOutputTest : public testing::Test, public IDiscOutputHost {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        g_burner = &burner_;
        g_tool = &tool_;
        staging_ = testing::TempDir() + "disc-output-" + std::to_string(::getpid()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(std::system(("rm -rf '" + staging_ + "' && mkdir -p '" + staging_ + "/ZeTemp'").c_str()), 0);
        KSDriveEntry temp;
        temp.letter = 'T';
        temp.hostFolder = staging_;
        temp.totalBytes = 8ull << 30;
        temp.freeBytes = 4ull << 30;
        ASSERT_TRUE(KSPlatformAddDrive(temp));
        output_.reset(new CDiscOutput(KSDiscServices{MakeBurner, MakeTool}, *this));
    }
    void TearDown() override
    {
        output_.reset();
        KSPlatformReset();
        std::system(("rm -rf '" + staging_ + "'").c_str());
    }

    bool AskCaller(unsigned long message, const wchar_t*, unsigned long& answer) override
    {
        if (!hasCallback_)
            return false;
        messages_.push_back(message);
        answer = answers_.empty() ? 0 : answers_.front();
        if (!answers_.empty())
            answers_.pop_front();
        statesWhileAsking_.push_back(state_);
        if (answer == 0 && burner_.discs.size() > 1)
            burner_.discs.pop_front();
        return true;
    }
    uint32_t State() override { return state_; }
    void SetState(uint32_t state) override { state_ = state; }
    void SetDiscBurned(bool burned) override { discBurned_ = burned; }
    std::wstring DiscLabel() override { return L"LABEL"; }

    // Stages a file of the given size (sparse) in T:\ZeTemp.
    void Stage(const std::string& name, uint64_t mib)
    {
        const std::string path = staging_ + "/ZeTemp/" + name;
        std::ofstream(path).close();
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(mib << 20)), 0);
    }
    bool Staged(const std::string& name) const { return ::access((staging_ + "/ZeTemp/" + name).c_str(), F_OK) == 0; }

    RecordingBurner burner_;
    ScriptedTool tool_;
    std::unique_ptr<CDiscOutput> output_;
    std::string staging_;
    std::deque<unsigned long> answers_;
    std::vector<unsigned long> messages_;
    std::vector<uint32_t> statesWhileAsking_;
    uint32_t state_ = KS_BACKUP_STATE_BITMAP;
    bool discBurned_ = false;
    bool hasCallback_ = true;
    const std::wstring folder_ = L"T:\\ZeTemp";
};

TEST_F(DiscOutputTest, TheFirstDiscIsCheckedAndSizesTheFiles)
{
    struct Case {
        const char* what;
        std::vector<ScriptedDisc> discs;
        std::vector<unsigned long> messages;
        unsigned long split;
    } cases[] = {
        {"blank 700 MiB CD-R", {CdR()}, {}, 600},
        {"a DVD of 2,300 MiB", {Dvd(2300)}, {}, 2100},
        {"write-once with data", {CdR(700, 5), CdR()}, {18}, 600},
        {"399 MiB", {CdRw(399), CdRw(700)}, {18}, 600},
        {"400 MiB", {CdRw(400)}, {}, 300},
        {"not supported", {{BURN_MEDIA_UNSUPPORTED, 700, 0}, CdR()}, {20}, 600},
        {"a small disc, then one with data, then a good one", {CdRw(399), CdR(700, 1), Dvd(4482)}, {18, 18}, 2100},
    };
    for (const Case& c : cases) {
        burner_ = RecordingBurner{};
        burner_.discs.assign(c.discs.begin(), c.discs.end());
        messages_.clear();
        output_.reset(new CDiscOutput(KSDiscServices{MakeBurner, MakeTool}, *this));
        EXPECT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u) << c.what;
        EXPECT_EQ(messages_, c.messages) << c.what;
        unsigned long split = 0;
        EXPECT_EQ(output_->SplitSize(split), 0u) << c.what;
        EXPECT_EQ(split, c.split) << c.what;
        EXPECT_EQ(messages_, c.messages) << c.what << ": a disc not written to yet is not ejected again";
        EXPECT_GT(burner_.locks, 0u) << c.what;
    }
}

TEST_F(DiscOutputTest, TheDriveIsTheImagePathsLetterUpperCased)
{
    burner_.discs = {CdR()};
    EXPECT_EQ(output_->Prepare(L"r:\\backup.rvd"), 0u);
    EXPECT_EQ(tool_.asked, std::vector<std::wstring>{L"R:"});
    output_.reset(new CDiscOutput(KSDiscServices{MakeBurner, MakeTool}, *this));
    EXPECT_EQ(KSResultKind(output_->Prepare(L"Q:\\backup.rvd")), 0x160u);
}

TEST_F(DiscOutputTest, ARefusedFirstDiscIsUsedAsItIs)
{
    burner_.discs = {CdRw(650)};
    answers_ = {1};
    burner_.discs.front().usedMiB = 0;
    burner_.discs.front().totalMiB = 390;
    EXPECT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    EXPECT_EQ(messages_, std::vector<unsigned long>{18});
    EXPECT_EQ(statesWhileAsking_, std::vector<uint32_t>{18});
    EXPECT_EQ(state_, uint32_t{KS_BACKUP_STATE_BITMAP}) << "the state before the request comes back";
    EXPECT_EQ(output_->RemainingMiB(), 290u);
}

TEST_F(DiscOutputTest, TheFirstFileIsBurnedAndTheSecondAppendedThenAFullDiscIsChanged)
{
    burner_.discs = {CdR(), CdR()};
    ASSERT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    Stage("backup.rvd", 300);
    EXPECT_EQ(output_->BurnFolder(folder_), 0u);
    EXPECT_FALSE(Staged("backup.rvd")) << "burned files are deleted";
    EXPECT_TRUE(discBurned_);
    EXPECT_EQ(output_->RemainingMiB(), 300u);
    Stage("backup_2.rvd", 250);
    EXPECT_EQ(output_->BurnFolder(folder_), 0u);
    EXPECT_EQ(burner_.calls, (std::vector<std::string>{"Burn T:\\ZeTemp", "Append T:\\ZeTemp"}));
    EXPECT_EQ(output_->RemainingMiB(), 50u);
    EXPECT_TRUE(messages_.empty());
    // Too little room left for another file: a new disc first.
    unsigned long split = 0;
    EXPECT_EQ(output_->SplitSize(split), 0u);
    EXPECT_EQ(messages_, std::vector<unsigned long>{18});
    EXPECT_EQ(split, 600u);
    EXPECT_FALSE(discBurned_) << "a new disc clears the burned flag";
    Stage("backup_3.rvd", 10);
    EXPECT_EQ(output_->BurnFolder(folder_), 0u);
    EXPECT_EQ(burner_.calls.back(), "Burn T:\\ZeTemp") << "a new disc begins with a burn";
}

TEST_F(DiscOutputTest, FilesThatDoNotFitAskUntilADiscHoldsThemAndTheRoomNeverWraps)
{
    burner_.discs = {CdR(), CdRw(450), CdR(700, 3), CdR()};
    ASSERT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    Stage("backup.rvd", 300);
    ASSERT_EQ(output_->BurnFolder(folder_), 0u);
    ASSERT_EQ(output_->RemainingMiB(), 300u);
    // 400 MiB staged, 300 room: a new disc; the 450 MiB one (350 room) and the used
    // one cannot hold the files and are not taken.
    Stage("backup_2.rvd", 399);
    Stage("backup_3.rvd", 1);
    EXPECT_EQ(output_->BurnFolder(folder_), 0u);
    EXPECT_EQ(messages_, (std::vector<unsigned long>{18, 18, 18}));
    EXPECT_EQ(burner_.calls, (std::vector<std::string>{"Burn T:\\ZeTemp", "Burn T:\\ZeTemp"}));
    EXPECT_EQ(output_->RemainingMiB(), 200u);
    // A file larger than the room a disc reports never makes the room wrap.
    answers_ = {1};
    Stage("backup_4.rvd", 900);
    EXPECT_EQ(KSResultKind(output_->BurnFolder(folder_)), 0x607u);
    EXPECT_EQ(output_->RemainingMiB(), 200u);
}

TEST_F(DiscOutputTest, AFailedBurnAsksForAnotherDiscAndKeepsTheFilesWhenRefused)
{
    burner_.discs = {CdR(), CdR(), CdR()};
    burner_.burnResults = {KSMakeResult(0, KS_MODULE_CONSOLE, KS_KIND_BURN_FAILED)};
    ASSERT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    Stage("backup.rvd", 100);
    EXPECT_EQ(output_->BurnFolder(folder_), 0u);
    EXPECT_EQ(messages_, std::vector<unsigned long>{20});
    EXPECT_EQ(burner_.calls.size(), 2u);
    EXPECT_FALSE(Staged("backup.rvd"));

    burner_.burnResults = {KSMakeResult(0, KS_MODULE_CONSOLE, KS_KIND_BURN_FAILED)};
    answers_ = {1};
    Stage("backup_2.rvd", 100);
    EXPECT_EQ(KSResultKind(output_->BurnFolder(folder_)), 0x607u);
    EXPECT_TRUE(Staged("backup_2.rvd")) << "the only copy of the file stays";
    EXPECT_EQ(output_->RemainingMiB(), 500u) << "nothing was burned";
}

TEST_F(DiscOutputTest, ARefusedDiscLeavingTooLittleRoomEndsTheRun)
{
    struct Case {
        uint64_t stagedMiB;
        unsigned long kind;
        unsigned long split;
    } cases[] = {
        {600, 0x607, 0},  // nothing left: files without limit must not follow
        {560, 0x607, 0},  // 40 MiB left: below what the writer takes
        {300, 0, 300},    // 300 left: the caller keeps this disc
    };
    for (const Case& c : cases) {
        burner_ = RecordingBurner{};
        burner_.discs = {CdR(), CdR()};
        output_.reset(new CDiscOutput(KSDiscServices{MakeBurner, MakeTool}, *this));
        ASSERT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
        Stage("backup.rvd", c.stagedMiB);
        ASSERT_EQ(output_->BurnFolder(folder_), 0u);
        answers_ = {1};
        unsigned long split = 0;
        EXPECT_EQ(KSResultKind(output_->SplitSize(split)), c.kind) << c.stagedMiB;
        if (c.kind == 0) {
            EXPECT_EQ(split, c.split) << c.stagedMiB;
        }
    }
}

TEST_F(DiscOutputTest, DiscRequestsNeedACallerAndPassMessage22On)
{
    burner_.discs = {CdR()};
    ASSERT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    answers_ = {1, 0, 5};
    EXPECT_EQ(KSResultKind(output_->AskForDisc(KS_BACKUP_MSG_TARGET_FULL, L"R:\\x.rvd")), KS_KIND_TARGET_FULL);
    EXPECT_EQ(output_->AskForDisc(KS_BACKUP_MSG_TARGET_FULL, L"R:\\x.rvd"), 0u);
    EXPECT_EQ(output_->AskForDisc(KS_BACKUP_MSG_NEED_DISC, nullptr), 5u) << "another answer stops the run";
    EXPECT_EQ(output_->AskForDisc(99, nullptr), 0u);
    hasCallback_ = false;
    EXPECT_EQ(KSResultKind(output_->AskForDisc(KS_BACKUP_MSG_NEED_DISC, nullptr)), KS_KIND_BAD_ARGUMENT);
}

TEST_F(DiscOutputTest, DvdsOnTheOldSystemAreAskedAboutWith24)
{
    OSVERSIONINFOA old = KSPlatformDefaultVersion();
    old.dwMajorVersion = 5;
    old.dwMinorVersion = 0;
    KSPlatformSetVersion(old);
    burner_.discs = {Dvd(4482), CdR()};
    EXPECT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    EXPECT_EQ(messages_, std::vector<unsigned long>{24});
    EXPECT_EQ(output_->RemainingMiB(), 600u);
}

TEST_F(DiscOutputTest, FinishingEjectsAndReleasesTheBurner)
{
    burner_.discs = {CdR()};
    ASSERT_EQ(output_->Prepare(L"R:\\backup.rvd"), 0u);
    int value = 0, total = 0, stage = 0;
    EXPECT_TRUE(output_->BurnerProgress(value, total, stage));
    EXPECT_EQ(value, 12);
    output_->Finish();
    EXPECT_TRUE(burner_.released);
    EXPECT_EQ(burner_.ejects, 1u);
    EXPECT_FALSE(output_->BurnerProgress(value, total, stage));
}

} // namespace
