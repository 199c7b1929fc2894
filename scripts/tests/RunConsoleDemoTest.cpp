// The start script's set-up, without a display: every module the console loads by
// name is one the script builds, and the demo root it prepares shows the demo set where
// the wizards' file browser looks (a mounted volume at /mnt/P1) and keeps it there
// through the environment's own clean-up scripts.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "CommandOutput.h"
#include "ExplorerEntries.h"

namespace {

const std::string kScript = std::string(RVD_SOURCE_DIR) + "/scripts/run-console.sh";

std::set<std::string> Lines(const std::string& text)
{
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.insert(line);
    return lines;
}

bool IsFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

TEST(RunConsoleDemo, EveryModuleTheConsoleLoadsByNameIsBuilt)
{
    const std::set<std::string> built = Lines(CommandOutput("bash '" + kScript + "' --list-modules"));
    // Every module the shipped code opens by name.
    const std::set<std::string> opened = Lines(CommandOutput(
        "cd '" RVD_SOURCE_DIR "' && grep -rhoE --include='*.cpp' --exclude-dir=tests --exclude-dir=tests-e2e 'OpenModuleT<[A-Za-z]+>\\(\"[A-Za-z]+\"\\)' "
        "console engines command enumdisk platform/modules | grep -v NoSuch | sed -E 's/.*\\(\"([A-Za-z]+)\"\\)/\\1/' | sort -u"));
    ASSERT_FALSE(opened.empty());
    for (const std::string& name : opened)
        EXPECT_EQ(built.count(name), 1u) << name << " is loaded by name but not built by the script";
}

TEST(RunConsoleDemo, ThePreparedRootShowsTheDemoSetAndKeepsItThroughTheCleanUp)
{
    int status = 0;
    const std::string out = CommandOutput("cd '" RVD_SOURCE_DIR "' && DISPLAY= BUILD_DIR='" RVD_BUILD_DIR
                                          "' bash scripts/run-console.sh --prepare-only --no-build 2>&1",
                                          &status);
    ASSERT_EQ(status, 0) << out;
    const std::string root = std::string(RVD_BUILD_DIR) + "/demo/root";
    EXPECT_NE(out.find("RVD_ENV_ROOT=" + root), std::string::npos) << out;
    for (const char* made : {"./mnt/P1/DEMO.RVD", "./mnt/mwp", "./mnt/umnt", "./mnt/umwp"})
        EXPECT_NE(out.find(std::string(made) + "\n"), std::string::npos) << made << "\n" << out;
    EXPECT_TRUE(IsFile(root + "/mnt/P1/DEMO.RVD"));
    // The wizards' file browser: P1 is a volume row, the set an image file in it.
    EXPECT_EQ(ListMountFolders(root + "/mnt/P"), std::vector<std::string>{root + "/mnt/P1"});
    bool listed = false;
    for (const ExplorerEntry& entry : ReadExplorerFolder(root + "/mnt/P1", true))
        listed = listed || (entry.name == "DEMO.RVD" && !entry.folder);
    EXPECT_TRUE(listed);
    EXPECT_NE(out.find(std::string(RVD_BUILD_DIR) + "/demo/demo-disk-1.img"), std::string::npos) << out;
    // What a wizard runs on its way in and out leaves the set where it is.
    for (const char* script : {"mwp", "umnt", "umwp"}) {
        CommandOutput("RVD_ENV_ROOT='" + root + "' sh '" + root + "/mnt/" + script + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << script;
        EXPECT_TRUE(IsFile(root + "/mnt/P1/DEMO.RVD")) << "after " << script;
    }
}

} // namespace
