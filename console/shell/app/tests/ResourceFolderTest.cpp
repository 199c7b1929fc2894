// The console refuses to start without its pictures and message file, and says
// where it looked, before it opens any window.
#include "ResourceFolder.h"

#include "CommandOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class TempFolder {
public:
    TempFolder()
    {
        char name[] = "/tmp/rvd-res-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() { std::system(("rm -rf " + path).c_str()); }
    void Touch(const std::string& relative) const { std::ofstream(path + "/" + relative) << "x"; }
    std::string path;
};

TEST(ResourceFolder, NamesTheFileItMissesAndWhereItLooked)
{
    TempFolder folder;
    const std::string missingAll = DescribeMissingResources(folder.path);
    EXPECT_NE(missingAll.find(folder.path + "/rv_linux_start.png"), std::string::npos) << missingAll;
    EXPECT_NE(missingAll.find("../res/"), std::string::npos);

    folder.Touch("rv_linux_start.png");
    const std::string missingIni = DescribeMissingResources(folder.path);
    EXPECT_NE(missingIni.find("RVEMLib.ini"), std::string::npos) << missingIni;

    folder.Touch("RVEMLib.ini");
    EXPECT_EQ(DescribeMissingResources(folder.path), "");
}

TEST(ResourceFolder, TheProgramStartedElsewhereSaysSoAndEndsWithoutADisplay)
{
    TempFolder folder;
    const std::string command = "cd " + folder.path + " && env -u DISPLAY " RVD_CONSOLE_PROGRAM " 2>&1";
    int status = 0;
    const std::string output = CommandOutput(command, &status);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(output.find("cannot read"), std::string::npos) << output;
    EXPECT_EQ(output.find("Gtk-WARNING"), std::string::npos) << "no window was tried: " << output;
}

} // namespace
