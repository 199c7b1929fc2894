// The engine's interface: what it accepts and refuses, its worker's start and end,
// and the faults its callers used to meet (a worker that never started, an image
// object that could not be made, a shared password).
#include <gtest/gtest.h>

#include <windows.h>
#include <process.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

#include "CDiskMapRestoreDisks.h"
#include "CLogWriter.h"
#include "CRestore.h"
#include "KSPlatformControl.h"
#include "KSResult.h"

namespace {
struct EngineDeleter {
    void operator()(CRestore* r) const { r->Release(); }
};
using Engine = std::unique_ptr<CRestore, EngineDeleter>;

class FakeDisks : public IRestoreDisks {
public:
    bool ListPartitions(unsigned, std::vector<RestorePartition>& out) override
    {
        out = partitions;
        return true;
    }
    uint64_t DiskSectors(unsigned) override { return 1 << 20; }
    RestoreFilePlace PlaceOfFile(const std::wstring&) override { return {}; }
    bool DiskIsOnline(unsigned) override { return online; }
    std::vector<RestorePartition> partitions{{2048, 4096, 2048}};
    bool online = true;
};

unsigned long NoImage(unsigned long, unsigned long, void** out)
{
    *out = nullptr;
    return KS_RESULT(KS_MODULE_CONTAINER, KS_KIND_NO_MEMORY);
}

uintptr_t NoThread(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*) { return 0; }

// A worker held at its start until the test opens the gate.
struct Gate {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
    void Open()
    {
        std::lock_guard<std::mutex> hold(lock);
        open = true;
        opened.notify_all();
    }
} g_gate;

struct HeldJob {
    unsigned(__stdcall* entry)(void*);
    void* argument;
};

unsigned __stdcall HeldRun(void* raw)
{
    std::unique_ptr<HeldJob> job(static_cast<HeldJob*>(raw));
    {
        std::unique_lock<std::mutex> hold(g_gate.lock);
        g_gate.opened.wait(hold, [] { return g_gate.open; });
    }
    return job->entry(job->argument);
}

uintptr_t HeldThread(void*, unsigned, unsigned(__stdcall* entry)(void*), void* argument, unsigned, unsigned*)
{
    return _beginthreadex(nullptr, 0, HeldRun, new HeldJob{entry, argument}, 0, nullptr);
}

RestoreServices Services(IRestoreDisks* disks)
{
    RestoreServices s = DefaultRestoreServices();
    s.disks = disks;
    return s;
}

_KS_PROGRESS_INFO WaitForEnd(CRestore& engine)
{
    engine.JoinWorker();
    _KS_PROGRESS_INFO record{};
    EXPECT_EQ(engine.GetRestoreProgress(&record), 0u);
    return record;
}

_KS_VOLUME ImageVolume()
{
    _KS_VOLUME v{};
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = 8;
    v.BytesPerSector = 512;
    v.FileSystem = KS_FS_NTFS;
    v.TotalSectors = 4096;
    return v;
}

_KS_RESTORE_TARGET PartitionTarget()
{
    _KS_RESTORE_TARGET t{};
    t.FirstSector = 2048;
    t.SectorCount = 4096;
    t.HiddenSectors = 2048;
    return t;
}

TEST(RestoreFactory, TakesKindThreeAndChecksItsOutPointer)
{
    void* object = nullptr;
    ASSERT_EQ(KSCreateObjectRt(12345, KS_RESTORE_KIND, &object), 0u);
    ASSERT_NE(object, nullptr);
    _KS_PROGRESS_INFO record;
    std::memset(&record, 0xAA, sizeof record);
    auto* engine = static_cast<IKSRestore*>(object);
    EXPECT_EQ(engine->GetRestoreProgress(&record), 0u);
    const _KS_PROGRESS_INFO zero{};
    EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0) << "a record before any run holds zeros";
    EXPECT_EQ(KSResultKind(engine->GetRestoreProgress(nullptr)), KS_KIND_BAD_ARGUMENT);
    engine->Release();
    EXPECT_EQ(KSResultKind(KSCreateObjectRt(0, 2, &object)), KS_KIND_WRONG_OBJECT);
    EXPECT_EQ(KSResultKind(KSCreateObjectRt(0, KS_RESTORE_KIND, nullptr)), KS_KIND_BAD_ARGUMENT);
}

TEST(RestoreEngine, AnEmptyQueueEndsFinishedWithNotFound)
{
    FakeDisks disks;
    Engine engine(new CRestore(Services(&disks)));
    ASSERT_EQ(engine->Execute(), 0u);
    const _KS_PROGRESS_INFO record = WaitForEnd(*engine);
    EXPECT_EQ(record.State, RESTORE_STATE_FINISH);
    EXPECT_EQ(KSResultKind(record.Result), 0x067u);
    EXPECT_EQ(KSResultModule(record.Result), KS_MODULE_RESTORE);
}

TEST(RestoreEngine, AWorkerThatDoesNotStartLeavesTheEngineIdle)
{
    FakeDisks disks;
    RestoreServices services = Services(&disks);
    services.startThread = NoThread;
    Engine engine(new CRestore(services));
    EXPECT_EQ(KSResultKind(engine->Execute()), KS_KIND_NO_MEMORY);
    EXPECT_FALSE(engine->Running());
    _KS_VOLUME volume = ImageVolume();
    _KS_RESTORE_TARGET target = PartitionTarget();
    EXPECT_EQ(engine->AddRestore(&volume, &target, 0), 0u) << "an idle engine takes new work";
}

TEST(RestoreEngine, AnImageObjectThatCannotBeMadeFailsTheOperation)
{
    FakeDisks disks;
    RestoreServices services = Services(&disks);
    services.createImage = NoImage;
    Engine engine(new CRestore(services));
    _KS_VOLUME volume = ImageVolume();
    _KS_RESTORE_TARGET target = PartitionTarget();
    ASSERT_EQ(engine->AddRestore(&volume, &target, 0), 0u);
    ASSERT_EQ(engine->Execute(), 0u);
    const _KS_PROGRESS_INFO record = WaitForEnd(*engine);
    EXPECT_EQ(record.State, RESTORE_STATE_FINISH);
    EXPECT_EQ(KSResultKind(record.Result), KS_KIND_NO_MEMORY);
    // The listing operations have no image object either, and say so.
    unsigned long count = 7;
    wchar_t path[] = L"C:\\none.rvd";
    EXPECT_EQ(KSResultKind(engine->GetImageVersions(nullptr, 0, &count, path)), KS_KIND_BAD_ARGUMENT);
}

TEST(RestoreEngine, AddWhileRunningIsRefusedBeforeTheQueueOrTheRecordIsTouched)
{
    FakeDisks disks;
    RestoreServices services = Services(&disks);
    services.startThread = HeldThread;
    services.createImage = NoImage;
    Engine engine(new CRestore(services));
    _KS_VOLUME volume = ImageVolume();
    _KS_RESTORE_TARGET target = PartitionTarget();
    ASSERT_EQ(engine->AddRestore(&volume, &target, 0), 0u);
    ASSERT_EQ(engine->Execute(), 0u);
    EXPECT_EQ(KSResultKind(engine->Execute()), 0x007u);
    EXPECT_EQ(KSResultKind(engine->AddRestore(&volume, &target, 0)), 0x007u);
    _KS_RESTORE_TARGET track{};
    track.SectorCount = 63;
    _KS_RESTORE_TARGET trackTarget = track;
    EXPECT_EQ(KSResultKind(engine->AddDiskRestore(&track, &trackTarget, 0)), 0x007u);
    EXPECT_EQ(uint64_t{trackTarget.SectorCount}, 63u) << "the caller's record is left as it was";
    EXPECT_EQ(engine->Queue().size(), 1u);
    g_gate.Open();
    const _KS_PROGRESS_INFO record = WaitForEnd(*engine);
    EXPECT_EQ(record.ItemCount, 1u);
    EXPECT_FALSE(engine->Running());
}

TEST(RestoreEngine, ABootTrackItemStopsShortOfAQueuedPartition)
{
    FakeDisks disks;
    Engine engine(new CRestore(Services(&disks)));
    _KS_VOLUME volume = ImageVolume();
    _KS_RESTORE_TARGET partition = PartitionTarget();
    partition.FirstSector = 32;
    ASSERT_EQ(engine->AddRestore(&volume, &partition, 0), 0u);
    _KS_RESTORE_TARGET source{}, target{};
    source.SectorCount = 63;
    target.SectorCount = 63;
    ASSERT_EQ(engine->AddDiskRestore(&source, &target, 0), 0u);
    EXPECT_EQ(uint64_t{target.SectorCount}, 32u);
    EXPECT_TRUE(engine->CloneFlag());
}

TEST(RestoreEngine, PasswordsBelongToTheirEngineAndALongOneIsRefused)
{
    FakeDisks disks;
    Engine first(new CRestore(Services(&disks)));
    wchar_t password[] = L"secret";
    first->SetPassword(password, 6 * sizeof(wchar_t));
    ASSERT_NE(first->Password(), nullptr);
    Engine(new CRestore(Services(&disks))).reset();
    ASSERT_NE(first->Password(), nullptr) << "another engine's end leaves this password";
    EXPECT_STREQ(first->Password(), L"secret");
    EXPECT_EQ(first->PasswordBytes(), 6 * sizeof(wchar_t));

    std::wstring longer(CRestore::kPasswordBytes / sizeof(wchar_t), L'x');
    EXPECT_EQ(KSResultKind(first->SetPassword(&longer[0], static_cast<unsigned long>(longer.size() * sizeof(wchar_t)))),
              0x00Eu);
    EXPECT_STREQ(first->Password(), L"secret") << "a refused password leaves the one before";
    EXPECT_EQ(KSResultKind(first->SetPassword(nullptr, 0)), KS_KIND_BAD_ARGUMENT);
}

// The length in bytes bounds what is read: a caller's text without a terminator
// (here a heap buffer of exactly its characters) is never read past.
TEST(RestoreEngine, APasswordIsReadNoFurtherThanItsLength)
{
    FakeDisks disks;
    Engine engine(new CRestore(Services(&disks)));
    std::unique_ptr<wchar_t[]> unterminated(new wchar_t[4]{L'k', L'e', L'y', L's'});
    engine->SetPassword(unterminated.get(), 4 * sizeof(wchar_t));
    ASSERT_NE(engine->Password(), nullptr);
    EXPECT_STREQ(engine->Password(), L"keys");
    EXPECT_EQ(engine->PasswordBytes(), 4 * sizeof(wchar_t));
}

TEST(RestoreEngine, ListingsRefuseANullCount)
{
    FakeDisks disks;
    Engine engine(new CRestore(Services(&disks)));
    wchar_t path[] = L"C:\\set.rvd";
    _KS_VERSION version{};
    wchar_t comment[16];
    EXPECT_EQ(KSResultKind(engine->GetImageVersions(nullptr, 0, nullptr, path)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(engine->GetImgVolumes(nullptr, 0, nullptr, &version)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(engine->GetVerComment(comment, 16, nullptr, &version)), KS_KIND_BAD_ARGUMENT);
}

// A disk that opens but refuses the writable test.
class OfflineDisk : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { done = 0; return ERROR_SUCCESS; }
    DWORD Write(uint64_t, const void*, DWORD size, DWORD& done) override
    {
        ++writes;
        done = size;
        return ERROR_SUCCESS;
    }
    DWORD Control(DWORD, const void*, DWORD, void*, DWORD, DWORD&) override { return ERROR_WRITE_PROTECT; }
    uint64_t Size() const override { return 1 << 30; }
    int writes = 0;
};

TEST(RestoreEngine, ADiskRefusingTheWritableTestStopsTheRunBeforeAnyWrite)
{
    auto disk = std::make_shared<OfflineDisk>();
    KSPlatformRegisterDevice("PhysicalDrive0", [disk](DWORD, DWORD&) { return disk; });
    CDiskMapRestoreDisks disks;
    Engine engine(new CRestore(Services(&disks)));
    _KS_VOLUME volume = ImageVolume();
    _KS_RESTORE_TARGET target = PartitionTarget();
    ASSERT_EQ(engine->AddRestore(&volume, &target, 0), 0u);
    CLogWriter::StartCapture();
    ASSERT_EQ(engine->Execute(), 0u);
    const _KS_PROGRESS_INFO record = WaitForEnd(*engine);
    CLogWriter::StopCapture();
    KSPlatformUnregisterDevice("PhysicalDrive0");
    EXPECT_EQ(KSResultKind(record.Result), 0x257u);
    EXPECT_EQ(disk->writes, 0);
    bool logged = false;
    for (const std::string& line : CLogWriter::Captured())
        logged = logged || line == "The disk 0 is offline.";
    EXPECT_TRUE(logged);
}
}
