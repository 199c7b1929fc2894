#include "QuelmTestVolume.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "KSPlatformControl.h"
#include "KSSnapshotDriver.h"
#include "LittleEndian.h"

namespace {
constexpr uint64_t kDiskSectors = QuelmVolumeTest::kVolumeTStart + QuelmVolumeTest::kVolumeTSectors + 2048;
} // namespace

std::vector<unsigned char> QuelmVolumeTest::Sectors(uint64_t first, uint32_t count, unsigned char generation)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(count) * kSector, generation);
    for (uint32_t i = 0; i < count; ++i)
        StoreLE64(bytes.data() + static_cast<size_t>(i) * kSector, first + i);
    return bytes;
}

void QuelmVolumeTest::SetUp()
{
    KSPlatformReset();
    handlesBefore_ = KSPlatformOpenHandles();
    std::string templ = (std::filesystem::temp_directory_path() / "quelm-XXXXXX").string();
    ASSERT_NE(::mkdtemp(templ.data()), nullptr);
    folder_ = templ;
    image_ = folder_ + "/disk0.img";
    const int fd = ::open(image_.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
    ASSERT_NE(fd, -1);
    // Each volume's sectors carry their volume sector numbers and generation 0.
    const struct {
        uint64_t start, sectors;
    } volumes[] = {{kVolumeSStart, kVolumeSSectors}, {kVolumeTStart, kVolumeTSectors}};
    for (const auto& v : volumes) {
        const std::vector<unsigned char> bytes = Sectors(0, static_cast<uint32_t>(v.sectors), 0);
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()),
                  ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(v.start * kSector)));
    }
    ASSERT_EQ(0, ::ftruncate(fd, static_cast<off_t>(kDiskSectors * kSector)));
    ::close(fd);
    const char* old = std::getenv("RVD_DISK_IMAGES");
    hadImages_ = old != nullptr;
    oldImages_ = old != nullptr ? old : "";
    setenv("RVD_DISK_IMAGES", image_.c_str(), 1);

    const struct {
        char letter;
        uint64_t start, sectors;
    } drives[] = {{'S', kVolumeSStart, kVolumeSSectors}, {'T', kVolumeTStart, kVolumeTSectors}};
    for (const auto& d : drives) {
        KSDriveEntry drive;
        drive.letter = d.letter;
        drive.totalBytes = d.sectors * kSector;
        drive.hasVolume = true;
        drive.volume.disk = 0;
        drive.volume.firstSector = d.start;
        drive.volume.sectors = d.sectors;
        ASSERT_TRUE(KSPlatformAddDrive(drive));
    }
    KSSnapshotDriverInstall();
}

void QuelmVolumeTest::TearDown()
{
    KSSnapshotDriverRemove();
    KSPlatformReset();
    EXPECT_EQ(handlesBefore_, KSPlatformOpenHandles()) << "every handle and thread of the client is closed";
    if (hadImages_)
        setenv("RVD_DISK_IMAGES", oldImages_.c_str(), 1);
    else
        unsetenv("RVD_DISK_IMAGES");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<unsigned char> QuelmVolumeTest::ImageSectors(char letter, uint64_t first, uint32_t count) const
{
    std::vector<unsigned char> bytes(static_cast<size_t>(count) * kSector);
    const uint64_t start = letter == 'S' ? kVolumeSStart : kVolumeTStart;
    const int fd = ::open(image_.c_str(), O_RDONLY);
    EXPECT_EQ(static_cast<ssize_t>(bytes.size()),
              ::pread(fd, bytes.data(), bytes.size(), static_cast<off_t>((start + first) * kSector)));
    ::close(fd);
    return bytes;
}

IKSQuelm* QuelmVolumeTest::OpenClient(char letter, const std::wstring& tempFolder)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectQuelm(KS_QUELM_VERSION, KS_QUELM_KIND, &object));
    IKSQuelm* client = static_cast<IKSQuelm*>(object);
    const wchar_t name[3] = {static_cast<wchar_t>(letter), L':', 0};
    EXPECT_EQ(0u, client->Open(name, tempFolder.empty() ? TempFolder().c_str() : tempFolder.c_str()));
    return client;
}

void QuelmVolumeTest::StartSnapshot(IKSQuelm* client, uint32_t sectorsPerBit)
{
    ASSERT_EQ(0u, client->CreateSnapshot(0, kVolumeSSectors, sectorsPerBit));
    ASSERT_EQ(0u, client->StartSnapshot());
    ASSERT_EQ(0u, client->SetVolumeBitmap(nullptr));
}

std::vector<std::string> QuelmVolumeTest::SpillFiles() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        if (entry.path().extension() == ".zet")
            names.push_back(entry.path().filename().string());
    return names;
}

bool WaitUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
