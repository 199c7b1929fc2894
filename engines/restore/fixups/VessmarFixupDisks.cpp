#include "FixupDisks.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "MomPtr.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionBootInfo.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IPartitionTableChainWriter.h"
#include "vessmar/IVessmarModule.h"
#include "vessmar/IVolumeEntryInfo.h"

namespace {

template <class I>
I* Ask(IObject* object)
{
    return object != nullptr ? object->GetInterfaceT<I>(MomGetTypeNameT<I>()) : nullptr;
}

// "\\.\PhysicalDriveN": N after the first 17 characters.
long DiskNumberOf(IObject* disk)
{
    IDiskEntry* entry = Ask<IDiskEntry>(disk);
    const char* name = entry ? entry->GetDeviceName() : nullptr;
    if (name == nullptr || std::strlen(name) <= 17)
        return -1;
    return std::atol(name + 17);
}

class VessmarVolume final : public IFixupVolume {
public:
    VessmarVolume(IManagerItem* item, IManagerItem* disk) : item_(item), disk_(disk) {}

    uint64_t Start() override { return Entry() ? Entry()->GetStartSector() : 0; }
    uint64_t Sectors() override { return Entry() ? Entry()->GetSectorCount() : 0; }
    uint64_t Hidden() override { return Entry() ? Entry()->GetHiddenSectors() : 0; }
    bool Primary() override { return Entry() && Entry()->IsPrimary(); }
    unsigned TypeId() override { return Entry() ? Entry()->GetPartitionType() : 0; }
    unsigned FileSystem() override
    {
        IFileSystemPartition* fs = Ask<IFileSystemPartition>(item_);
        return fs ? static_cast<unsigned>(fs->GetFileSystemType()) : static_cast<unsigned>(FILE_SYSTEM_OTHER);
    }
    unsigned long ReadBootSector(unsigned char sector[512]) override
    {
        IPartitionBootInfo* boot = Ask<IPartitionBootInfo>(item_);
        return boot ? boot->ReadBootSector(sector, 1) : 0;
    }
    unsigned long WriteBootSector(const unsigned char sector[512]) override
    {
        IPartitionBootInfo* boot = Ask<IPartitionBootInfo>(item_);
        return boot ? boot->WriteBootSector(sector, 1) : 0;
    }
    // The partition the restored system starts from: an active primary partition with a
    // boot record. (The device manager's own boot answers speak of the system running
    // now, which a restore target never is.)
    bool IsSystemPartition() override
    {
        unsigned char sector[512] = {};
        return Entry() && Entry()->IsPrimary() && Entry()->IsActive() && ReadBootSector(sector) == 1 &&
               sector[510] == 0x55 && sector[511] == 0xAA;
    }
    char Letter() override { return Volume() ? Volume()->GetDriveLetter() : 0; }
    unsigned long SetLetter(char letter) override { return Volume() ? Volume()->SetDriveLetter(letter) : 1; }
    std::string MountName() override
    {
        const char* name = Volume() ? Volume()->GetMountName() : nullptr;
        return name ? name : "";
    }
    unsigned long Mount() override { return Volume() ? Volume()->MountVolume() : 1; }
    bool IsMounted(char hint) override { return Volume() && Volume()->IsVolumeMounted(hint); }
    unsigned long Unmount() override { return Volume() ? Volume()->UnmountVolume() : 1; }
    unsigned long MakeActive() override
    {
        IPartitionEntryEditor* editor = Ask<IPartitionEntryEditor>(item_);
        IPartitionTableChainWriter* writer = Ask<IPartitionTableChainWriter>(disk_);
        if (editor == nullptr || writer == nullptr)
            return 1;
        if (const unsigned long rc = editor->SetActive(true))
            return rc;
        return writer->Write();
    }

private:
    IPartitionEntry* Entry() { return Ask<IPartitionEntry>(item_); }
    IVolumeEntryInfo* Volume() { return Ask<IVolumeEntryInfo>(item_); }
    IManagerItem* item_;
    IManagerItem* disk_;
};

class VessmarDisks final : public IFixupDisks {
public:
    bool Open(bool rescan) override
    {
        if (!rescan && manager_ != nullptr)
            return true;
        Forget();
        IVessmarModule* module = OpenModuleT<IVessmarModule>("Vessmar");
        if (module == nullptr)
            return false;
        module->Refresh(0);
        manager_ = module->GetManager();
        return manager_ != nullptr;
    }

    std::vector<IFixupVolume*> Partitions(unsigned disk) override
    {
        std::vector<IFixupVolume*> found;
        IManagerItem* item = Disk(disk);
        IPartitionManager* partitions = Ask<IPartitionManager>(item);
        if (partitions == nullptr)
            return found;
        IIterator* walk = Hold(partitions->CreateIterator());
        while (IManagerItem* partition = walk ? walk->Next() : nullptr) {
            IPartitionEntry* entry = Ask<IPartitionEntry>(partition);
            if (entry == nullptr || entry->GetPartitionType() == 0)
                continue;
            volumes_.emplace_back(new VessmarVolume(partition, item));
            found.push_back(volumes_.back().get());
        }
        return found;
    }

    bool Geometry(unsigned disk, uint32_t& heads, uint32_t& sectorsPerTrack) override
    {
        IDiskGeometry* geometry = Ask<IDiskGeometry>(Disk(disk));
        if (geometry == nullptr)
            return false;
        heads = geometry->GetTracksPerCylinder();
        sectorsPerTrack = geometry->GetSectorsPerTrack();
        return true;
    }

private:
    IManagerItem* Disk(unsigned number)
    {
        if (manager_ == nullptr)
            return nullptr;
        IIterator* walk = Hold(manager_->CreateIterator());
        while (IManagerItem* disk = walk ? walk->Next() : nullptr)
            if (DiskNumberOf(disk) == static_cast<long>(number))
                return disk;
        return nullptr;
    }
    // The iterator lives as long as the items it handed out are used.
    IIterator* Hold(IIterator* iterator)
    {
        iterators_.emplace_back(new CMomPtr<IIterator>(iterator));
        return iterators_.back()->Get();
    }
    void Forget()
    {
        volumes_.clear();
        iterators_.clear();
        manager_ = nullptr;
    }

    IManager* manager_ = nullptr;
    std::vector<std::unique_ptr<CMomPtr<IIterator>>> iterators_;
    std::vector<std::unique_ptr<VessmarVolume>> volumes_;
};

} // namespace

IFixupDisks& VessmarFixupDisks()
{
    static VessmarDisks disks;
    return disks;
}
