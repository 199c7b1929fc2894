// The container object's writing calls, handed to the writer it makes on first use.
#include "CCofran.h"

#include "CofranResult.h"
#include "CofranWriter.h"

CofranWriter* CCofran::Writer()
{
    if (writer_ == nullptr)
        writer_ = CofranNew<CofranWriter>(session_, file_);
    return writer_;
}

void CCofran::CloseWriter()
{
    if (writer_ != nullptr)
        writer_->Close();
}

void CCofran::DeleteWriter()
{
    CofranDelete(writer_);
    writer_ = nullptr;
}

unsigned long CCofran::OpenForBackup(const wchar_t* path)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY) : writer->OpenSet(path);
}

unsigned long CCofran::GetAvailableCofranName(wchar_t* out, unsigned long outChars)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY) : writer->GetAvailableCofranName(out, outChars);
}

unsigned long CCofran::GetAvailableLabel(wchar_t* out, unsigned long outChars)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY) : writer->GetAvailableLabel(out, outChars);
}

unsigned long CCofran::BeginBackup(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                                   const wchar_t* comment, unsigned long level, unsigned long splitMiB)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY)
                             : writer->BeginBackup(path, mode, filters, comment, level, splitMiB);
}

unsigned long CCofran::WriteVolumeInfo(const _KS_VOLUME* volume, unsigned long size)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY) : writer->WriteVolumeInfo(volume, size);
}

unsigned long CCofran::WriteData(unsigned long firstCluster, const void* data, unsigned long clusters,
                                 unsigned long long changeMask)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY)
                             : writer->WriteData(firstCluster, data, clusters, changeMask, reader_.LastBlock());
}

unsigned long CCofran::WriteSector(int firstSector, const void* data, unsigned long count, unsigned long reserved)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY) : writer->WriteSector(firstSector, data, count, reserved);
}

unsigned long CCofran::EndBackup(unsigned long more)
{
    CofranWriter* writer = Writer();
    return writer == nullptr ? COFRAN_FAIL(KS_KIND_NO_MEMORY) : writer->EndBackup(more);
}
