#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>

#include "CImageSelectionLogic.h"
#include "CRecordingMessages.h"
#include "CRecordingWizard.h"
#include "CScriptedTasque.h"

namespace {

class ImageSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        wizard.info.pTasque = &tasque;
        _KS_VERSION v{};
        v.Flags = 7;
        tasque.versions = {v, _KS_VERSION{}};
        char pattern[] = "/tmp/rvd-imagepage-XXXXXX";
        folder = mkdtemp(pattern);
        image = folder + "/set.rvd";
        std::ofstream(image) << "x";
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

    CScriptedTasque tasque;
    CRecordingWizard wizard;
    CRecordingMessages messages;
    CImageSelectionLogic logic{wizard, messages, [](unsigned long code) { return "text of " + std::to_string(code); }};
    std::string folder, image;
};

} // namespace

TEST_F(ImageSelectionTest, AnOpenImageIsShownWithItsFirstVersionAndNextOn)
{
    wizard.nextEnabled = false;
    EXPECT_EQ(logic.Accept(image, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Shown);
    EXPECT_EQ(logic.GetState(), CImageSelectionLogic::State::Open);
    EXPECT_TRUE(wizard.nextEnabled);
    EXPECT_EQ(logic.Version().Flags, 7u);
    EXPECT_STREQ(wizard.info.szImagePath, image.c_str());
    // The count first, then the versions, both for the wide path.
    const auto calls = tasque.CallsOf(TasqueOp::RestoreGetImageVersions);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].numbers[0], 0u);
    EXPECT_EQ(calls[1].numbers[0], 2u);
    EXPECT_EQ(calls[1].text, std::wstring(image.begin(), image.end()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImageSelectionTest, OtherFilesAreRefusedFromTheBrowserAndIgnoredFromTheEntry)
{
    EXPECT_EQ(logic.Accept(folder + "/notes.txt", CImageSelectionLogic::Source::BrowserRow),
              CImageSelectionLogic::Outcome::Refused);
    EXPECT_FALSE(wizard.nextEnabled);
    wizard.nextEnabled = true;
    EXPECT_EQ(logic.Accept(folder + "/notes.txt", CImageSelectionLogic::Source::Entry),
              CImageSelectionLogic::Outcome::Ignored);
    EXPECT_EQ(logic.Accept(folder + "/README", CImageSelectionLogic::Source::BrowserRow),
              CImageSelectionLogic::Outcome::Ignored);
    // A typed path must exist.
    EXPECT_EQ(logic.Accept(folder + "/missing.rvd", CImageSelectionLogic::Source::Entry),
              CImageSelectionLogic::Outcome::Ignored);
    EXPECT_TRUE(wizard.nextEnabled);
    EXPECT_EQ(tasque.Calls().size(), 0u);
}

TEST_F(ImageSelectionTest, AProtectedImageWaitsForTheRightPasswordAndAsksAgainAfterAnotherChoice)
{
    tasque.passwordProtected = true;
    tasque.password = L"pw";
    EXPECT_EQ(logic.Accept(image, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Shown);
    EXPECT_EQ(logic.GetState(), CImageSelectionLogic::State::Protected);
    EXPECT_FALSE(wizard.nextEnabled);
    EXPECT_EQ(tasque.CountOf(TasqueOp::RestoreGetImageVersions), 0u);

    EXPECT_FALSE(logic.Confirm(L"wrong"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Information");
    EXPECT_EQ(messages.shown[0].text, "The password is incorrect!");
    EXPECT_EQ(logic.GetState(), CImageSelectionLogic::State::Protected);
    EXPECT_FALSE(wizard.nextEnabled);

    EXPECT_TRUE(logic.Confirm(L"pw"));
    EXPECT_EQ(logic.GetState(), CImageSelectionLogic::State::Open);
    EXPECT_TRUE(wizard.nextEnabled);
    // The length goes out in bytes: characters x sizeof(wchar_t).
    EXPECT_EQ(tasque.CallsOf(TasqueOp::RestoreSetPassword).back().numbers[0], 2 * sizeof(wchar_t));

    EXPECT_EQ(logic.Accept(image, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Shown);
    EXPECT_EQ(logic.GetState(), CImageSelectionLogic::State::Protected);
    EXPECT_FALSE(wizard.nextEnabled);
}

TEST_F(ImageSelectionTest, AnEngineErrorOrAnImageWithoutVersionsIsAReadFailure)
{
    struct Case {
        const char* name;
        std::function<void(CScriptedTasque&)> script;
    };
    const Case cases[] = {
        {"count refused", [](CScriptedTasque& t) { t.FailCall(TasqueOp::RestoreGetImageVersions, 0x00031106, 1); }},
        {"versions refused", [](CScriptedTasque& t) { t.FailCall(TasqueOp::RestoreGetImageVersions, 0x00031106, 2); }},
        {"no version listed", [](CScriptedTasque& t) { t.versions.clear(); }},
    };
    for (const Case& c : cases) {
        CScriptedTasque t;
        c.script(t);
        CRecordingWizard w;
        w.info.pTasque = &t;
        CRecordingMessages m;
        CImageSelectionLogic page(w, m, [](unsigned long code) { return "text of " + std::to_string(code); });
        EXPECT_EQ(page.Accept(image, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Failed)
            << c.name;
        EXPECT_FALSE(w.nextEnabled) << c.name;
        ASSERT_EQ(m.shown.size(), 1u) << c.name;
        EXPECT_EQ(m.shown[0].title, "Note");
        EXPECT_EQ(m.shown[0].text.rfind("text of ", 0), 0u);
        EXPECT_EQ(page.GetState(), CImageSelectionLogic::State::Nothing) << c.name;
    }
}

TEST_F(ImageSelectionTest, APathTooLongForTheRecordIsRefusedAndTheEarlierChoiceStays)
{
    ASSERT_EQ(logic.Accept(image, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Shown);
    const std::string tooLong = "/mnt/P1/" + std::string(RESTORE_IMAGE_PATH_BYTES, 'd') + "/set.rvd";
    EXPECT_EQ(logic.Accept(tooLong, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Refused);
    EXPECT_FALSE(wizard.nextEnabled);
    EXPECT_STREQ(wizard.info.szImagePath, image.c_str());
    EXPECT_EQ(logic.Path(), image);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, CImageSelectionLogic::kPathTooLong);
    // Exactly 519 bytes still fits the field with its terminator.
    const std::string longest = "/" + std::string(RESTORE_IMAGE_PATH_BYTES - 6, 'e') + ".rvd";
    ASSERT_EQ(longest.size(), RESTORE_IMAGE_PATH_BYTES - 1);
    EXPECT_EQ(logic.Accept(longest, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Shown);
    EXPECT_EQ(std::string(wizard.info.szImagePath), longest);
}

TEST_F(ImageSelectionTest, NextLeavesTheCommandObjectInTheRecordAndBackOnForLaterPages)
{
    logic.InitPage();
    EXPECT_FALSE(wizard.backEnabled);
    wizard.info.nLastPage = 3;
    logic.OnNextClicked();
    EXPECT_EQ(wizard.info.pTasque, &tasque);
    EXPECT_EQ(wizard.info.nLastPage, 0u);
    EXPECT_TRUE(wizard.backEnabled);
    EXPECT_EQ(wizard.currentPage, 1);
}

TEST_F(ImageSelectionTest, TheCommentComesFromTheFirstVersionAsStored)
{
    tasque.comment = u"Before the upgrade";
    ASSERT_EQ(logic.Accept(image, CImageSelectionLogic::Source::BrowserRow), CImageSelectionLogic::Outcome::Shown);
    EXPECT_EQ(logic.Comment(), "Before the upgrade");
    EXPECT_EQ(tasque.CallsOf(TasqueOp::RestoreGetVerComment)[0].numbers[0], 4096u);
}
