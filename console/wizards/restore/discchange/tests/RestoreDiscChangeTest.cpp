#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "CRecordingWizard.h"
#include "CRestoreDiscChange.h"
#include "EnvTestRoot.h"
#include "RecordingEnvCommandRunner.h"

namespace {
class Answering : public IDiscChangePrompt {
public:
    bool answer = false;
    std::string folder;
    bool Ask(const std::string&, bool, const std::string& folderPath) override
    {
        folder = folderPath;
        return answer;
    }
};
} // namespace

TEST(RestoreDiscChangeTest, TheRestoresCodesAndTheRecordsImagePath)
{
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    CRecordingWizard wizard;
    wizard.info.SetImagePath("/mnt/CD1/set/a.rvd");
    Answering prompt;
    CRestoreDiscChange change(&wizard, &prompt, false);
    CD_CHANGE_INFO info{};
    std::wcsncpy(info.Name, L"a02.rvd", CD_CHANGE_NAME_CHARS);
    EXPECT_EQ(CRestoreDiscChange::Callback()(change.Context(), 2, &info), 0x01191607u);
    unsigned long answer = 0;
    std::thread engine([&] { answer = CRestoreDiscChange::Callback()(change.Context(), CD_CHANGE_MSG_FILE, &info); });
    while (!change.Serve())
        std::this_thread::yield();
    engine.join();
    EXPECT_EQ(answer, 0x01121607u);
    EXPECT_EQ(prompt.folder, "/mnt/CD1/set/a.rvd");
}

