#include "IQuelm.h"

#include <new>

#include "QuelmKinds.h"
#include "QuelmTrace.h"

using namespace quelm_kinds;

IQuelm::IQuelm() : context_(new (std::nothrow) QuelmContext()) {}

unsigned long IQuelm::NeedContext() const
{
    return context_ != nullptr ? 0 : KS_RESULT(KS_MODULE_BACKUP, kNotReady);
}

unsigned long IQuelm::NeedOpen() const
{
    return context_ != nullptr && open_ ? 0 : KS_RESULT(KS_MODULE_BACKUP, kNotReady);
}

unsigned long IQuelm::Release()
{
    if (context_ != nullptr) {
        QuelmDebugLine("direct read %lu, get block %lu.", static_cast<unsigned long>(context_->DirectReadMs()),
                       static_cast<unsigned long>(context_->SnapshotReadMs()));
        context_->Close();
    }
    delete this;
    return 0;
}

unsigned long IQuelm::Open(const wchar_t* volumeName, const wchar_t* tempFolder)
{
    unsigned long rc = NeedContext();
    if (KSFailed(rc))
        return Keep(rc);
    rc = context_->Open(volumeName, tempFolder);
    open_ = KSSucceeded(rc);
    return Keep(rc);
}

unsigned long IQuelm::SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback)
{
    if (context_ != nullptr && open_)
        context_->SetCallBack(user, callback);
    return last_;
}

unsigned long IQuelm::CreateSnapshot(unsigned long long firstSector, unsigned long long sectorCount,
                                     unsigned long sectorsPerBit)
{
    const unsigned long rc = NeedOpen();
    if (KSFailed(rc))
        return Keep(rc);
    return Keep(context_->CreateSnapshot(firstSector, sectorCount, static_cast<uint32_t>(sectorsPerBit)));
}

unsigned long IQuelm::Close()
{
    const unsigned long rc = NeedContext();
    if (KSFailed(rc))
        return Keep(rc);
    open_ = false;
    return Keep(context_->Close());
}

unsigned long IQuelm::StartSnapshot()
{
    const unsigned long rc = NeedOpen();
    return Keep(KSFailed(rc) ? rc : context_->StartSnapshot());
}

unsigned long IQuelm::SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region)
{
    const unsigned long rc = NeedOpen();
    return Keep(KSFailed(rc) ? rc : context_->SetVolumeBitmap(region));
}

unsigned long IQuelm::StopSnapshot()
{
    const unsigned long rc = NeedContext();
    return Keep(KSFailed(rc) ? rc : context_->StopSnapshot());
}

unsigned long IQuelm::GetDriverInfo(KS_QUELM_DRIVER_INFO* info)
{
    if (info == nullptr)
        return Keep(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    const unsigned long rc = NeedOpen();
    return Keep(KSFailed(rc) ? rc : context_->GetDriverInfo(info));
}

unsigned long IQuelm::SendControl() { return context_ != nullptr && open_ ? context_->SendControl() : 0; }

unsigned long IQuelm::GetLastError() { return last_; }

unsigned long IQuelm::ReadSnapshot(unsigned long long firstSector, unsigned long count, void* buffer,
                                   unsigned char flag)
{
    const unsigned long rc = NeedContext();
    return Keep(KSFailed(rc) ? rc
                             : context_->ReadSnapshot(firstSector, static_cast<uint32_t>(count), buffer, flag));
}

unsigned long IQuelm::SaveUrgentBlock(unsigned long long firstSector, unsigned long count, const void* data)
{
    const unsigned long rc = NeedContext();
    return Keep(KSFailed(rc) ? rc : context_->SaveUrgentBlock(firstSector, static_cast<uint32_t>(count), data));
}

unsigned long IQuelm::ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer)
{
    const unsigned long rc = NeedOpen();
    if (KSFailed(rc))
        return Keep(rc);
    if (count == 0)
        return last_;
    return Keep(context_->ReadSectors(firstSector, static_cast<uint32_t>(count), buffer));
}

unsigned long IQuelm::WriteSectors(unsigned long long firstSector, unsigned long count, const void* data)
{
    const unsigned long rc = NeedOpen();
    if (KSFailed(rc))
        return Keep(rc);
    if (count == 0)
        return last_;
    return Keep(context_->WriteSectors(firstSector, static_cast<uint32_t>(count), data));
}
