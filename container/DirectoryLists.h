// Reading the directory lists of one image file through the blob storage rule.
// Kinds: those of the blob read, 0x00C for a list that is not whole records and
// 0x008 when memory runs out.
#pragma once

#include "BlobCodec.h"
#include "CofranBuffer.h"
#include "CofranFile.h"
#include "KSImageFormat.h"

struct DirectoryLists {
    // Codec settings of the file whose head this is.
    static BlobCodec::Settings SettingsFor(const _KS_IMG_HEAD& head, AesCipher* cipher);

    static unsigned long Versions(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                  const _KS_IMG_TAIL& tail, CofranBuffer<_KS_VERSION>& out);
    static unsigned long Labels(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                const _KS_IMG_TAIL& tail, CofranBuffer<_KS_CDINFO>& out);
    static unsigned long Names(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                               const _KS_IMG_TAIL& tail, CofranBuffer<_KS_IMGNAME_NO>& out);
    static unsigned long Volumes(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                 const _KS_IMG_TAIL& tail, CofranBuffer<_KS_VOLUME>& out);
};
