#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "CDiscChangeServer.h"
#include "EnvTestRoot.h"
#include "RecordingEnvCommandRunner.h"
#include "WizardText.h"

namespace {

class ScriptedPrompt : public IDiscChangePrompt {
public:
    bool answer = true;
    int asked = 0;
    std::string name, folder;
    bool fileMode = false;
    bool Ask(const std::string& displayName, bool mode, const std::string& folderPath) override
    {
        ++asked;
        name = displayName;
        fileMode = mode;
        folder = folderPath;
        return answer;
    }
};

const DiscChangeCodes kServerCodes{0x01121607, 0x01191607};

} // namespace

TEST(DiscChangeServerTest, NoRequestAsksNothingAndRunsNothing)
{
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    CDiscChangeHandshake handshake(kServerCodes, 1);
    ScriptedPrompt prompt;
    CDiscChangeServer server(handshake, prompt, [] { return std::string("/mnt/CD1/a.rvd"); });
    EXPECT_FALSE(server.Serve());
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_TRUE(runner.runs.empty());
}

TEST(DiscChangeServerTest, EjectsAsksAndRescansOnlyAfterOk)
{
    for (bool ok : {true, false}) {
        EnvTestRoot root;
        const std::string r = root.Root();
        root.Write("/mnt/volcdrominfo", "/dev/sr0 " + r + "/mnt/CD1 [SET]\n");
        RecordingEnvCommandRunner runner;
        CDiscChangeHandshake handshake(kServerCodes, 1);
        ScriptedPrompt prompt;
        prompt.answer = ok;
        const std::string image = r + "/mnt/CD1/set/a.rvd";
        CDiscChangeServer server(handshake, prompt, [&] { return image; });

        CD_CHANGE_INFO info{};
        std::wcsncpy(info.Name, L"a02.rvd", CD_CHANGE_NAME_CHARS);
        auto engine = std::async(std::launch::async, [&] { return handshake.OnRequest(CD_CHANGE_MSG_FILE, &info); });
        while (!handshake.RequestPending())
            std::this_thread::yield();
        EXPECT_TRUE(server.Serve());
        EXPECT_EQ(engine.get(), ok ? 0ul : kServerCodes.cancelled);
        EXPECT_EQ(prompt.asked, 1);
        EXPECT_TRUE(prompt.fileMode);
        EXPECT_EQ(prompt.folder, image);
        ASSERT_GE(runner.runs.size(), 2u);
        EXPECT_EQ(runner.runs[0], (std::vector<std::string>{"umount", r + "/mnt/CD1"}));
        EXPECT_EQ(runner.runs[1], (std::vector<std::string>{"busybox", "eject", "/dev/sr0"}));
        const bool rescanned = runner.runs.size() == 3 && runner.runs[2] == std::vector<std::string>{r + "/mnt/mcd"};
        EXPECT_EQ(rescanned, ok);
    }
}

TEST(DiscChangeServerTest, WithoutTheTextModuleTheNameShowsEmpty)
{
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    SetWizardCommonOpener([]() -> ICommonModule* { return nullptr; });
    CDiscChangeHandshake handshake(kServerCodes, 1);
    ScriptedPrompt prompt;
    CDiscChangeServer server(handshake, prompt, [] { return std::string(); });
    CD_CHANGE_INFO info{};
    std::wcsncpy(info.Name, L"disc 2", CD_CHANGE_NAME_CHARS);
    auto engine = std::async(std::launch::async, [&] { return handshake.OnRequest(CD_CHANGE_MSG_DISC, &info); });
    while (!handshake.RequestPending())
        std::this_thread::yield();
    server.Serve();
    engine.get();
    SetWizardCommonOpener(nullptr);
    EXPECT_EQ(prompt.name, "");
    EXPECT_FALSE(prompt.fileMode);
}
