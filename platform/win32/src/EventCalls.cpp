// Events.
#include "EventObject.h"
#include "HandleTable.h"
#include "ObjectNames.h"
#include "WaitLock.h"

using namespace ks_platform;

namespace {

HANDLE MakeEvent(BOOL manualReset, BOOL initialState, const wchar_t* name)
{
    std::shared_ptr<KernelObject> event = CreateNamed(name, ObjectKind::Event, [&] {
        return std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
    });
    return event ? AddObject(event) : nullptr;
}

BOOL SetState(HANDLE handle, bool signalled)
{
    std::shared_ptr<EventObject> event = HandleTable::Instance().FindAs<EventObject>(handle, ObjectKind::Event);
    if (!event)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        event->Set(signalled);
    }
    if (signalled)
        WaitChanged().notify_all();
    return TRUE;
}

} // namespace

extern "C" HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    return MakeEvent(manualReset, initialState, name);
}

extern "C" HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    std::wstring wide;
    if (!WideName(name, wide)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return MakeEvent(manualReset, initialState, wide.c_str());
}

extern "C" BOOL WINAPI SetEvent(HANDLE event) { return SetState(event, true); }

extern "C" BOOL WINAPI ResetEvent(HANDLE event) { return SetState(event, false); }
