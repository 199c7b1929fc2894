#include "BenchFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "FixtureImage.h"

namespace {
// Reads a file to its end; the data stays in the page cache for the runs.
void ReadWhole(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    std::vector<char> buffer(1 << 20);
    while (read(fd, buffer.data(), buffer.size()) > 0) {
    }
    close(fd);
}
}

BenchVolume PreparedBenchVolume()
{
    static BenchVolume made;
    static bool tried = false;
    if (tried)
        return made;
    tried = true;
    const std::string volume = MakeFixtureImage("bench/ntfs-bench-volume.sh", "ntfs-bench-volume.img");
    if (volume.empty())
        return made;
    // The disk script copies the volume named here into its partition.
    setenv("BENCH_VOLUME", volume.c_str(), 1);
    const std::string disk = MakeFixtureImage("bench/ntfs-bench-disk.sh", "ntfs-bench-disk.img");
    if (disk.empty())
        return made;
    ReadWhole(volume);
    ReadWhole(disk);
    made = BenchVolume{volume, disk};
    return made;
}

const std::string& ScratchFolder()
{
    static std::string folder;
    if (folder.empty()) {
        char pattern[] = "/tmp/backup-bench-XXXXXX";
        folder = std::string(mkdtemp(pattern)) + "/";
        std::atexit([] {
            const std::string cmd = "rm -rf '" + folder + "'";
            if (std::system(cmd.c_str()) != 0)
                std::fprintf(stderr, "could not remove %s\n", folder.c_str());
        });
    }
    return folder;
}

uint64_t FileBytes(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

uint64_t FolderBytes(const std::string& folder)
{
    uint64_t total = 0;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (e->d_name[0] != '.')
                total += FileBytes(folder + "/" + e->d_name);
        closedir(dir);
    }
    return total;
}

void EmptyFolder(const std::string& folder)
{
    const std::string cmd = "rm -rf '" + folder + "' && mkdir -p '" + folder + "'";
    if (std::system(cmd.c_str()) != 0)
        std::fprintf(stderr, "could not empty %s\n", folder.c_str());
}
