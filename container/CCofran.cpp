// Life cycle and opening of the image container object, and the operations it
// hands to its parts.
#include "CCofran.h"

#include <atomic>

#include "CofranResult.h"

namespace {
std::atomic<long> g_liveObjects{0};
} // namespace

CCofran::CCofran()
{
    g_liveObjects.fetch_add(1);
}

CCofran::~CCofran()
{
    DeleteWriter();
    g_liveObjects.fetch_sub(1);
}

long CCofran::LiveObjects()
{
    return g_liveObjects.load();
}

unsigned long CCofran::Release()
{
    CloseCofran();
    delete this;
    return 0;
}

unsigned long CCofran::SetTempPath(const wchar_t* folder)
{
    if (folder == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    CofranText f;
    if (!f.assign(folder) || ((f.empty() || f[f.size() - 1] != L'/') && !f.append(L'/')))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    // The folder, its separator and an index temp file's name must fit a path.
    if (f.size() > KS_PATH_CHARS - 1)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    session_.tempFolder = static_cast<CofranText&&>(f);
    return 0;
}

unsigned long CCofran::SetCallBack(KS_IMG_CALLBACK callback, void* context)
{
    if (callback == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    session_.callback = callback;
    session_.callbackContext = context;
    return 0;
}

unsigned long CCofran::OpenCofran(const wchar_t* path, unsigned long mode, const wchar_t* password,
                                  unsigned long passwordBytes)
{
    if (path == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    CloseCofran();
    // Every open starts a new set: nothing of a set opened before may leak into it.
    session_.folder.clear();
    session_.baseName.clear();

    const unsigned long rc = session_.SetPassword(password, passwordBytes);
    if (KSFailed(rc))
        return rc;
    const unsigned long use = mode & KS_OPEN_USE_MASK;
    if (use > KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    session_.openMode = mode;
    const unsigned long opened = use == KS_OPEN_BACKUP ? OpenForBackup(path) : file_.Open(path);
    if (KSFailed(opened))
        session_.openMode = 0;
    return opened;
}

unsigned long CCofran::CloseCofran()
{
    reader_.CloseVolume();
    CloseWriter();
    file_.Forget();
    session_.openMode = 0;
    session_.ForgetPassword();
    return 0;
}

// ---- the set's files

unsigned long CCofran::SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars,
                                        unsigned long byNameNumber)
{
    return setFiles_.SearchLastCofran(path, out, outChars, byNameNumber);
}

unsigned long CCofran::GetBackupImg(_KS_IMG* list, unsigned long* count)
{
    return setFiles_.GetBackupImg(list, count);
}

unsigned long CCofran::GetBackupImg(GUID setId, const wchar_t* path, _KS_IMG* list, unsigned long* count,
                                    unsigned long searchMode)
{
    return setFiles_.GetBackupImg(setId, path, list, count, searchMode);
}

unsigned long CCofran::GetLabelNoFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                            const _KS_CDINFO* labels, unsigned long labelCount,
                                            const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                            unsigned long long offset, unsigned long* labelIndex,
                                            unsigned long* fileNumber)
{
    return setFiles_.GetLabelNoFromOffset(versions, versionCount, labels, labelCount, names, nameCount, offset,
                                          labelIndex, fileNumber);
}

unsigned long CCofran::GetCofranNameFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                               const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                               unsigned long long offset, wchar_t* out, unsigned long outChars,
                                               unsigned long* fileNumber)
{
    return setFiles_.GetCofranNameFromOffset(versions, versionCount, names, nameCount, offset, out, outChars,
                                             fileNumber);
}

unsigned long CCofran::GetCofranNameFromCofranNo(const _KS_VERSION* versions, unsigned long versionCount,
                                                 const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                                 unsigned long long fileNumber, wchar_t* out, unsigned long outChars)
{
    return setFiles_.GetCofranNameFromCofranNo(versions, versionCount, names, nameCount, fileNumber, out, outChars);
}

unsigned long CCofran::CheckCofranVer(const _KS_VERSION* version)
{
    return setFiles_.CheckCofranVer(version);
}

// ---- the volume reader

unsigned long CCofran::GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes)
{
    return reader_.GetVolumeBitmap(volume, bitmap, bytes);
}

unsigned long CCofran::OpenVolume(_KS_VOLUME* volume)
{
    return reader_.OpenVolume(volume);
}

unsigned long CCofran::GetNextBlockInfo(_KS_BLOCK* block, unsigned long reserved)
{
    return reader_.GetNextBlockInfo(block, reserved);
}

unsigned long CCofran::ReadBlock(const _KS_BLOCK* block, void* buffer)
{
    return reader_.ReadBlock(block, buffer);
}

unsigned long CCofran::CheckVolume()
{
    return reader_.CheckVolume();
}

unsigned long CCofran::CheckNextBlock(_KS_BLOCK* block)
{
    return reader_.CheckNextBlock(block);
}

unsigned long CCofran::ReadData(unsigned long firstCluster, void* buffer, unsigned long clusters,
                                unsigned long* clustersRead)
{
    return reader_.ReadData(firstCluster, buffer, clusters, clustersRead);
}

unsigned long CCofran::ReadSector(long long firstSector, void* buffer, unsigned long count, unsigned long* sectorsRead,
                                  unsigned long reserved)
{
    return reader_.ReadSector(firstSector, buffer, count, sectorsRead, reserved);
}

unsigned long CCofran::CloseVolume()
{
    return reader_.CloseVolume();
}
