#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstring>
#include <future>
#include <thread>

#include "CDiscChangeHandshake.h"

namespace {

const DiscChangeCodes kCodes{0x01121607, 0x01191607};

CD_CHANGE_INFO Request(const wchar_t* name)
{
    CD_CHANGE_INFO info{};
    std::wcsncpy(info.Name, name, CD_CHANGE_NAME_CHARS);
    return info;
}

// Waits on the main thread until the worker has raised its request.
bool TakeWithin(CDiscChangeHandshake& h, DiscChangeRequest& out)
{
    for (int i = 0; i < 2000; ++i) {
        if (h.TakeRequest(out))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace

TEST(DiscChangeHandshakeTest, MessagesOtherThanDiscOrFileAreRefusedAtOnce)
{
    CDiscChangeHandshake h(kCodes, 1);
    const CD_CHANGE_INFO info = Request(L"a.rvd");
    for (unsigned long message : {0ul, 2ul, 4ul, 0xFFFFFFFFul}) {
        EXPECT_EQ(CDiscChangeHandshake::Callback(&h, message, const_cast<CD_CHANGE_INFO*>(&info)), kCodes.unhandled);
        EXPECT_FALSE(h.RequestPending());
        EXPECT_EQ(h.AnswerValue(), CDiscChangeHandshake::kAnswerCancel);
    }
}

TEST(DiscChangeHandshakeTest, TheWorkerWaitsForTheAnswerAndGetsItsCode)
{
    struct Case {
        unsigned long message;
        bool goOn;
        bool fileMode;
        unsigned long expected;
    };
    const Case cases[] = {
        {CD_CHANGE_MSG_DISC, true, false, 0},
        {CD_CHANGE_MSG_DISC, false, false, kCodes.cancelled},
        {CD_CHANGE_MSG_FILE, true, true, 0},
        {CD_CHANGE_MSG_FILE, false, true, kCodes.cancelled},
    };
    CDiscChangeHandshake h(kCodes, 1);
    for (const Case& c : cases) {
        CD_CHANGE_INFO info = Request(L"disc-02");
        auto worker = std::async(std::launch::async, [&] { return CDiscChangeHandshake::Callback(&h, c.message, &info); });
        DiscChangeRequest taken;
        ASSERT_TRUE(TakeWithin(h, taken));
        EXPECT_EQ(taken.fileMode, c.fileMode);
        EXPECT_EQ(taken.name, "disc-02");
        // Taken, not yet answered: the worker still sleeps.
        EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        EXPECT_TRUE(h.EngineWaiting());
        h.Answer(c.goOn);
        EXPECT_EQ(worker.get(), c.expected);
        EXPECT_FALSE(h.TakeRequest(taken));
    }
}

TEST(DiscChangeHandshakeTest, CancelWaitingWakesAWorkerWhoseRequestWasNeverTaken)
{
    CDiscChangeHandshake h(kCodes, 1);
    CD_CHANGE_INFO info = Request(L"x.rvd");
    auto worker = std::async(std::launch::async, [&] { return h.OnRequest(CD_CHANGE_MSG_DISC, &info); });
    while (!h.RequestPending())
        std::this_thread::yield();
    h.CancelWaiting();
    EXPECT_EQ(worker.get(), kCodes.cancelled);
    EXPECT_FALSE(h.RequestPending());
    // With nothing waiting, a cancel changes nothing.
    h.Answer(true);
    h.CancelWaiting();
    EXPECT_EQ(h.AnswerValue(), CDiscChangeHandshake::kAnswerGoOn);
}

TEST(DiscChangeHandshakeTest, ANameThatFillsTheRecordIsShownWholeAndAnUnterminatedOneIsCut)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    CDiscChangeHandshake h(kCodes, 1);
    // 63 characters and the NUL: the whole record.
    std::wstring full(63, L'n');
    CD_CHANGE_INFO info = Request(full.c_str());
    auto worker = std::async(std::launch::async, [&] { return h.OnRequest(CD_CHANGE_MSG_FILE, &info); });
    DiscChangeRequest taken;
    ASSERT_TRUE(TakeWithin(h, taken));
    EXPECT_EQ(taken.name, std::string(63, 'n'));
    h.Answer(true);
    worker.get();

    // No terminator anywhere: the last character counts as one, nothing past the
    // record is read (the sanitizer would see it).
    CD_CHANGE_INFO unterminated{};
    for (wchar_t& c : unterminated.Name)
        c = L'z';
    auto second = std::async(std::launch::async, [&] { return h.OnRequest(CD_CHANGE_MSG_DISC, &unterminated); });
    ASSERT_TRUE(TakeWithin(h, taken));
    EXPECT_EQ(taken.name, std::string(63, 'z'));
    h.Answer(false);
    EXPECT_EQ(second.get(), kCodes.cancelled);
}
