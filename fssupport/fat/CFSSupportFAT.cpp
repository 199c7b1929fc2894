#include "CFSSupportFAT.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "FatClusterChain.h"
#include "FatDirectoryWalker.h"
#include "FatResultCodes.h"
#include "LittleEndian.h"

namespace {
// The FAT rule: the cluster count alone decides the entry width.
constexpr uint32_t kFat12Limit = 4085;        // fewer clusters: FAT12
constexpr uint32_t kFat16Limit = 65525;       // fewer clusters: FAT16, else FAT32
constexpr uint32_t kFat32MaxClusters = 0x0FFFFFF5;
constexpr uint64_t kSectorBytes = 512;

uint64_t FatBytesNeeded(unsigned long kind, uint64_t entries)
{
    switch (kind) {
    case KS_FS_FAT12:
        return (entries * 3 + 1) / 2;
    case KS_FS_FAT16:
        return entries * 2;
    default:
        return entries * 4;
    }
}
} // namespace

unsigned long CFSSupportFAT::ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer)
{
    if (read_ == nullptr)
        return FatResult::NoReadCallback;
    return read_(context_, firstSector, count, buffer);
}

unsigned long CFSSupportFAT::Release()
{
    FreeBuffers();
    delete this;
    return 0;
}

void CFSSupportFAT::FreeBuffers()
{
    ready_ = false;
    fat_.Clear();
    bitmap_.Clear();
    rootDirectory_.clear();
    rootDirectory_.shrink_to_fit();
    rootClusters_.clear();
    rootLoaded_ = false;
    freedClusters_ = 0;
    boot_.reset();
}

unsigned long CFSSupportFAT::GetFileSystem() { return kind_; }

unsigned long CFSSupportFAT::InitFileSystem(KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write,
                                            void* context)
{
    if (read == nullptr || write == nullptr)
        return FatResult::NullCallback;
    read_ = read;
    write_ = write;
    context_ = context;
    FreeBuffers();
    kind_ = KS_FS_OTHER;

    unsigned char sector[kSectorBytes] = {};
    if (KSFailed(ReadSectors(0, 1, sector)))
        return FatResult::BootSectorRead;
    boot_.reset(new (std::nothrow) FatBootSector(sector));
    if (!boot_)
        return FatResult::ParserNoMemory;
    if (boot_->Label() == FatBootSector::kLabelNone)
        return FatResult::NoLabelKind;
    // The reserved area, the FATs and the root directory must leave room for data
    // before anything is sized from them.
    if (!boot_->LayoutFits())
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);

    firstDataSector_ = boot_->FirstDataSector();
    clusterCount_ = boot_->ClusterCount();
    if (boot_->Label() == FatBootSector::kLabelFat32)
        kind_ = KS_FS_FAT32;
    else
        kind_ = clusterCount_ < kFat12Limit ? KS_FS_FAT12 : KS_FS_FAT16;

    unsigned long rc = LoadFat();
    if (KSFailed(rc))
        return rc;
    rc = BuildBitmap();
    if (KSFailed(rc))
        return rc;
    rc = CheckFileSystem();
    ready_ = KSSucceeded(rc);
    return rc;
}

unsigned long CFSSupportFAT::LoadFat()
{
    if (!ClusterCountFitsKind())
        return FatResult::CheckFailed;
    // A FAT far larger than its clusters need is not a real volume's; refusing it
    // keeps a hostile boot sector from sizing a huge buffer.
    const uint64_t neededSectors =
        (FatBytesNeeded(kind_, static_cast<uint64_t>(clusterCount_) + 2) + kSectorBytes - 1) / kSectorBytes;
    const uint64_t fatSectors = boot_->SectorsPerFat();
    if (fatSectors == 0 || fatSectors > neededSectors * 2 + 64)
        return FatResult::FatLoad;
    // Every cluster needs its entry. A FAT too short for them is damaged, and is
    // refused before the bitmap is sized and filled by the cluster count it claims.
    if (fatSectors < neededSectors)
        return FatResult::CheckFailed;

    // The buffer grows with what the volume really gives, piece by piece.
    std::vector<unsigned char> bytes;
    try {
        for (uint64_t done = 0; done < fatSectors; done += kPieceSectors) {
            const unsigned long count = static_cast<unsigned long>(std::min<uint64_t>(kPieceSectors, fatSectors - done));
            const size_t offset = bytes.size();
            bytes.resize(offset + count * kSectorBytes, 0);
            const unsigned long rc = ReadSectors(boot_->FatStartSector() + done, count, bytes.data() + offset);
            if (KSFailed(rc))
                return rc;
        }
    } catch (const std::bad_alloc&) {
        return FatResult::FatNoMemory;
    }
    fat_.Assign(kind_, std::move(bytes));
    return 0;
}

unsigned long CFSSupportFAT::BuildBitmap()
{
    if (kind_ == KS_FS_OTHER)
        return FatResult::KindNotSet;
    if (!bitmap_.Create(clusterCount_))
        return FatResult::BitmapCreation;
    // Any entry that is not free counts as used, bad-cluster marks included.
    const uint32_t mask = fat_.ValueMask();
    for (uint32_t i = 0; i < clusterCount_; ++i)
        if ((fat_.Entry(i + 2) & mask) != 0)
            bitmap_.Set(i);
    return 0;
}

bool CFSSupportFAT::ClusterCountFitsKind() const
{
    switch (kind_) {
    case KS_FS_FAT12:
        return clusterCount_ < kFat12Limit;
    case KS_FS_FAT16:
        return clusterCount_ >= kFat12Limit && clusterCount_ < kFat16Limit;
    case KS_FS_FAT32:
        return clusterCount_ >= kFat16Limit && clusterCount_ <= kFat32MaxClusters;
    default:
        return false;
    }
}

unsigned long CFSSupportFAT::CheckFileSystem()
{
    if (!boot_ || bitmap_.Empty())
        return FatResult::CheckNotReady;
    if (!ClusterCountFitsKind())
        return FatResult::CheckFailed;

    unsigned char sector[kSectorBytes] = {};
    const unsigned long rc = ReadSectors(0, 1, sector);
    if (KSFailed(rc))
        return rc;
    if (sector[0] == 0 || sector[510] != 0x55 || sector[511] != 0xAA)
        return FatResult::CheckFailed;

    if (kind_ == KS_FS_FAT32) {
        if (!FatClusterChain::IsValid(fat_, clusterCount_, boot_->RootCluster()))
            return FatResult::CheckFailed;
    } else if (boot_->RootCluster() != 0) {
        return FatResult::CheckFailed;
    }

    // The FAT must hold an entry for every cluster, or clusters past its end would
    // read as free and their data would be left out.
    if (fat_.EntryCapacity() < static_cast<uint64_t>(clusterCount_) + 2)
        return FatResult::CheckFailed;

    // Entry 0 repeats the media byte with every higher bit set, whatever the media
    // byte is; it is compared as stored, since media bytes from 0xF8 up fall in the
    // end-of-chain range that Entry folds. Entry 1 is an end-of-chain value; on FAT16
    // and FAT32 its two top bits record an unclean shutdown or a disk error and may
    // be clear.
    const uint32_t mask = fat_.ValueMask();
    if ((fat_.StoredEntry(0) & mask) != ((mask & ~0xFFu) | boot_->MediaByte()))
        return FatResult::CheckFailed;
    uint32_t entry1 = fat_.Entry(1);
    if (kind_ == KS_FS_FAT16)
        entry1 |= 0xC000;
    else if (kind_ == KS_FS_FAT32)
        entry1 |= 0x0C000000;
    if (!fat_.IsEndOfChain(entry1))
        return FatResult::CheckFailed;
    return 0;
}

unsigned long CFSSupportFAT::GetBitMap(void* destination, unsigned long long* firstBit, unsigned long* bitCount)
{
    if (!ready_)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x005);
    if (destination == nullptr || firstBit == nullptr || bitCount == nullptr || *firstBit % 8 != 0 ||
        *firstBit > clusterCount_)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x009);
    const unsigned long long left = clusterCount_ - *firstBit;
    if (*bitCount > left)
        *bitCount = static_cast<unsigned long>(left);
    std::memcpy(destination, bitmap_.Data() + *firstBit / 8, (static_cast<size_t>(*bitCount) + 7) / 8);
    return 0;
}

unsigned long CFSSupportFAT::GetVolumeInfo(_KS_VOLUME* volume)
{
    if (volume == nullptr)
        return FatResult::NullVolume;
    if (!ready_)
        return FatResult::VolumeInfoNotReady;
    volume->Magic = KS_VOLUME_MAGIC;
    volume->Size = KS_VOLUME_SIZE;
    volume->SectorsPerCluster = boot_->SectorsPerCluster();
    volume->FileSystem = static_cast<uint8_t>(kind_);
    volume->BytesPerSector = 512;
    volume->ReservedSectors = boot_->ReservedSectors();
    volume->SectorsPerFat = boot_->SectorsPerFat();
    volume->RootDirSectors = static_cast<uint16_t>(boot_->RootDirSectors());
    volume->NumberOfFats = boot_->NumberOfFats();
    volume->BitmapSize = static_cast<uint32_t>((static_cast<uint64_t>(clusterCount_) + 7) / 8);
    volume->TotalSectors = boot_->TotalSectors();
    return 0;
}

unsigned long CFSSupportFAT::WalkThroughVolume(_KS_FILTERS_HEAD* filters)
{
    if (!ready_)
        return FatResult::WalkNotReady;
    // Only whether a filters record is given matters; its content is not read.
    enterSubdirectories_ = filters != nullptr;
    FatDirectoryWalker walker(
        *boot_, clusterCount_, fat_, bitmap_,
        [this](uint64_t first, unsigned long count, void* buffer) { return ReadSectors(first, count, buffer); },
        [this](uint64_t first, unsigned long count, void* buffer) { return write_(context_, first, count, buffer, 0); },
        enterSubdirectories_);

    unsigned long rc = LoadRootDirectory(walker);
    if (KSFailed(rc))
        return rc;
    rc = walker.WalkRoot(rootDirectory_.data(), rootDirectory_.size() / 32, rootClusters_);
    freedClusters_ += walker.FreedClusters();
    if (KSFailed(rc))
        return rc;
    if (kind_ == KS_FS_FAT32) {
        // The FAT32 root lives in data clusters: it goes out here, with the walk's
        // changes, and leaves the bitmap so that its old contents are not stored too.
        rc = walker.WriteClusters(rootClusters_, rootDirectory_.data());
        if (KSFailed(rc))
            return rc;
        for (uint32_t cluster : rootClusters_)
            bitmap_.Reset(cluster - 2);
    }
    return 0;
}

unsigned long CFSSupportFAT::LoadRootDirectory(FatDirectoryWalker& walker)
{
    // A later walk goes over the root as the first one left it, so that the entries it
    // removed stay removed.
    if (rootLoaded_)
        return 0;
    if (kind_ == KS_FS_FAT32) {
        rootClusters_ = walker.RootChainClusters();
        try {
            rootDirectory_.assign(rootClusters_.size() * walker.ClusterBytes(), 0);
        } catch (const std::bad_alloc&) {
            return FatResult::RootChainNoMemory;
        }
        const unsigned long rc = walker.ReadClusters(rootClusters_, rootDirectory_.data());
        if (KSFailed(rc))
            return rc;
    } else {
        const uint32_t sectors = boot_->RootDirSectors();
        try {
            rootDirectory_.assign(static_cast<size_t>(sectors) * kSectorBytes, 0);
        } catch (const std::bad_alloc&) {
            return FatResult::FixedRootNoMemory;
        }
        const unsigned long rc = ReadSectors(boot_->RootDirStartSector(), sectors, rootDirectory_.data());
        if (KSFailed(rc))
            return rc;
        rootDirectory_.resize(static_cast<size_t>(boot_->RootEntries()) * 32);
    }
    rootLoaded_ = true;
    return 0;
}

unsigned long CFSSupportFAT::WriteArea(uint64_t firstSector, uint64_t sectorCount, const unsigned char* source)
{
    std::vector<unsigned char> piece(kPieceSectors * kSectorBytes);
    for (uint64_t done = 0; done < sectorCount; done += kPieceSectors) {
        const unsigned long count = static_cast<unsigned long>(std::min<uint64_t>(kPieceSectors, sectorCount - done));
        std::fill(piece.begin(), piece.end(), 0);
        unsigned long rc;
        if (source != nullptr)
            std::memcpy(piece.data(), source + done * kSectorBytes, count * kSectorBytes);
        else if (KSFailed(rc = ReadSectors(firstSector + done, count, piece.data())))
            return rc;
        else
            AdjustFsInfo(firstSector + done, count, piece.data());
        rc = write_(context_, firstSector + done, count, piece.data(), 1);
        if (KSFailed(rc))
            return rc;
    }
    return 0;
}

void CFSSupportFAT::AdjustFsInfo(uint64_t pieceFirstSector, unsigned long pieceSectors, unsigned char* piece) const
{
    // The FAT32 information sector counts the free clusters; the files the walk took
    // out are free in the FAT handed out, so the count handed out says so too.
    if (kind_ != KS_FS_FAT32 || freedClusters_ == 0)
        return;
    const uint64_t fsInfoSector = LoadLE16(boot_->Bytes() + 48);
    if (fsInfoSector == 0 || fsInfoSector >= boot_->ReservedSectors() || fsInfoSector < pieceFirstSector ||
        fsInfoSector >= pieceFirstSector + pieceSectors)
        return;
    unsigned char* info = piece + (fsInfoSector - pieceFirstSector) * kSectorBytes;
    if (LoadLE32(info) != 0x41615252 || LoadLE32(info + 484) != 0x61417272 || LoadLE32(info + 508) != 0xAA550000)
        return;
    const uint32_t free = LoadLE32(info + 488);
    if (free == 0xFFFFFFFF)
        return;
    const uint64_t adjusted = free + freedClusters_;
    StoreLE32(info + 488, adjusted <= clusterCount_ ? static_cast<uint32_t>(adjusted) : 0xFFFFFFFFu);
}

unsigned long CFSSupportFAT::WriteSpecialInfo()
{
    if (!ready_)
        return FatResult::SpecialInfoNotReady;
    if (write_ == nullptr)
        return FatResult::NoWriteCallback;
    // The fixed root goes out from the walk's copy, so the walk must come first.
    if (kind_ != KS_FS_FAT32 && !rootLoaded_)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);

    // The reserved area comes from the volume itself.
    unsigned long rc = WriteArea(0, boot_->ReservedSectors(), nullptr);
    if (KSFailed(rc))
        return rc;
    for (unsigned n = 0; n < boot_->NumberOfFats(); ++n) {
        rc = WriteArea(boot_->FatStartSector() + static_cast<uint64_t>(n) * boot_->SectorsPerFat(),
                       boot_->SectorsPerFat(), fat_.Bytes().data());
        if (KSFailed(rc))
            return rc;
    }
    if (kind_ != KS_FS_FAT32) {
        // The buffer holds root entries x 32 bytes; the last sector is padded with zeros.
        std::vector<unsigned char> root(static_cast<size_t>(boot_->RootDirSectors()) * kSectorBytes, 0);
        std::copy(rootDirectory_.begin(), rootDirectory_.end(), root.begin());
        rc = WriteArea(boot_->RootDirStartSector(), boot_->RootDirSectors(), root.data());
        if (KSFailed(rc))
            return rc;
    }
    return 0;
}
