// Life cycle and opening of the image container object.
#include "CCofran.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "BlobReader.h"
#include "CofranResult.h"
#include "ImageEnds.h"
#include "ImageNaming.h"
#include "Utf16Text.h"
#include "KSGuid.h"
#include "PasswordKey.h"
#include "PasswordText.h"

namespace {
std::atomic<long> g_liveObjects{0};

constexpr unsigned long kMaxPasswordBytes = 259;
} // namespace

CCofran::CCofran()
{
    std::memset(password_, 0, sizeof password_);
    std::memset(&whead_, 0, sizeof whead_);
    std::memset(&wtail_, 0, sizeof wtail_);
    std::memset(&rhead_, 0, sizeof rhead_);
    std::memset(&rtail_, 0, sizeof rtail_);
    std::memset(&rindHead_, 0, sizeof rindHead_);
    std::memset(&openEntry_, 0, sizeof openEntry_);
    std::memset(&lastBlock_, 0, sizeof lastBlock_);
    std::memset(&curVol_, 0, sizeof curVol_);
    std::memset(&rRunHead_, 0, sizeof rRunHead_);
    g_liveObjects.fetch_add(1);
}

CCofran::~CCofran()
{
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
    std::wstring f(folder);
    if (f.empty() || f.back() != L'/')
        f.push_back(L'/');
    // The folder, its separator and an index temp file's name must fit a path.
    if (f.size() > KS_PATH_CHARS - 1)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    tempFolder_ = f;
    return 0;
}

unsigned long CCofran::SetCallBack(KS_IMG_CALLBACK callback, void* context)
{
    if (callback == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    callback_ = callback;
    callbackContext_ = context;
    return 0;
}

unsigned long CCofran::SetPassword(const wchar_t* password, unsigned long bytes)
{
    std::memset(password_, 0, sizeof password_);
    passwordLength_ = 0;
    if (password == nullptr)
        return bytes == 0 ? 0 : COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const size_t chars = std::wcslen(password);
    if (bytes > kMaxPasswordBytes || bytes % sizeof(wchar_t) != 0 || bytes / sizeof(wchar_t) != chars)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (chars == 0)
        return 0;
    // UTF-8 whatever the locale: the key must not depend on the machine.
    unsigned long length = 0;
    if (!PasswordText::ToUtf8(password, password_, sizeof password_, &length))
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    passwordLength_ = length;
    const unsigned long rc = SetPasswordKey(&cipher_, password_, sizeof password_, passwordLength_);
    if (KSFailed(rc)) {
        std::memset(password_, 0, sizeof password_);
        passwordLength_ = 0;
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    }
    return 0;
}

unsigned long CCofran::OpenCofran(const wchar_t* path, unsigned long mode, const wchar_t* password,
                                  unsigned long passwordBytes)
{
    if (path == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    CloseCofran();
    // Every open starts a new set: nothing of a set opened before may leak into it.
    folder_.clear();
    baseName_.clear();
    labelPrefix_.clear();
    nameNumber_ = 0;
    labelCounter_ = 0;

    const unsigned long rc = SetPassword(password, passwordBytes);
    if (KSFailed(rc))
        return rc;
    const unsigned long use = mode & KS_OPEN_USE_MASK;
    if (use > KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    openMode_ = mode;
    const unsigned long opened = use == KS_OPEN_BACKUP ? OpenForBackup(path) : OpenForReading(path);
    if (KSFailed(opened))
        openMode_ = 0;
    return opened;
}

unsigned long CCofran::CheckPassword(const _KS_IMG_HEAD& head) const
{
    if ((head.Flags & KS_FLAG_ENCRYPT_ALL) == 0)
        return 0;
    if (Use() == KS_OPEN_BACKUP && (openMode_ & KS_OPEN_NO_PASSWORD_CHECK) != 0)
        return 0;
    unsigned char digest[16];
    if (passwordLength_ == 0 ||
        KSFailed(MakePasswordDigest(password_, sizeof password_, passwordLength_, digest)) ||
        std::memcmp(digest, head.PasswordDigest, sizeof digest) != 0)
        return COFRAN_FAIL(KS_KIND_WRONG_PASSWORD);
    return 0;
}

unsigned long CCofran::OpenFileForReading(const std::wstring& path)
{
    if (path.size() >= KS_PATH_CHARS)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    reader_.Close();
    _KS_IMG_HEAD head;
    _KS_IMG_TAIL tail;
    unsigned long rc = OpenImageEnds(reader_, path.c_str(), &head, &tail);
    if (KSFailed(rc))
        return rc;
    rc = CheckPassword(head);
    if (KSFailed(rc)) {
        reader_.Close();
        return rc;
    }
    rhead_ = head;
    rtail_ = tail;
    if (baseName_.empty())
        baseName_ = Utf16Text::FromUtf16(head.BaseName, KS_BASE_NAME_UNITS);
    if (folder_.empty())
        folder_ = ImageNaming::FolderOf(path);
    openPath_ = path;
    return 0;
}

unsigned long CCofran::OpenForReading(const wchar_t* path)
{
    CloseVolume();
    return OpenFileForReading(path);
}

bool CCofran::NoImageEndsAt(const wchar_t* path)
{
    // Nothing to read there, or too little for a head and a tail.
    CofranFile file;
    uint64_t size = 0;
    return !file.OpenRead(path) || !file.Size(&size) || size < KS_IMG_HEAD_SIZE + KS_IMG_TAIL_SIZE;
}

unsigned long CCofran::OpenForBackup(const wchar_t* path)
{
    if (std::wcslen(path) >= KS_PATH_CHARS)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    ResetWriter();
    ImageNaming::SplitSetPath(path, folder_, baseName_);

    CofranFile probe;
    _KS_IMG_HEAD head;
    _KS_IMG_TAIL tail;
    const unsigned long ends = OpenImageEnds(probe, path, &head, &tail);
    if (KSFailed(ends) && !NoImageEndsAt(path)) {
        // A file that holds a head and a tail but not valid ones is refused: taking
        // it for a new set would let BeginBackup overwrite it.
        return ends;
    }
    if (KSFailed(ends)) {
        // A new set.
        std::memset(&whead_, 0, sizeof whead_);
        whead_.Magic = KS_IMG_MAGIC;
        whead_.HeadSize = KS_IMG_HEAD_SIZE;
        whead_.Version = KS_IMG_VERSION;
        GUID id;
        if (KSFailed(KSCreateGuid(&id)))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        std::memcpy(whead_.SetId, &id, 16);
        std::memset(&wtail_, 0, sizeof wtail_);
        wtail_.Magic = KS_IMG_MAGIC;
        wtail_.Version = KS_IMG_VERSION;
        wtail_.TailSize = KS_IMG_TAIL_SIZE;
        nameNumber_ = 0;
        labelCounter_ = 0;
        Utf16Text::ToUtf16(baseName_, whead_.BaseName, KS_BASE_NAME_UNITS);
    } else {
        probe.Close();
        // Appending to a complete set.
        if (tail.EndState != KS_TAIL_SET_COMPLETE)
            return COFRAN_FAIL(KS_KIND_SET_INCOMPLETE);
        unsigned long rc = OpenForReading(path);
        if (KSFailed(rc))
            return rc;
        std::vector<_KS_VERSION> versions;
        std::vector<_KS_CDINFO> labels;
        std::vector<_KS_IMGNAME_NO> names;
        if (KSFailed(rc = LoadVersions(versions)) || KSFailed(rc = LoadLabels(labels)) ||
            KSFailed(rc = LoadNames(names))) {
            reader_.Close();
            return rc;
        }
        whead_ = head;
        wtail_ = tail;
        whead_.HeadSize = KS_IMG_HEAD_SIZE;
        whead_.Version = KS_IMG_VERSION;
        wtail_.TailSize = KS_IMG_TAIL_SIZE;
        wtail_.Version = KS_IMG_VERSION;
        baseName_ = Utf16Text::FromUtf16(head.BaseName, KS_BASE_NAME_UNITS);
        // The next file's predecessor is the file opened here.
        Utf16Text::ToUtf16(path, whead_.PrevPath, KS_HEAD_PATH_UNITS);
        nameNumber_ = head.NameNumber + 1;
        labelCounter_ = tail.LabelCount;
        versions_ = std::move(versions);
        labels_ = std::move(labels);
        names_ = std::move(names);
    }
    labelPrefix_ = baseName_.substr(0, 8);
    writerOpen_ = true;
    return 0;
}

unsigned long CCofran::CloseCofran()
{
    CloseVolume();
    if (writing_) {
        // An unfinished file keeps no tail: nothing claims it is complete.
        out_.Close();
        writing_ = false;
    }
    ResetWriter();
    reader_.Close();
    writerOpen_ = false;
    openMode_ = 0;
    openPath_.clear();
    std::memset(password_, 0, sizeof password_);
    passwordLength_ = 0;
    codec_.Release();
    return 0;
}
