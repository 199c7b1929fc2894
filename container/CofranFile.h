// One image file reached through the Win32 file calls: opened, read and written at
// explicit 64-bit positions, sized and cut. Closes itself when it dies.
#pragma once

#include <cstdint>

#include <windows.h>

#include "CofranText.h"

class CofranFile {
public:
    CofranFile() = default;
    ~CofranFile() { Close(); }
    CofranFile(const CofranFile&) = delete;
    CofranFile& operator=(const CofranFile&) = delete;

    // Read-only, shared for reading.
    bool OpenRead(const wchar_t* path);
    // A new file that must not exist yet (false with ERROR_ALREADY_EXISTS when it does).
    bool CreateNew(const wchar_t* path);
    // Existing file, read and write.
    bool OpenReadWrite(const wchar_t* path);
    // Always created anew, read and write, shared for reading. With direct set the
    // file is opened unbuffered first and buffered when the file system refuses that.
    bool Create(const wchar_t* path, bool direct);

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool IsDirect() const { return direct_; }
    // Reopens a file made with Create(direct) as an ordinary buffered file, for
    // file systems that accept the unbuffered open but refuse the writes.
    bool ReopenBuffered();
    void Close();

    // Reads up to size bytes at pos; *done gets the count.
    bool ReadAt(uint64_t pos, void* buffer, uint32_t size, uint32_t* done);
    bool WriteAt(uint64_t pos, const void* data, uint32_t size, uint32_t* done);
    bool Size(uint64_t* size);
    bool Truncate(uint64_t size);

    // The layer's last error after a failed call.
    static unsigned long LastError() { return GetLastError(); }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    CofranText path_; // of a file made by Create, for reopening it
    bool direct_ = false;
};
