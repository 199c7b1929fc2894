#include "CLineFile.h"

#include <algorithm>

bool CLineFile::Open(const std::wstring& path, Mode mode)
{
    Close();
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    switch (mode) {
    case Read:
        break;
    case Write:
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        break;
    case ReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
        break;
    case Append:
        access = GENERIC_READ | GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
        break;
    case CreateNew:
        access = GENERIC_READ | GENERIC_WRITE;
        disposition = CREATE_NEW;
        break;
    }
    file_ = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    position_ = 0;
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    return mode == Append ? SeekToEnd() : true;
}

bool CLineFile::ReadLine(std::string& line, size_t maxBytes)
{
    line.clear();
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    char chunk[512];
    while (line.size() < maxBytes) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, maxBytes - line.size()));
        DWORD got = 0;
        if (!ReadFile(file_, chunk, want, &got, nullptr) || got == 0)
            break;
        size_t take = got;
        for (size_t i = 0; i < got; ++i)
            if (chunk[i] == '\n') {
                take = i + 1;
                break;
            }
        line.append(chunk, take);
        position_ += take;
        if (take < got) {
            Seek(position_);
            break;
        }
        if (chunk[take - 1] == '\n')
            break;
    }
    return !line.empty();
}

bool CLineFile::WriteLine(const std::string& text)
{
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    std::string data = text;
    if (data.size() < 2 || data.compare(data.size() - 2, 2, "\r\n") != 0)
        data += "\r\n";
    DWORD written = 0;
    const BOOL ok = WriteFile(file_, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    position_ += written;
    return ok && written == data.size();
}

uint64_t CLineFile::Size() const
{
    LARGE_INTEGER size{};
    return file_ != INVALID_HANDLE_VALUE && GetFileSizeEx(file_, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

bool CLineFile::Seek(uint64_t position)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(position);
    if (file_ == INVALID_HANDLE_VALUE || !SetFilePointerEx(file_, distance, nullptr, FILE_BEGIN))
        return false;
    position_ = position;
    return true;
}

bool CLineFile::SeekToEnd() { return Seek(Size()); }

void CLineFile::Close()
{
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    position_ = 0;
}
