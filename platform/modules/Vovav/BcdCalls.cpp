// Bcd_*: the BCD store of Windows Vista and later. The store is a registry hive that
// only a running Windows edits; where none runs (Linux) no system counts as one that
// boots through a BCD store, and the record is only kept.
#include <mutex>

#include "Vovav.h"
#include "VovavExport.h"
#include "VovavRecords.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
std::mutex bcdLock;
KSBcdOption lastOption;
bool haveOption = false;
} // namespace

extern "C" VOVAV_EXPORT unsigned long Bcd_Init(IManager*, const unsigned char* record)
{
    if (record == nullptr)
        return 1;
    std::lock_guard<std::mutex> guard(bcdLock);
    lastOption = KSLoadBcdOption(record);
    haveOption = true;
    return 0;
}

extern "C" VOVAV_EXPORT bool Bcd_IsVistaBoot()
{
#ifdef _WIN32
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion >= 6;
#else
    return false;
#endif
}

extern "C" VOVAV_EXPORT bool Bcd_IsUsingBcdFile() { return false; }

extern "C" VOVAV_EXPORT bool Bcd_IsBcdPartition()
{
    std::lock_guard<std::mutex> guard(bcdLock);
    return haveOption && lastOption.boot != 0;
}

extern "C" VOVAV_EXPORT void Bcd_LockBcdFile() {}

extern "C" VOVAV_EXPORT void Bcd_UnlockBcdFile() {}
