// The directory of the open set: versions, disc labels, file names, volumes,
// filters and comment, and the set's description.
#include <cstring>

#include "CCofran.h"
#include "CofranResult.h"
#include "ImageNaming.h"
#include "Utf16Text.h"
#include "VersionChain.h"

unsigned long CCofran::CheckListCall(const void* buffer, bool lastFileOnly) const
{
    if (buffer == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (lastFileOnly && file_.Tail().EndState != KS_TAIL_SET_COMPLETE)
        return COFRAN_FAIL(KS_KIND_SET_INCOMPLETE);
    return 0;
}

unsigned long CCofran::GetBackupVer(_KS_VERSION* versions, unsigned long count)
{
    unsigned long rc = CheckListCall(versions, true);
    if (KSFailed(rc))
        return rc;
    if (static_cast<uint64_t>(count) * KS_VERSION_SIZE < file_.Tail().VersionListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranBuffer<_KS_VERSION> list;
    if (KSFailed(rc = file_.LoadVersions(list)))
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
    if (static_cast<uint64_t>(count) * KS_CDINFO_SIZE < file_.Tail().LabelListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranBuffer<_KS_CDINFO> list;
    if (KSFailed(rc = file_.LoadLabels(list)))
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
    if (static_cast<uint64_t>(count) * KS_IMGNAME_NO_SIZE < file_.Tail().NameListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranBuffer<_KS_IMGNAME_NO> list;
    if (KSFailed(rc = file_.LoadNames(list)))
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
    if (static_cast<uint64_t>(count) * KS_VOLUME_SIZE < file_.Tail().VolumeListRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranBuffer<_KS_VOLUME> list;
    if (KSFailed(rc = file_.LoadVolumes(list)))
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
    if (file_.Tail().FiltersRaw == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (bytes < file_.Tail().FiltersRaw)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranBuffer<unsigned char> raw;
    if (KSFailed(rc = file_.ReadDirectoryBlob(file_.Tail().FiltersPos, file_.Tail().FiltersRaw, file_.Tail().FiltersStored, KS_GROUP_FILTERS,
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
    if (file_.Tail().CommentRaw == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (file_.Tail().CommentRaw % 2 != 0)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    const uint32_t units = file_.Tail().CommentRaw / 2;
    if (chars < units)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranBuffer<unsigned char> raw;
    if (KSFailed(rc = file_.ReadDirectoryBlob(file_.Tail().CommentPos, file_.Tail().CommentRaw, file_.Tail().CommentStored, KS_GROUP_FILTERS,
                                        raw)))
        return rc;
    // Stored as UTF-16 so that sets read the same on every platform.
    CofranBuffer<char16_t> stored;
    CofranText text;
    if (!stored.resize(units))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    for (uint32_t i = 0; i < units; ++i)
        stored[i] = static_cast<char16_t>(LoadLE16(raw.data() + 2 * i));
    if (!Utf16Text::FromUtf16(stored.data(), units, text))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    // A blob without its NUL still ends in one: the last character gives way.
    ImageNaming::CopyOutCut(text.c_str(), comment, chars);
    return 0;
}

unsigned long CCofran::GetCofranInfo(_KS_IMG_FILE_INFO* info)
{
    unsigned long rc = CheckListCall(info, false);
    if (KSFailed(rc))
        return rc;
    if (file_.Tail().LabelListRaw % KS_CDINFO_SIZE != 0 || file_.Tail().LabelCount != file_.Tail().LabelListRaw / KS_CDINFO_SIZE)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    CofranBuffer<_KS_VERSION> versions;
    if (KSFailed(rc = file_.LoadVersions(versions)))
        return rc;
    const uint64_t needed = versions.empty() ? 0 : VersionChain::FileCount(versions.data(), versions.size() - 1);
    if (needed > file_.Tail().NameListRaw / KS_IMGNAME_NO_SIZE)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);

    _KS_IMG_FILE_INFO out;
    std::memset(&out, 0, sizeof out);
    out.Size = sizeof(_KS_IMG_FILE_INFO);
    out.Version = file_.Head().Version;
    out.Flags = file_.Head().Flags;
    out.LastVersion = file_.Head().VersionIndex;
    std::memcpy(out.SetId, file_.Head().SetId, sizeof out.SetId);
    out.VersionCount = static_cast<uint32_t>(versions.size());
    out.LabelCount = file_.Tail().LabelCount;
    out.FiltersLength = file_.Tail().FiltersRaw;
    out.VolumeCount = file_.Tail().VolumeListRaw / KS_VOLUME_SIZE;
    // UTF-16 units: never fewer than the characters, so a buffer of this size holds it.
    out.CommentLength = file_.Tail().CommentRaw / 2;
    out.NeededFiles = static_cast<uint32_t>(needed);
    *info = out;
    return 0;
}
