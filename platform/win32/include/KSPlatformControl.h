// Control of the engines' Win32 platform layer on Linux: what a real Windows machine
// would provide and tests (or our own stand-in modules) set up instead. None of this
// exists on Windows; code that ships there never includes this header.
//
// Everything here is process-wide and shared by every module of the process: the
// layer is one shared library (libKSWin32Platform.so in bin/).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// The drive table: drive letters and what stands behind them. Empty on a real
// machine. "X:\a\b" paths given to the file calls (and to the image container) name
// hostFolder + "/a/b"; "\\.\X:" opens the drive's volume, when it has one.

// A volume as a stretch of a disk of the disk map.
struct KSDriveVolume {
    unsigned disk = 0;          // disk-map number: the N of "\\.\PhysicalDriveN"
    uint64_t firstSector = 0;   // in 512-byte sectors
    uint64_t sectors = 0;       // length in 512-byte sectors
    bool writeProtected = false; // IOCTL_DISK_IS_WRITABLE fails with ERROR_WRITE_PROTECT; writes fail too
};

struct KSDriveEntry {
    char letter = 0;            // 'A' to 'Z' (lower case is taken as upper case)
    std::string hostFolder;     // where the drive's files are; may be empty for a volume alone
    UINT type = DRIVE_FIXED;    // GetDriveTypeW's answer
    uint64_t totalBytes = 0;    // GetDiskFreeSpace[Ex]W and _getdiskfree
    uint64_t freeBytes = 0;
    DWORD bytesPerSector = 512;
    DWORD sectorsPerCluster = 8;
    bool hasVolume = false;
    KSDriveVolume volume;
};

// Adds the drive or replaces the one with the same letter; false for a letter
// outside A to Z.
bool KSPlatformAddDrive(const KSDriveEntry& drive);
bool KSPlatformRemoveDrive(char letter);
void KSPlatformClearDrives();
bool KSPlatformFindDrive(char letter, KSDriveEntry& drive);
// The letter of the drive whose volume begins at firstSector of the disk (by disk-map
// number, or by the path of its bytes as the disk map gives it); 0 when none.
char KSPlatformDriveLetterOf(unsigned disk, uint64_t firstSector);
char KSPlatformDriveLetterOfPath(const std::string& diskPath, uint64_t firstSector);
// The host path a Win32 path names: "X:\a\b" through the drive table (empty when the
// letter is not in the table), any other path unchanged.
std::string KSPlatformHostPath(const wchar_t* path);

// ---------------------------------------------------------------------------
// Devices opened by CreateFileA/W as "\\.\NAME". Built in: "PhysicalDriveN" (the disk
// map's disk N) and "X:" (the drive table's volume). Registered names come first.

class KSDevice {
public:
    virtual ~KSDevice() = default;
    // Each returns ERROR_SUCCESS or the Win32 error the call fails with.
    virtual DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) = 0;
    virtual DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) = 0;
    virtual DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) = 0;
    // The size in bytes (SetFilePointerEx from FILE_END, GetFileSizeEx).
    virtual uint64_t Size() const = 0;
};

// Makes the device for one open with the given access (GENERIC_READ/GENERIC_WRITE);
// returns null and sets error to refuse the open.
using KSDeviceOpener = std::function<std::shared_ptr<KSDevice>(DWORD access, DWORD& error)>;

// name is what follows "\\.\", compared without regard to case. Replaces an earlier
// registration of the same name.
void KSPlatformRegisterDevice(const std::string& name, KSDeviceOpener opener);
void KSPlatformUnregisterDevice(const std::string& name);
// A family of names "PREFIX\REST": one opener answers every REST (given as it was
// written). A name registered on its own comes before its family.
using KSDeviceFamilyOpener = std::function<std::shared_ptr<KSDevice>(const std::string& rest, DWORD access,
                                                                     DWORD& error)>;
void KSPlatformRegisterDeviceFamily(const std::string& prefix, KSDeviceFamilyOpener opener);
void KSPlatformUnregisterDeviceFamily(const std::string& prefix);
void KSPlatformClearDevices();
// Inside an opener: the creation disposition (OPEN_EXISTING, CREATE_ALWAYS, ...) the
// CreateFile call that runs it was given; 0 outside an open.
DWORD KSPlatformDeviceOpenDisposition();

// ---------------------------------------------------------------------------
// Services of the service control manager. Empty on a real machine.

struct KSServiceScript {
    std::string name;
    DWORD state = SERVICE_STOPPED;             // SERVICE_STOPPED or SERVICE_RUNNING
    DWORD startError = ERROR_SUCCESS;          // StartServiceA fails with this when not 0
    DWORD stopError = ERROR_SUCCESS;           // ControlService(STOP) fails with this when not 0
};

struct KSServiceRecord {
    DWORD state = SERVICE_STOPPED;
    unsigned starts = 0;       // StartServiceA calls on the service, whatever they answered
    unsigned stops = 0;        // ControlService(SERVICE_CONTROL_STOP) calls on it, likewise
};

// Adds the service or replaces the one of the same name (case does not matter) with
// fresh counts.
void KSPlatformAddService(const KSServiceScript& service);
// Removes every service and lets OpenSCManagerA succeed again.
void KSPlatformClearServices();
bool KSPlatformFindService(const std::string& name, KSServiceRecord& record);
// Makes OpenSCManagerA fail with error (ERROR_SUCCESS lets it succeed again).
void KSPlatformSetServiceManagerError(DWORD error);
// Manager and service handles open now (every module of the process).
unsigned KSPlatformOpenServiceHandles();

// ---------------------------------------------------------------------------
// The clock behind Sleep, GetTickCount and _time64.

class KSClock {
public:
    virtual ~KSClock() = default;
    virtual uint64_t Milliseconds() = 0;   // monotonic; GetTickCount is its low 32 bits
    virtual int64_t UnixSeconds() = 0;     // _time64
    virtual void Sleep(DWORD milliseconds) = 0;
};

// A clock that never waits: Sleep only moves it on, so retry and poll loops run at
// once. Safe to use from several threads.
class KSFakeClock : public KSClock {
public:
    explicit KSFakeClock(uint64_t milliseconds = 1000000, int64_t unixSeconds = 1700000000);
    uint64_t Milliseconds() override;
    int64_t UnixSeconds() override;
    void Sleep(DWORD milliseconds) override;
    void Advance(uint64_t milliseconds);
    uint64_t Slept() const;   // total milliseconds passed to Sleep

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Installs clock (null: the real clock) and returns the one used before. The caller
// keeps the clock alive while it is installed.
KSClock* KSPlatformSetClock(KSClock* clock);

// ---------------------------------------------------------------------------
// OutputDebugStringA/W lines (the texts as given, without a newline added).

std::vector<std::string> KSPlatformDebugLines();
void KSPlatformClearDebugLines();

// ---------------------------------------------------------------------------
// GetVersionExA's answer; every field but dwOSVersionInfoSize is used.
void KSPlatformSetVersion(const OSVERSIONINFOA& version);
OSVERSIONINFOA KSPlatformDefaultVersion();

// ---------------------------------------------------------------------------
// GetModuleFileNameA/W's answer with a null module, and the folder where
// CreateProcessA/W looks first for a program named without a folder (the running
// program's own is looked in next). Empty: the running program's path.
void KSPlatformSetModuleFileName(const std::string& path);

// ---------------------------------------------------------------------------
// Open handles of the handle table (every kind), to find leaks in tests.
unsigned KSPlatformOpenHandles();

// Empties the drive, device and service tables, the debug lines and the version,
// and puts the real clock back (for the start of each test).
void KSPlatformReset();
