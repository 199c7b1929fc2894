#include "DiskAutoPlay.h"

#include <cstdio>

namespace {
const char* const kHandlers = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers";
const char* const kSource = "DiskAutoPlay";
}

DiskAutoPlay::DiskAutoPlay()
{
    const LSTATUS rc = RegCreateKeyExA(HKEY_CURRENT_USER, kHandlers, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key_, nullptr);
    if (rc != ERROR_SUCCESS) {
        key_ = nullptr;
        std::printf("DiskAutoPlay::OpenKey failed, Last Error Code %d (%s, %d)", static_cast<int>(rc), kSource, 125);
    }
}

DiskAutoPlay::~DiskAutoPlay()
{
    if (!keep_) {
        if (lastAction_ == 1)
            Enable(false);
        else if (lastAction_ == 2)
            Disable(false);
    }
    if (key_ != nullptr)
        RegCloseKey(key_);
}

bool DiskAutoPlay::Set(DWORD value)
{
    if (key_ == nullptr)
        return false;
    return RegSetValueExA(key_, "DisableAutoplay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool DiskAutoPlay::Disable(bool keep)
{
    if (!Set(1)) {
        std::printf("DiskAutoPlay::Disable failed, Last Error Code %d (%s, %d)", static_cast<int>(GetLastError()),
                    kSource, 100);
        return false;
    }
    lastAction_ = 1;
    keep_ = keep;
    return true;
}

bool DiskAutoPlay::Enable(bool keep)
{
    if (!Set(0)) {
        std::printf("DiskAutoPlay::Enable failed, Last Error Code %d (%s, %d)", static_cast<int>(GetLastError()),
                    kSource, 69);
        return false;
    }
    lastAction_ = 2;
    keep_ = keep;
    return true;
}
