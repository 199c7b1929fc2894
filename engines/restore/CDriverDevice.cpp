#include "CDriverDevice.h"

#include <cstring>

#include "CRestore.h"
#include "KSResult.h"

namespace {
constexpr unsigned long kLiveImageVolume = 0x258;
constexpr unsigned long kLiveSource = 0x261;
}

CDriverDevice::CDriverDevice(const uint32_t item[19], const CRestore& engine, unsigned long force,
                             ReaderFactory factory)
    : force_(force), engine_(engine), factory_(factory)
{
    std::memcpy(item_, item, sizeof item_);
}

CDriverDevice::~CDriverDevice() { Drop(); }

void CDriverDevice::Drop()
{
    if (reader_ != nullptr)
        reader_->Release();
    reader_ = nullptr;
}

int CDriverDevice::Open()
{
    Close();
    void* object = nullptr;
    last_ = factory_(1000, 192, &object);
    // Without a reader there is nothing to read through: never a call through null.
    if (KSFailed(last_) || object == nullptr) {
        if (object != nullptr)
            static_cast<IKSVolume*>(object)->Release();
        if (KSSucceeded(last_))
            last_ = KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
        return 0;
    }
    reader_ = static_cast<IKSVolume*>(object);
    _KS_VOLUME_ITEM item;
    static_assert(sizeof item == sizeof item_, "the item is 19 words");
    std::memcpy(&item, item_, sizeof item);
    last_ = reader_->InitVolume(item, engine_.WorkFolder());
    if (KSSucceeded(last_))
        last_ = reader_->PrepareVolume(force_);
    if (KSFailed(last_)) {
        Drop();
        return 0;
    }
    return 1;
}

int CDriverDevice::ReadSector(unsigned char* buffer, long long firstSector, long long count)
{
    if (reader_ == nullptr)
        return 0;
    last_ = reader_->ReadSectors(static_cast<unsigned long long>(firstSector),
                                 static_cast<unsigned long>(count & 0xFFFFFFFF), buffer);
    return KSSucceeded(last_) ? 1 : 0;
}

int CDriverDevice::WriteSector(unsigned char*, long long, long long) { return 0; }

int CDriverDevice::Close()
{
    Drop();
    return 1;
}

unsigned long CDriverDevice::LastResult() const
{
    if (KSResultKind(last_) == kLiveImageVolume)
        return (last_ & ~0xFFFul) | kLiveSource;
    return last_;
}

const _KS_VOLUME* CDriverDevice::Volume() const { return reader_ != nullptr ? reader_->GetVolumeInfo() : nullptr; }
