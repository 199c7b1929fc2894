// The interfaces of the outside modules are a binary contract: each operation sits at
// a fixed place in its object's table of virtual operations, and a module built
// elsewhere calls and answers by that place alone. Inserting, removing or reordering
// an operation in a header breaks every module of the other side without a compiler
// error, so the places are checked here.
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

#include "MomPtr.h"
#include "common/ICommonModule.h"
#include "vessmar/IContainer.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionBootInfo.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IPartitionManagerParameterCheck.h"
#include "vessmar/IPartitionTableChainWriter.h"
#include "vessmar/IVessmarModule.h"
#include "vessmar/IVolumeEntryInfo.h"

namespace {

// The place of a virtual operation, from its member pointer as the Itanium C++ ABI
// lays it out: the table offset in bytes plus one. -1 for an operation that is not
// virtual.
template <class C, class R, class... A>
long SlotOf(R (C::*operation)(A...))
{
    struct Representation {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    };
    static_assert(sizeof(operation) == sizeof(Representation), "member pointer layout");
    Representation r;
    std::memcpy(&r, &operation, sizeof(r));
    if ((r.pointer & 1) == 0)
        return -1;
    return static_cast<long>((r.pointer - 1) / sizeof(void*));
}

struct Case {
    const char* operation;
    long slot;
    long want;
};

#define SLOT(Interface, Operation, want) Case{#Interface "::" #Operation, SlotOf(&Interface::Operation), want}

void ExpectSlots(std::initializer_list<Case> cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(c.slot, c.want) << c.operation;
}

} // namespace

TEST(InterfaceSlots, RootOperations)
{
    ExpectSlots({SLOT(IObject, GetInterface, 0), SLOT(IObject, Release, 1), SLOT(IObject, AddRef, 2),
                 SLOT(IObject, ObjectReserved3, 3), SLOT(IObject, ObjectReserved4, 4)});
}

TEST(InterfaceSlots, DeviceManagerInterfaces)
{
    ExpectSlots({
        SLOT(IVessmarModule, Open, 7),
        SLOT(IVessmarModule, Refresh, 8),
        SLOT(IVessmarModule, GetManager, 9),
        SLOT(IVessmarModule, Attach, 10),
        SLOT(IContainer, GetCount, 5),
        SLOT(IContainer, CreateIterator, 6),
        SLOT(IIterator, Next, 5),
        SLOT(IManagerItem, GetParent, 6),
        SLOT(IDiskEntry, GetTotalSectors, 6),
        SLOT(IDiskEntry, GetDeviceName, 7),
        SLOT(IDiskEntry, GetModelName, 8),
        SLOT(IDiskEntry, GetInterfaceType, 12),
        SLOT(IDiskGeometry, GetCylinders, 5),
        SLOT(IDiskGeometry, GetTracksPerCylinder, 6),
        SLOT(IDiskGeometry, GetSectorsPerTrack, 7),
        SLOT(IDiskGeometry, GetBytesPerSector, 8),
        SLOT(IDiskDeviceType, GetDiskType, 5),
        SLOT(IPartitionEntry, GetStartSector, 5),
        SLOT(IPartitionEntry, GetSectorCount, 6),
        SLOT(IPartitionEntry, GetHiddenSectors, 8),
        SLOT(IPartitionEntry, IsActive, 9),
        SLOT(IPartitionEntry, IsPrimary, 10),
        SLOT(IPartitionEntry, GetPartitionType, 11),
        SLOT(IPartitionEntryEditor, SetActive, 5),
        SLOT(IPartitionEntryEditor, SetPartitionType, 6),
        SLOT(IPartitionManager, GetCount, 5),
        SLOT(IPartitionManager, CreateIterator, 6),
        SLOT(IPartitionManager, CreatePartition, 7),
        SLOT(IPartitionManager, DeletePartition, 8),
        SLOT(IPartitionManager, DeleteAllPartitions, 9),
        SLOT(IPartitionManager, IsBadDisk, 10),
        SLOT(IPartitionManager, TestWholeDisk, 11),
        SLOT(IPartitionManagerParameterCheck, CheckItem, 5),
        SLOT(IPartitionTableChainWriter, Write, 5),
        SLOT(IFileSystemPartition, GetVolumeLabel, 5),
        SLOT(IFileSystemPartition, GetFileSystemType, 6),
        SLOT(IFileSystemPartition, GetVolumeSerial, 7), // the third own operation, a u64
        SLOT(IFileSystemPartitionExtendInfo, GetUsedSectors, 5),
        SLOT(IFileSystemPartitionExtendInfo, GetSectorsPerCluster, 6),
        SLOT(IFileSystemPartitionExtendInfo, GetReservedSectors, 7),
        SLOT(IFileSystemPartitionExtendInfoEditor, SetUsedSectors, 5),
        SLOT(IFileSystemPartitionExtendInfoEditor, SetUsedSectorsSource, 10),
        // The disk enumeration reads the first and third own operations as flags.
        SLOT(IPartitionBootInfo, HasBootRecord, 5),
        SLOT(IPartitionBootInfo, ReadBootSector, 6),
        SLOT(IPartitionBootInfo, IsSystemPartition, 7),
        SLOT(IPartitionBootInfo, WriteBootSector, 8),
        SLOT(IVolumeEntryInfo, GetDriveLetter, 5),
        SLOT(IVolumeEntryInfo, GetMountName, 6),
        SLOT(IVolumeEntryInfo, SetDriveLetter, 7),
        SLOT(IVolumeEntryInfo, MountVolume, 8),
        SLOT(IVolumeEntryInfo, IsVolumeMounted, 9),
        SLOT(IVolumeEntryInfo, UnmountVolume, 10),
    });
}

TEST(InterfaceSlots, TextConversionInterface)
{
    ExpectSlots({
        SLOT(ICommonModule, MultiByteToWide, 7),
        SLOT(ICommonModule, ConvertText, 8),
        SLOT(ICommonModule, NarrowToWide, 9),
        SLOT(ICommonModule, WideToNarrow, 10),
        SLOT(ICommonModule, WideToMultiByte, 11),
    });
}
