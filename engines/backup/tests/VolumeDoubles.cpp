#include "VolumeDoubles.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "ICensa.h"
#include "IKSDevIO.h"
#include "IKSQuelm.h"
#include "KSFSSupport.h"
#include "KSResult.h"

namespace {
VolumeWorld* g_world = nullptr;

void FillSectors(uint64_t first, unsigned long count, void* buffer)
{
    auto* p = static_cast<uint8_t*>(buffer);
    for (unsigned long i = 0; i < count; ++i)
        std::memset(p + i * 512, World().sectorByte(first + i), 512);
}

class FakeCensa : public ICensa {
public:
    unsigned long Init() override { return 0; }
    unsigned long GetDiskCount(unsigned long long* count) override { *count = 1; return 0; }
    unsigned long GetDiskInfo(unsigned long long, _KS_DISK_INFO* info) override { *info = World().disk; return 0; }
    unsigned long GetPartitionCount(unsigned long long, unsigned long long* count) override { *count = 1; return 0; }
    unsigned long GetPartitionInfo(unsigned long long, unsigned long long, _KS_PARTITION_INFO* info,
                                   unsigned long long* hidden) override
    {
        *info = World().partition;
        if (hidden != nullptr)
            *hidden = World().partition.HiddenSectors;
        return 0;
    }
    std::string GetDiskPath(unsigned long long) override { return "\\\\.\\PhysicalDrive0"; }
    unsigned long Stop() override { return 0; }
};

ICensa* CreateFakeCensa()
{
    static FakeCensa censa;
    return &censa;
}

class FakeDevIO final : public IKSDevIO {
public:
    unsigned long Release() override { delete this; return 0; }
    unsigned long Open(const char*) override { return 0; }
    unsigned long Close() override { return 0; }
    unsigned long Read(unsigned long low, unsigned long high, unsigned long count, void* buffer) override
    {
        FillSectors((static_cast<uint64_t>(high) << 32) | low, count, buffer);
        return 0;
    }
    unsigned long Write(unsigned long, unsigned long, unsigned long, const void*) override { return 1; }
};

unsigned long CreateFakeDevIO(unsigned long, unsigned long, void** out)
{
    *out = static_cast<IKSDevIO*>(new FakeDevIO());
    return 0;
}

class FakeFsReader final : public IKSFSSupport {
public:
    unsigned long ReadSectors(unsigned long long, unsigned long, void*) override { return 0; }
    unsigned long Release() override { delete this; return 0; }
    unsigned long InitFileSystem(KS_READ_SECTORS_CALLBACK, KS_WRITE_SECTORS_CALLBACK, void*) override { return 0; }
    unsigned long GetFileSystem() override { return World().fsKind; }
    unsigned long GetBitMap(void* destination, unsigned long long* firstBit, unsigned long* bitCount) override
    {
        const uint64_t clusters = Clusters();
        if (*firstBit > clusters)
            return KS_RESULT(KS_MODULE_FSSUPPORT, 0x009);
        if (*bitCount > clusters - *firstBit)
            *bitCount = static_cast<unsigned long>(clusters - *firstBit);
        auto* out = static_cast<uint8_t*>(destination);
        std::memset(out, 0, (*bitCount + 7) / 8);
        for (unsigned long i = 0; i < *bitCount; ++i)
            if (World().clusterUsed(*firstBit + i))
                out[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
        return 0;
    }
    unsigned long GetVolumeInfo(_KS_VOLUME* v) override
    {
        v->Magic = KS_VOLUME_MAGIC;
        v->Size = KS_VOLUME_SIZE;
        v->SectorsPerCluster = static_cast<uint16_t>(World().fsSectorsPerCluster);
        v->FileSystem = static_cast<uint8_t>(World().fsKind);
        v->BytesPerSector = 512;
        v->TotalSectors = World().fsTotalSectors;
        v->BitmapSize = static_cast<uint32_t>((Clusters() + 7) / 8);
        return 0;
    }
    unsigned long WalkThroughVolume(_KS_FILTERS_HEAD*) override { return 0; }
    unsigned long WriteSpecialInfo() override { return 0; }
    unsigned long CheckFileSystem() override { return 0; }

private:
    static uint64_t Clusters() { return World().fsTotalSectors / World().fsSectorsPerCluster; }
};

unsigned long CreateFakeFs(unsigned long, unsigned long, void** out)
{
    if (World().fsKind == 0)
        return KS_RESULT(KS_MODULE_FSSUPPORT, 0x006);
    *out = static_cast<IKSFSSupport*>(new FakeFsReader());
    return 0;
}

class RecordingQuelm final : public IKSQuelm {
public:
    unsigned long Release() override
    {
        Note("Release");
        World().pauseHook = nullptr;
        JoinAsync();
        delete this;
        return 0;
    }
    unsigned long Open(const wchar_t*, const wchar_t*) override
    {
        Note("Open");
        return World().snapshotOpens ? 0 : KS_RESULT(KS_MODULE_BACKUP, 0x10F);
    }
    unsigned long SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback) override
    {
        Note(callback != nullptr ? "SetCallBack" : "SetCallBack(null)");
        JoinAsync(); // detaching waits for a callback in flight
        user_ = user;
        callback_ = callback;
        Deliver([](const PreservedBlock& b) { return b.atAttach; });
        return 0;
    }
    unsigned long CreateSnapshot(unsigned long long, unsigned long long, unsigned long) override
    {
        Note("CreateSnapshot");
        return 0;
    }
    unsigned long Close() override { Note("Close"); return 0; }
    unsigned long StartSnapshot() override { Note("StartSnapshot"); return 0; }
    unsigned long SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region) override
    {
        Note("SetVolumeBitmap");
        if (region == nullptr)
            return 0; // the exchange buffer alone
        const auto* bits = static_cast<const uint8_t*>(region->Bitmap);
        World().snapshotBitmap.assign(bits, bits + (region->BitCount + 7) / 8);
        World().snapshotFirstSector = region->FirstSector;
        World().snapshotBits = region->BitCount;
        World().snapshotSectorsPerBit = region->SectorsPerBit;
        return 0;
    }
    unsigned long StopSnapshot() override { return 0; }
    unsigned long GetDriverInfo(KS_QUELM_DRIVER_INFO*) override { return 0; }
    unsigned long SendControl() override { return 0; }
    unsigned long GetLastError() override { return 0; }
    unsigned long ReadSnapshot(unsigned long long first, unsigned long count, void* buffer, unsigned char) override
    {
        ++World().snapshotReads;
        for (unsigned long i = 0; i < count; ++i) {
            if (World().failingSnapshotSectors.count(first + i) == 0)
                continue;
            // Handed over while the reader pauses before its next try.
            World().pauseHook = [this, first, count] {
                Deliver([&](const PreservedBlock& b) {
                    return !b.atAttach && b.first < first + count && first < b.first + b.count;
                });
            };
            return KS_RESULT(KS_MODULE_BACKUP, 0x256);
        }
        FillSectors(World().partition.StartSector + first, count, buffer);
        // The snapshot shows the preserved blocks as they were.
        auto* bytes = static_cast<uint8_t*>(buffer);
        for (const PreservedBlock& b : World().preserved)
            for (uint64_t s = std::max<uint64_t>(b.first, first); s < std::min<uint64_t>(b.first + b.count, first + count); ++s)
                std::memset(bytes + (s - first) * 512, World().preservedByte, 512);
        StartAsync(first);
        return 0;
    }
    unsigned long SaveUrgentBlock(unsigned long long, unsigned long, const void*) override { return 0; }
    unsigned long ReadSectors(unsigned long long first, unsigned long count, void* buffer) override
    {
        FillSectors(World().partition.StartSector + first, count, buffer);
        return 0;
    }
    unsigned long WriteSectors(unsigned long long, unsigned long, const void*) override { return 1; }

private:
    // The driver's drain thread: each preserved block arrives from another thread.
    template <typename Pick>
    void Deliver(Pick pick)
    {
        if (callback_ == nullptr)
            return;
        std::thread drain([&] {
            for (PreservedBlock& block : World().preserved) {
                if (block.delivered || !pick(block))
                    continue;
                block.delivered = true;
                std::vector<uint8_t> data(static_cast<size_t>(block.count) * 512, World().preservedByte);
                const unsigned long rc = callback_(user_, block.first, block.count, data.data());
                std::lock_guard<std::mutex> hold(World().lock);
                World().preservedResults.push_back(rc);
            }
        });
        drain.join();
    }

    void StartAsync(uint64_t readAt)
    {
        if (callback_ == nullptr)
            return;
        for (PreservedBlock& block : World().preserved) {
            if (block.delivered || readAt < block.triggerAsync)
                continue;
            block.delivered = true;
            const PreservedBlock copy = block;
            KS_QUELM_BLOCK_CALLBACK callback = callback_;
            void* user = user_;
            async_.emplace_back([copy, callback, user] {
                std::vector<uint8_t> data(static_cast<size_t>(copy.count) * 512, World().preservedByte);
                const unsigned long rc = callback(user, copy.first, copy.count, data.data());
                std::lock_guard<std::mutex> hold(World().lock);
                World().preservedResults.push_back(rc);
            });
        }
    }
    void JoinAsync()
    {
        for (std::thread& t : async_)
            t.join();
        async_.clear();
    }

    void* user_ = nullptr;
    KS_QUELM_BLOCK_CALLBACK callback_ = nullptr;
    std::vector<std::thread> async_;

    static void Note(const char* call)
    {
        std::lock_guard<std::mutex> hold(World().lock);
        World().snapshotCalls.emplace_back(call);
    }
};

unsigned long CreateRecordingQuelm(unsigned long, unsigned long, void** out)
{
    *out = static_cast<IKSQuelm*>(new RecordingQuelm());
    return 0;
}

uint32_t FakeSignature(unsigned long) { return 0x0CE45A01; }
unsigned long FakeArc(unsigned long disk, unsigned long long, unsigned long* record)
{
    record[0] = 0; record[1] = 0; record[2] = disk; record[3] = 2; record[4] = 0;
    return 0;
}
} // namespace

VolumeWorld& World() { return *g_world; }

void PauseDeliveringClock::Sleep(DWORD milliseconds)
{
    KSFakeClock::Sleep(milliseconds);
    std::function<void()> hook = World().pauseHook;
    if (hook)
        hook();
}

void ResetWorld()
{
    static std::unique_ptr<VolumeWorld> world;
    world = std::make_unique<VolumeWorld>();
    g_world = world.get();
    VolumeWorld& w = World();
    w.disk.DiskType = 2;
    w.disk.TracksPerCylinder = 255;
    w.disk.SectorsPerTrack = 63;
    w.disk.BytesPerSector = 512;
    w.partition.StartSector = 2048;
    w.partition.Primary = 1;
    w.partition.PartitionType = 0x07;
    w.partition.FileSystemType = 7;
}

const KSVolumeServices& DoubleServices()
{
    static const KSVolumeServices services = {CreateFakeCensa, CreateFakeDevIO, CreateRecordingQuelm, CreateFakeFs,
                                              CreateFakeFs, FakeSignature, FakeArc};
    return services;
}
