// The hand-over between an engine's worker thread, which needs another disc or image
// file, and the GTK main thread, which asks the user. The worker's callback copies
// the request, raises the request flag and sleeps in steps until an answer is
// written; a main-thread timer takes the request, asks, and answers. Only atomic
// words are shared: the answer state is stored before the request flag, so the timer
// never sees a request with a stale answer. Each wizard gives its own answer codes.
#pragma once

#include <atomic>
#include <string>

#include "CdChangeInfo.h"

struct DiscChangeCodes {
    unsigned long cancelled; // the user cancelled the request
    unsigned long unhandled; // a message that is neither a disc nor a file request
};

// A request as the main thread takes it.
struct DiscChangeRequest {
    bool fileMode = false;     // true: a file ("Change File"), false: a disc ("Change CD")
    std::string name;          // the wanted name, multibyte, at most 259 bytes
};

class CDiscChangeHandshake {
public:
    enum AnswerState : int { kAnswerGoOn = 0, kAnswerCancel = 1, kAnswerWaiting = 2 };

    explicit CDiscChangeHandshake(DiscChangeCodes codes, unsigned waitStepMs = 1000);
    CDiscChangeHandshake(const CDiscChangeHandshake&) = delete;
    CDiscChangeHandshake& operator=(const CDiscChangeHandshake&) = delete;

    // The engine's callback (KS_CMD_CALLBACK); context is the handshake. Blocks the
    // calling thread until the main thread answers.
    static unsigned long Callback(void* context, unsigned long message, void* data);
    unsigned long OnRequest(unsigned long message, const void* data);

    // Main thread: takes a waiting request (clearing the flag); false when none.
    // The name is read only up to the record's last character, which counts as NUL
    // whatever the engine wrote there.
    bool TakeRequest(DiscChangeRequest& out);
    // Main thread: answers the request taken.
    void Answer(bool goOn);
    // Main thread: answers "cancel" to a request that waits, taken or not (a wizard
    // that closes during a run must not leave the worker asleep).
    void CancelWaiting();

    bool RequestPending() const { return request_.load() != 0; }
    bool EngineWaiting() const { return answer_.load() == kAnswerWaiting; }
    int AnswerValue() const { return answer_.load(); }
    const DiscChangeCodes& Codes() const { return codes_; }

private:
    const DiscChangeCodes codes_;
    const unsigned waitStepMs_;
    CD_CHANGE_INFO copy_{};
    std::atomic<int> request_{0};
    std::atomic<int> answer_{kAnswerCancel};
    std::atomic<int> fileMode_{0};
};
