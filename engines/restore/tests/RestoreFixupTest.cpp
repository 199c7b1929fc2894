// The Windows fix-ups after a restore, over real volumes with real hives: the backup
// engine backs the fixture's volumes up, the restore engine puts them at other
// offsets of a disk with another signature, and the hives, boot.ini files, boot
// sectors and tables are read back with the file systems' and hives' own tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CRestore.h"
#include "CommandOutput.h"
#include "FixupDisk.h"
#include "FixupDisks.h"
#include "FixupServices.h"
#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "RestoreFixture.h"
#include "SectorFixes.h"
#include "SystemFixups.h"
#include "VovavRecords.h"

namespace {

const char* const kAutoplay = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers";

bool IsNtfs(const WindowsSystemVolume& v) { return v.start == kSystemNtfs.start || v.start == kLogicalNtfs.start; }

std::string BootSectorBytes(const FixupPlace& place)
{
    std::string sector(512, '\0');
    FILE* file = std::fopen(FixupDisk::Get().Target().c_str(), "rb");
    std::fseek(file, static_cast<long>(place.start * 512), SEEK_SET);
    EXPECT_EQ(512u, std::fread(&sector[0], 1, 512, file));
    std::fclose(file);
    return sector;
}

void ExpectCleanVolume(const FixupPlace& place)
{
    const FixupDisk& disk = FixupDisk::Get();
    const std::string part = disk.Folder() + "/check";
    std::system(("dd if='" + disk.Target() + "' of='" + part + "' bs=512 skip=" + std::to_string(place.start) +
                 " count=" + std::to_string(place.sectors) + " status=none").c_str());
    int status = 0;
    CommandOutput((IsNtfs(place.source) ? "ntfsfix -n '" : "fsck.fat -n '") + part + "' >/dev/null 2>&1", &status);
    EXPECT_EQ(0, status) << place.start;
    const std::string keep = IsNtfs(place.source) ? "keep.bin" : "KEEP.BIN";
    EXPECT_EQ(CommandOutput("bash -c 'source " + std::string(RVD_FIXTURE_SCRIPTS) +
                            "/ntfs/ntfs-common.sh; pattern_file /dev/stdout 70000 keep'"),
              TargetFile(place.start, place.sectors, IsNtfs(place.source), keep))
        << place.start;
}

// The expected "MountedDevices" of a restored hive: what named the old place names
// the new one, the lettered target has its "\DosDevices\X:", the rest stays.
void ExpectRewrittenHive(const std::string& hive, const FixupPlace& place, char letter)
{
    const std::string exported = MountedDevicesOf(hive);
    const std::string now = ExportedPlace(kTargetSignature, place.start);
    const std::string old = ExportedPlace(kFixtureSignature, place.source.start);
    const std::string lines[] = {
        "\"\\\\DosDevices\\\\C:\"=" + now,
        "\"\\\\??\\\\Volume{5c1e0a00-0000-0000-0000-000000000001}\"=" + now,
        std::string("\"\\\\DosDevices\\\\") + letter + ":\"=" + now,
        "\"\\\\DosDevices\\\\D:\"=" + ExportedPlace(kFixtureSignature, 999999),
        // A shorter value that begins with the old bytes is not the old place.
        "\"\\\\DosDevices\\\\F:\"=" + old.substr(0, old.size() - 12),
        "\"Keep\"=dword:00000005",
    };
    for (const std::string& line : lines)
        EXPECT_NE(std::string::npos, exported.find(line + "\n")) << line << "\n" << exported;
}

// Backs the fixture's volumes up into a fresh folder, opens a restore engine on the
// set and lists its volumes, as the command channel does before it queues them.
struct BackedUpSet {
    RestoreEngine engine;
    std::vector<_KS_VOLUME> volumes;
};

BackedUpSet BackUpAndList(const std::string& name, const std::vector<WindowsSystemVolume>& sources)
{
    FixupDisk& disk = FixupDisk::Get();
    disk.Partition(TargetTable());
    const std::string folder = MakeWorkFolder(name);
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    for (const WindowsSystemVolume& source : sources)
        request.partitions.push_back(disk.IndexOf(source));
    BackedUpSet set;
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    set.engine.reset(static_cast<IKSRestore*>(object));
    unsigned long count = 0;
    _KS_VERSION version{};
    EXPECT_EQ(0u, set.engine->GetImageVersions(&version, 1, &count, &path[0]));
    EXPECT_EQ(0u, set.engine->SetImgInfo(&version, &path[0]));
    set.volumes.resize(sources.size());
    EXPECT_EQ(0u, set.engine->GetImgVolumes(set.volumes.data(), static_cast<unsigned long>(set.volumes.size()),
                                            &count, &version));
    EXPECT_EQ(sources.size(), count);
    return set;
}

class RestoreFixups : public FixupDiskTest {};

TEST_F(RestoreFixups, PartitionRestoresPointTheRestoredSystemsAtTheirNewPlaces)
{
    std::vector<WindowsSystemVolume> sources;
    for (const FixupPlace& place : kPlaces)
        sources.push_back(place.source);
    BackedUpSet set = BackUpAndList("fixups-parts", sources);
    ASSERT_EQ(4u, set.volumes.size());

    // Autoplay is off before the run; it ends switched on.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kAutoplay, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    const DWORD one = 1;
    RegSetValueExA(key, "DisableAutoplay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);

    const char letters[4] = {'E', 'H', 0, 'G'};
    for (size_t i = 0; i < 4; ++i) {
        for (_KS_VOLUME& volume : set.volumes)
            if (volume.PartitionStart == kPlaces[i].source.start) {
                // The small boot volume holds neither hive: it gets no registry edit.
                _KS_RESTORE_TARGET target = TargetRecord(kPlaces[i], letters[i], true);
                ASSERT_EQ(0u, set.engine->AddRestore(&volume, &target, 0));
            }
    }
    const _KS_PROGRESS_INFO record = ExecuteAndWait(set.engine.get());
    ASSERT_EQ(0u, record.Result) << std::hex << record.Result;

    DWORD value = 7, size = 4;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "DisableAutoplay", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(0u, value);
    RegCloseKey(key);

    uint32_t heads = 0, sectorsPerTrack = 0;
    ASSERT_TRUE(VessmarFixupDisks().Open(true));
    ASSERT_TRUE(VessmarFixupDisks().Geometry(1, heads, sectorsPerTrack));
    for (size_t i = 0; i < 4; ++i) {
        const FixupPlace& place = kPlaces[i];
        SCOPED_TRACE(place.start);
        const bool ntfs = IsNtfs(place.source);
        if (letters[i] != 0) {
            ExpectRewrittenHive(TargetFile(place.start, place.sectors, ntfs, "Windows/system32/config/system"), place,
                                letters[i]);
            if (place.source.start == kSystemNtfs.start)
                ExpectRewrittenHive(TargetFile(place.start, place.sectors, ntfs, "WINNT/system32/config/system"), place,
                                    letters[i]);
            const std::string bootIni = TargetFile(place.start, place.sectors, ntfs, "boot.ini");
            const std::string now = "multi(0)disk(0)rdisk(1)partition(" + std::to_string(place.partition) + ")\\WINDOWS";
            EXPECT_NE(std::string::npos, bootIni.find("default=" + now + "\r\n")) << bootIni;
            EXPECT_NE(std::string::npos, bootIni.find("\r\n" + now + "=\"Restored\"")) << bootIni;
            EXPECT_NE(std::string::npos, bootIni.find("rdisk(0)partition(9)\\WINNT=\"Other\"")) << bootIni;
        }
        const std::string boot = BootSectorBytes(place);
        EXPECT_EQ(sectorsPerTrack, LoadLE16(&boot[24]));
        EXPECT_EQ(heads, LoadLE16(&boot[26]));
        EXPECT_EQ(place.primary ? place.start : place.hidden, LoadLE32(&boot[28]));
        ExpectCleanVolume(place);
    }
}

TEST_F(RestoreFixups, ADiskRunMovesAnEntryToItsTargetsHiddenSectorsAndMarksTheSystemActive)
{
    const FixupDisk& disk = FixupDisk::Get();
    BackedUpSet set = BackUpAndList("fixups-disk", {kSystemFat32, kLogicalNtfs});
    ASSERT_EQ(2u, set.volumes.size());
    set.engine->SetDiskMode(1);
    // The logical's record sits 2048 sectors before it; the target asks for 63, the
    // same record and the same end.
    FixupPlace logical = kPlaces[3];
    logical.start = 120832 + 63;
    logical.sectors = 32768 + 2048 - 63;
    logical.hidden = 63;
    for (_KS_VOLUME& volume : set.volumes) {
        _KS_RESTORE_TARGET target = volume.PartitionStart == kSystemFat32.start ? TargetRecord(kPlaces[1], 'H', true)
                                                                                : TargetRecord(logical, 0, false);
        ASSERT_EQ(0u, set.engine->AddRestore(&volume, &target, 0));
    }
    const _KS_PROGRESS_INFO record = ExecuteAndWait(set.engine.get());
    ASSERT_EQ(0u, record.Result) << std::hex << record.Result;

    const std::string table = CommandOutput("sfdisk -d '" + disk.Target() + "' | sed -n 's/^[^:]*: *//p'");
    EXPECT_NE(std::string::npos, table.find("start=       40960, size=       69632, type=c, bootable\n")) << table;
    EXPECT_NE(std::string::npos, table.find("start=      120895, size=       34753, type=7\n")) << table;
    const std::string boot = BootSectorBytes(logical);
    EXPECT_EQ(63u, LoadLE32(&boot[28])) << "a logical's boot sector counts from its record";
    ExpectRewrittenHive(TargetFile(kPlaces[1].start, kPlaces[1].sectors, false, "Windows/system32/config/system"),
                        kPlaces[1], 'H');
    int status = 0;
    const std::string part = disk.Folder() + "/logical";
    std::system(("dd if='" + disk.Target() + "' of='" + part + "' bs=512 skip=120895 count=34753 status=none").c_str());
    CommandOutput("ntfsfix -n '" + part + "' >/dev/null 2>&1", &status);
    EXPECT_EQ(0, status);
}

// Vovav's calls as the fix-ups make them.
struct VovavCalls {
    int setOptPart = 0, updateFile = 0, bcdInit = 0, locks = 0;
    std::string lastBootIni, lastBcd;
    bool vista = false, bcdPartition = true;
    unsigned long initResult = 0;
} g_vovav;

unsigned long RecordSetOptPart(unsigned long, const unsigned char* record)
{
    ++g_vovav.setOptPart;
    g_vovav.lastBootIni.assign(reinterpret_cast<const char*>(record), KS_BOOTINI_OPTION_BYTES);
    return 0;
}
bool NotUpdated() { return false; }
unsigned long RecordUpdateFile() { return ++g_vovav.updateFile, 0; }
unsigned long RecordBcdInit(IManager*, const unsigned char* record)
{
    ++g_vovav.bcdInit;
    g_vovav.lastBcd.assign(reinterpret_cast<const char*>(record), KS_BCD_OPTION_BYTES);
    return g_vovav.initResult;
}
bool IsVista() { return g_vovav.vista; }
bool NotUsingFile() { return false; }
bool IsBcdPartition() { return g_vovav.bcdPartition; }
void RecordLock() { ++g_vovav.locks; }

RestoreServices RecordingServices()
{
    RestoreServices services = DefaultRestoreServices();
    services.fixups.bootIniSetOptPart = RecordSetOptPart;
    services.fixups.bootIniIsUpdated = NotUpdated;
    services.fixups.bootIniUpdateFile = RecordUpdateFile;
    services.fixups.bcdInit = RecordBcdInit;
    services.fixups.bcdIsVistaBoot = IsVista;
    services.fixups.bcdIsUsingBcdFile = NotUsingFile;
    services.fixups.bcdIsBcdPartition = IsBcdPartition;
    services.fixups.bcdLock = RecordLock;
    return services;
}

TEST_F(RestoreFixups, ADiskRunOfTheBootTrackAloneUpdatesNoBootConfiguration)
{
    FixupDisk& disk = FixupDisk::Get();
    disk.CopyFixture();
    g_vovav = VovavCalls();
    g_vovav.vista = true;
    RestoreEngine engine(new CRestore(RecordingServices()));
    engine->SetDiskMode(1);
    _KS_RESTORE_TARGET track{}, trackTarget{};
    track.SectorCount = 63;
    trackTarget.DiskNumber = 1;
    trackTarget.SectorCount = 63;
    ASSERT_EQ(0u, engine->AddDiskRestore(&track, &trackTarget, 0));
    const _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    EXPECT_EQ(0u, record.Result) << std::hex << record.Result;
    EXPECT_EQ(0, g_vovav.setOptPart);
    EXPECT_EQ(0, g_vovav.bcdInit);
}

TEST_F(RestoreFixups, TheBcdBranchHandsVovavTheOldAndNewPlace)
{
    FixupDisk& disk = FixupDisk::Get();
    disk.CopyFixture();
    struct Case {
        bool vista, bcdPartition;
        unsigned long initResult;
        int inits, locks;
        unsigned long kind;
    } const cases[] = {
        {true, true, 0, 1, 1, 0},
        {true, true, 1, 1, 0, 0x611},
        // Vovav always gets the record: its answers are about the volume it names.
        {false, true, 0, 1, 0, 0},   // not a system that boots through a BCD store
        {true, false, 0, 1, 0, 0},
        {false, false, 1, 1, 0, 0},  // no store: nothing that failed to be rewritten
    };
    for (const Case& c : cases) {
        g_vovav = VovavCalls();
        g_vovav.vista = c.vista;
        g_vovav.bcdPartition = c.bcdPartition;
        g_vovav.initResult = c.initResult;
        CRestore engine(RecordingServices());
        _KS_VOLUME source = SourceVolume(kSystemFat32);
        FixupPlace place = kPlaces[1];
        place.start = kSystemFat32.start;
        _KS_RESTORE_TARGET target = TargetRecord(place, 'H', true);
        _KS_RESTORE_OPERATION operation{&source, &target, 0};
        EXPECT_EQ(c.kind, KSResultKind(UpdateSystemForPartOpt(engine, operation))) << c.vista << c.initResult;
        EXPECT_EQ(c.inits, g_vovav.bcdInit);
        EXPECT_EQ(c.locks, g_vovav.locks);
        EXPECT_EQ(1, g_vovav.setOptPart);
        if (g_vovav.bcdInit != 0) {
            const KSBcdOption bcd = KSLoadBcdOption(reinterpret_cast<const unsigned char*>(g_vovav.lastBcd.data()));
            EXPECT_EQ(kTargetSignature, bcd.newSignature);
            EXPECT_EQ(kFixtureSignature, bcd.oldSignature);
            EXPECT_EQ(kSystemFat32.start, bcd.oldFirstSector);
            EXPECT_EQ(kSystemFat32.start, bcd.newFirstSector);
            EXPECT_EQ('H', bcd.letter);
            EXPECT_EQ(1u, bcd.disk);
            EXPECT_EQ(1u, bcd.boot);
        }
        const KSBootIniOption bootIni =
            KSLoadBootIniOption(reinterpret_cast<const unsigned char*>(g_vovav.lastBootIni.data()));
        EXPECT_EQ(kSystemFat32.partition << 16, bootIni.oldArc);
        EXPECT_EQ(1u, bootIni.disk);
        EXPECT_EQ(kSystemFat32.start, bootIni.firstSector);
        EXPECT_EQ('H', bootIni.letter);
    }
}

// The device manager's volumes, except that none is ever seen mounted.
class NeverMounted : public IFixupDisks {
public:
    class Volume : public IFixupVolume {
    public:
        explicit Volume(IFixupVolume* real) : real_(real) {}
        uint64_t Start() override { return real_->Start(); }
        uint64_t Sectors() override { return real_->Sectors(); }
        uint64_t Hidden() override { return real_->Hidden(); }
        bool Primary() override { return real_->Primary(); }
        unsigned TypeId() override { return real_->TypeId(); }
        unsigned FileSystem() override { return real_->FileSystem(); }
        unsigned long ReadBootSector(unsigned char s[512]) override { return real_->ReadBootSector(s); }
        unsigned long WriteBootSector(const unsigned char s[512]) override { return real_->WriteBootSector(s); }
        bool IsSystemPartition() override { return real_->IsSystemPartition(); }
        char Letter() override { return real_->Letter(); }
        unsigned long SetLetter(char l) override { return real_->SetLetter(l); }
        std::string MountName() override { return real_->MountName(); }
        unsigned long Mount() override { return 0; }
        bool IsMounted(char hint) override { return ++asked[hint], false; }
        unsigned long Unmount() override { return ++unmounts, 0; }
        unsigned long MakeActive() override { return real_->MakeActive(); }
        std::map<char, int> asked;
        int unmounts = 0;

    private:
        IFixupVolume* real_;
    };
    bool Open(bool rescan) override { return VessmarFixupDisks().Open(rescan); }
    std::vector<IFixupVolume*> Partitions(unsigned disk) override
    {
        std::vector<IFixupVolume*> out;
        for (IFixupVolume* real : VessmarFixupDisks().Partitions(disk)) {
            volumes.emplace_back(new Volume(real));
            out.push_back(volumes.back().get());
        }
        return out;
    }
    bool Geometry(unsigned disk, uint32_t& h, uint32_t& s) override { return VessmarFixupDisks().Geometry(disk, h, s); }
    std::vector<std::unique_ptr<Volume>> volumes;
};

TEST_F(RestoreFixups, FailuresGiveTheirKindsAndLeaveTheRestoredHiveAsItWas)
{
    FixupDisk& disk = FixupDisk::Get();
    const std::string hivePath = "Windows/system32/config/system";
    const auto fatHive = [&] { return TargetFile(kSystemFat32.start, kSystemFat32.sectors, false, hivePath); };
    enum Fault { kDamagedHive, kWriteBack, kPrivileges, kMissingTarget, kMountTimeOut };
    struct Case {
        Fault fault;
        unsigned long kind;
        bool hiveKept;
    } const cases[] = {
        {kDamagedHive, 0x101, true}, {kWriteBack, 0x102, true}, {kPrivileges, 0x013, true},
        {kMissingTarget, 0x067, true}, {kMountTimeOut, 0x012, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        SetUp();
        disk.CopyFixture();
        if (c.fault == kDamagedHive) {
            const std::string damaged = disk.Folder() + "/damaged";
            std::string bytes = fatHive();
            bytes[0] = 'X';
            std::ofstream(damaged, std::ios::binary) << bytes;
            ASSERT_EQ(0, std::system(("MTOOLS_SKIP_CHECK=1 mcopy -o -i '" + disk.Target() + "@@" +
                                      std::to_string(kSystemFat32.start * 512) + "' '" + damaged + "' ::/" + hivePath)
                                         .c_str()));
        }
        if (c.fault == kWriteBack) {
            // boot.ini names the new place already and the volume holds no BCD store,
            // so that the hive is the first write.
            ASSERT_EQ(0, std::system(("MTOOLS_SKIP_CHECK=1 mdel -i '" + disk.Target() + "@@" +
                                      std::to_string(kSystemFat32.start * 512) + "' ::/Boot/BCD")
                                         .c_str()));
            const std::string bootIni = disk.Folder() + "/boot.ini";
            std::string text = TargetFile(kSystemFat32.start, kSystemFat32.sectors, false, "boot.ini");
            for (size_t at; (at = text.find("rdisk(0)partition(2)")) != std::string::npos;)
                text.replace(at, 20, "rdisk(1)partition(2)");
            std::ofstream(bootIni, std::ios::binary) << text;
            ASSERT_EQ(0, std::system(("MTOOLS_SKIP_CHECK=1 mcopy -o -i '" + disk.Target() + "@@" +
                                      std::to_string(kSystemFat32.start * 512) + "' '" + bootIni + "' ::/boot.ini")
                                         .c_str()));
        }
        const std::string before = fatHive();
        RestoreServices services = DefaultRestoreServices();
        NeverMounted neverMounted;
        KSFakeClock clock;
        if (c.fault == kMountTimeOut) {
            services.fixups.disks = &neverMounted;
            KSPlatformSetClock(&clock);
        }
        if (c.fault == kWriteBack)
            KSPlatformSetVolumeWriteError(ERROR_WRITE_FAULT);
        if (c.fault == kPrivileges)
            KSPlatformSetPrivilegeError(ERROR_ACCESS_DENIED);
        CRestore engine(services);
        _KS_VOLUME source = SourceVolume(kSystemFat32);
        FixupPlace place = kPlaces[1];
        place.start = c.fault == kMissingTarget ? 60000 : kSystemFat32.start;
        _KS_RESTORE_TARGET target = TargetRecord(place, 'H', true);
        _KS_RESTORE_OPERATION operation{&source, &target, 0};
        const unsigned long rc = UpdateSystemForPartOpt(engine, operation);
        KSPlatformSetClock(nullptr);
        KSPlatformSetVolumeWriteError(ERROR_SUCCESS);
        EXPECT_EQ(c.kind, KSResultKind(rc)) << std::hex << rc;
        EXPECT_EQ(KS_MODULE_RESTORE, (rc >> 12) & 0xF);
        if (c.hiveKept) {
            EXPECT_EQ(before, fatHive());
        }
        if (c.fault == kMountTimeOut) {
            ASSERT_FALSE(neverMounted.volumes.empty());
            // 60 passes 800 ms apart, the letter 'a' offered from the 47th on; the mount
            // is undone. The letter was never given, so no hive is found under it.
            int unmounts = 0, hinted = 0, plain = 0;
            for (const auto& v : neverMounted.volumes) {
                unmounts += v->unmounts;
                hinted += v->asked['a'];
                plain += v->asked[0];
            }
            EXPECT_EQ(1, unmounts);
            EXPECT_EQ(60, plain);
            EXPECT_EQ(14, hinted);
            EXPECT_EQ(60u * 800u, clock.Slept());
        }
    }
    SetUp();
}

TEST_F(RestoreFixups, TheRunningSystemsOwnDriveEditsTheLiveKeyAndTheSystemPartitionIsNamed)
{
    FixupDisk& disk = FixupDisk::Get();
    disk.CopyFixture();
    const std::string windows = disk.Folder() + "/c";
    std::system(("rm -rf '" + windows + "' && mkdir -p '" + windows + "/WINDOWS'").c_str());
    KSDriveEntry c;
    c.letter = 'C';
    c.hostFolder = windows;
    KSPlatformAddDrive(c);
    KSPlatformSetWindowsDirectory("C:\\WINDOWS");

    // The live key: the old place, then a shorter value that begins like it.
    unsigned char old[12];
    StoreLE32(old, kFixtureSignature);
    StoreLE64(old + 4, kSystemFat32.start * 512);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\MountedDevices", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "\\DosDevices\\C:", 0, REG_BINARY, old, 12);
    RegSetValueExA(key, "\\DosDevices\\F:", 0, REG_BINARY, old, 8);
    RegCloseKey(key);
    HKEY setup = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Setup", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &setup, nullptr));
    RegCloseKey(setup);
    const std::string hiveBefore = TargetFile(kSystemFat32.start, kSystemFat32.sectors, false,
                                              "Windows/system32/config/system");

    CRestore engine(DefaultRestoreServices());
    _KS_VOLUME source = SourceVolume(kSystemFat32);
    FixupPlace place = kPlaces[1];
    place.start = kSystemFat32.start;
    _KS_RESTORE_TARGET target = TargetRecord(place, 'C', true);
    _KS_RESTORE_OPERATION operation{&source, &target, 0};
    EXPECT_EQ(0u, UpdateSystemForPartOpt(engine, operation));

    unsigned char data[16] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\MountedDevices", 0, KEY_READ, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "\\DosDevices\\C:", nullptr, nullptr, data, &size));
    EXPECT_EQ(12u, size);
    EXPECT_EQ(kTargetSignature, LoadLE32(data));
    EXPECT_EQ(kSystemFat32.start * 512, LoadLE64(data + 4));
    size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "\\DosDevices\\F:", nullptr, nullptr, data, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(0, std::memcmp(data, old, 8)) << "the shorter value stays";
    RegCloseKey(key);
    EXPECT_EQ(hiveBefore, TargetFile(kSystemFat32.start, kSystemFat32.sectors, false, "Windows/system32/config/system"))
        << "no hive is loaded";

    // The fixture's active NTFS primary is the partition the machine starts from.
    FixupPlace system = kPlaces[0];
    system.start = kSystemNtfs.start;
    _KS_VOLUME ntfs = SourceVolume(kSystemNtfs);
    _KS_RESTORE_TARGET systemTarget = TargetRecord(system, 0, false);
    _KS_RESTORE_OPERATION systemOperation{&ntfs, &systemTarget, 0};
    EXPECT_EQ(0u, UpdateSystemForPartOpt(engine, systemOperation));
    char name[64] = {};
    size = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\Setup", 0, KEY_READ, &setup));
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(setup, "SystemPartition", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(name), &size));
    RegCloseKey(setup);
    EXPECT_STREQ("\\Device\\HarddiskVolume129", name);
    EXPECT_EQ("\\Device\\Harddisk1\\Partition1", CommandOutput("cat '" + windows + "/WINDOWS/OutLog.txt'"));
}

} // namespace

namespace {

TEST_F(RestoreFixups, ATableEntryMovesOnlyWhenItKeepsItsEnd)
{
    FixupDisk& disk = FixupDisk::Get();
    const std::string dump = "sfdisk -d '" + disk.Target() + "' | sed -n 's/^[^:]*: *//p'";
    // The fixture's logical sits 2048 sectors after its record at 112640, 32768 long.
    struct Case {
        uint64_t hidden, sectors;
        bool allowed, moved;
        const char* line;
    } const cases[] = {
        {63, 32768 + 2048 - 63, true, true, "start=      112703, size=       34753, type=7"},
        {63, 32768, true, false, "start=      114688, size=       32768, type=7"},   // another end
        {63, 32768 + 2048 - 63, false, false, "start=      114688, size=       32768, type=7"},
        {4096, 32768 + 2048 - 4096, true, true, "start=      116736, size=       30720, type=7"},
    };
    for (const Case& c : cases) {
        disk.CopyFixture();
        _KS_RESTORE_TARGET target{};
        target.DiskNumber = 1;
        target.FirstSector = 112640 + c.hidden;
        target.SectorCount = c.sectors;
        target.HiddenSectors = c.hidden;
        EXPECT_EQ(c.moved, FixTableEntryHiddenSectors(1, kLogicalNtfs.start, 32768, 2048, target, c.allowed))
            << c.hidden << " " << c.sectors;
        EXPECT_NE(std::string::npos, CommandOutput(dump).find(c.line)) << CommandOutput(dump);
    }
}

} // namespace
