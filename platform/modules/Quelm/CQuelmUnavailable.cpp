#include "CQuelmUnavailable.h"

#include <new>

#include "KSResult.h"

namespace {
constexpr unsigned long kCreateObject = 0x10F;
constexpr unsigned long kNotReady = 0x005;
}

unsigned long CQuelmUnavailable::NotOpen() { return last_ = KS_RESULT(KS_MODULE_BACKUP, kNotReady); }

unsigned long CQuelmUnavailable::Release()
{
    delete this;
    return 0;
}

unsigned long CQuelmUnavailable::Open(const wchar_t*, const wchar_t*)
{
    return last_ = KS_RESULT(KS_MODULE_BACKUP, kCreateObject);
}

unsigned long CQuelmUnavailable::SetCallBack(void*, KS_QUELM_BLOCK_CALLBACK) { return NotOpen(); }
unsigned long CQuelmUnavailable::CreateSnapshot(unsigned long long, unsigned long long, unsigned long) { return NotOpen(); }
unsigned long CQuelmUnavailable::Close() { return last_ = 0; }
unsigned long CQuelmUnavailable::StartSnapshot() { return NotOpen(); }
unsigned long CQuelmUnavailable::SetVolumeBitmap(const KS_QUELM_BITMAP_REGION*) { return NotOpen(); }
unsigned long CQuelmUnavailable::StopSnapshot() { return NotOpen(); }
unsigned long CQuelmUnavailable::GetDriverInfo(KS_QUELM_DRIVER_INFO*) { return NotOpen(); }
unsigned long CQuelmUnavailable::SendControl() { return 0; }
unsigned long CQuelmUnavailable::GetLastError() { return 0; }
unsigned long CQuelmUnavailable::ReadSnapshot(unsigned long long, unsigned long, void*, unsigned char) { return NotOpen(); }
unsigned long CQuelmUnavailable::SaveUrgentBlock(unsigned long long, unsigned long, const void*) { return NotOpen(); }
unsigned long CQuelmUnavailable::ReadSectors(unsigned long long, unsigned long, void*) { return NotOpen(); }
unsigned long CQuelmUnavailable::WriteSectors(unsigned long long, unsigned long, const void*) { return NotOpen(); }

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectQuelm(unsigned long version,
                                                                                    unsigned long kind, void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    *out = nullptr;
    if (version > KS_QUELM_VERSION)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_VERSION_TOO_NEW);
    if (kind != KS_QUELM_KIND)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT);
    IKSQuelm* client = new (std::nothrow) CQuelmUnavailable();
    if (client == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    *out = client;
    return 0;
}
