// The writer's bytes on their way to the file: blobs through the storage rule, the
// head and directory of each file, the volume records, run indexes and volume list.
#include "CofranWriter.h"

#include <cstring>
#include <new>

#include "CofranResult.h"
#include "DirectoryLists.h"
#include "ImageEnds.h"
#include "Utf16Text.h"

namespace {

template <typename T, void (*Encode)(const T&, unsigned char*)>
std::vector<unsigned char> EncodeList(const std::vector<T>& list, size_t recordSize)
{
    std::vector<unsigned char> raw(list.size() * recordSize);
    for (size_t i = 0; i < list.size(); ++i)
        Encode(list[i], raw.data() + i * recordSize);
    return raw;
}
void EncodeVersion(const _KS_VERSION& v, unsigned char* out) { KSVersionToBytes(v, out); }
void EncodeLabel(const _KS_CDINFO& c, unsigned char* out) { KSCdInfoToBytes(c, out); }
void EncodeName(const _KS_IMGNAME_NO& n, unsigned char* out) { KSImgNameNoToBytes(n, out); }
void EncodeVolume(const _KS_VOLUME& v, unsigned char* out) { KSVolumeToBytes(v, out); }

} // namespace

BlobCodec::Settings CofranWriter::Settings()
{
    return DirectoryLists::SettingsFor(whead_, &session_.cipher);
}

uint64_t CofranWriter::StreamPosition() const
{
    return whead_.Base + (buffer_.Position() - wtail_.DataStart);
}

uint64_t CofranWriter::ClosingRoom() const
{
    if (closing_)
        return 0;
    return KS_INDEX_CHUNK_SIZE + (runUsed_ + KS_RIND_ENTRY_SIZE) + uint64_t(KS_VOLUME_SIZE) * volumes_.size() +
           KS_IMG_TAIL_SIZE;
}

unsigned long CofranWriter::WriteBytes(const void* data, uint32_t size)
{
    const uint64_t room = ClosingRoom();
    if (room >= splitSize_ || buffer_.Position() + size > splitSize_ - room)
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    return buffer_.Append(out_, buffer_.Position(), data, size);
}

unsigned long CofranWriter::WriteBlob(KSBlobGroup group, const unsigned char* raw, uint32_t rawSize, uint32_t* storedSize)
{
    const unsigned char* stored = nullptr;
    uint32_t size = 0;
    unsigned long rc = codec_.Encode(Settings(), group, raw, rawSize, &stored, &size);
    if (KSFailed(rc))
        return rc;
    if (size > 0 && KSFailed(rc = WriteBytes(stored, size)))
        return rc;
    *storedSize = size;
    return 0;
}

unsigned long CofranWriter::WriteDirectory(const _KS_FILTERS_HEAD* filters, const wchar_t* comment)
{
    unsigned char head[KS_IMG_HEAD_SIZE];
    EncodeHead(whead_, head);
    unsigned long rc = WriteBytes(head, KS_IMG_HEAD_SIZE);
    if (KSFailed(rc))
        return rc;

    auto blob = [&](KSBlobGroup group, const unsigned char* raw, uint32_t rawSize, uint32_t& pos, uint32_t& rawOut,
                    uint32_t& storedOut) {
        pos = static_cast<uint32_t>(buffer_.Position());
        rawOut = rawSize;
        return WriteBlob(group, raw, rawSize, &storedOut);
    };

    const uint32_t filtersSize = filters != nullptr ? filters->Length : 0;
    if (KSFailed(rc = blob(KS_GROUP_FILTERS, reinterpret_cast<const unsigned char*>(filters), filtersSize,
                           wtail_.FiltersPos, wtail_.FiltersRaw, wtail_.FiltersStored)))
        return rc;

    // The comment is kept as UTF-16 with its NUL, the same on every platform.
    std::vector<unsigned char> commentRaw;
    if (comment != nullptr) {
        std::u16string units(Utf16Text::Utf16Units(comment) + 1, u'\0');
        Utf16Text::ToUtf16(comment, &units[0], units.size());
        commentRaw.resize(units.size() * 2);
        for (size_t i = 0; i < units.size(); ++i)
            StoreLE16(commentRaw.data() + 2 * i, units[i]);
    }
    if (KSFailed(rc = blob(KS_GROUP_FILTERS, commentRaw.data(), static_cast<uint32_t>(commentRaw.size()),
                           wtail_.CommentPos, wtail_.CommentRaw, wtail_.CommentStored)))
        return rc;

    const std::vector<unsigned char> labels = EncodeList<_KS_CDINFO, EncodeLabel>(labels_, KS_CDINFO_SIZE);
    wtail_.LabelCount = static_cast<uint32_t>(labels_.size());
    if (KSFailed(rc = blob(KS_GROUP_DIR, labels.data(), static_cast<uint32_t>(labels.size()), wtail_.LabelListPos,
                           wtail_.LabelListRaw, wtail_.LabelListStored)))
        return rc;
    const std::vector<unsigned char> versions = EncodeList<_KS_VERSION, EncodeVersion>(versions_, KS_VERSION_SIZE);
    if (KSFailed(rc = blob(KS_GROUP_DIR, versions.data(), static_cast<uint32_t>(versions.size()),
                           wtail_.VersionListPos, wtail_.VersionListRaw, wtail_.VersionListStored)))
        return rc;
    const std::vector<unsigned char> names = EncodeList<_KS_IMGNAME_NO, EncodeName>(names_, KS_IMGNAME_NO_SIZE);
    if (KSFailed(rc = blob(KS_GROUP_DIR, names.data(), static_cast<uint32_t>(names.size()), wtail_.NameListPos,
                           wtail_.NameListRaw, wtail_.NameListStored)))
        return rc;

    wtail_.DataStart = static_cast<uint32_t>(buffer_.Position());
    wtail_.Flags = whead_.Flags;
    wtail_.Base = whead_.Base;
    return 0;
}

unsigned long CofranWriter::WriteVolumeInfo(const _KS_VOLUME* volume, unsigned long size)
{
    if (volume == nullptr || size != KS_VOLUME_SIZE || volume->Magic != KS_VOLUME_MAGIC ||
        volume->BytesPerSector == 0 || volume->BytesPerSector % 512 != 0 || volume->SectorsPerCluster == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writing_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    unsigned long rc = Drain();
    if (KSFailed(rc))
        return rc;
    try {
        if (chunk_.empty())
            chunk_.assign(KS_INDEX_CHUNK_SIZE, 0);
        if (runIndex_.empty())
            runIndex_.assign(0x10000, 0);
        volumes_.reserve(volumes_.size() + 1);
    } catch (const std::bad_alloc&) {
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    // Finish the previous volume: its last chunk, then its run index.
    if (chunkUsed_ > KS_INDX_HEAD_SIZE) {
        if (runUsed_ == 0)
            return COFRAN_FAIL(KS_KIND_NOT_OPEN);
        if (KSFailed(rc = CloseIndexChunk()))
            return rc;
    }
    if (RunIndexWanted() && !volumes_.empty() && KSFailed(rc = WriteRunIndex(volumes_.back())))
        return rc;

    _KS_VOLUME record = *volume;
    record.VolumeNumber = static_cast<uint16_t>(volumes_.size());
    volumes_.push_back(record);
    runUsed_ = 0;
    openEntryLive_ = false;
    std::memset(&rindHead_, 0, sizeof rindHead_);
    volumeInfoWritten_ = true;
    return 0;
}

bool CofranWriter::RunIndexWanted() const
{
    // A run index that holds only its head is still written when it points at
    // stored pre-volume sectors: without it they could not be found again.
    return runUsed_ > KS_RIND_HEAD_SIZE || (runUsed_ == KS_RIND_HEAD_SIZE && rindHead_.PreSectors != 0);
}

unsigned long CofranWriter::WriteRunIndex(_KS_VOLUME& volume)
{
    KSRindHeadToBytes(rindHead_, runIndex_.data());
    const uint64_t at = StreamPosition();
    // Run indexes are never compressed or encrypted.
    const unsigned long rc = WriteBytes(runIndex_.data(), runUsed_);
    if (KSFailed(rc))
        return rc;
    volume.RunIndexOffset = at;
    volume.RunIndexRawSize = runUsed_;
    volume.RunIndexStoredSize = runUsed_;
    return 0;
}

unsigned long CofranWriter::WriteVolumeList()
{
    wtail_.DataLength = buffer_.Position() - wtail_.DataStart;
    KSSetTailVolumeListPos(wtail_, buffer_.Position());
    const std::vector<unsigned char> volumes = EncodeList<_KS_VOLUME, EncodeVolume>(volumes_, KS_VOLUME_SIZE);
    wtail_.VolumeListRaw = static_cast<uint32_t>(volumes.size());
    return WriteBlob(KS_GROUP_DIR, volumes.data(), wtail_.VolumeListRaw, &wtail_.VolumeListStored);
}
