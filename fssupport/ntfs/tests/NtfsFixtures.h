// The NTFS fixture images the reader tests run on.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include <unistd.h>

#include "FixtureImage.h"
#include "VolumeImage.h"

struct NtfsFixture {
    const char* script;
    const char* image;
    uint64_t startSector; // of the NTFS partition in the image
    bool pageAndHibernation;
};

inline std::ostream& operator<<(std::ostream& out, const NtfsFixture& f) { return out << f.image; }

inline const NtfsFixture kNtfsFixtures[] = {
    {"ntfs/ntfs-4k.sh", "ntfs-4k.img", 2048, true},
    {"ntfs/ntfs-512.sh", "ntfs-512.img", 0, true},
    {"ntfs/ntfs-64k.sh", "ntfs-64k.img", 0, false},
};

// Loads the fixture and, for the ntfs-3g tools, gives the path of a file that holds
// the volume alone (the image itself when it is not partitioned).
inline bool LoadFixture(const NtfsFixture& fixture, VolumeImage& image, std::string& volumeFile)
{
    const std::string path = MakeFixtureImage(fixture.script, fixture.image);
    if (path.empty() || !image.Load(path, fixture.startSector))
        return false;
    if (fixture.startSector == 0) {
        volumeFile = path;
        return true;
    }
    volumeFile = path + ".volume";
    if (access(volumeFile.c_str(), R_OK) == 0)
        return true;
    const std::string temporary = volumeFile + ".tmp." + std::to_string(getpid());
    return image.SaveVolume(temporary) && std::rename(temporary.c_str(), volumeFile.c_str()) == 0;
}
