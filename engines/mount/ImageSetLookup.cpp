#include "ImageSetLookup.h"

#include "IKSCofran.h"
#include "KSImageFormat.h"
#include "KSResult.h"
#include "MountKinds.h"

#include <cwchar>
#include <new>
#include <vector>

namespace {

// Releases the container object and closes whatever it has open.
struct ContainerHolder {
    IKSCofran* object = nullptr;
    ~ContainerHolder()
    {
        if (object != nullptr) {
            object->CloseCofran();
            object->Release();
        }
    }
};

unsigned long ReadSet(IKSCofran& set, const wchar_t* image, const _KS_VOLUME& volume, const wchar_t* password,
                      std::wstring& out)
{
    wchar_t last[KS_PATH_CHARS] = {};
    unsigned long rc = set.SearchLastCofran(image, last, KS_PATH_CHARS, 0);
    if (rc != 0)
        return rc;
    const unsigned long passwordBytes =
        password != nullptr ? static_cast<unsigned long>(std::wcslen(password) * sizeof(wchar_t)) : 0;
    if ((rc = set.OpenCofran(last, 0, password, passwordBytes)) != 0)
        return rc;
    out = last;
    _KS_IMG_FILE_INFO info = {};
    info.Size = sizeof info;
    if ((rc = set.GetCofranInfo(&info)) != 0)
        return rc;
    if (info.VersionCount > 0) {
        std::vector<_KS_VERSION> versions(info.VersionCount);
        if ((rc = set.GetBackupVer(versions.data(), info.VersionCount)) != 0)
            return rc;
        if ((rc = set.CheckCofranVer(&versions.back())) != 0)
            return rc;
    }
    unsigned long count = 0;
    if ((rc = set.GetBackupImg(nullptr, &count)) != 0)
        return rc;
    std::vector<_KS_IMG> files(count);
    if (count > 0 && (rc = set.GetBackupImg(files.data(), &count)) != 0)
        return rc;
    for (unsigned long i = 0; i < count && i < files.size(); ++i) {
        const _KS_IMG& file = files[i];
        if (volume.RunIndexOffset >= file.Base && volume.RunIndexOffset - file.Base < file.DataLength) {
            out = file.Path;
            break;
        }
    }
    return 0;
}

} // namespace

unsigned long FindVolumeImageFile(const wchar_t* image, const _KS_VOLUME& volume, const wchar_t* password,
                                  std::wstring& out)
{
    ContainerHolder holder;
    void* object = nullptr;
    const unsigned long rc = KSCreateObjectImg(0x10000, 1, &object);
    if (rc != 0)
        return rc;
    holder.object = static_cast<IKSCofran*>(object);
    return ReadSet(*holder.object, image, volume, password, out);
}
