// The raw disk behind a disk number, as a descriptor: on Linux the disk map's disk
// (a device node or a disk-image file) read with pread, on Windows
// "\\.\PhysicalDriveN" through the Win32 file calls. CHardDriveIO uses these when no
// device was loaded.
#pragma once

// Opens disk n for reading and writing, or for reading alone when writing is refused;
// -1 when there is no such disk or it cannot be opened.
int OpenRawDisk(int diskNumber);
bool CloseRawDisk(int fd);
// length bytes at offset; false on an error or at the end of the disk.
bool ReadRawDisk(int fd, unsigned char* buffer, long long offset, long long length);
// A disk does not grow: a range past its end is refused before anything is written.
bool WriteRawDisk(int fd, const unsigned char* buffer, long long offset, long long length);
