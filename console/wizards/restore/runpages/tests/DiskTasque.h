// A command object over one in-memory disk, for the progress page's tests: the
// partition commands act on the disk's list, the restore commands are recorded, and
// a named command can be made to fail. Every other command fails.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "FakeDeviceTree.h"
#include "IRestoreDiskTables.h"
#include "ITasque.h"

constexpr unsigned long kFakeFailure = 0x01009009;

class DiskTasque : public ITasque {
public:
    explicit DiskTasque(FakeDisk& disk) : disk_(disk) {}

    std::vector<std::string> calls;
    std::string failing;      // the command that fails
    int failingFromCall = 0;  // ... from its n-th call on (0: the first)
    std::vector<_RESTORE_INFO> restores;
    std::vector<unsigned long> options;
    int executes = 0;
    bool noFileSystemEditor = false; // found partitions offer no extend-info editor
    std::vector<_KS_PARTITION_INFO> partitions; // the enumeration's records of the disk
    std::vector<_KS_PROGRESS_INFO> timeline;    // progress records, the last one repeats
    _KS_DISK_INFO diskInfo{};
    unsigned long long diskCount = 0;

    unsigned long EnumInit() override { return No("EnumInit"); }
    unsigned long EnumGetDiskCount(unsigned long long* count) override
    {
        *count = diskCount;
        return Fails("EnumGetDiskCount") ? kFakeFailure : 0;
    }
    unsigned long EnumGetDiskInfo(unsigned long long, _KS_DISK_INFO* record) override
    {
        *record = diskInfo;
        return Fails("EnumGetDiskInfo") ? kFakeFailure : 0;
    }
    unsigned long EnumGetPartitionCount(unsigned long long, unsigned long long* count) override
    {
        *count = partitions.size();
        return Fails("EnumGetPartitionCount") ? kFakeFailure : 0;
    }
    unsigned long EnumGetPartitionInfo(unsigned long long, unsigned long long index,
                                       _KS_PARTITION_INFO* record) override
    {
        if (Fails("EnumGetPartitionInfo") || index >= partitions.size())
            return kFakeFailure;
        *record = partitions[index];
        return 0;
    }
    unsigned long RestoreSetImgInfo(_KS_VERSION*, wchar_t*) override { return No("RestoreSetImgInfo"); }
    unsigned long RestoreGetImageVersions(_KS_VERSION*, unsigned long, unsigned long*, wchar_t*) override
    {
        return No("RestoreGetImageVersions");
    }
    unsigned long RestoreGetImgVolumes(_KS_VOLUME*, unsigned long, unsigned long*, _KS_VERSION*) override
    {
        return No("RestoreGetImgVolumes");
    }
    unsigned long RestoreGetVerComment(wchar_t*, unsigned long, unsigned long*, _KS_VERSION*) override
    {
        return No("RestoreGetVerComment");
    }
    unsigned long AddRestore(_KS_VOLUME*, const _RESTORE_INFO* target, unsigned long option) override
    {
        if (Fails("AddRestore"))
            return kFakeFailure;
        restores.push_back(*target);
        options.push_back(option);
        return 0;
    }
    unsigned long AddDiskRestore(const _RESTORE_INFO*, const _RESTORE_INFO*, unsigned long) override
    {
        return No("AddDiskRestore");
    }
    unsigned long RestoreSetStringParam(const wchar_t*) override { return No("RestoreSetStringParam"); }
    unsigned long RestoreExecute() override
    {
        ++executes;
        return Fails("RestoreExecute") ? kFakeFailure : 0;
    }
    unsigned long RestoreSetCallBack(KS_CMD_CALLBACK, void*) override { return Fails("RestoreSetCallBack") ? 1 : 0; }
    unsigned long RestoreGetProgress(_KS_PROGRESS_INFO* progress) override
    {
        calls.push_back("RestoreGetProgress");
        if (timeline.empty())
            return kFakeFailure;
        *progress = timeline.front();
        if (timeline.size() > 1)
            timeline.erase(timeline.begin());
        return 0;
    }
    unsigned long RestoreUserCancel() override { return Fails("RestoreUserCancel") ? 1 : 0; }
    unsigned long RestoreIsPwdProtect(wchar_t*) override { return No("RestoreIsPwdProtect"); }
    unsigned long RestoreSetPassword(wchar_t*, unsigned long) override { return No("RestoreSetPassword"); }
    unsigned long RestoreSetDiskMode(unsigned long) override { return No("RestoreSetDiskMode"); }
    unsigned long CheckIsPwdProtect(wchar_t*) override { return No("CheckIsPwdProtect"); }
    unsigned long CheckSetPassword(wchar_t*, unsigned long) override { return No("CheckSetPassword"); }
    unsigned long CheckSetImgInfo(_KS_VERSION*, wchar_t*) override { return No("CheckSetImgInfo"); }
    unsigned long CheckGetImageVersions(_KS_VERSION*, unsigned long, int*, wchar_t*) override { return No("c"); }
    unsigned long CheckGetImgVolumes(_KS_VOLUME*, unsigned long, int*, _KS_VERSION*) override { return No("c"); }
    unsigned long CheckGetVerComment(wchar_t*, unsigned long, int*, _KS_VERSION*) override { return No("c"); }
    unsigned long AddCheck(_KS_VOLUME*) override { return No("AddCheck"); }
    unsigned long CheckExecute() override { return No("CheckExecute"); }
    unsigned long CheckSetPromptCall(KS_CMD_CALLBACK, void*) override { return No("CheckSetPromptCall"); }
    unsigned long CheckGetProgress(_KS_PROGRESS_INFO*) override { return No("CheckGetProgress"); }
    unsigned long CheckUserCancel() override { return No("CheckUserCancel"); }
    unsigned long DeletePartition(uint8_t, unsigned long long first, unsigned long long count) override
    {
        if (Fails("DeletePartition"))
            return kFakeFailure;
        if (first == ~0ull)
            return disk_.DeleteAllPartitions();
        IManagerItem* item = Find(first, count);
        return item != nullptr ? disk_.DeletePartition(item) : kFakeFailure;
    }
    unsigned long IsBadDisk(uint8_t, unsigned long long, unsigned long long) override { return No("IsBadDisk"); }
    unsigned long AddPartition(uint8_t, AddPartitionParam record) override
    {
        if (Fails("AddPartition"))
            return kFakeFailure;
        return disk_.CreatePartition(&record, 0) != nullptr ? 0 : kFakeFailure;
    }
    unsigned long FindPartition(uint8_t, unsigned long long first, unsigned long long count,
                                IManagerItem** item) override
    {
        finds.push_back({first, count});
        if (Fails("FindPartition"))
            return kFakeFailure;
        *item = Find(first, count);
        if (*item != nullptr && noFileSystemEditor)
            static_cast<FakePartition*>(*item)->d.hasFileSystem = false;
        return *item != nullptr ? 0 : kFakeFailure;
    }
    unsigned long GetDiskItem(uint8_t, IManagerItem** item) override
    {
        if (Fails("GetDiskItem"))
            return kFakeFailure;
        *item = &disk_;
        return 0;
    }
    unsigned long CheckFileSystem(unsigned long, unsigned long, unsigned long, unsigned long) override
    {
        return No("CheckFileSystem");
    }
    unsigned long Release() override { return 0; }

    std::vector<std::pair<unsigned long long, unsigned long long>> finds;

private:
    unsigned long No(const char* name)
    {
        calls.push_back(name);
        return kFakeFailure;
    }
    bool Fails(const char* name)
    {
        calls.push_back(name);
        if (failing != name)
            return false;
        return failingFromCall-- <= 0;
    }
    IManagerItem* Find(unsigned long long first, unsigned long long count)
    {
        IIterator* it = disk_.CreateIterator();
        IManagerItem* found = nullptr;
        while (IManagerItem* item = it->Next()) {
            auto* e = item->GetInterfaceT<IPartitionEntry>(MomGetTypeNameT<IPartitionEntry>());
            if (e->GetPartitionType() != 0 && e->GetStartSector() == first && e->GetSectorCount() == count) {
                found = item;
                break;
            }
        }
        it->Release();
        return found;
    }
    FakeDisk& disk_;
};

// Records table writes and refreshes into the command object's call list.
class RecordingTables : public IRestoreDiskTables {
public:
    explicit RecordingTables(std::vector<std::string>& calls) : calls_(calls) {}
    int writes = 0;
    int refreshes = 0;
    unsigned long writeResult = 0;
    unsigned long Write(IManagerItem*) override
    {
        calls_.push_back("Write");
        ++writes;
        return writeResult;
    }
    void Refresh() override
    {
        calls_.push_back("Refresh");
        ++refreshes;
    }

private:
    std::vector<std::string>& calls_;
};
