// The directory of the open set: versions, disc labels, file names, volumes,
// filters and comment, and the set's description.
#include <cstring>

#include "BlobReader.h"
#include "CCofran.h"
#include "CofranResult.h"
#include "DirectoryLists.h"
#include "Utf16Text.h"
#include "VersionChain.h"

BlobCodec::Settings CCofran::ReaderSettings()
{
    return DirectoryLists::SettingsFor(rhead_, &cipher_);
}

unsigned long CCofran::ReadDirectoryBlob(uint32_t pos, uint32_t raw, uint32_t stored, KSBlobGroup group,
                                         std::vector<unsigned char>& out)
{
    return ReadBlobAt(reader_, codec_, ReaderSettings(), group, pos, raw, stored, out);
}

unsigned long CCofran::LoadVersions(std::vector<_KS_VERSION>& out)
{
    return DirectoryLists::Versions(reader_, codec_, ReaderSettings(), rtail_, out);
}

unsigned long CCofran::LoadLabels(std::vector<_KS_CDINFO>& out)
{
    return DirectoryLists::Labels(reader_, codec_, ReaderSettings(), rtail_, out);
}

unsigned long CCofran::LoadNames(std::vector<_KS_IMGNAME_NO>& out)
{
    return DirectoryLists::Names(reader_, codec_, ReaderSettings(), rtail_, out);
}

unsigned long CCofran::LoadVolumes(std::vector<_KS_VOLUME>& out)
{
    return DirectoryLists::Volumes(reader_, codec_, ReaderSettings(), rtail_, out);
}

unsigned long CCofran::CheckListCall(const void* buffer, bool lastFileOnly) const
{
    if (buffer == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!SetOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (lastFileOnly && rtail_.EndState != KS_TAIL_SET_COMPLETE)
        return COFRAN_FAIL(KS_KIND_SET_INCOMPLETE);
    return 0;
}

unsigned long CCofran::GetBackupVer(_KS_VERSION* versions, unsigned long count)
{
    unsigned long rc = CheckListCall(versions, true);
    if (KSFailed(rc))
        return rc;
    if (static_cast<uint64_t>(count) * KS_VERSION_SIZE < rtail_.VersionListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    std::vector<_KS_VERSION> list;
    if (KSFailed(rc = LoadVersions(list)))
        return rc;
    if (!list.empty())
        std::memcpy(versions, list.data(), list.size() * sizeof(_KS_VERSION));
    return 0;
}

unsigned long CCofran::GetBackupCdInfo(_KS_CDINFO* labels, unsigned long count)
{
    unsigned long rc = CheckListCall(labels, true);
    if (KSFailed(rc))
        return rc;
    if (static_cast<uint64_t>(count) * KS_CDINFO_SIZE < rtail_.LabelListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    std::vector<_KS_CDINFO> list;
    if (KSFailed(rc = LoadLabels(list)))
        return rc;
    if (list.empty())
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT); // a set on hard disk has no labels
    std::memcpy(labels, list.data(), list.size() * sizeof(_KS_CDINFO));
    return 0;
}

unsigned long CCofran::GetBackupImgNameInfo(_KS_IMGNAME_NO* names, unsigned long count)
{
    unsigned long rc = CheckListCall(names, true);
    if (KSFailed(rc))
        return rc;
    if (static_cast<uint64_t>(count) * KS_IMGNAME_NO_SIZE < rtail_.NameListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    std::vector<_KS_IMGNAME_NO> list;
    if (KSFailed(rc = LoadNames(list)))
        return rc;
    if (!list.empty())
        std::memcpy(names, list.data(), list.size() * sizeof(_KS_IMGNAME_NO));
    return 0;
}

unsigned long CCofran::GetVolumes(_KS_VOLUME* volumes, unsigned long count)
{
    unsigned long rc = CheckListCall(volumes, true);
    if (KSFailed(rc))
        return rc;
    if (static_cast<uint64_t>(count) * KS_VOLUME_SIZE < rtail_.VolumeListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    std::vector<_KS_VOLUME> list;
    if (KSFailed(rc = LoadVolumes(list)))
        return rc;
    if (!list.empty())
        std::memcpy(volumes, list.data(), list.size() * sizeof(_KS_VOLUME));
    return 0;
}

unsigned long CCofran::GetFilters(_KS_FILTERS_HEAD* filters, unsigned long bytes)
{
    unsigned long rc = CheckListCall(filters, false);
    if (KSFailed(rc))
        return rc;
    if (rtail_.FiltersRaw == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (bytes < rtail_.FiltersRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    std::vector<unsigned char> raw;
    if (KSFailed(rc = ReadDirectoryBlob(rtail_.FiltersPos, rtail_.FiltersRaw, rtail_.FiltersStored, KS_GROUP_FILTERS,
                                        raw)))
        return rc;
    std::memcpy(filters, raw.data(), raw.size());
    return 0;
}

unsigned long CCofran::GetComment(wchar_t* comment, unsigned long chars)
{
    unsigned long rc = CheckListCall(comment, false);
    if (KSFailed(rc))
        return rc;
    if (rtail_.CommentRaw == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (rtail_.CommentRaw % 2 != 0)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    const uint32_t units = rtail_.CommentRaw / 2;
    if (chars < units)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    std::vector<unsigned char> raw;
    if (KSFailed(rc = ReadDirectoryBlob(rtail_.CommentPos, rtail_.CommentRaw, rtail_.CommentStored, KS_GROUP_FILTERS,
                                        raw)))
        return rc;
    // Stored as UTF-16 so that sets read the same on every platform.
    std::u16string stored(units, u'\0');
    for (uint32_t i = 0; i < units; ++i)
        stored[i] = static_cast<char16_t>(LoadLE16(raw.data() + 2 * i));
    const std::wstring text = Utf16Text::FromUtf16(stored.data(), units);
    // A blob without its NUL still ends in one: the last character gives way.
    const size_t length = text.size() < chars ? text.size() : chars - 1;
    text.copy(comment, length);
    comment[length] = 0;
    return 0;
}

unsigned long CCofran::GetCofranInfo(_KS_IMG_FILE_INFO* info)
{
    unsigned long rc = CheckListCall(info, false);
    if (KSFailed(rc))
        return rc;
    if (rtail_.LabelListRaw % KS_CDINFO_SIZE != 0 || rtail_.LabelCount != rtail_.LabelListRaw / KS_CDINFO_SIZE)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    std::vector<_KS_VERSION> versions;
    if (KSFailed(rc = LoadVersions(versions)))
        return rc;
    const uint64_t needed = versions.empty() ? 0 : VersionChain::FileCount(versions, versions.size() - 1);
    if (needed > rtail_.NameListRaw / KS_IMGNAME_NO_SIZE)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);

    _KS_IMG_FILE_INFO out;
    std::memset(&out, 0, sizeof out);
    out.Size = sizeof(_KS_IMG_FILE_INFO);
    out.Version = rhead_.Version;
    out.Flags = rhead_.Flags;
    out.LastVersion = rhead_.VersionIndex;
    std::memcpy(out.SetId, rhead_.SetId, sizeof out.SetId);
    out.VersionCount = static_cast<uint32_t>(versions.size());
    out.LabelCount = rtail_.LabelCount;
    out.FiltersLength = rtail_.FiltersRaw;
    out.VolumeCount = rtail_.VolumeListRaw / KS_VOLUME_SIZE;
    // UTF-16 units: never fewer than the characters, so a buffer of this size holds it.
    out.CommentLength = rtail_.CommentRaw / 2;
    out.NeededFiles = static_cast<uint32_t>(needed);
    *info = out;
    return 0;
}
