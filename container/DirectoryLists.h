// Reading the directory lists of one image file through the blob storage rule.
#pragma once

#include <vector>

#include "BlobCodec.h"
#include "CofranFile.h"
#include "KSImageFormat.h"

struct DirectoryLists {
    // Codec settings of the file whose head this is.
    static BlobCodec::Settings SettingsFor(const _KS_IMG_HEAD& head, AesCipher* cipher);

    static unsigned long Versions(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                  const _KS_IMG_TAIL& tail, std::vector<_KS_VERSION>& out);
    static unsigned long Labels(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                const _KS_IMG_TAIL& tail, std::vector<_KS_CDINFO>& out);
    static unsigned long Names(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                               const _KS_IMG_TAIL& tail, std::vector<_KS_IMGNAME_NO>& out);
    static unsigned long Volumes(CofranFile& file, BlobCodec& codec, const BlobCodec::Settings& settings,
                                 const _KS_IMG_TAIL& tail, std::vector<_KS_VOLUME>& out);
};
