#include "OpticalDevice.h"

#include <KSPlatformControl.h>
#include <ScsiPassThrough.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace optical {

namespace {

using namespace scsi_pt;

constexpr uint8_t kGood = 0;
constexpr uint8_t kCheckCondition = 2;

// Marks the failure the way a drive does: CHECK CONDITION with sense key ILLEGAL
// REQUEST.
void Refuse(unsigned char* buffer)
{
    buffer[kScsiStatus] = kCheckCondition;
    buffer[kSenseOffset] = 0x70;
    buffer[kSenseOffset + 2] = 0x05;
}

bool IsCd(unsigned profile) { return profile == 0x09 || profile == 0x0A; }

// The number of sessions MMC reports: the closed ones and an open one after them.
void DiscInformation(const Disc& disc, unsigned char* data)
{
    StoreBE16(data, 32 - 2);
    const uint32_t count = static_cast<uint32_t>(disc.tracks.size());
    uint8_t status = disc.tracks.empty() ? 0 : (disc.closed || FreeBlocks(disc) == 0 ? 2 : 1);
    const uint32_t sessions = status == 2 ? count : count + 1;
    const uint32_t lastTrack = status == 2 ? count : count + 1;
    data[2] = static_cast<uint8_t>(status | (status == 2 ? 0x0C : status == 1 ? 0x04 : 0));
    data[3] = 1;
    data[4] = static_cast<uint8_t>(sessions);
    data[5] = static_cast<uint8_t>(lastTrack);
    data[6] = static_cast<uint8_t>(lastTrack);
    data[9] = static_cast<uint8_t>(sessions >> 8);
    data[10] = static_cast<uint8_t>(lastTrack >> 8);
    data[11] = static_cast<uint8_t>(lastTrack >> 8);
}

// Closed tracks by number; the open track (the one after them) last.
bool TrackInformation(const Disc& disc, uint32_t number, unsigned char* data)
{
    const uint32_t count = static_cast<uint32_t>(disc.tracks.size());
    const bool open = !disc.closed && FreeBlocks(disc) > 0;
    if (number == 0 || number > count + (open ? 1 : 0))
        return false;
    StoreBE16(data, 32 - 2);
    data[2] = static_cast<uint8_t>(number);
    data[3] = static_cast<uint8_t>(number);
    if (number <= count) {
        const Track& track = disc.tracks[number - 1];
        StoreBE32(data + 8, track.start);
        StoreBE32(data + 24, track.blocks);
    } else {
        data[6] = 0x40;  // blank
        data[7] = 0x01;  // next writable address valid
        StoreBE32(data + 8, NextWritable(disc));
        StoreBE32(data + 12, NextWritable(disc));
        StoreBE32(data + 16, FreeBlocks(disc));
        StoreBE32(data + 24, FreeBlocks(disc));
    }
    return true;
}

unsigned FormatCapacities(const Drive& drive, unsigned char* data, unsigned& calls)
{
    const Disc& disc = drive.disc;
    const bool rewritable = disc.profile == 0x1A || disc.profile == 0x13 || disc.profile == 0x14 || disc.profile == 0x2A;
    unsigned length = rewritable ? 16 : 8;
    if (drive.capacityListChanges)
        length = (calls++ % 2) ? 24 : 16;
    data[3] = static_cast<uint8_t>(length);
    StoreBE32(data + 4, disc.capacityBlocks);
    data[8] = static_cast<uint8_t>(rewritable && !disc.formatted ? 1 : 2);
    data[9] = 0x00;
    data[10] = 0x08;
    data[11] = 0x00;
    // Formattable descriptors: a zero one first, then the full size.
    for (unsigned at = 12; at + 8 <= 4 + length && at + 8 <= kMaxData; at += 8) {
        const bool last = at + 8 >= 4 + length;
        StoreBE32(data + at, last ? disc.capacityBlocks : 0);
        data[at + 4] = 0x26 << 2;
    }
    return 4 + length;
}

} // namespace

bool AnswerPassThrough(Drive& drive, unsigned char* buffer, unsigned size, bool& changed)
{
    changed = false;
    if (size < kDataOffset)
        return false;
    const uint8_t* cdb = buffer + kCdb;
    if (drive.failingOps.count(cdb[0]))
        return false;
    unsigned char* data = buffer + kDataOffset;
    const uint32_t room = std::min<uint32_t>({LoadLE32(buffer + kTransferLength), kMaxData, size - kDataOffset});
    unsigned char answer[kMaxData] = {};
    unsigned answerBytes = 0;
    buffer[kScsiStatus] = kGood;
    const Disc& disc = drive.disc;
    static unsigned capacityCalls = 0;
    switch (cdb[0]) {
    case 0x12: { // INQUIRY
        answer[0] = 0x05;
        answer[1] = 0x80;
        answer[4] = 31;
        std::memset(answer + 8, ' ', 28);
        std::memcpy(answer + 8, drive.vendor.data(), std::min<size_t>(drive.vendor.size(), 8));
        std::memcpy(answer + 16, drive.product.data(), std::min<size_t>(drive.product.size(), 16));
        std::memcpy(answer + 32, drive.revision.data(), std::min<size_t>(drive.revision.size(), 4));
        answerBytes = 36;
        break;
    }
    case 0x1A: // MODE SENSE (6), the capabilities page
        if ((cdb[2] & 0x3F) != 0x2A) {
            Refuse(buffer);
            return true;
        }
        answer[0] = 4 + 20 - 1;
        answer[4] = 0x2A;
        answer[5] = 20;
        answer[6] = drive.readBits;
        answer[7] = drive.writeBits;
        answerBytes = 24;
        break;
    case 0x46: // GET CONFIGURATION: the header's current profile
        StoreBE32(answer, 4);
        StoreBE16(answer + 6, static_cast<uint16_t>(disc.profile));
        answerBytes = 8;
        break;
    case 0x51: // READ DISC INFORMATION
        if (disc.profile == 0) {
            Refuse(buffer);
            return true;
        }
        DiscInformation(disc, answer);
        answerBytes = 32;
        break;
    case 0x52: // READ TRACK INFORMATION by track number
        if (disc.profile == 0 || (cdb[1] & 3) != 1 || !TrackInformation(disc, LoadBE32(cdb + 2), answer)) {
            Refuse(buffer);
            return true;
        }
        answerBytes = 32;
        break;
    case 0x43: // READ TOC/PMA/ATIP, ATIP only
        if ((cdb[2] & 0x0F) != 4 || !IsCd(disc.profile)) {
            Refuse(buffer);
            return true;
        }
        StoreBE16(answer, 2 + 24);
        answer[12] = disc.leadOut[0];
        answer[13] = disc.leadOut[1];
        answer[14] = disc.leadOut[2];
        answerBytes = 28;
        break;
    case 0x23: // READ FORMAT CAPACITIES
        answerBytes = FormatCapacities(drive, answer, capacityCalls);
        break;
    case 0x1E: // PREVENT ALLOW MEDIUM REMOVAL
        drive.locked = (cdb[4] & 1) != 0;
        ++(drive.locked ? drive.lockCount : drive.unlockCount);
        changed = true;
        break;
    case 0x1B: // START STOP UNIT
        if ((cdb[4] & 3) == 2) {
            ++drive.ejectCount;
            changed = true;
        }
        break;
    default:
        Refuse(buffer);
        return true;
    }
    const uint32_t allocation = cdb[0] == 0x12 || cdb[0] == 0x1A ? cdb[4]
                                : cdb[0] == 0x51 || cdb[0] == 0x52 ? cdb[8]
                                                                   : LoadBE16(cdb + 7);
    const uint32_t copied = std::min({answerBytes, room, allocation});
    std::memcpy(data, answer, copied);
    return true;
}

namespace {

class OpticalDevice : public KSDevice {
public:
    OpticalDevice(std::string root, char letter) : root_(std::move(root)), letter_(letter) {}

    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override
    {
        done = 0;
        return ERROR_INVALID_FUNCTION;
    }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override
    {
        done = 0;
        return ERROR_INVALID_FUNCTION;
    }
    uint64_t Size() const override { return 0; }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        Drive drive;
        if (!Load(root_, letter_, drive))
            return ERROR_NOT_READY;
        switch (code) {
        case KS_IOCTL_SCSI_PASS_THROUGH: {
            if (!in || !out || inSize < kHeaderBytes || outSize < kDataOffset)
                return ERROR_INVALID_PARAMETER;
            unsigned char* buffer = static_cast<unsigned char*>(out);
            if (in != out)
                std::memcpy(buffer, in, kHeaderBytes);
            bool changed = false;
            if (!AnswerPassThrough(drive, buffer, outSize, changed))
                return ERROR_IO_DEVICE;
            if (changed)
                Save(root_, drive);
            returned = outSize;
            return ERROR_SUCCESS;
        }
        case KS_IOCTL_SCSI_GET_ADDRESS: {
            if (drive.failingOps.count(0x100 + 1))
                return ERROR_IO_DEVICE;
            if (!out || outSize < 8)
                return ERROR_INSUFFICIENT_BUFFER;
            unsigned char* address = static_cast<unsigned char*>(out);
            StoreLE32(address, 8);
            address[4] = drive.port;
            address[5] = 0;
            address[6] = drive.target;
            address[7] = drive.lun;
            returned = 8;
            return ERROR_SUCCESS;
        }
        case KS_IOCTL_STORAGE_QUERY_PROPERTY: {
            if (drive.failingOps.count(0x100 + 2))
                return ERROR_IO_DEVICE;
            if (!in || inSize < 12 || LoadLE32(in) != 1 || !out || outSize < 32)
                return ERROR_INVALID_PARAMETER;
            unsigned char* descriptor = static_cast<unsigned char*>(out);
            std::memset(descriptor, 0, 32);
            StoreLE32(descriptor, 32);
            StoreLE32(descriptor + 4, 32);
            descriptor[24] = static_cast<unsigned char>(drive.busType);
            returned = 32;
            return ERROR_SUCCESS;
        }
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }

private:
    const std::string root_;
    const char letter_;
};

} // namespace

bool RegisterDrive(const std::string& root, Drive& drive)
{
    if (!InsertDisc(root, drive, drive.disc))
        return false;
    KSDriveEntry entry;
    entry.letter = drive.letter;
    entry.hostFolder = DriveFolder(root, drive.letter) + "/files";
    entry.type = DRIVE_CDROM;
    if (!KSPlatformAddDrive(entry))
        return false;
    const char letter = drive.letter;
    KSPlatformRegisterDevice(std::string(1, letter) + ":", [root, letter](DWORD, DWORD&) {
        return std::make_shared<OpticalDevice>(root, letter);
    });
    return true;
}

bool UseModelTools(const std::string& programFolder, const std::string& toolsFolder, const std::string& modelRoot,
                   const std::string& stagingFolder, uint64_t stagingFreeBytes)
{
    for (const char* tool : {"Pip", "scanbus"}) {
        const std::string link = programFolder + "/" + tool;
        ::unlink(link.c_str());
        if (::symlink((toolsFolder + "/" + tool).c_str(), link.c_str()) != 0)
            return false;
    }
    KSPlatformSetModuleFileName(programFolder + "/Program.exe");
    ::setenv("RVD_OPTICAL_ROOT", modelRoot.c_str(), 1);
    KSDriveEntry staging;
    staging.letter = 'T';
    staging.hostFolder = stagingFolder;
    staging.totalBytes = 8ull << 30;
    staging.freeBytes = stagingFreeBytes;
    return KSPlatformAddDrive(staging);
}

void StopUsingModelTools()
{
    KSPlatformSetModuleFileName("");
    ::unsetenv("RVD_OPTICAL_ROOT");
    KSPlatformRemoveDrive('T');
}

void UnregisterDrive(char letter)
{
    KSPlatformUnregisterDevice(std::string(1, letter) + ":");
    KSPlatformRemoveDrive(letter);
}

} // namespace optical
