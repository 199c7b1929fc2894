// The window manager's calls that a windowless program makes: message boxes are
// recorded instead of shown, and the start mode is settable.
#include "DesktopState.h"
#include "KSPlatformSetup.h"

#include <atomic>
#include <mutex>

namespace {

std::mutex messageBoxLock;
std::vector<KSMessageBox>& ShownBoxes()
{
    static auto* boxes = new std::vector<KSMessageBox>;
    return *boxes;
}
std::atomic<int> cleanBootMode{0};

} // namespace

std::vector<KSMessageBox> KSPlatformMessageBoxes()
{
    std::lock_guard<std::mutex> guard(messageBoxLock);
    return ShownBoxes();
}

void KSPlatformSetCleanBoot(int mode) { cleanBootMode.store(mode); }

void KSPlatformClearMessageBoxes()
{
    std::lock_guard<std::mutex> guard(messageBoxLock);
    ShownBoxes().clear();
}

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    KSMessageBox box;
    box.owner = owner;
    box.text = text ? text : "";
    // Windows shows "Error" over a box given no caption.
    box.caption = caption ? caption : "Error";
    box.type = type;
    std::lock_guard<std::mutex> guard(messageBoxLock);
    ShownBoxes().push_back(box);
    return IDOK;
}

extern "C" int WINAPI GetSystemMetrics(int index)
{
    if (index == SM_CLEANBOOT)
        return cleanBootMode.load();
    return 0;
}
