#include "WriteBuffer.h"

#include <cstring>
#include <new>

#include "CofranResult.h"

bool WriteBuffer::Allocate()
{
    // Aligned operator new rather than std::aligned_alloc, which the Windows C
    // run-time does not have.
    if (data_ == nullptr)
        data_ = static_cast<unsigned char*>(::operator new(kSize, std::align_val_t(kPage), std::nothrow));
    return data_ != nullptr;
}

void WriteBuffer::Free()
{
    ::operator delete(data_, std::align_val_t(kPage));
    data_ = nullptr;
    fill_ = 0;
    first_ = 0;
    broken_ = false;
}

void WriteBuffer::Restart()
{
    fill_ = 0;
    first_ = 0;
    broken_ = false;
}

unsigned long WriteBuffer::WriteFailure(unsigned long systemError)
{
    switch (systemError) {
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return COFRAN_FAIL(KS_KIND_TARGET_FULL);
    case ERROR_INVALID_FUNCTION:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NETNAME_DELETED:
        return COFRAN_FAIL(KS_KIND_DEVICE_GONE);
    default:
        return COFRAN_FAIL(KS_KIND_WRITE_FAILED);
    }
}

unsigned long WriteBuffer::WritePiece(CofranFile& file, uint32_t length)
{
    uint32_t done = 0;
    bool ok = file.WriteAt(first_, data_, length, &done);
    if (!ok && file.IsDirect() && CofranFile::LastError() == ERROR_INVALID_PARAMETER) {
        // The file system took the unbuffered open but refuses unbuffered writes.
        if (!file.ReopenBuffered())
            return COFRAN_FAIL(KS_KIND_WRITE_FAILED);
        ok = file.WriteAt(first_, data_, length, &done);
    }
    if (!ok)
        return WriteFailure(CofranFile::LastError());
    if (done != length)
        return COFRAN_FAIL(KS_KIND_WRITE_FAILED);
    return 0;
}

unsigned long WriteBuffer::Append(CofranFile& file, uint64_t pos, const void* data, uint32_t size)
{
    if (data_ == nullptr)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (broken_)
        return COFRAN_FAIL(KS_KIND_WRITE_FAILED);
    if (pos != Position())
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    const unsigned char* in = static_cast<const unsigned char*>(data);
    const uint32_t oldFill = fill_;
    bool wrotePiece = false;
    while (size > 0) {
        const uint32_t room = kSize - fill_;
        const uint32_t take = size < room ? size : room;
        std::memcpy(data_ + fill_, in, take);
        fill_ += take;
        in += take;
        size -= take;
        if (fill_ == kSize) {
            const unsigned long rc = WritePiece(file, kSize);
            if (KSFailed(rc)) {
                if (wrotePiece)
                    broken_ = true; // bytes of this call already left the buffer
                else
                    fill_ = oldFill;
                return rc;
            }
            first_ += kSize;
            fill_ = 0;
            wrotePiece = true;
        }
    }
    return 0;
}

unsigned long WriteBuffer::Finish(CofranFile& file, const wchar_t* path)
{
    if (data_ == nullptr)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (broken_)
        return COFRAN_FAIL(KS_KIND_WRITE_FAILED);
    const uint32_t length = (fill_ & ~(kPage - 1)) + kPage;
    std::memset(data_ + fill_, 0, length - fill_);
    const unsigned long rc = WritePiece(file, length);
    if (KSFailed(rc)) {
        // Part of the last piece (and with it the tail) may have landed; drop it so
        // that the file cannot end with a tail.
        file.Truncate(first_);
        return rc;
    }
    const uint64_t end = first_ + fill_;
    file.Close();
    CofranFile cut;
    if (!cut.OpenReadWrite(path))
        return COFRAN_FAIL(KS_KIND_CREATE_FAILED);
    if (!cut.Truncate(end))
        return COFRAN_FAIL(KS_KIND_CUT_FAILED);
    first_ = end;
    fill_ = 0;
    return 0;
}
