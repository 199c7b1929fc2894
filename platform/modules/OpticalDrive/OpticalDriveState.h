// The modelled optical drive and the disc in it, kept in a folder so that the
// process that asks the drive (through SCSI pass-through) and the writer that a tool
// run starts in another process see one disc:
//   <root>/<letter>/state     the drive and the disc, one "key=value" a line
//   <root>/<letter>/disc.img  the disc's blocks, 2,048 bytes each, at their addresses
// The root comes from RVD_OPTICAL_ROOT.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace optical {

constexpr uint32_t kBlockBytes = 2048;

struct Track {
    uint32_t start = 0;   // first block
    uint32_t blocks = 0;
};

struct Disc {
    unsigned profile = 0;           // MMC current profile; 0: no disc
    uint32_t capacityBlocks = 0;    // what the disc holds
    std::vector<Track> tracks;      // closed tracks, one session each
    bool closed = false;            // no further session may be added
    bool formatted = false;         // rewritable DVD: formatted
    uint8_t leadOut[3] = {79, 59, 74}; // ATIP lead-out start (minute, second, frame)
};

struct Drive {
    char letter = 'R';
    std::string scsiId = "1,0,0";   // what the CD tools take as dev=
    uint8_t port = 1, target = 0, lun = 0;
    unsigned busType = 2;           // STORAGE_BUS_TYPE: 2 ATAPI, 7 USB
    std::string vendor = "RVD";
    std::string product = "Model Writer";
    std::string revision = "1.00";
    uint8_t readBits = 0x3B;        // capabilities page byte 2
    uint8_t writeBits = 0x33;       // capabilities page byte 3
    std::set<unsigned> failingOps;  // CDB op codes (or 0x100 + control) whose request fails
    bool capacityListChanges = false; // READ FORMAT CAPACITIES answers another length each time
    std::string failingTool;        // a writer run of this tool ("cdrecord", "growisofs", ...) fails
    unsigned lockCount = 0, unlockCount = 0, ejectCount = 0;
    bool locked = false;
    Disc disc;
};

// The model root from the environment; empty when unset.
std::string Root();
std::string DriveFolder(const std::string& root, char letter);
std::string DiscImagePath(const std::string& root, char letter);

bool Load(const std::string& root, char letter, Drive& drive);
bool Save(const std::string& root, const Drive& drive);
// Every modelled drive under the root.
std::vector<Drive> LoadAll(const std::string& root);
// The drive a CD tool names by its "dev=" string, or by "X:"; false when none.
bool FindByDevice(const std::string& root, const std::string& device, Drive& drive);

// Puts a new disc in: the drive keeps its settings, the disc image is emptied.
bool InsertDisc(const std::string& root, Drive& drive, const Disc& disc);

// Where the next session starts.
uint32_t NextWritable(const Disc& disc);
uint32_t FreeBlocks(const Disc& disc);

// Discs as the shops sell them.
Disc BlankCdR(uint32_t mib = 700);
Disc BlankCdRw(uint32_t mib = 700);
Disc BlankDvdPlusRw(bool formatted, uint32_t mib = 4482);
Disc BlankDvdR(uint32_t mib = 4482);

} // namespace optical
