// What the scripted device manager module (a test stand-in loaded as "Vessmar.mo")
// lists, and what it counts. Tests reach the one control block of the loaded module
// through the exported FakeVessmarControlOf and change it between calls; each new
// iterator lists the disks as the block describes them at that moment.
#pragma once

#include <string>
#include <vector>

#include "vessmar/FileSystemType.h"
#include "vessmar/IDiskEntry.h"

struct ScriptedPartition {
    // Interfaces the item answers.
    bool entry = true;
    bool fileSystem = true;
    bool extendInfo = true;
    bool bootInfo = true;
    bool volume = true;
    // IPartitionEntry
    unsigned long long start = 63, count = 2048, hidden = 63;
    bool active = false, primary = true;
    unsigned int type = 0x06;
    // IFileSystemPartition, IFileSystemPartitionExtendInfo
    std::string label = "LABEL";
    bool nullLabel = false;
    enumFILE_SYSTEM_TYPE fileSystemType = FILE_SYSTEM_FAT16;
    unsigned long long serial = 0x1234ABCDull;
    unsigned long long used = 100;
    int sectorsPerCluster = 4;
    // IPartitionBootInfo
    bool hasBootRecord = false, systemPartition = false;
    // IVolumeEntryInfo
    char letter = 0;
};

struct ScriptedDisk {
    bool entry = true;
    bool geometry = true;
    bool deviceType = true;
    bool partitionManager = true;
    std::string model = "Scripted disk";
    bool nullModel = false;
    std::string deviceName = "\\\\.\\PhysicalDrive0";
    unsigned long long cylinders = 1024, totalSectors = 16450560;
    unsigned int heads = 255, sectorsPerTrack = 63, bytesPerSector = 512;
    unsigned int diskType = 2;
    _Interface_Type interfaceType = INTERFACE_TYPE_ATA;
    bool bad = false;
    std::vector<ScriptedPartition> partitions;
};

struct FakeVessmarControl {
    // What the module does.
    bool rootAnswers = true;  // the root answers "IVessmarModule"
    bool openGivesNull = false;
    bool noManager = false;
    std::vector<ScriptedDisk> disks;
    // What it was asked.
    int getModuleCalls = 0;
    int openCalls = 0;
    int attachCalls = 0;
    int liveIterators = 0; // iterators made and not yet released
};

typedef FakeVessmarControl* (*FakeVessmarControlFn)();
