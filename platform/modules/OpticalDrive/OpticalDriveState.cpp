#include "OpticalDriveState.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace optical {

namespace {

std::string Join(const std::set<unsigned>& values)
{
    std::string text;
    for (unsigned v : values)
        text += (text.empty() ? "" : ",") + std::to_string(v);
    return text;
}

std::set<unsigned> SplitNumbers(const std::string& text)
{
    std::set<unsigned> values;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty())
            values.insert(static_cast<unsigned>(std::strtoul(item.c_str(), nullptr, 0)));
    return values;
}

char UpperLetter(char letter) { return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter; }

Disc BlankOf(unsigned profile, uint32_t mib)
{
    Disc disc;
    disc.profile = profile;
    disc.capacityBlocks = mib * 512;
    return disc;
}

} // namespace

std::string Root()
{
    const char* root = std::getenv("RVD_OPTICAL_ROOT");
    return root ? root : "";
}

std::string DriveFolder(const std::string& root, char letter) { return root + "/" + std::string(1, UpperLetter(letter)); }
std::string DiscImagePath(const std::string& root, char letter) { return DriveFolder(root, letter) + "/disc.img"; }

bool Save(const std::string& root, const Drive& drive)
{
    const std::string folder = DriveFolder(root, drive.letter);
    ::mkdir(root.c_str(), 0755);
    ::mkdir(folder.c_str(), 0755);
    const std::string temp = folder + "/state.new";
    {
        std::ofstream out(temp, std::ios::trunc);
        if (!out)
            return false;
        out << "letter=" << UpperLetter(drive.letter) << "\n"
            << "scsi=" << drive.scsiId << "\n"
            << "address=" << unsigned{drive.port} << "," << unsigned{drive.target} << "," << unsigned{drive.lun} << "\n"
            << "bus=" << drive.busType << "\n"
            << "vendor=" << drive.vendor << "\n"
            << "product=" << drive.product << "\n"
            << "revision=" << drive.revision << "\n"
            << "read=" << unsigned{drive.readBits} << "\n"
            << "write=" << unsigned{drive.writeBits} << "\n"
            << "failing=" << Join(drive.failingOps) << "\n"
            << "capacitychanges=" << drive.capacityListChanges << "\n"
            << "failingtool=" << drive.failingTool << "\n"
            << "locks=" << drive.lockCount << "," << drive.unlockCount << "," << drive.ejectCount << ","
            << drive.locked << "\n"
            << "profile=" << drive.disc.profile << "\n"
            << "capacity=" << drive.disc.capacityBlocks << "\n"
            << "closed=" << drive.disc.closed << "\n"
            << "formatted=" << drive.disc.formatted << "\n"
            << "leadout=" << unsigned{drive.disc.leadOut[0]} << "," << unsigned{drive.disc.leadOut[1]} << ","
            << unsigned{drive.disc.leadOut[2]} << "\n";
        for (const Track& track : drive.disc.tracks)
            out << "track=" << track.start << "," << track.blocks << "\n";
        if (!out.flush())
            return false;
    }
    return std::rename(temp.c_str(), (folder + "/state").c_str()) == 0;
}

bool Load(const std::string& root, char letter, Drive& drive)
{
    std::ifstream in(DriveFolder(root, letter) + "/state");
    if (!in)
        return false;
    drive = Drive{};
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        const unsigned long number = std::strtoul(value.c_str(), nullptr, 0);
        if (key == "letter" && !value.empty())
            drive.letter = value[0];
        else if (key == "scsi")
            drive.scsiId = value;
        else if (key == "address") {
            unsigned p = 0, t = 0, l = 0;
            std::sscanf(value.c_str(), "%u,%u,%u", &p, &t, &l);
            drive.port = static_cast<uint8_t>(p);
            drive.target = static_cast<uint8_t>(t);
            drive.lun = static_cast<uint8_t>(l);
        } else if (key == "bus")
            drive.busType = static_cast<unsigned>(number);
        else if (key == "vendor")
            drive.vendor = value;
        else if (key == "product")
            drive.product = value;
        else if (key == "revision")
            drive.revision = value;
        else if (key == "read")
            drive.readBits = static_cast<uint8_t>(number);
        else if (key == "write")
            drive.writeBits = static_cast<uint8_t>(number);
        else if (key == "failing")
            drive.failingOps = SplitNumbers(value);
        else if (key == "capacitychanges")
            drive.capacityListChanges = number != 0;
        else if (key == "failingtool")
            drive.failingTool = value;
        else if (key == "locks") {
            unsigned a = 0, b = 0, c = 0, d = 0;
            std::sscanf(value.c_str(), "%u,%u,%u,%u", &a, &b, &c, &d);
            drive.lockCount = a;
            drive.unlockCount = b;
            drive.ejectCount = c;
            drive.locked = d != 0;
        } else if (key == "profile")
            drive.disc.profile = static_cast<unsigned>(number);
        else if (key == "capacity")
            drive.disc.capacityBlocks = static_cast<uint32_t>(number);
        else if (key == "closed")
            drive.disc.closed = number != 0;
        else if (key == "formatted")
            drive.disc.formatted = number != 0;
        else if (key == "leadout") {
            unsigned m = 0, s = 0, f = 0;
            std::sscanf(value.c_str(), "%u,%u,%u", &m, &s, &f);
            drive.disc.leadOut[0] = static_cast<uint8_t>(m);
            drive.disc.leadOut[1] = static_cast<uint8_t>(s);
            drive.disc.leadOut[2] = static_cast<uint8_t>(f);
        } else if (key == "track") {
            Track track;
            std::sscanf(value.c_str(), "%u,%u", &track.start, &track.blocks);
            drive.disc.tracks.push_back(track);
        }
    }
    return true;
}

std::vector<Drive> LoadAll(const std::string& root)
{
    std::vector<Drive> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        Drive drive;
        if (Load(root, letter, drive))
            drives.push_back(drive);
    }
    return drives;
}

bool FindByDevice(const std::string& root, const std::string& device, Drive& drive)
{
    for (const Drive& candidate : LoadAll(root)) {
        const bool byLetter = device.size() >= 2 && device[1] == ':' && UpperLetter(device[0]) == candidate.letter;
        if (byLetter || candidate.scsiId == device) {
            drive = candidate;
            return true;
        }
    }
    return false;
}

bool InsertDisc(const std::string& root, Drive& drive, const Disc& disc)
{
    drive.disc = disc;
    if (!Save(root, drive))
        return false;
    std::FILE* image = std::fopen(DiscImagePath(root, drive.letter).c_str(), "wb");
    if (!image)
        return false;
    std::fclose(image);
    return true;
}

uint32_t NextWritable(const Disc& disc)
{
    return disc.tracks.empty() ? 0 : disc.tracks.back().start + disc.tracks.back().blocks;
}

uint32_t FreeBlocks(const Disc& disc)
{
    const uint32_t next = NextWritable(disc);
    return disc.closed || next >= disc.capacityBlocks ? 0 : disc.capacityBlocks - next;
}

Disc BlankCdR(uint32_t mib) { return BlankOf(0x09, mib); }
Disc BlankCdRw(uint32_t mib) { return BlankOf(0x0A, mib); }
Disc BlankDvdR(uint32_t mib) { return BlankOf(0x11, mib); }
Disc BlankDvdPlusRw(bool formatted, uint32_t mib)
{
    Disc disc = BlankOf(0x1A, mib);
    disc.formatted = formatted;
    return disc;
}

} // namespace optical
