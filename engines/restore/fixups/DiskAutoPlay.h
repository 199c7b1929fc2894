// Explorer's autoplay, switched off while a restore writes disks: the REG_DWORD
// "DisableAutoplay" of the current user's autoplay handlers. Unless kept, the last
// change is undone when the object goes.
#pragma once

#include <windows.h>

class DiskAutoPlay {
public:
    DiskAutoPlay();
    ~DiskAutoPlay();
    bool Disable(bool keep);
    bool Enable(bool keep);

private:
    DiskAutoPlay(const DiskAutoPlay&) = delete;
    DiskAutoPlay& operator=(const DiskAutoPlay&) = delete;
    bool Set(DWORD value);

    HKEY key_ = nullptr;
    bool keep_ = false;
    int lastAction_ = 0; // 0 none, 1 disabled, 2 enabled
};
