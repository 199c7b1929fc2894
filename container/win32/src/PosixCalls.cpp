#include "Win32Layer.h"

#include <fcntl.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

namespace {

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t RealRead(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); }
ssize_t RealWrite(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int RealSetStatusFlags(int fd, int flags) { return ::fcntl(fd, F_SETFL, flags); }
time_t RealTime(time_t* out) { return ::time(out); }
ssize_t RealGetRandom(void* buffer, size_t size, unsigned int flags) { return ::getrandom(buffer, size, flags); }

// Members swap one by one; I/O on other threads sees either the old or the new call.
std::atomic<decltype(KSWin32PosixCalls::Open)> openCall{&RealOpen};
std::atomic<decltype(KSWin32PosixCalls::Read)> readCall{&RealRead};
std::atomic<decltype(KSWin32PosixCalls::Write)> writeCall{&RealWrite};
std::atomic<decltype(KSWin32PosixCalls::SetStatusFlags)> setStatusFlagsCall{&RealSetStatusFlags};
std::atomic<decltype(KSWin32PosixCalls::Time)> timeCall{&RealTime};
std::atomic<decltype(KSWin32PosixCalls::GetRandom)> getRandomCall{&RealGetRandom};

template <typename Function>
Function OrReal(Function call, Function real)
{
    return call ? call : real;
}

} // namespace

KSWin32PosixCalls KSWin32RealPosixCalls()
{
    return {&RealOpen, &RealRead, &RealWrite, &RealSetStatusFlags, &RealTime, &RealGetRandom};
}

KSWin32PosixCalls KSWin32CurrentPosixCalls()
{
    return {openCall.load(),          readCall.load(), writeCall.load(), setStatusFlagsCall.load(),
            timeCall.load(),          getRandomCall.load()};
}

KSWin32PosixCalls KSWin32SetPosixCalls(const KSWin32PosixCalls& calls)
{
    KSWin32PosixCalls previous;
    previous.Open = openCall.exchange(OrReal(calls.Open, &RealOpen));
    previous.Read = readCall.exchange(OrReal(calls.Read, &RealRead));
    previous.Write = writeCall.exchange(OrReal(calls.Write, &RealWrite));
    previous.SetStatusFlags = setStatusFlagsCall.exchange(OrReal(calls.SetStatusFlags, &RealSetStatusFlags));
    previous.Time = timeCall.exchange(OrReal(calls.Time, &RealTime));
    previous.GetRandom = getRandomCall.exchange(OrReal(calls.GetRandom, &RealGetRandom));
    return previous;
}

namespace ks_win32 {

int CallOpen(const char* path, int flags, mode_t mode)
{
    return openCall.load(std::memory_order_relaxed)(path, flags, mode);
}
ssize_t CallRead(int fd, void* buffer, size_t size)
{
    return readCall.load(std::memory_order_relaxed)(fd, buffer, size);
}
ssize_t CallWrite(int fd, const void* data, size_t size)
{
    return writeCall.load(std::memory_order_relaxed)(fd, data, size);
}
int CallSetStatusFlags(int fd, int flags) { return setStatusFlagsCall.load(std::memory_order_relaxed)(fd, flags); }
time_t CallTime(time_t* out) { return timeCall.load(std::memory_order_relaxed)(out); }
ssize_t CallGetRandom(void* buffer, size_t size, unsigned int flags)
{
    return getRandomCall.load(std::memory_order_relaxed)(buffer, size, flags);
}

} // namespace ks_win32
