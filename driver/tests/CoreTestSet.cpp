#include <gtest/gtest.h>

#include "CoreTestSet.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "KSPlatformControl.h"

std::u16string U16(const char* text)
{
    std::u16string out;
    while (*text != 0)
        out.push_back(static_cast<char16_t>(*text++));
    return out;
}

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/zedisk-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = std::string(made != nullptr ? made : "/tmp") + "/";
}

TempFolder::~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }

std::wstring TempFolder::WPath(const std::string& name) const
{
    const std::string full = path_ + name;
    return std::wstring(full.begin(), full.end());
}

Container::Container()
{
    void* out = nullptr;
    if (KSCreateObjectImg(0x10000, 1, &out) == 0)
        p = static_cast<IKSCofran*>(out);
}

Container::~Container()
{
    if (p != nullptr)
        p->Release();
}

std::vector<unsigned char> NoiseBytes(size_t size, uint32_t seed)
{
    std::vector<unsigned char> out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (unsigned char& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<unsigned char>(x);
    }
    return out;
}

namespace {

// A FAT16-like volume: 512-byte sectors, 4 reserved, 2 FATs of 8 sectors, 32 root
// sectors, 63 sectors of track 0 kept before it.
_KS_VOLUME SmallFatVolume(uint64_t totalSectors, uint8_t fileSystem)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = 8;
    v.FileSystem = fileSystem;
    v.BytesPerSector = 512;
    v.PreVolumeSectors = 63;
    v.ReservedSectors = 4;
    v.SectorsPerFat = 8;
    v.NumberOfFats = 2;
    v.RootDirSectors = 32;
    v.TotalSectors = totalSectors;
    v.UsedSectors = 52 + 40 * 8;
    v.BitmapSize = static_cast<uint32_t>(((totalSectors - 52) / 8 + 7) / 8);
    v.Label[0] = u'Z';
    return v;
}

} // namespace

SmallSet::SmallSet(uint64_t totalSectors, const wchar_t* password, uint8_t fileSystem)
{
    path = dir.WPath("small.rvd");
    volume = SmallFatVolume(totalSectors, fileSystem);
    pre = NoiseBytes(63 * 512, 11);
    system = NoiseBytes(52 * 512, 12);
    clusters = NoiseBytes(40 * 4096, 13);
    Container c;
    const unsigned long bytes = password ? static_cast<unsigned long>(wcslen(password) * sizeof(wchar_t)) : 0;
    EXPECT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, password, bytes));
    EXPECT_EQ(0u, c->BeginBackup(path.c_str(), password ? static_cast<unsigned long>(KS_BEGIN_ENCRYPT) : 0ul, nullptr, nullptr, 6, 0));
    EXPECT_EQ(0u, c->WriteVolumeInfo(&volume, 256));
    EXPECT_EQ(0u, c->WriteSector(-63, pre.data(), 63, 0));
    EXPECT_EQ(0u, c->WriteSector(0, system.data(), 4, 0));
    EXPECT_EQ(0u, c->WriteSector(4, system.data() + 4 * 512, 16, 0));
    EXPECT_EQ(0u, c->WriteSector(20, system.data() + 20 * 512, 32, 0));
    EXPECT_EQ(0u, c->WriteData(0, clusters.data(), 40, 0));
    EXPECT_EQ(0u, c->EndBackup(0));
    // The record the reader hands out is the one to plug in.
    Container r;
    EXPECT_EQ(0u, r->OpenCofran(path.c_str(), KS_OPEN_RANDOM, password, bytes));
    EXPECT_EQ(0u, r->GetVolumes(&volume, 1));
}

std::wstring KernelPath(const std::wstring& hostPath)
{
    if (hostPath.empty() || hostPath[0] != L'/')
        return hostPath;
    std::wstring path = std::wstring(1, wchar_t(kHostDrive)) + L":";
    for (wchar_t c : hostPath)
        path.push_back(c == L'/' ? L'\\' : c);
    return path;
}

std::vector<uint8_t> MakeRecord(const _KS_VOLUME& volume, uint8_t letter, uint32_t diskId,
                                const std::u16string& password, const std::wstring& hostPath)
{
    const std::wstring path = KernelPath(hostPath);
    std::vector<uint8_t> record(ZEDISK_PLUGIN_RECORD_SIZE, 0);
    StoreLE32(record.data(), ZEDISK_PLUGIN_RECORD_SIZE);
    StoreLE32(record.data() + 4, diskId);
    KSVolumeToBytes(volume, record.data() + ZEDISK_RECORD_VOLUME);
    record[ZEDISK_RECORD_LETTER] = letter;
    for (size_t i = 0; i < password.size() && i < 63; ++i)
        StoreLE16(record.data() + ZEDISK_RECORD_PASSWORD + 2 * i, password[i]);
    for (size_t i = 0; i < path.size() && i < 259; ++i)
        StoreLE16(record.data() + ZEDISK_RECORD_PATH + 2 * i, static_cast<uint16_t>(path[i]));
    return record;
}

std::vector<uint8_t> SmallSet::Record(uint8_t letter, uint32_t diskId, const std::u16string& password) const
{
    return MakeRecord(volume, letter, diskId, password, path);
}

std::vector<uint8_t> SmallSet::Expected(uint64_t first, uint64_t count) const
{
    std::vector<uint8_t> out(count * 512, 0);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t s = first + i;
        uint8_t* to = out.data() + i * 512;
        if (s < 63)
            std::memcpy(to, pre.data() + s * 512, 512);
        else if (s < 63 + 52)
            std::memcpy(to, system.data() + (s - 63) * 512, 512);
        else if (s < 63 + 52 + 40 * 8)
            std::memcpy(to, clusters.data() + (s - 63 - 52) * 512, 512);
    }
    return out;
}

void CoreTest::SetUp()
{
    KSPlatformReset();
    wdk::Reset();
    KSDriveEntry host;
    host.letter = kHostDrive;
    host.hostFolder = "/";
    ASSERT_TRUE(KSPlatformAddDrive(host));
    ASSERT_EQ(0, pnp.LoadDriver());
}

void CoreTest::TearDown()
{
    if (pnp.Bus() != nullptr) {
        EXPECT_EQ(0, pnp.UnloadDriver());
    }
    EXPECT_EQ(0, wdk::LiveDevices());
    EXPECT_EQ(0, wdk::OpenFiles());
    const wdk::LedgerStats ledger = wdk::Ledger();
    EXPECT_EQ(0u, ledger.liveBlocks) << ledger.liveBytes << " bytes left in the pool";
    for (uint32_t tag : ledger.tagsSeen)
        EXPECT_TRUE(wdk::TagName(tag) == "FBus" || wdk::TagName(tag) == "bimg") << wdk::TagName(tag);
}

ZdStatus CoreTest::Plug(const std::vector<uint8_t>& record)
{
    return pnp.BusControl(IOCTL_ZEDISK_PLUGIN, record.data(), static_cast<uint32_t>(record.size()), nullptr, 0);
}

ZdStatus CoreTest::TargetCall(uint32_t code, uint32_t mask)
{
    uint8_t target[16] = {};
    StoreLE32(target, 16);
    StoreLE32(target + 4, mask);
    return pnp.BusControl(code, target, 16, nullptr, 0);
}

std::shared_ptr<wdk::ChildDisk> CoreTest::Disk(uint32_t serial) const
{
    ZdPortDevice* device = wdk::PnpManager::Instance().Child(serial);
    return device == nullptr ? nullptr : std::make_shared<wdk::ChildDisk>(device);
}
