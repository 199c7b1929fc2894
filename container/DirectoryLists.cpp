#include "DirectoryLists.h"

#include "BlobReader.h"
#include "CofranResult.h"

namespace {

// Decodes a list of fixed-size records; kind 0x00C when the raw size is not a
// whole number of records, 0x008 when there is no memory for the list.
template <typename T, void (*Decode)(const unsigned char*, T&)>
unsigned long DecodeList(const CofranBuffer<unsigned char>& raw, size_t recordSize, CofranBuffer<T>& out)
{
    out.clear();
    if (raw.size() % recordSize != 0)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (!out.resize(raw.size() / recordSize))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    for (size_t i = 0; i < out.size(); ++i)
        Decode(raw.data() + i * recordSize, out[i]);
    return 0;
}

void DecodeVersion(const unsigned char* in, _KS_VERSION& v) { KSVersionFromBytes(in, v); }
void DecodeLabel(const unsigned char* in, _KS_CDINFO& c) { KSCdInfoFromBytes(in, c); }
void DecodeName(const unsigned char* in, _KS_IMGNAME_NO& n) { KSImgNameNoFromBytes(in, n); }
void DecodeVolume(const unsigned char* in, _KS_VOLUME& v) { KSVolumeFromBytes(in, v); }

} // namespace

BlobCodec::Settings DirectoryLists::SettingsFor(const _KS_IMG_HEAD& head, AesCipher* cipher)
{
    BlobCodec::Settings s;
    s.flags = head.Flags;
    s.level = head.Level;
    s.cipherMode = head.CipherMode;
    s.cipher = cipher;
    return s;
}

unsigned long DirectoryLists::Versions(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                       const _KS_IMG_TAIL& tail, CofranBuffer<_KS_VERSION>& out)
{
    CofranBuffer<unsigned char> raw;
    const unsigned long rc = ReadBlobAt(file, codec, settings, KS_GROUP_DIR, tail.VersionListPos,
                                        tail.VersionListRaw, tail.VersionListStored, raw);
    return KSFailed(rc) ? rc : DecodeList<_KS_VERSION, DecodeVersion>(raw, KS_VERSION_SIZE, out);
}

unsigned long DirectoryLists::Labels(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                     const _KS_IMG_TAIL& tail, CofranBuffer<_KS_CDINFO>& out)
{
    CofranBuffer<unsigned char> raw;
    const unsigned long rc = ReadBlobAt(file, codec, settings, KS_GROUP_DIR, tail.LabelListPos, tail.LabelListRaw,
                                        tail.LabelListStored, raw);
    return KSFailed(rc) ? rc : DecodeList<_KS_CDINFO, DecodeLabel>(raw, KS_CDINFO_SIZE, out);
}

unsigned long DirectoryLists::Names(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                    const _KS_IMG_TAIL& tail, CofranBuffer<_KS_IMGNAME_NO>& out)
{
    CofranBuffer<unsigned char> raw;
    const unsigned long rc = ReadBlobAt(file, codec, settings, KS_GROUP_DIR, tail.NameListPos, tail.NameListRaw,
                                        tail.NameListStored, raw);
    return KSFailed(rc) ? rc : DecodeList<_KS_IMGNAME_NO, DecodeName>(raw, KS_IMGNAME_NO_SIZE, out);
}

unsigned long DirectoryLists::Volumes(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                      const _KS_IMG_TAIL& tail, CofranBuffer<_KS_VOLUME>& out)
{
    CofranBuffer<unsigned char> raw;
    const unsigned long rc = ReadBlobAt(file, codec, settings, KS_GROUP_DIR, KSTailVolumeListPos(tail), tail.VolumeListRaw,
                                        tail.VolumeListStored, raw);
    return KSFailed(rc) ? rc : DecodeList<_KS_VOLUME, DecodeVolume>(raw, KS_VOLUME_SIZE, out);
}
