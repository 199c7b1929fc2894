// The urgent-block store: the first stored copy of a sector is kept, the pool fills
// to its last byte before the spill files take over, runs cross spill-file
// boundaries, and the store's refusals come with their codes and leave its marks
// and its folder as they were.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "KSResult.h"
#include "UrgPipe.h"

namespace {

constexpr uint32_t kSector = 512;
constexpr uint64_t kSpillFile = 0x19000000;

class StoreFolder {
public:
    StoreFolder()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "urgpipe-XXXXXX").string();
        EXPECT_NE(::mkdtemp(templ.data()), nullptr);
        path_ = templ;
    }
    ~StoreFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::wstring Wide() const { return std::wstring(path_.begin(), path_.end()); }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> SpillFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            if (entry.path().extension() == ".zet")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

std::vector<unsigned char> Filled(uint32_t sectors, unsigned char value)
{
    return std::vector<unsigned char>(static_cast<size_t>(sectors) * kSector, value);
}

struct StoreDeleter {
    void operator()(UrgPipe* store) const { UrgPipe::Destroy(store); }
};
using StorePtr = std::unique_ptr<UrgPipe, StoreDeleter>;

StorePtr MakeStore(const StoreFolder& folder, const UrgStoreLayout& layout = UrgStoreLayout())
{
    unsigned long rc = ~0ul;
    StorePtr store(UrgPipe::Create(folder.Wide().c_str(), L"C:", &rc, layout));
    EXPECT_EQ(0u, rc);
    return store;
}

// What the store answers for each sector of [first, first + count): the byte each
// stored sector holds, or -1 where nothing is stored.
std::vector<int> StoredBytes(UrgPipe& store, uint64_t first, uint32_t count)
{
    std::vector<int> bytes(count, -1);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = first + i;
        uint32_t n = 1;
        std::vector<unsigned char> sector(kSector);
        if (store.Read(&at, &n, sector.data()) == 0 && n == 1 && at == first + i)
            bytes[i] = sector[0];
    }
    return bytes;
}

TEST(UrgPipe, FirstStoredCopyOfASectorIsKept)
{
    StoreFolder folder;
    StorePtr store = MakeStore(folder);
    ASSERT_EQ(0u, store->Save(100, 8, Filled(8, 'A').data()));
    const uint32_t afterFirst = store->PoolMark();

    // Inside the stored run: nothing changes and nothing is added.
    ASSERT_EQ(0u, store->Save(102, 2, Filled(2, 'B').data()));
    EXPECT_EQ(afterFirst, store->PoolMark());
    // Spanning it: only the sectors before and after are added.
    ASSERT_EQ(0u, store->Save(96, 16, Filled(16, 'C').data()));
    EXPECT_EQ(afterFirst + 8 * kSector, store->PoolMark());

    std::vector<int> expected(20, -1);
    for (int i = 1; i < 5; ++i)
        expected[i] = 'C';
    for (int i = 5; i < 13; ++i)
        expected[i] = 'A';
    for (int i = 13; i < 17; ++i)
        expected[i] = 'C';
    EXPECT_EQ(expected, StoredBytes(*store, 95, 20));

    // A read over several extents answers with the first and its overlap only.
    uint64_t first = 90;
    uint32_t count = 30;
    std::vector<unsigned char> buffer(30 * kSector);
    ASSERT_EQ(0u, store->Read(&first, &count, buffer.data()));
    EXPECT_EQ(96u, first);
    EXPECT_EQ(4u, count);
}

TEST(UrgPipe, ContainsAndReadRefusals)
{
    StoreFolder folder;
    StorePtr store = MakeStore(folder);
    std::vector<unsigned char> buffer(8 * kSector);
    uint64_t first = 0;
    uint32_t count = 8;
    EXPECT_EQ(1168u, store->Read(&first, &count, buffer.data())) << "empty store";
    ASSERT_EQ(0u, store->Save(40, 4, Filled(4, 'x').data()));
    const struct {
        uint64_t first;
        uint32_t count;
        bool contains;
    } cases[] = {{40, 4, true}, {43, 10, true}, {30, 11, true}, {30, 10, false}, {44, 1, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.contains, store->Contains(c.first, c.count)) << c.first;
        first = c.first;
        count = c.count;
        EXPECT_EQ(c.contains ? 0u : 1168u, store->Read(&first, &count, buffer.data())) << c.first;
    }
    first = 40;
    count = 4;
    EXPECT_EQ(87u, store->Read(&first, &count, nullptr));
    EXPECT_EQ(0u, first);
    EXPECT_EQ(0u, count);
    EXPECT_EQ(87u, store->Read(nullptr, &count, buffer.data()));
}

TEST(UrgPipe, PoolFillsToItsLastByteThenRunsSpill)
{
    StoreFolder folder;
    StorePtr store = MakeStore(folder);
    // 16 runs of 512 KiB fill the 8 MiB pool exactly.
    for (uint32_t i = 0; i < 16; ++i)
        ASSERT_EQ(0u, store->Save(i * 2048ull, 1024, Filled(1024, static_cast<unsigned char>(i)).data()));
    EXPECT_EQ(0x800000u, store->PoolMark());
    EXPECT_EQ(0u, store->SpillMark());
    EXPECT_TRUE(folder.SpillFiles().empty());

    ASSERT_EQ(0u, store->Save(1025, 1, Filled(1, 0xEE).data()));
    EXPECT_EQ(0x800000u, store->PoolMark());
    EXPECT_EQ(kSector, store->SpillMark());
    EXPECT_EQ(std::vector<std::string>{"C000.zet"}, folder.SpillFiles());
    EXPECT_EQ((std::vector<int>{0, -1, 0xEE, -1}), StoredBytes(*store, 1023, 4));
    EXPECT_EQ((std::vector<int>{15, -1}), StoredBytes(*store, 15 * 2048ull + 1023, 2));

    store.reset();
    EXPECT_TRUE(folder.SpillFiles().empty()) << "the store's spill files go with it";
}

TEST(UrgPipe, RunAcrossA400MiBBoundaryLandsInTwoSparseFiles)
{
    StoreFolder folder;
    UrgStoreLayout layout;
    layout.poolBytes = 0;
    layout.firstSpillOffset = kSpillFile - 4 * kSector;
    StorePtr store = MakeStore(folder, layout);
    std::vector<unsigned char> run(8 * kSector);
    for (size_t i = 0; i < run.size(); ++i)
        run[i] = static_cast<unsigned char>(i / kSector + 1);
    ASSERT_EQ(0u, store->Save(1000, 8, run.data()));
    EXPECT_EQ((std::vector<std::string>{"C000.zet", "C001.zet"}), folder.SpillFiles());

    struct stat status {};
    ASSERT_EQ(0, ::stat(folder.Path("C000.zet").c_str(), &status));
    EXPECT_EQ(kSpillFile, static_cast<uint64_t>(status.st_size)) << "the mapping grew to the file's end";
    EXPECT_LT(static_cast<uint64_t>(status.st_blocks) * 512, 8ull << 20) << "and stayed sparse";
    ASSERT_EQ(0, ::stat(folder.Path("C001.zet").c_str(), &status));
    EXPECT_EQ(0x800000, status.st_size);

    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}), StoredBytes(*store, 1000, 8));
    uint64_t first = 1000;
    uint32_t count = 8;
    std::vector<unsigned char> back(run.size());
    ASSERT_EQ(0u, store->Read(&first, &count, back.data()));
    EXPECT_EQ(run, back);
    store.reset();
    EXPECT_TRUE(folder.SpillFiles().empty());
}

HANDLE WINAPI RefuseMapping(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCWSTR)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST(UrgPipe, FailedSpillSavesLeaveTheMarksAndNoFiles)
{
    const struct {
        const char* what;
        uint64_t firstSpillOffset;
        bool refuseMapping;
        uint32_t sectors;
    } cases[] = {
        {"the run would need a 129th spill file", 128 * kSpillFile - 2 * kSector, false, 4},
        {"the spill space lies past the 128 files", 128 * kSpillFile, false, 1},
        {"the spill file cannot be mapped", 0, true, 4},
    };
    for (const auto& c : cases) {
        StoreFolder folder;
        UrgStoreLayout layout;
        layout.poolBytes = 0;
        layout.firstSpillOffset = c.firstSpillOffset;
        if (c.refuseMapping)
            layout.createMapping = RefuseMapping;
        StorePtr store = MakeStore(folder, layout);
        const unsigned long rc = store->Save(7, c.sectors, Filled(c.sectors, 1).data());
        EXPECT_EQ(0x10Bu, KSResultKind(rc)) << c.what;
        EXPECT_EQ(4u, KSResultModule(rc)) << c.what;
        EXPECT_EQ(c.firstSpillOffset, store->SpillMark()) << c.what;
        EXPECT_EQ(0u, store->PoolMark()) << c.what;
        EXPECT_FALSE(store->Contains(7, c.sectors)) << c.what;
        store.reset();
        EXPECT_TRUE(folder.SpillFiles().empty()) << c.what;
    }
}

TEST(UrgPipe, SpillAccessMustBeWholeSectors)
{
    StoreFolder folder;
    UrgSpillSpace spill(folder.Wide(), L"D", UrgStoreLayout());
    std::vector<unsigned char> bytes(1024);
    const struct {
        uint64_t offset;
        uint64_t length;
    } unaligned[] = {{100, 512}, {0, 100}, {512, 513}};
    for (const auto& u : unaligned) {
        EXPECT_EQ(87u, spill.Write(u.offset, bytes.data(), u.length)) << u.offset << "+" << u.length;
        EXPECT_EQ(87u, spill.Read(u.offset, bytes.data(), u.length)) << u.offset << "+" << u.length;
    }
    EXPECT_TRUE(folder.SpillFiles().empty());
    EXPECT_EQ(87u, spill.Read(0, bytes.data(), 512)) << "nothing reserved yet";
    ASSERT_EQ(0u, spill.Write(0, bytes.data(), 512));
    EXPECT_EQ(0x800000u, spill.ReservedBytes());
    EXPECT_EQ(87u, spill.Read(0x800000, bytes.data(), 512)) << "past the reserved bytes";
}

} // namespace
