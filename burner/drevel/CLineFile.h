// A small file class over the Win32 file calls: open in one of five modes, read and
// write lines, size, seek and position. The drive tool reads the bus scan's
// "Temp.txt" with it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CLineFile {
public:
    enum Mode { Read, Write, ReadWrite, Append, CreateNew };

    CLineFile() = default;
    ~CLineFile() { Close(); }
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    bool Open(const std::wstring& path, Mode mode);
    // Up to and including a newline, at most maxBytes; false at the end of the file.
    bool ReadLine(std::string& line, size_t maxBytes = 269);
    // Adds "\r\n" unless the text already ends with it.
    bool WriteLine(const std::string& text);
    uint64_t Size() const;
    bool Seek(uint64_t position);
    bool SeekToStart() { return Seek(0); }
    bool SeekToEnd();
    uint64_t Position() const { return position_; }
    void Close();

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t position_ = 0;
};
