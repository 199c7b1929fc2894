// The stand-in driver itself: its volumes, its snapshots, the test switches, and the
// answer to each control code. One per process.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "KSSnapshotDriver.h"
#include "SnapshotState.h"
#include "SnapshotVolume.h"

class SnapshotDriver {
public:
    static SnapshotDriver& Instance();

    void Install();
    void Remove();
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned);
    // A write of the volume's sectors through the running snapshot.
    DWORD WriteVolume(const std::shared_ptr<SnapshotVolume>& volume, uint64_t first, uint32_t count,
                      const void* data);
    std::shared_ptr<SnapshotVolume> VolumeOf(char letter);

    void RefuseCacheSize(uint32_t bytes);
    void FailControl(uint32_t code, DWORD error);
    void SetSectorSize(uint32_t bytes);
    void ForgetUnlinked(bool forget);
    void SetRingWait(DWORD milliseconds);
    void OnRequest(std::function<void(uint32_t)> hook);
    void BeforeRequest(std::function<DWORD(const KSSnapshotDriverCall&)> hook);
    std::vector<KSSnapshotDriverCall> Calls();
    uint64_t PreservedBlocks();
    unsigned LiveSnapshots();
    unsigned QueuedBlocks();

private:
    // The test's before-request hook, if any: ERROR_SUCCESS lets the request go on.
    DWORD BeforeAnswer(DWORD code, const void* in, DWORD inSize, const void* out, DWORD outSize);
    DWORD Dispatch(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned,
                   KSSnapshotDriverCall& call);
    DWORD Create(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned, KSSnapshotDriverCall& call);
    DWORD ReadSnapshot(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned,
                       KSSnapshotDriverCall& call);
    DWORD TransferSectors(bool write, void* out, DWORD outSize, DWORD& returned, KSSnapshotDriverCall& call);
    SnapshotState* Find(uint64_t id);
    SnapshotState* RunningOn(const SnapshotVolume& volume);
    std::shared_ptr<SnapshotVolume> VolumeById(uint32_t id);

    std::mutex lock_;
    std::map<char, std::shared_ptr<SnapshotVolume>> volumes_;
    std::map<uint64_t, std::unique_ptr<SnapshotState>> snapshots_;
    uint64_t nextId_ = 0x1000;
    std::set<uint32_t> refusedCacheSizes_;
    std::map<uint32_t, DWORD> failures_;
    uint32_t sectorSize_ = 512;
    bool forget_ = false;
    DWORD ringWaitMs_ = 10000;
    std::vector<KSSnapshotDriverCall> calls_;
    std::function<void(uint32_t)> hook_;
    std::function<DWORD(const KSSnapshotDriverCall&)> beforeHook_;
    uint64_t preservedBlocks_ = 0;
};
