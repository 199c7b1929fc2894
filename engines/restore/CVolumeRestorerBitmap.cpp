// The used-cluster bitmap of a volume in the chosen version. Each file of a split
// set answers only for the index chunks it holds, so a volume that runs over several
// files has its bitmap in pieces: the pieces are joined, newest file first, down to
// the file where the volume begins.
#include "CVolumeRestorer.h"
#include "KSResult.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

unsigned long CVolumeRestorer::ReadSetBitmap(const _KS_VOLUME& source, uint32_t lastFile, std::vector<uint8_t>& bitmap)
{
    uint32_t firstFile = lastFile;
    for (const _KS_VERSION& v : versions_)
        if (v.Index == version_.Index && v.FirstFile <= lastFile)
            firstFile = v.FirstFile;
    bitmap.assign(source.BitmapSize, 0);
    for (uint32_t n = lastFile + 1; n-- > firstFile;) {
        std::wstring path;
        unsigned long result = EnsureFile(n, path);
        if (result != 0)
            return result;
        result = image_->OpenCofran(path.c_str(), KS_OPEN_INDEX_ANY_FILE, engine_.Password(), engine_.PasswordBytes());
        if (result == 0) {
            // The container adds this file's clusters to what the bitmap holds.
            _KS_VOLUME volume = source;
            result = image_->GetVolumeBitmap(&volume, bitmap.data(), source.BitmapSize);
            image_->CloseCofran();
        }
        // A file that does not list the volume lies before its beginning, and so
        // does every older one.
        if (KSResultKind(result) == kOutsideFile)
            return n == lastFile ? KS_RESULT(KS_MODULE_RESTORE, kVolumeNotInFile) : 0;
        if (result != 0)
            return result;
    }
    return 0;
}
