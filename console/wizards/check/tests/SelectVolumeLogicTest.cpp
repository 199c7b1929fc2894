#include <gtest/gtest.h>

#include <cstring>

#include "CRecordingMessages.h"
#include "CScriptedTasque.h"
#include "CSelectVolumeLogic.h"
#include "ChkImgRunState.h"
#include "EnvTestRoot.h"
#include "RecordingChkImgWizard.h"
#include "RecordingEnvCommandRunner.h"

namespace {

constexpr int kYes = 0, kNo = 1;

std::string TextOf(unsigned long code)
{
    char text[32];
    std::snprintf(text, sizeof text, "code %08lX", code);
    return text;
}

_KS_VERSION Version(uint32_t index)
{
    _KS_VERSION v{};
    v.Index = index;
    v.Time.Year = static_cast<uint16_t>(2020 + index);
    return v;
}

struct Page {
    RecordingChkImgWizard wizard;
    CRecordingMessages messages;
    ChkImgRunState run;
    CScriptedTasque tasque;
    CSelectVolumeLogic logic{wizard, messages, run, &tasque, &TextOf};
};

} // namespace

TEST(SelectVolumeLogicTest, RegistersItsPromptWithTheChecker)
{
    Page p;
    ASSERT_EQ(p.tasque.CountOf(TasqueOp::CheckSetPromptCall), 1u);
}

TEST(SelectVolumeLogicTest, OnlyImageSetPathsAreTaken)
{
    struct Case {
        const char* path;
        bool taken;
    };
    const Case cases[] = {{"/mnt/P1/a.rvd", true},   {"/mnt/P1/A.RVD", true},   {"/mnt/P1/a.rvdx", false},
                          {"/mnt/P1/a.rv", false},   {"/mnt/P1/rvd", false},    {"/mnt/P1/x.rvd/b", false}};
    for (const Case& c : cases) {
        Page p;
        p.tasque.versions = {Version(0)};
        const CSelectVolumeLogic::Outcome o = p.logic.Choose(c.path, false);
        EXPECT_EQ(o != CSelectVolumeLogic::Outcome::Ignored, c.taken) << c.path;
        EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckSetImgInfo), c.taken ? 1u : 0u) << c.path;
    }
}

TEST(SelectVolumeLogicTest, APathLongerThanTheRecordsFieldIsRefusedNotCut)
{
    Page p;
    p.tasque.versions = {Version(0)};
    std::strcpy(p.wizard.info.szImagePath, "/mnt/P1/old.rvd");
    const std::string path = "/mnt/P1/" + std::string(1020, 'n') + ".rvd"; // 1,032 bytes: fits the entry
    EXPECT_EQ(p.logic.Choose(path, false), CSelectVolumeLogic::Outcome::TooLong);
    EXPECT_STREQ(p.wizard.info.szImagePath, "/mnt/P1/old.rvd");
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckGetImageVersions), 0u);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckSetImgInfo), 0u);
}

TEST(SelectVolumeLogicTest, ReadableSetKeepsItsFirstVersionAndPointsTheChecker)
{
    Page p;
    p.tasque.versions = {Version(3), Version(4)};
    EXPECT_EQ(p.logic.Choose("/mnt/P1/set.rvd", true), CSelectVolumeLogic::Outcome::Listed);
    EXPECT_EQ(p.logic.Version().Index, 3u);
    EXPECT_STREQ(p.wizard.info.szImagePath, "/mnt/P1/set.rvd");
    uint32_t key[2];
    const _KS_VERSION v = Version(3);
    std::memcpy(key, reinterpret_cast<const unsigned char*>(&v) + 24, sizeof key);
    EXPECT_EQ(p.wizard.info.versionKey[0], key[0]);
    EXPECT_EQ(p.wizard.info.versionKey[1], key[1]);
    const auto set = p.tasque.CallsOf(TasqueOp::CheckSetImgInfo);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].text, L"/mnt/P1/set.rvd");
    EXPECT_TRUE(p.messages.shown.empty());
}

TEST(SelectVolumeLogicTest, ASetListingNoVersionIsShownAsAReadFailure)
{
    Page p; // no versions scripted: the count is 0
    EXPECT_FALSE(p.logic.GetVer("/mnt/P1/empty.rvd", true));
    EXPECT_FALSE(p.wizard.nextEnabled);
    EXPECT_EQ(p.run.versionErrorText, "  " + TextOf(CSelectVolumeLogic::kNoVersion));
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].title, "Error");
    // Only the count was asked: nothing was fetched into an empty buffer.
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckGetImageVersions), 1u);
}

TEST(SelectVolumeLogicTest, ReadFailureKeepsTheMessageWithinItsField)
{
    RecordingChkImgWizard wizard;
    CRecordingMessages messages;
    ChkImgRunState run;
    CScriptedTasque tasque;
    const std::string longText = std::string(509, 'm') + "\xC3\xA9\xC3\xA9";
    CSelectVolumeLogic logic(wizard, messages, run, &tasque, [&](unsigned long) { return longText; });
    tasque.FailCall(TasqueOp::CheckGetImageVersions, 0x00A51234);
    EXPECT_EQ(logic.Choose("/mnt/P1/bad.rvd", true), CSelectVolumeLogic::Outcome::Failed);
    EXPECT_EQ(run.versionErrorText, "  " + std::string(509, 'm'));
    ASSERT_EQ(messages.shown.size(), 1u); // the browser's error box
    EXPECT_EQ(messages.shown[0].text, run.versionErrorText);
    // Chosen in the entry instead: no box.
    messages.shown.clear();
    logic.Choose("/mnt/P1/bad.rvd", false);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SelectVolumeLogicTest, ProtectedSetAsksForThePasswordEachTimeItIsChosen)
{
    Page p;
    p.tasque.versions = {Version(0)};
    p.tasque.passwordProtected = true;
    p.tasque.password = L"secret";
    EXPECT_EQ(p.logic.Choose("/mnt/P1/locked.rvd", true), CSelectVolumeLogic::Outcome::Protected);
    EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckGetImageVersions), 0u);

    EXPECT_FALSE(p.logic.Confirm(L"wrong"));
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, "The password is incorrect!");
    EXPECT_FALSE(p.logic.PasswordAccepted());

    EXPECT_TRUE(p.logic.Confirm(L"secret"));
    EXPECT_TRUE(p.logic.PasswordAccepted());
    const auto sent = p.tasque.CallsOf(TasqueOp::CheckSetPassword);
    ASSERT_GE(sent.size(), 2u);
    // The length goes in bytes: characters x sizeof(wchar_t).
    EXPECT_EQ(sent[1].numbers[0], 6u * sizeof(wchar_t));

    // Asking again re-sends the accepted password with the same length.
    const size_t before = p.tasque.CountOf(TasqueOp::CheckSetPassword);
    EXPECT_TRUE(p.logic.HasPassword("/mnt/P1/locked.rvd"));
    const auto resent = p.tasque.CallsOf(TasqueOp::CheckSetPassword);
    ASSERT_EQ(resent.size(), before + 1);
    EXPECT_EQ(resent.back().text, L"secret");
    EXPECT_EQ(resent.back().numbers[0], 6u * sizeof(wchar_t));

    EXPECT_EQ(p.logic.Choose("/mnt/P1/locked.rvd", true), CSelectVolumeLogic::Outcome::Protected);
    EXPECT_FALSE(p.logic.PasswordAccepted());
}

TEST(SelectVolumeLogicTest, ThePasswordGoesWithItsLengthInBytes)
{
    const struct Case {
        const char* what;
        std::wstring password;
    } cases[] = {
        {"plain text", L"Geheim-42"},
        {"characters beyond ASCII", L"\u00e4\u20ac\U0001D11E"},
        {"the longest the box takes", std::wstring(64, L'p')},
    };
    for (const Case& k : cases) {
        Page p;
        p.tasque.versions = {Version(0)};
        p.tasque.passwordProtected = true;
        p.tasque.password = k.password;
        ASSERT_EQ(p.logic.Choose("/mnt/P1/locked.rvd", true), CSelectVolumeLogic::Outcome::Protected) << k.what;
        EXPECT_TRUE(p.logic.Confirm(k.password)) << k.what;
        // Confirmed, then sent again as the versions are read: each time in bytes.
        const auto sent = p.tasque.CallsOf(TasqueOp::CheckSetPassword);
        ASSERT_GE(sent.size(), 2u) << k.what;
        for (const auto& call : sent) {
            EXPECT_EQ(call.text, k.password) << k.what;
            EXPECT_EQ(call.numbers[0], k.password.size() * sizeof(wchar_t)) << k.what;
        }
    }
}

TEST(SelectVolumeLogicTest, LastDiscQuestionsForASetOnADiscThatListsNoVersion)
{
    for (const int first : {kNo, kYes}) {
        EnvTestRoot root;
        const std::string r = root.Root();
        root.Write("/mnt/volcdrominfo", "/dev/sr0 " + r + "/mnt/CD1 [SET]\n");
        RecordingEnvCommandRunner runner;
        Page p;
        p.messages.answers = {first, kYes};
        int refreshed = 0;
        const std::string path = r + "/mnt/CD1/set/a.rvd";
        p.logic.MakeSureLastCD(path, [&] { ++refreshed; });
        if (first == kNo) {
            ASSERT_EQ(p.messages.shown.size(), 1u);
            EXPECT_EQ(p.messages.shown[0].text, CSelectVolumeLogic::kInsertLast);
            EXPECT_TRUE(runner.runs.empty());
            EXPECT_EQ(refreshed, 0);
            EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckGetImageVersions), 1u);
            continue;
        }
        ASSERT_EQ(p.messages.shown.size(), 2u);
        EXPECT_EQ(p.messages.shown[1].text, CSelectVolumeLogic::kConfirmLast);
        EXPECT_EQ(p.messages.shown[1].title, "Question");
        ASSERT_EQ(runner.runs.size(), 3u);
        EXPECT_EQ(runner.runs[0], (std::vector<std::string>{"umount", r + "/mnt/CD1"}));
        EXPECT_EQ(runner.runs[1], (std::vector<std::string>{"busybox", "eject", "/dev/sr0"}));
        EXPECT_EQ(runner.runs[2], (std::vector<std::string>{r + "/mnt/mcd"}));
        EXPECT_EQ(refreshed, 1);
        EXPECT_EQ(p.tasque.CountOf(TasqueOp::CheckGetImageVersions), 2u);
    }
}

TEST(SelectVolumeLogicTest, NoLastDiscQuestionOffTheDiscsOrWithVersions)
{
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    Page p;
    p.logic.MakeSureLastCD(root.Root() + "/mnt/P1/a.rvd");
    p.tasque.versions = {Version(0)};
    p.logic.MakeSureLastCD(root.Root() + "/mnt/CD1/a.rvd");
    EXPECT_TRUE(p.messages.shown.empty());
    EXPECT_TRUE(runner.runs.empty());
}

TEST(SelectVolumeLogicTest, PromptAnswersWhileThePageIsUp)
{
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    struct Case {
        unsigned long message;
        int answer;
        unsigned long result;
        const char* title;
        bool cancelled;
    };
    const Case cases[] = {
        {2, kYes, 0x00B51607, nullptr, false},        {5, kNo, 0x00B51607, nullptr, false},
        {1, kYes, 0, "Change CD", false},             {3, kYes, 0, "Change File", false},
        {1, kNo, 0x00B01607, "Change CD", true},      {3, kNo, 0x00B01607, "Change File", true},
    };
    for (const Case& c : cases) {
        Page p;
        p.messages.answers = {c.answer};
        CD_CHANGE_INFO info{};
        std::wcsncpy(info.Name, L"set02.rvd", CD_CHANGE_NAME_CHARS);
        EXPECT_EQ(CSelectVolumeLogic::ChangeBackCall(&p.logic, c.message, &info), c.result) << c.message;
        EXPECT_EQ(p.run.cancelFromCD.load(), c.cancelled);
        if (c.title == nullptr) {
            EXPECT_TRUE(p.messages.shown.empty());
        } else {
            ASSERT_EQ(p.messages.shown.size(), 1u);
            EXPECT_EQ(p.messages.shown[0].title, c.title);
        }
    }
}

TEST(SelectVolumeLogicTest, NextHandsCopiesOfTheTickedVolumes)
{
    Page p;
    std::vector<_KS_VOLUME> ticked(2);
    ticked[0].DriveLetter = 2;
    ticked[1].DriveLetter = 3;
    p.logic.OnVolumesTicked(0);
    EXPECT_FALSE(p.wizard.nextEnabled);
    p.logic.OnVolumesTicked(2);
    EXPECT_TRUE(p.wizard.nextEnabled);
    p.logic.OnNextClicked(ticked);
    ticked[0].DriveLetter = 9;
    ASSERT_NE(p.wizard.info.pVolumes, nullptr);
    ASSERT_EQ(p.wizard.info.nVolumeCount, 2u);
    EXPECT_EQ((*p.wizard.info.pVolumes)[0]->DriveLetter, 2);
    EXPECT_EQ(p.wizard.info.pTasque, &p.tasque);
    EXPECT_EQ(p.wizard.Count("OnNext"), 1u);
    // Back and Next again: the record holds the new selection only.
    p.logic.OnNextClicked({ticked[1]});
    EXPECT_EQ(p.wizard.info.nVolumeCount, 1u);
    EXPECT_EQ(p.wizard.info.pVolumes->size(), 1u);
}

TEST(SelectVolumeLogicTest, QuitRemembersThePathForThisRunOnly)
{
    Page p;
    p.logic.OnQuitClicked("");
    EXPECT_TRUE(p.run.rememberedPath.empty());
    EXPECT_EQ(p.wizard.Count("DestoryDlg"), 1u);
    ChkImgRunState next;
    EXPECT_TRUE(next.rememberedPath.empty());
    EXPECT_FALSE(next.cancelFromCD.load());
    EXPECT_EQ(next.lastShownIndex, -1);
}
