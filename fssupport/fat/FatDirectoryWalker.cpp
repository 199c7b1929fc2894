#include "FatDirectoryWalker.h"

#include <algorithm>
#include <new>
#include <utility>

#include "FatClusterChain.h"
#include "FatLongName.h"
#include "FatResultCodes.h"
#include "LittleEndian.h"

namespace {
constexpr size_t kEntryBytes = 32;
constexpr unsigned char kAttrVolumeLabel = 0x08;
constexpr unsigned char kAttrDirectory = 0x10;
constexpr unsigned char kDeleted = 0xE5;

bool IsLongNameEntry(const unsigned char* entry) { return (entry[11] & 0x0F) == 0x0F; }

bool IsDotEntry(const unsigned char* entry)
{
    static const unsigned char dot[11] = {'.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    static const unsigned char dotdot[11] = {'.', '.', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    return std::equal(entry, entry + 11, dot) || std::equal(entry, entry + 11, dotdot);
}

// The 8.3 name: name and extension without trailing blanks, joined by a dot when
// there is an extension. Bytes are taken as Latin-1; only ASCII names are compared.
std::wstring ShortName(const unsigned char* entry)
{
    size_t nameLength = 8;
    while (nameLength > 0 && entry[nameLength - 1] == ' ')
        --nameLength;
    size_t extLength = 3;
    while (extLength > 0 && entry[8 + extLength - 1] == ' ')
        --extLength;
    std::wstring name(entry, entry + nameLength);
    if (extLength > 0) {
        name.push_back(L'.');
        name.append(entry + 8, entry + 8 + extLength);
    }
    return name;
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const wchar_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z')
            y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == 0;
}

bool IsSystemFilePath(const std::wstring& path)
{
    return EqualsIgnoringAsciiCase(path, L"\\pagefile.sys") || EqualsIgnoringAsciiCase(path, L"\\hiberfil.sys");
}
} // namespace

FatDirectoryWalker::FatDirectoryWalker(const FatBootSector& boot, uint32_t clusterCount, FatTable& fat,
                                       ClusterBitmap& bitmap, ReadFn read, WriteFn writeDirectory,
                                       bool enterSubdirectories)
    : boot_(boot), clusterCount_(clusterCount), fat_(fat), bitmap_(bitmap), read_(std::move(read)),
      writeDirectory_(std::move(writeDirectory)), enterSubdirectories_(enterSubdirectories),
      systemFileChains_(fat, clusterCount)
{
}

unsigned long FatDirectoryWalker::WalkRoot(unsigned char* entries, size_t entryCount,
                                           const std::vector<uint32_t>& rootClusters)
{
    enteredDirectories_.clear();
    enteredDirectories_.insert(rootClusters.begin(), rootClusters.end());
    return Walk(entries, entryCount, std::wstring(), 0);
}

std::vector<uint32_t> FatDirectoryWalker::RootChainClusters() const
{
    std::vector<uint32_t> clusters;
    FatClusterChain::Collect(fat_, clusterCount_, boot_.RootCluster(), MaxDirectoryClusters(), clusters);
    return clusters;
}

uint32_t FatDirectoryWalker::StartCluster(const unsigned char* entry) const
{
    return (static_cast<uint32_t>(LoadLE16(entry + 20)) << 16) | LoadLE16(entry + 26);
}

unsigned long FatDirectoryWalker::TransferClusters(const std::vector<uint32_t>& clusters, unsigned char* buffer,
                                                   const ReadFn& transfer) const
{
    const unsigned long spc = boot_.SectorsPerCluster();
    size_t i = 0;
    while (i < clusters.size()) {
        size_t run = 1;
        while (i + run < clusters.size() && clusters[i + run] == clusters[i] + run && run * spc < 128)
            ++run;
        const uint64_t sector = boot_.FirstDataSector() + static_cast<uint64_t>(clusters[i] - 2) * spc;
        const unsigned long rc = transfer(sector, static_cast<unsigned long>(run * spc), buffer + i * spc * 512);
        if (KSFailed(rc))
            return rc;
        i += run;
    }
    return 0;
}

unsigned long FatDirectoryWalker::ReadClusters(const std::vector<uint32_t>& clusters, unsigned char* buffer) const
{
    return TransferClusters(clusters, buffer, read_);
}

unsigned long FatDirectoryWalker::WriteClusters(const std::vector<uint32_t>& clusters, unsigned char* buffer) const
{
    return TransferClusters(clusters, buffer, writeDirectory_);
}

unsigned long FatDirectoryWalker::Walk(unsigned char* entries, size_t entryCount, const std::wstring& path,
                                       unsigned depth)
{
    FatLongName longName;
    for (size_t index = 0; index < entryCount; ++index) {
        unsigned char* entry = entries + index * kEntryBytes;
        if (entry[0] == 0)
            break;
        if (entry[0] == 0x05 || entry[0] == kDeleted) {
            longName.Forget();
            continue;
        }
        if (IsLongNameEntry(entry)) {
            longName.Add(entry, index);
            continue;
        }
        std::wstring name = longName.TakeFor(entry);
        const size_t firstNameIndex = name.empty() ? index : longName.FirstIndex();
        if ((entry[11] & kAttrDirectory) && IsDotEntry(entry))
            continue;
        if (name.empty())
            name = ShortName(entry);
        const std::wstring fullPath = path + L"\\" + name;

        if ((entry[11] & kAttrDirectory) && !(entry[11] & kAttrVolumeLabel)) {
            if (!enterSubdirectories_)
                continue;
            const unsigned long rc = WalkSubdirectory(entry, fullPath, depth + 1);
            if (KSFailed(rc))
                return rc;
            continue;
        }
        if (IsSystemFilePath(fullPath)) {
            const unsigned long rc = RemoveSystemFile(entries, index, firstNameIndex);
            if (KSFailed(rc))
                return rc;
        }
    }
    return 0;
}

unsigned long FatDirectoryWalker::WalkSubdirectory(const unsigned char* entry, const std::wstring& path,
                                                   unsigned depth)
{
    if (!(entry[11] & kAttrDirectory))
        return FatResult::NotADirectory;
    if (depth > kMaxDepth)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);
    const uint32_t start = StartCluster(entry);
    // A directory already entered, or a chain that leads into one, closes a loop.
    if (!enteredDirectories_.insert(start).second)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);

    std::vector<uint32_t> clusters;
    const FatClusterChain::End end =
        FatClusterChain::Collect(fat_, clusterCount_, start, MaxDirectoryClusters(), clusters);
    if (end == FatClusterChain::End::TooLong)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);
    if (end != FatClusterChain::End::EndOfChain)
        return FatResult::ChainNotEndedBeforeWalk;
    for (size_t i = 1; i < clusters.size(); ++i)
        if (!enteredDirectories_.insert(clusters[i]).second)
            return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);

    std::vector<unsigned char> buffer;
    try {
        buffer.assign(clusters.size() * ClusterBytes(), 0);
    } catch (const std::bad_alloc&) {
        return FatResult::DirectoryNoMemory;
    }
    unsigned long rc = ReadClusters(clusters, buffer.data());
    if (KSFailed(rc))
        return rc;
    rc = Walk(buffer.data(), buffer.size() / kEntryBytes, path, depth);
    if (KSFailed(rc))
        return rc;

    std::vector<uint32_t> after;
    if (FatClusterChain::Collect(fat_, clusterCount_, start, MaxDirectoryClusters(), after) !=
            FatClusterChain::End::EndOfChain ||
        after != clusters)
        return FatResult::ChainNotEndedAfterWalk;
    return WriteClusters(clusters, buffer.data());
}

unsigned long FatDirectoryWalker::RemoveSystemFile(unsigned char* entries, size_t index, size_t firstNameIndex)
{
    unsigned char* entry = entries + index * kEntryBytes;
    if (entry[11] & kAttrVolumeLabel)
        return FatResult::SystemFileIsLabel;
    const uint32_t start = StartCluster(entry);
    // A file whose chain is damaged keeps its clusters: freeing a chain that may run
    // into other files would lose their data.
    if (!systemFileChains_.IsValid(start))
        return 0;
    // Delete the file and its long-name entries, as a file system would.
    for (size_t i = firstNameIndex; i <= index; ++i)
        entries[i * kEntryBytes] = kDeleted;
    return systemFileChains_.Free(start, [this](uint32_t cluster) {
        bitmap_.Reset(cluster - 2);
        ++freedClusters_;
    });
}
