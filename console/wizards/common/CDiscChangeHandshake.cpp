#include "CDiscChangeHandshake.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <thread>

CDiscChangeHandshake::CDiscChangeHandshake(DiscChangeCodes codes, unsigned waitStepMs)
    : codes_(codes), waitStepMs_(waitStepMs)
{
}

unsigned long CDiscChangeHandshake::Callback(void* context, unsigned long message, void* data)
{
    return static_cast<CDiscChangeHandshake*>(context)->OnRequest(message, data);
}

unsigned long CDiscChangeHandshake::OnRequest(unsigned long message, const void* data)
{
    if (message != CD_CHANGE_MSG_DISC && message != CD_CHANGE_MSG_FILE)
        return codes_.unhandled;
    if (data != nullptr)
        std::memcpy(&copy_, data, sizeof(copy_));
    else
        copy_ = CD_CHANGE_INFO{};
    fileMode_.store(message == CD_CHANGE_MSG_FILE ? 1 : 0);
    // The answer first: the timer must never see a request with a stale answer.
    answer_.store(kAnswerWaiting);
    request_.store(1);
    while (answer_.load() == kAnswerWaiting)
        std::this_thread::sleep_for(std::chrono::milliseconds(waitStepMs_));
    return answer_.load() == kAnswerGoOn ? 0 : codes_.cancelled;
}

bool CDiscChangeHandshake::TakeRequest(DiscChangeRequest& out)
{
    if (request_.load() == 0)
        return false;
    request_.store(0);
    out.fileMode = fileMode_.load() != 0;
    // The engine's text need not be terminated: the last character always counts as
    // the terminator, so the conversion never reads past the record.
    wchar_t name[CD_CHANGE_NAME_CHARS];
    std::memcpy(name, copy_.Name, sizeof(name));
    name[CD_CHANGE_NAME_CHARS - 1] = L'\0';
    char text[260] = {};
    const size_t n = std::wcstombs(text, name, sizeof(text) - 1);
    out.name = n == static_cast<size_t>(-1) ? std::string() : std::string(text);
    return true;
}

void CDiscChangeHandshake::Answer(bool goOn)
{
    answer_.store(goOn ? kAnswerGoOn : kAnswerCancel);
}

void CDiscChangeHandshake::CancelWaiting()
{
    request_.store(0);
    int waiting = kAnswerWaiting;
    answer_.compare_exchange_strong(waiting, kAnswerCancel);
}
