// Files on the volumes of the disk map's disks, named by Win32 paths: "X:\..." of a
// drive that stands for a volume (and no host folder), "\\.\X:\..." and
// "\\?\Volume{...}\...". An NTFS volume is reached through libntfs-3g, a FAT volume
// through mtools at the partition's offset; each file is read whole and written back
// whole.
#include "ArrivedDisks.h"
#include "DiskLayout.h"
#include "DriveTable.h"
#include "LoadedHive.h"
#include "KSPlatformVolumes.h"
#include "NtfsFileAccess.h"

#include "CDiskMap.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

using namespace ks_platform;

namespace {

std::atomic<DWORD> volumeWriteError{ERROR_SUCCESS};

struct VolumeFile {
    std::string disk;      // the disk file
    uint64_t offset = 0;   // the volume's first byte
    uint64_t length = 0;   // its bytes
    std::string inner;     // '/'-separated path inside the volume
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// An arrived disk's bytes are no file: its number is never looked up in the disk
// map, where a disk image named later may have taken the same number.
std::string DiskPathOf(unsigned disk)
{
    if (ArrivedDisks::Instance().Find(disk))
        return {};
    for (const DiskMapEntry& entry : CDiskMap().Disks())
        if (entry.number == disk)
            return entry.path;
    return {};
}

// The path inside the volume: separators made '/', "." dropped, ".." refused.
bool InnerPath(const char* rest, std::string& inner)
{
    inner.clear();
    std::string part;
    for (const char* c = rest;; ++c) {
        if (*c == '\0' || IsSeparator(*c)) {
            if (part == "..")
                return false;
            if (!part.empty() && part != ".")
                inner += "/" + part;
            part.clear();
            if (*c == '\0')
                break;
        } else
            part += *c;
    }
    return !inner.empty();
}

bool Resolve(const char* path, VolumeFile& file)
{
    if (!path)
        return false;
    bool prefixed = false;
    if (IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == '.' || path[2] == '?') && IsSeparator(path[3])) {
        path += 4;
        prefixed = true;
    }
    unsigned disk = 0;
    uint64_t first = 0, sectors = 0;
    const char* rest = nullptr;
    if (DriveIndexLetter(static_cast<unsigned char>(path[0])) && path[1] == ':' && IsSeparator(path[2])) {
        std::optional<KSDriveEntry> drive = DriveTable::Instance().Find(path[0]);
        if (!drive || !drive->hasVolume || (!prefixed && !drive->hostFolder.empty()))
            return false;
        disk = drive->volume.disk;
        first = drive->volume.firstSector;
        sectors = drive->volume.sectors;
        rest = path + 3;
    } else if (prefixed && std::strncmp(path, "Volume{", 7) == 0 && std::strlen(path) > 44 &&
               IsSeparator(path[44])) {
        const std::wstring name(path, path + 44);
        MappedVolume volume;
        if (!KSPlatformParseVolumeGuid(name, disk, first) || !FindMappedVolume(disk, first, volume))
            return false;
        sectors = volume.volume.sectors;
        rest = path + 45;
    } else
        return false;
    file.disk = DiskPathOf(disk);
    file.offset = first * 512;
    file.length = sectors * 512;
    return !file.disk.empty() && InnerPath(rest, file.inner);
}

bool IsNtfs(const VolumeFile& file)
{
    const int fd = ::open(file.disk.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char boot[11] = {};
    const bool read = ::pread(fd, boot, sizeof boot, static_cast<off_t>(file.offset)) == sizeof boot;
    ::close(fd);
    return read && std::memcmp(boot + 3, "NTFS    ", 8) == 0;
}

DWORD FromErrno(int error)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

// Runs an mtools program without a shell; its exit status, or -1.
int RunMtools(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** e = environ; e && *e; ++e)
        environment.push_back(*e);
    environment.push_back("MTOOLS_SKIP_CHECK=1");
    environment.push_back("MTOOLS_NO_VFAT=0");
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string TempFile()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string temp = std::string(tmp && *tmp ? tmp : "/tmp") + "/ks-volfile-XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0)
        return {};
    ::close(fd);
    return temp;
}

std::string MtoolsImage(const VolumeFile& file) { return file.disk + "@@" + std::to_string(file.offset); }

DWORD ReadFatFile(const VolumeFile& file, std::string& bytes)
{
    const std::string temp = TempFile();
    if (temp.empty())
        return ERROR_NOT_ENOUGH_MEMORY;
    const int status = RunMtools({"mcopy", "-n", "-o", "-i", MtoolsImage(file), "::" + file.inner, temp});
    DWORD error = status == 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    if (error == ERROR_SUCCESS) {
        std::ifstream in(temp, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        bytes = all.str();
    }
    ::unlink(temp.c_str());
    return error;
}

DWORD WriteFatFile(const VolumeFile& file, const std::string& bytes)
{
    const std::string temp = TempFile();
    if (temp.empty())
        return ERROR_NOT_ENOUGH_MEMORY;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            ::unlink(temp.c_str());
            return ERROR_WRITE_FAULT;
        }
    }
    // The file must be there already: the volume's files are edited, never made.
    std::string old;
    DWORD error = ReadFatFile(file, old);
    if (error == ERROR_SUCCESS)
        error = RunMtools({"mcopy", "-n", "-o", "-i", MtoolsImage(file), temp, "::" + file.inner}) == 0
                    ? ERROR_SUCCESS
                    : ERROR_WRITE_FAULT;
    ::unlink(temp.c_str());
    return error;
}

} // namespace

bool KSVolumeFilePath(const char* path)
{
    VolumeFile file;
    return Resolve(path, file);
}

DWORD KSVolumeFileRead(const char* path, std::string& bytes)
{
    VolumeFile file;
    if (!Resolve(path, file))
        return ERROR_PATH_NOT_FOUND;
    if (IsNtfs(file))
        return FromErrno(ks_ntfs_file::ReadNtfsFile(file.disk, file.offset, file.length, file.inner, bytes));
    return ReadFatFile(file, bytes);
}

DWORD KSVolumeFileWrite(const char* path, const std::string& bytes)
{
    VolumeFile file;
    if (!Resolve(path, file))
        return ERROR_PATH_NOT_FOUND;
    if (const DWORD injected = volumeWriteError.load())
        return injected;
    if (IsNtfs(file))
        return FromErrno(ks_ntfs_file::WriteNtfsFile(file.disk, file.offset, file.length, file.inner, bytes));
    return WriteFatFile(file, bytes);
}

void KSPlatformSetVolumeWriteError(DWORD error) { volumeWriteError.store(error); }

namespace ks_platform {
DWORD InjectedWriteError() { return volumeWriteError.load(); }
}

// A file on a volume exists when it reads; other paths go to the wide call.
extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR path)
{
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (KSVolumeFilePath(path)) {
        std::string bytes;
        const DWORD error = KSVolumeFileRead(path, bytes);
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return INVALID_FILE_ATTRIBUTES;
        }
        return FILE_ATTRIBUTE_ARCHIVE;
    }
    std::wstring wide(path, path + std::strlen(path));
    return GetFileAttributesW(wide.c_str());
}
