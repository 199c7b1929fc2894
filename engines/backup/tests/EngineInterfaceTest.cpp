// The engine's interface: what it accepts and refuses before a run, and the
// arithmetic of its progress record.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "CBackupProgress.h"
#include "IBackup.h"
#include "IKSVolume.h"
#include "KSResult.h"
#include "VolumeDoubles.h"

namespace {
struct EngineDeleter {
    void operator()(IBackup* b) const { b->Release(); }
};

_KS_BACKUP_OPTION Options(const std::wstring& path)
{
    _KS_BACKUP_OPTION o{};
    o.Size = KS_BACKUP_OPTION_SIZE;
    o.StorageType = KS_STORAGE_FILE;
    KSFieldFromWide(path, o.ImagePath, KS_BACKUP_PATH_CHARS);
    return o;
}

std::vector<uint8_t> Source(uint32_t count, uint32_t size, uint32_t setMode = 0)
{
    std::vector<uint8_t> bytes(std::max<size_t>(size, KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE * count));
    KSBackupSourceToBytes({size, 0, setMode, 0, count}, bytes.data());
    return bytes;
}

const _KS_BACKUP_SOURCE* AsSource(const std::vector<uint8_t>& bytes)
{
    return reinterpret_cast<const _KS_BACKUP_SOURCE*>(bytes.data());
}
}

TEST(BackupInterface, FactoryChecksItsArguments)
{
    void* out = nullptr;
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(KSCreateObjectBk(1, KS_BACKUP_KIND, nullptr)));
    EXPECT_EQ(KS_KIND_VERSION_TOO_NEW, KSResultKind(KSCreateObjectBk(1001, KS_BACKUP_KIND, &out)));
    EXPECT_EQ(KS_KIND_WRONG_OBJECT, KSResultKind(KSCreateObjectBk(1, 3, &out)));
    EXPECT_EQ(KS_MODULE_BACKUP, KSResultModule(KSCreateObjectBk(1, 3, &out)));
    ASSERT_EQ(0u, KSCreateObjectBk(1000, KS_BACKUP_KIND, &out));
    static_cast<IKSBackup*>(out)->Release();
}

TEST(BackupInterface, VolumeFactoryChecksItsArguments)
{
    void* out = nullptr;
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(KSCreateObjHotVolume(1, KS_HOT_VOLUME_KIND, nullptr)));
    EXPECT_EQ(KS_KIND_VERSION_TOO_NEW, KSResultKind(KSCreateObjHotVolume(1001, KS_HOT_VOLUME_KIND, &out)));
    EXPECT_EQ(KS_KIND_WRONG_OBJECT, KSResultKind(KSCreateObjHotVolume(1, 5, &out)));
    ASSERT_EQ(0u, KSCreateObjHotVolume(1000, KS_HOT_VOLUME_KIND, &out));
    IKSVolume* volume = static_cast<IKSVolume*>(out);
    EXPECT_EQ(0u, volume->GetCancel());
    volume->SetCancel(1);
    EXPECT_EQ(1u, volume->GetCancel());
    volume->Release();
}

TEST(BackupInterface, OptionsAndSourceAreCheckedBeforeTheyAreTaken)
{
    std::unique_ptr<IBackup, EngineDeleter> engine(new IBackup(DoubleServices()));
    const std::vector<uint8_t> one = Source(1, KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE);
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->SetBackupSource(AsSource(one)))) << "no options yet";

    _KS_BACKUP_OPTION good = Options(L"/tmp/first.rvd");
    ASSERT_EQ(0u, engine->SetBackupOption(&good));
    _KS_BACKUP_OPTION empty = Options(L"");
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->SetBackupOption(&empty)));
    _KS_BACKUP_OPTION small = Options(L"/tmp/other.rvd");
    small.Size = KS_BACKUP_OPTION_SIZE - 1;
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->SetBackupOption(&small)));
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->SetBackupOption(nullptr)));
    std::wstring work;
    ASSERT_EQ(0u, engine->PrepareImagePath(work));
    EXPECT_EQ(L"/tmp/first.rvd", work) << "a refused record leaves the old options";

    struct Case {
        uint32_t count, size;
        unsigned long kind;
    };
    const Case cases[] = {
        {1, 20 + 76, 0},
        {1, 20 + 76 - 1, KS_KIND_BAD_ARGUMENT},
        {3, 20 + 3 * 76, 0},
        {0, 20, KS_KIND_BAD_ARGUMENT},
        {0x40000000, 20 + 76, KS_KIND_BAD_ARGUMENT}, // 76 x count wraps in 32 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, KSResultKind(engine->SetBackupSource(AsSource(Source(c.count, c.size))))) << c.size;
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->SetBackupSource(nullptr)));

    const std::vector<uint8_t> append = Source(1, 96, 1);
    ASSERT_EQ(0u, engine->SetBackupSource(AsSource(append)));
    EXPECT_EQ(KS_SET_APPEND | KS_STORAGE_FILE, engine->SetFlags());
}

TEST(BackupInterface, FiltersAreKeptWholeAndBadOnesRefused)
{
    std::unique_ptr<IBackup, EngineDeleter> engine(new IBackup(DoubleServices()));
    const std::vector<uint8_t> shortOne = {'A', 'A', 'A', 'A', 7, 0, 0, 0};
    const std::vector<uint8_t> magic = {'F', 'L', 'T', 'R', 8, 0, 0, 0};
    const std::vector<uint8_t> huge = {'A', 'A', 'A', 'A', 1, 0, 0x10, 0}; // just over 1 MiB
    for (const auto* bad : {&shortOne, &magic, &huge})
        EXPECT_EQ(KS_KIND_BAD_ARGUMENT,
                  KSResultKind(engine->AddFilter(reinterpret_cast<const _KS_FILTERS_HEAD*>(bad->data()))));
    EXPECT_EQ(0u, engine->AddFilter(nullptr));
}

TEST(BackupInterface, TempFolderAndProgressCopyAreBounded)
{
    std::unique_ptr<IBackup, EngineDeleter> engine(new IBackup(DoubleServices()));
    _KS_PROGRESS_INFO record;
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->GetBackupProgress(&record, sizeof(record) - 1)));
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->GetBackupProgress(nullptr, sizeof(record))));
    ASSERT_EQ(0u, engine->GetBackupProgress(&record, sizeof(record)));
    EXPECT_EQ(KS_PROGRESS_TAG_BACKUP, record.Tag);
    EXPECT_EQ(1u, record.CurrentItem);
    EXPECT_EQ(0u, record.Text[0]);
    EXPECT_EQ(0u, engine->SetTempPath(std::wstring(258, L'a').c_str())); // 258 and the separator fit
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->SetTempPath(std::wstring(259, L'a').c_str())));
}

TEST(BackupProgress, OverallPercentNeverFallsAndStaysWithinBounds)
{
    struct Case {
        uint32_t old;
        uint64_t done, total;
        double factor;
        uint32_t percent;
    };
    const Case cases[] = {
        {0, 50, 100, 1.0, 50},
        {60, 50, 100, 1.0, 60},   // never falls
        {60, 0, 100, 1.0, 0},     // except to 0
        {0, 99, 100, 0.1, 9},     // a disc run keeps nine tenths for burning
        {0, 5, 0, 1.0, 100},      // nothing to copy
        {0, 300, 100, 1.0, 100},  // more than announced
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.percent, CBackupProgress::NextPercent(c.old, c.done, c.total, c.factor)) << c.done;
}

TEST(BackupProgress, APollerNeverSeesTheEndBeforeTheResult)
{
    CBackupProgress progress;
    progress.Reset(1, 0);
    std::atomic<bool> done{false};
    std::thread poller([&] {
        _KS_PROGRESS_INFO record;
        while (!done.load()) {
            progress.CopyTo(record);
            if (record.State == KS_BACKUP_STATE_FINISHED) {
                EXPECT_EQ(0x4059u, record.Result);
                EXPECT_EQ(100u, record.OverallPercent);
                return;
            }
        }
    });
    for (int i = 0; i < 1000; ++i)
        progress.AddDoneBytes(1, 0);
    progress.Finish(0x4059);
    done = true;
    poller.join();
}
