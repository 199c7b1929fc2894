#include "ArrivedDisks.h"

#include "CDiskMap.h"
#include "DriveTable.h"
#include "KSPlatformVolumes.h"

#include <algorithm>

namespace ks_platform {

namespace {

// Reads the partition table through the owner, as the disk stack does on arrival.
bool ReadArrivingTable(KSDevice& owner, std::vector<DosVolume>& volumes, uint32_t& signature)
{
    return ReadDosVolumes(
        [&owner](uint64_t sector, unsigned char* out) {
            DWORD done = 0;
            return owner.Read(sector * 512, out, 512, done) == ERROR_SUCCESS && done == 512;
        },
        volumes, &signature);
}

char FirstFreeLetter()
{
    const DWORD used = DriveTable::Instance().Letters();
    for (int index = 2; index < 26; ++index)
        if ((used & (DWORD{1} << index)) == 0)
            return static_cast<char>('A' + index);
    return 0;
}

std::wstring WideText(const std::string& text) { return std::wstring(text.begin(), text.end()); }

} // namespace

ArrivedDisks& ArrivedDisks::Instance()
{
    static ArrivedDisks* disks = new ArrivedDisks;
    return *disks;
}

int ArrivedDisks::Arrive(std::shared_ptr<KSDevice> owner)
{
    if (!owner)
        return -1;
    const uint64_t bytes = owner->Size();
    if (bytes < 512)
        return -1;
    std::vector<DosVolume> volumes;
    uint32_t signature = 0;
    if (!ReadArrivingTable(*owner, volumes, signature)) {
        // A disk without a table has no partitions yet, but it must read.
        unsigned char sector[512];
        DWORD done = 0;
        if (owner->Read(0, sector, 512, done) != ERROR_SUCCESS || done != 512)
            return -1;
        volumes.clear();
        signature = 0;
    }
    // Numbers after every listed disk, there or not.
    unsigned mapped = 0;
    CDiskMap().Disks(mapped);
    PendingLetters pending{};
    {
        std::lock_guard<std::mutex> guard(guard_);
        unsigned number = mapped;
        while (disks_.count(number) != 0)
            ++number;
        disks_[number] = std::make_shared<ArrivedDisk>(number, std::move(owner), bytes, std::move(volumes), signature);
        pending = PendingLetters{number, letters_.polls, letters_.letter};
        if (pending.pollsLeft != KSArrivalLetters::kNever && pending.pollsLeft != 0)
            pending_.push_back(pending);
    }
    if (pending.pollsLeft == 0)
        GiveLetters(pending);
    return static_cast<int>(pending.disk);
}

bool ArrivedDisks::Remove(unsigned number, const KSDevice* owner)
{
    std::shared_ptr<ArrivedDisk> disk;
    {
        std::lock_guard<std::mutex> guard(guard_);
        auto found = disks_.find(number);
        if (found == disks_.end() || (owner != nullptr && !found->second->OwnedBy(owner)))
            return false;
        disk = found->second;
        disks_.erase(found);
        pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                      [number](const PendingLetters& p) { return p.disk == number; }),
                       pending_.end());
    }
    std::vector<char> letters;
    DriveTable::Instance().ForEach([&](const KSDriveEntry& drive) {
        if (drive.hasVolume && drive.volume.disk == number)
            letters.push_back(drive.letter);
    });
    for (char letter : letters)
        DriveTable::Instance().Remove(letter);
    for (const DosVolume& volume : disk->Volumes())
        KSPlatformSetVolumeMounted(number, volume.start, false);
    disk->Remove();
    return true;
}

void ArrivedDisks::Clear()
{
    for (const std::shared_ptr<ArrivedDisk>& disk : All())
        Remove(disk->Number());
    std::lock_guard<std::mutex> guard(guard_);
    letters_ = KSArrivalLetters{};
}

std::shared_ptr<ArrivedDisk> ArrivedDisks::Find(unsigned number) const
{
    std::lock_guard<std::mutex> guard(guard_);
    auto found = disks_.find(number);
    return found == disks_.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<ArrivedDisk>> ArrivedDisks::All() const
{
    std::lock_guard<std::mutex> guard(guard_);
    std::vector<std::shared_ptr<ArrivedDisk>> all;
    for (const auto& entry : disks_)
        all.push_back(entry.second);
    return all;
}

void ArrivedDisks::SetLetters(const KSArrivalLetters& letters)
{
    std::lock_guard<std::mutex> guard(guard_);
    letters_ = letters;
}

void ArrivedDisks::Poll()
{
    std::vector<PendingLetters> due;
    {
        std::lock_guard<std::mutex> guard(guard_);
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (--it->pollsLeft == 0) {
                due.push_back(*it);
                it = pending_.erase(it);
            } else
                ++it;
        }
    }
    for (const PendingLetters& pending : due)
        GiveLetters(pending);
}

// Each volume without a letter by now gets one through the mount point call, as the
// mount manager gives it; a volume given one meanwhile keeps it.
void ArrivedDisks::GiveLetters(const PendingLetters& pending)
{
    std::shared_ptr<ArrivedDisk> disk = Find(pending.disk);
    if (!disk)
        return;
    bool first = true;
    for (const DosVolume& volume : disk->Volumes()) {
        const bool chosen = first && pending.first != 0 &&
                            !DriveTable::Instance().Find(DriveIndexLetter(static_cast<unsigned char>(pending.first)));
        first = false;
        if (KSPlatformDriveLetterOf(pending.disk, volume.start) != 0)
            continue;
        const char letter = chosen ? DriveIndexLetter(static_cast<unsigned char>(pending.first)) : FirstFreeLetter();
        if (letter == 0)
            return;   // every letter is taken
        const std::wstring root{static_cast<wchar_t>(letter), L':', L'\\'};
        const std::wstring name =
            L"\\\\?\\Volume" + WideText(KSPlatformVolumeGuid(pending.disk, volume.start)) + L"\\";
        SetVolumeMountPointW(root.c_str(), name.c_str());
    }
}

} // namespace ks_platform

using ks_platform::ArrivedDisks;

void KSPlatformSetArrivalLetters(const KSArrivalLetters& letters) { ArrivedDisks::Instance().SetLetters(letters); }

int KSPlatformDiskArrival(std::shared_ptr<KSDevice> disk) { return ArrivedDisks::Instance().Arrive(std::move(disk)); }

bool KSPlatformDiskRemoval(unsigned disk, const KSDevice* owner)
{
    return ArrivedDisks::Instance().Remove(disk, owner);
}

std::vector<unsigned> KSPlatformArrivedDisks()
{
    std::vector<unsigned> numbers;
    for (const std::shared_ptr<ks_platform::ArrivedDisk>& disk : ArrivedDisks::Instance().All())
        numbers.push_back(disk->Number());
    return numbers;
}

bool KSPlatformArrivedVolumeControls(unsigned disk, unsigned partition, KSArrivedVolumeControls& controls)
{
    std::shared_ptr<ks_platform::ArrivedDisk> arrived = ArrivedDisks::Instance().Find(disk);
    return arrived && arrived->Controls(partition, controls);
}
