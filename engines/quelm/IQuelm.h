// The snapshot client's object: the IKSQuelm operations over one context. Every
// operation but SendControl and GetLastError keeps its result as the object's last
// result, which GetLastError returns.
#pragma once

#include <memory>

#include "IKSQuelm.h"
#include "QuelmContext.h"

class IQuelm final : public IKSQuelm {
public:
    IQuelm();

    unsigned long Release() override;
    unsigned long Open(const wchar_t* volumeName, const wchar_t* tempFolder) override;
    unsigned long SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback) override;
    unsigned long CreateSnapshot(unsigned long long firstSector, unsigned long long sectorCount,
                                 unsigned long sectorsPerBit) override;
    unsigned long Close() override;
    unsigned long StartSnapshot() override;
    unsigned long SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region) override;
    unsigned long StopSnapshot() override;
    unsigned long GetDriverInfo(KS_QUELM_DRIVER_INFO* info) override;
    unsigned long SendControl() override;
    unsigned long GetLastError() override;
    unsigned long ReadSnapshot(unsigned long long firstSector, unsigned long count, void* buffer,
                               unsigned char flag) override;
    unsigned long SaveUrgentBlock(unsigned long long firstSector, unsigned long count, const void* data) override;
    unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) override;
    unsigned long WriteSectors(unsigned long long firstSector, unsigned long count, const void* data) override;

    bool HasContext() const { return context_ != nullptr; }
    QuelmContext* Context() const { return context_.get(); }

private:
    ~IQuelm() = default;
    unsigned long Keep(unsigned long code) { return last_ = code; }
    // 0 when the object may work on an open context, else the not-ready kind.
    unsigned long NeedOpen() const;
    unsigned long NeedContext() const;

    std::unique_ptr<QuelmContext> context_;
    bool open_ = false;
    unsigned long last_ = 0;
};
