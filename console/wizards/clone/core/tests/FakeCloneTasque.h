// A command object over in-memory disk records for the clone's unit tests: it answers
// the enumeration calls from the records, refuses AddPartition as scripted, records
// every partition and copy call, and hands out disk items with a geometry.
#pragma once

#include <cstring>
#include <deque>
#include <vector>

#include "CloneDiskRecords.h"
#include "ITasque.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IManagerItem.h"

class FakeCloneDiskItem : public IManagerItem, public IDiskGeometry {
public:
    uint32_t tracks = 255, spt = 63;
    IObject* GetInterface(const char* key) override
    {
        if (std::strcmp(key, MomGetTypeNameT<IManagerItem>()) == 0)
            return static_cast<IManagerItem*>(this);
        if (std::strcmp(key, MomGetTypeNameT<IDiskGeometry>()) == 0)
            return static_cast<IDiskGeometry*>(this);
        return nullptr;
    }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long ManagerItemReserved5() override { return 0; }
    IManagerItem* GetParent() override { return nullptr; }
    unsigned long long GetCylinders() override { return 1024; }
    uint32_t GetTracksPerCylinder() override { return tracks; }
    uint32_t GetSectorsPerTrack() override { return spt; }
    uint32_t GetBytesPerSector() override { return 512; }
};

struct FakeCopyCall {
    _RESTORE_INFO source, target;
    unsigned long flag;
};

class FakeCloneTasque : public ITasque {
public:
    std::vector<CloneDiskRecords> disks;
    std::vector<FakeCloneDiskItem> items;
    std::deque<bool> addAnswers;  // false refuses one AddPartition; empty accepts
    std::vector<AddPartitionParam> addCalls;
    std::vector<AddPartitionParam> created;
    std::vector<FakeCopyCall> copies;
    int released = 0;

    unsigned long EnumInit() override { return 0; }
    unsigned long EnumGetDiskCount(unsigned long long* count) override
    {
        *count = disks.size();
        return 0;
    }
    unsigned long EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record) override
    {
        if (disk >= disks.size())
            return 1;
        *record = disks[disk].disk;
        return 0;
    }
    unsigned long EnumGetPartitionCount(unsigned long long disk, unsigned long long* count) override
    {
        *count = disk < disks.size() ? disks[disk].partitions.size() : 0;
        return 0;
    }
    unsigned long EnumGetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                       _KS_PARTITION_INFO* record) override
    {
        if (disk >= disks.size() || partition >= disks[disk].partitions.size())
            return 1;
        *record = disks[disk].partitions[partition];
        return 0;
    }
    unsigned long RestoreSetImgInfo(_KS_VERSION*, wchar_t*) override { return 0; }
    unsigned long RestoreGetImageVersions(_KS_VERSION*, unsigned long, unsigned long*, wchar_t*) override { return 0; }
    unsigned long RestoreGetImgVolumes(_KS_VOLUME*, unsigned long, unsigned long*, _KS_VERSION*) override { return 0; }
    unsigned long RestoreGetVerComment(wchar_t*, unsigned long, unsigned long*, _KS_VERSION*) override { return 0; }
    unsigned long AddRestore(_KS_VOLUME*, const _RESTORE_INFO*, unsigned long) override { return 0; }
    unsigned long AddDiskRestore(const _RESTORE_INFO* source, const _RESTORE_INFO* target, unsigned long flag) override
    {
        copies.push_back({*source, *target, flag});
        return 0;
    }
    unsigned long RestoreSetStringParam(const wchar_t*) override { return 0; }
    unsigned long RestoreExecute() override { return 0; }
    unsigned long RestoreSetCallBack(KS_CMD_CALLBACK, void*) override { return 0; }
    unsigned long RestoreGetProgress(_KS_PROGRESS_INFO*) override { return 0; }
    unsigned long RestoreUserCancel() override { return 0; }
    unsigned long RestoreIsPwdProtect(wchar_t*) override { return 0; }
    unsigned long RestoreSetPassword(wchar_t*, unsigned long) override { return 0; }
    unsigned long RestoreSetDiskMode(unsigned long) override { return 0; }
    unsigned long CheckIsPwdProtect(wchar_t*) override { return 0; }
    unsigned long CheckSetPassword(wchar_t*, unsigned long) override { return 0; }
    unsigned long CheckSetImgInfo(_KS_VERSION*, wchar_t*) override { return 0; }
    unsigned long CheckGetImageVersions(_KS_VERSION*, unsigned long, int*, wchar_t*) override { return 0; }
    unsigned long CheckGetImgVolumes(_KS_VOLUME*, unsigned long, int*, _KS_VERSION*) override { return 0; }
    unsigned long CheckGetVerComment(wchar_t*, unsigned long, int*, _KS_VERSION*) override { return 0; }
    unsigned long AddCheck(_KS_VOLUME*) override { return 0; }
    unsigned long CheckExecute() override { return 0; }
    unsigned long CheckSetPromptCall(KS_CMD_CALLBACK, void*) override { return 0; }
    unsigned long CheckGetProgress(_KS_PROGRESS_INFO*) override { return 0; }
    unsigned long CheckUserCancel() override { return 0; }
    unsigned long DeletePartition(uint8_t, unsigned long long, unsigned long long) override { return 0; }
    unsigned long IsBadDisk(uint8_t disk, unsigned long long, unsigned long long) override
    {
        return disk < disks.size() ? disks[disk].disk.BadDisk : 0;
    }
    unsigned long AddPartition(uint8_t, AddPartitionParam record) override
    {
        addCalls.push_back(record);
        bool accept = true;
        if (!addAnswers.empty()) {
            accept = addAnswers.front();
            addAnswers.pop_front();
        }
        if (!accept)
            return 0x00070009;
        created.push_back(record);
        return 0;
    }
    unsigned long FindPartition(uint8_t, unsigned long long, unsigned long long, IManagerItem**) override { return 1; }
    unsigned long GetDiskItem(uint8_t disk, IManagerItem** item) override
    {
        if (disk >= items.size())
            return 1;
        *item = &items[disk];
        return 0;
    }
    unsigned long CheckFileSystem(unsigned long, unsigned long, unsigned long, unsigned long) override { return 0; }
    unsigned long Release() override
    {
        ++released;
        return 0;
    }
};
