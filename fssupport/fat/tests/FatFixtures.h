// The FAT fixture volumes and what the outside tools (mtools, fsck.fat) say about
// them, so that the tests compare the reader with an independent view.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "CommandOutput.h"
#include "FixtureImage.h"
#include "KSVolume.h"
#include "VolumeImage.h"

struct FatFixture {
    friend void PrintTo(const FatFixture& f, std::ostream* os) { *os << f.name; }

    const char* script;
    const char* name;
    bool partitioned;
    unsigned long kind;
    uint16_t sectorsPerCluster;
    uint16_t reservedSectors;
    uint8_t numberOfFats;
    uint16_t rootDirSectors;
};

inline const std::vector<FatFixture>& AllFatFixtures()
{
    static const std::vector<FatFixture> fixtures = {
        {"fat/fat12.sh", "fat12.img", false, KS_FS_FAT12, 4, 1, 2, 32},
        {"fat/fat12-f9.sh", "fat12-f9.img", false, KS_FS_FAT12, 1, 1, 2, 14},
        {"fat/fat12-boundary.sh", "fat12-boundary.img", false, KS_FS_FAT12, 1, 1, 2, 32},
        {"fat/fat16-boundary.sh", "fat16-boundary.img", false, KS_FS_FAT16, 1, 1, 2, 32},
        {"fat/fat16-f0.sh", "fat16-f0.img", true, KS_FS_FAT16, 2, 4, 2, 64},
        {"fat/fat32.sh", "fat32.img", true, KS_FS_FAT32, 1, 32, 2, 0},
        {"fat/fat32-f0.sh", "fat32-f0.img", false, KS_FS_FAT32, 1, 8, 1, 0},
    };
    return fixtures;
}

inline std::string RunCommand(const std::string& command, int* status = nullptr)
{
    return CommandOutput(command + " 2>&1", status);
}

// The volume of a fixture, loaded into memory ("volume" empty when the script failed).
inline VolumeImage LoadFatFixture(const FatFixture& f)
{
    const std::string path = MakeFixtureImage(f.script, f.name);
    if (path.empty())
        return VolumeImage();
    if (!f.partitioned)
        return VolumeImage::FromFile(path);
    const VolumeImage::Partition p = VolumeImage::FirstPartition(path);
    return VolumeImage::FromFile(path, p.start, p.sectors);
}

// A volume written to a file of its own for the outside tools; removed at the end.
class TempVolumeFile {
public:
    TempVolumeFile(const std::vector<unsigned char>& bytes, const std::string& tag)
        : path_(::testing::TempDir() + "fat-" + tag + "-" + std::to_string(getpid()) + ".img")
    {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~TempVolumeFile() { std::remove(path_.c_str()); }
    TempVolumeFile(const TempVolumeFile&) = delete;
    TempVolumeFile& operator=(const TempVolumeFile&) = delete;

    const std::string& Path() const { return path_; }
    std::string Mtools() const { return "'" + path_ + "'"; }

private:
    std::string path_;
};

inline const char* kMtoolsEnvironment = "MTOOLS_SKIP_CHECK=1 ";

// Every file and folder of the volume, as "::/path"; folders end in a slash.
inline std::vector<std::string> ListVolume(const std::string& mtoolsImage)
{
    std::vector<std::string> names;
    std::istringstream lines(RunCommand(std::string(kMtoolsEnvironment) + "mdir -/ -a -b -i " + mtoolsImage + " ::"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("::/", 0) != 0)
            continue;
        names.push_back(line);
    }
    return names;
}

// The clusters that mtools says each named file or folder occupies ("::/" is the
// root), keyed by the names as given.
inline std::map<std::string, std::set<uint32_t>> ClustersOf(const std::string& mtoolsImage,
                                                             const std::vector<std::string>& names)
{
    std::string command = std::string(kMtoolsEnvironment) + "mshowfat -i " + mtoolsImage;
    std::vector<std::string> bare;
    for (std::string name : names) {
        if (name.size() > 3 && name.back() == '/')
            name.pop_back();
        bare.push_back(name);
        command += " '" + name + "'";
    }
    // mshowfat answers with one line per name, in the order asked.
    std::istringstream lines(RunCommand(command));
    std::map<std::string, std::set<uint32_t>> result;
    std::string line;
    for (size_t i = 0; i < names.size() && std::getline(lines, line); ++i) {
        std::set<uint32_t>& clusters = result[names[i]];
        if (line.compare(0, bare[i].size() + 1, bare[i] + " ") != 0) {
            ADD_FAILURE() << "mshowfat said \"" << line << "\" for " << bare[i];
            continue;
        }
        size_t at = line.find('<', bare[i].size());
        while (at != std::string::npos) {
            const size_t close = line.find('>', at);
            if (close == std::string::npos)
                break;
            unsigned long first = 0, last = 0;
            const std::string range = line.substr(at + 1, close - at - 1);
            if (std::sscanf(range.c_str(), "%lu-%lu", &first, &last) != 2)
                last = first = std::stoul(range);
            for (unsigned long c = first; c <= last && c != 0; ++c)
                clusters.insert(static_cast<uint32_t>(c));
            at = line.find('<', close);
        }
    }
    return result;
}

// A number that fsck.fat -v prints before the given words, e.g. "data clusters".
inline uint64_t FsckNumber(const std::string& volumeFile, const std::string& words)
{
    const std::string out = RunCommand("fsck.fat -v -n '" + volumeFile + "'");
    const size_t at = out.find(words);
    if (at == std::string::npos)
        return 0;
    size_t begin = out.rfind('\n', at);
    begin = begin == std::string::npos ? 0 : begin + 1;
    return std::stoull(out.substr(begin, at - begin));
}

inline bool IsRootSystemFile(const std::string& name)
{
    std::string lower;
    for (char c : name)
        lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return lower == "::/pagefile.sys" || lower == "::/hiberfil.sys";
}
