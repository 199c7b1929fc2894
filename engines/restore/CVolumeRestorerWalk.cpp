// The block walk of a partition restore: the chosen version's files and, while
// clusters are still pending and the version carries a chain bit, the older ones.
// Each cluster is written once, from the newest file that holds it.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "CLogWriter.h"
#include "CVolumeRestorer.h"
#include "FatLayout.h"
#include "ImageFileName.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include <algorithm>
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {
constexpr uint32_t kChainBits = 0xC000;

bool AnyPending(const std::vector<uint8_t>& pending)
{
    for (uint8_t byte : pending)
        if (byte != 0)
            return true;
    return false;
}

uint64_t ElapsedMs(DWORD start) { return static_cast<DWORD>(GetTickCount() - start); }
}

unsigned long CVolumeRestorer::ListSetFiles(std::vector<_KS_IMG>& files)
{
    unsigned long count = 0;
    unsigned long result = image_->GetBackupImg(nullptr, &count);
    if (result != 0 || count == 0) {
        files.clear();
        return result;
    }
    files.resize(count);
    result = image_->GetBackupImg(files.data(), &count);
    files.resize(result == 0 ? count : 0);
    return result;
}

unsigned long CVolumeRestorer::LocateVolumeFile(_KS_VOLUME& source, uint32_t& fileNumber)
{
    unsigned long result = image_->OpenCofran(imagePath_.c_str(), 0, engine_.Password(), engine_.PasswordBytes());
    if (result != 0)
        return result;
    std::vector<_KS_IMG> files;
    result = ListSetFiles(files);
    image_->CloseCofran();
    if (result != 0)
        return result;
    // The list runs from the newest file down: the first that holds the volume is the
    // last file of the volume in the chosen version.
    for (const _KS_IMG& file : files) {
        if (FileHoldsVolume(file.Path, source)) {
            fileNumber = file.FileNumber;
            return EnsureVolumeStart(file.Path, source, fileNumber);
        }
    }
    // None of the files where the set lies: each file of the chosen version that is
    // missing, newest first, asked for until it is there or the caller refuses.
    for (const _KS_VERSION& v : versions_) {
        if (v.Index != version_.Index)
            continue;
        for (uint32_t n = v.FirstFile + v.FileCount; n-- > v.FirstFile;) {
            bool present = false;
            for (const _KS_IMG& file : files)
                present = present || file.FileNumber == n;
            if (present)
                continue;
            std::wstring path;
            if ((result = EnsureFile(n, path)) != 0)
                return result;
            if (FileHoldsVolume(path.c_str(), source)) {
                fileNumber = n;
                return 0;
            }
        }
    }
    return KS_RESULT(KS_MODULE_RESTORE, kVolumeNotInFile);
}

// A volume found in its last file may have begun in an earlier one that is missing:
// its first sectors lie there, so the set's reader reports a broken chain. The
// missing files before the last one, newest first, are asked for until the volume
// reads whole; any other fault shows where the walk meets it.
unsigned long CVolumeRestorer::EnsureVolumeStart(const std::wstring& lastPath, _KS_VOLUME& source, uint32_t lastFile)
{
    uint32_t first = lastFile;
    for (const _KS_VERSION& v : versions_)
        if (v.Index == version_.Index && v.FirstFile <= lastFile)
            first = v.FirstFile;
    for (uint32_t n = lastFile; n-- > first;) {
        if (KSResultKind(ReadVolumeStart(lastPath, source)) != kChainBroken)
            return 0;
        std::wstring path;
        const unsigned long result = EnsureFile(n, path);
        if (result != 0)
            return result;
    }
    return 0;
}

// The volume's first sector read as the system-area copy reads it, moving between
// the set's files.
unsigned long CVolumeRestorer::ReadVolumeStart(const std::wstring& path, _KS_VOLUME& source)
{
    unsigned long result = image_->OpenCofran(path.c_str(), KS_OPEN_RANDOM | KS_OPEN_INDEX_ANY_FILE,
                                              engine_.Password(), engine_.PasswordBytes());
    if (result != 0)
        return result;
    _KS_VOLUME volume = source;
    if ((result = image_->OpenVolume(&volume)) == 0) {
        unsigned char sector[512];
        unsigned long read = 0;
        result = image_->ReadSector(0, sector, 1, &read, 0);
        image_->CloseVolume();
    }
    image_->CloseCofran();
    return result;
}

bool CVolumeRestorer::FileHoldsVolume(const wchar_t* path, _KS_VOLUME& source)
{
    if (image_->OpenCofran(path, 0, engine_.Password(), engine_.PasswordBytes()) != 0)
        return false;
    const bool holds = image_->OpenVolume(&source) == 0;
    if (holds)
        image_->CloseVolume();
    image_->CloseCofran();
    return holds;
}

// The path of the file with this number, asking the caller for it while it is missing.
unsigned long CVolumeRestorer::EnsureFile(uint32_t fileNumber, std::wstring& path)
{
    for (int asked = 0;; ++asked) {
        unsigned long result = image_->OpenCofran(imagePath_.c_str(), 0, engine_.Password(), engine_.PasswordBytes());
        std::vector<_KS_IMG> files;
        if (result == 0) {
            result = ListSetFiles(files);
            image_->CloseCofran();
        }
        for (const _KS_IMG& file : files) {
            if (file.FileNumber == fileNumber) {
                path = file.Path;
                return 0;
            }
        }
        if (asked != 0)
            return KS_RESULT(KS_MODULE_RESTORE, kFileMissing);
        _KS_RESTORE_REQUEST request{};
        request.Kind = KS_RESTORE_REQUEST_FILE;
        request.Number = fileNumber;
        wchar_t name[KS_PATH_CHARS] = {};
        if (!names_.empty())
            image_->GetCofranNameFromCofranNo(versions_.data(), static_cast<unsigned long>(versions_.size()),
                                              names_.data(), static_cast<unsigned long>(names_.size()), fileNumber,
                                              name, KS_PATH_CHARS);
        // The file's name without its folder, cut to the record's text and terminated:
        // the user must see which file to put back.
        std::wcsncpy(request.Text, ImageFileNameOf(name), KS_RESTORE_REQUEST_TEXT_CHARS - 1);
        request.Text[KS_RESTORE_REQUEST_TEXT_CHARS - 1] = L'\0';
        const unsigned long answer = engine_.Notify(KS_RESTORE_MSG_FILE, &request);
        if (KSResultKind(answer) != 0)
            return KS_RESULT(KS_MODULE_RESTORE, kUserRefused);
    }
}

unsigned long CVolumeRestorer::WalkVersions(_KS_VOLUME& source, CTargetWriter& writer, uint32_t lastFile)
{
    long chosen = -1;
    for (size_t i = 0; i < versions_.size(); ++i)
        if (versions_[i].Index == version_.Index)
            chosen = static_cast<long>(i);
    if (chosen < 0)
        return KS_RESULT(KS_MODULE_RESTORE, kVersionMissing);
    // Every cluster the chosen version uses is pending before the first block is
    // written, whichever of its files lists it.
    unsigned long listed = ReadSetBitmap(source, lastFile, pending_);
    if (listed != 0)
        return listed;
    for (long vi = chosen; vi >= 0; --vi) {
        const _KS_VERSION& version = versions_[static_cast<size_t>(vi)];
        for (uint32_t n = version.FirstFile + version.FileCount; n-- > version.FirstFile;) {
            if (vi == chosen && n > lastFile)
                continue;
            std::wstring path;
            unsigned long result = EnsureFile(n, path);
            if (result != 0)
                return result;
            engine_.Progress().SetText(path);
            result = RestoreFile(path, source, writer);
            if (KSResultKind(result) == kVolumeNotInFile)
                continue;
            if (result != 0)
                return result;
        }
        if (!AnyPending(pending_))
            return 0;
        // Clusters still pending: only a version that builds on older ones may leave them.
        if ((version.Flags & kChainBits) == 0)
            return KS_RESULT(KS_MODULE_RESTORE, kVersionChain);
    }
    return AnyPending(pending_) ? KS_RESULT(KS_MODULE_RESTORE, kVersionChain) : 0;
}

unsigned long CVolumeRestorer::RestoreFile(const std::wstring& path, _KS_VOLUME& source, CTargetWriter& writer)
{
    // A volume that runs on into a later file is walked here too, for the blocks
    // this file holds.
    unsigned long result =
        image_->OpenCofran(path.c_str(), KS_OPEN_INDEX_ANY_FILE, engine_.Password(), engine_.PasswordBytes());
    if (KSResultKind(result) == kOutsideFile)
        return KS_RESULT(KS_MODULE_RESTORE, kVolumeNotInFile);
    if (result != 0)
        return result;
    struct Closer {
        IKSCofran* image;
        bool volume = false;
        ~Closer() { if (volume) image->CloseVolume(); image->CloseCofran(); }
    } closer{image_};
    result = image_->OpenVolume(&source);
    if (KSResultKind(result) == kOutsideFile)
        return KS_RESULT(KS_MODULE_RESTORE, kVolumeNotInFile);
    if (result != 0)
        return result;
    closer.volume = true;
    if (!systemAreaDone_) {
        if ((result = CopySystemAreaThroughSet(path, source, writer)) != 0)
            return result;
        systemAreaDone_ = true;
    }
    return CopyBlocks(path, source, writer);
}

// The system area of a volume can lie in an earlier file than the one walked first:
// it is read through an image object of its own that moves between the set's files.
unsigned long CVolumeRestorer::CopySystemAreaThroughSet(const std::wstring& path, const _KS_VOLUME& source,
                                                        CTargetWriter& writer)
{
    void* object = nullptr;
    if (engine_.Services().createImage(0x10000, 1, &object) != 0 || object == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    IKSCofran* const walked = image_;
    image_ = static_cast<IKSCofran*>(object);
    _KS_VOLUME volume = source;
    unsigned long result = image_->OpenCofran(path.c_str(), KS_OPEN_RANDOM | KS_OPEN_INDEX_ANY_FILE,
                                              engine_.Password(), engine_.PasswordBytes());
    if (result == 0) {
        if ((result = image_->OpenVolume(&volume)) == 0) {
            result = CopySystemArea(volume, writer);
            image_->CloseVolume();
        }
        image_->CloseCofran();
    }
    image_->Release();
    image_ = walked;
    return result;
}

unsigned long CVolumeRestorer::CopySystemArea(const _KS_VOLUME& source, CTargetWriter& writer)
{
    // Reserved sectors as stored; the FATs and the root directory at their new places.
    const uint64_t sectors = patchBoot_ ? source.ReservedSectors : dataStart_;
    const uint64_t chunk = readBuffer_.size() / 512;
    for (uint64_t done = 0; done < sectors;) {
        const unsigned long want = static_cast<unsigned long>(std::min<uint64_t>(chunk, sectors - done));
        unsigned long read = 0;
        const unsigned long result = image_->ReadSector(static_cast<long long>(done), readBuffer_.data(), want, &read, 0);
        if (result != 0)
            return result;
        if (read != want)
            return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
        if (!writer.Write(readBuffer_.data(), done, want))
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
        engine_.Progress().AddSectorsWritten(want, progressTotal_);
        done += want;
    }
    return patchBoot_ ? CopyFats(source, writer) : 0;
}

// Each FAT copy at the new size (zero past the old one), then a FAT16 root directory
// after the new FATs.
unsigned long CVolumeRestorer::CopyFats(const _KS_VOLUME& source, CTargetWriter& writer)
{
    const uint64_t oldSize = source.SectorsPerFat;
    std::vector<unsigned char> table(std::max<uint64_t>(oldSize, newFatSize_) * 512, 0);
    unsigned long read = 0;
    unsigned long result = image_->ReadSector(source.ReservedSectors, table.data(), static_cast<unsigned long>(oldSize), &read, 0);
    if (result != 0)
        return result;
    if (read != oldSize)
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    for (unsigned i = 0; i < source.NumberOfFats; ++i)
        if (!writer.Write(table.data(), source.ReservedSectors + uint64_t(i) * newFatSize_, newFatSize_))
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    if (source.RootDirSectors != 0) {
        std::vector<unsigned char> root(size_t(source.RootDirSectors) * 512);
        result = image_->ReadSector(static_cast<long long>(source.ReservedSectors + oldSize * source.NumberOfFats),
                                    root.data(), source.RootDirSectors, &read, 0);
        if (result != 0)
            return result;
        if (read != source.RootDirSectors)
            return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
        if (!writer.Write(root.data(), source.ReservedSectors + uint64_t(newFatSize_) * source.NumberOfFats,
                          source.RootDirSectors))
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    }
    return 0;
}

// The boot sector of a grown FAT volume, and for FAT32 its backup copy and both
// FSInfo sectors, so that no field describes the old size.
unsigned long CVolumeRestorer::PatchFatBootArea(const _KS_VOLUME& source, CTargetWriter& writer)
{
    if (!writer.HoldsFirstSector())
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    unsigned char* boot = writer.FirstSector();
    PatchFatBootSector(boot, source.FileSystem, targetSectors_, newFatSize_);
    if (source.FileSystem != KS_FS_FAT32)
        return 0;
    const uint16_t fsInfo = LoadLE16(boot + 48);
    const uint16_t backup = LoadLE16(boot + 50);
    unsigned char sector[512];
    for (const uint16_t at : {fsInfo, static_cast<uint16_t>(backup + 1)}) {
        if (at == 0 || at == 0xFFFF || at >= source.ReservedSectors || (at == backup + 1 && (backup == 0 || backup == 0xFFFF)))
            continue;
        if (!writer.Read(sector, at, 1))
            return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
        ForgetFsInfoCounts(sector);
        if (!writer.Write(sector, at, 1))
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    }
    if (backup != 0 && backup != 0xFFFF && backup < source.ReservedSectors && !writer.Write(boot, backup, 1))
        return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    return 0;
}

unsigned long CVolumeRestorer::WriteRuns(const _KS_BLOCK& block, const unsigned char* data,
                                         const _KS_VOLUME& source, CTargetWriter& writer)
{
    const uint64_t spc = source.SectorsPerCluster;
    const uint64_t clusterBytes = spc * 512;
    const uint64_t count = KSBlockClusters(block);
    CRestoreProgress& progress = engine_.Progress();
    uint64_t runStart = 0, runLength = 0;
    auto flush = [&]() -> bool {
        if (runLength == 0)
            return true;
        const DWORD started = GetTickCount();
        const uint64_t cluster = uint64_t(block.FirstCluster) + runStart;
        const bool ok = writer.Write(data + runStart * clusterBytes, dataStart_ + cluster * spc, runLength * spc);
        progress.writeMs += ElapsedMs(started);
        progress.bytesWritten += runLength * clusterBytes;
        if (ok)
            progress.AddSectorsWritten(runLength * spc, progressTotal_);
        runLength = 0;
        return ok;
    };
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t cluster = uint64_t(block.FirstCluster) + i;
        const uint64_t byte = cluster / 8;
        const uint8_t bit = static_cast<uint8_t>(1u << (cluster % 8));
        const bool wanted = byte < pending_.size() && (pending_[byte] & bit) != 0;
        if (wanted) {
            pending_[byte] = static_cast<uint8_t>(pending_[byte] & ~bit);
            if (runLength == 0)
                runStart = i;
            ++runLength;
        } else if (!flush()) {
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
        }
    }
    return flush() ? 0 : KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
}

unsigned long CVolumeRestorer::FinishVolume(const _KS_VOLUME& source, CTargetWriter& writer)
{
    if (!writer.HoldsFirstSector())
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    // An NTFS volume keeps a copy of its boot sector in the partition's last sector,
    // which lies in no cluster and so is not in the set.
    if (source.FileSystem == KS_FS_NTFS) {
        const uint64_t last = writer.Sectors() - 1;
        const uint64_t clustered = (source.TotalSectors / source.SectorsPerCluster) * source.SectorsPerCluster;
        if (last >= clustered && !writer.Write(writer.FirstSector(), last, 1))
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    }
    return writer.Finish() ? 0 : KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
}
