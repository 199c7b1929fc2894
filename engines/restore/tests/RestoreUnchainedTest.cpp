// A set whose versions do not build on each other (a writer may leave the chain bits
// of every version clear): each version stands alone, and an older one restores from
// its own file, which the set's folder holds, without asking the caller for it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "IKSRestore.h"
#include "KSImageFormat.h"
#include "KSResult.h"
#include "PeerBitmap.h"
#include "RestoreFixture.h"

namespace {
// Clears the chain bits of every version record in the file's version list, which a
// set written without compression keeps as it is.
bool ClearChainBits(const std::string& file)
{
    FILE* f = std::fopen(file.c_str(), "r+b");
    if (f == nullptr)
        return false;
    unsigned char bytes[KS_IMG_TAIL_SIZE];
    bool done = fseeko(f, -static_cast<off_t>(sizeof bytes), SEEK_END) == 0 &&
                std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes;
    _KS_IMG_TAIL tail{};
    if (done)
        KSImgTailFromBytes(bytes, tail);
    done = done && tail.VersionListStored == tail.VersionListRaw && tail.VersionListRaw % KS_VERSION_SIZE == 0;
    for (uint32_t at = 0; done && at < tail.VersionListRaw; at += KS_VERSION_SIZE) {
        unsigned char record[KS_VERSION_SIZE];
        const off_t pos = static_cast<off_t>(tail.VersionListPos + at);
        done = fseeko(f, pos, SEEK_SET) == 0 && std::fread(record, 1, sizeof record, f) == sizeof record;
        _KS_VERSION version{};
        KSVersionFromBytes(record, version);
        version.Flags &= ~uint32_t(KS_FLAG_CHAIN);
        KSVersionToBytes(version, record);
        done = done && fseeko(f, pos, SEEK_SET) == 0 && std::fwrite(record, 1, sizeof record, f) == sizeof record;
    }
    return std::fclose(f) == 0 && done;
}

struct FileRequests {
    std::vector<unsigned long> numbers;
    static unsigned long Refuse(void* context, unsigned long message, void* data)
    {
        if (message == KS_RESTORE_MSG_FILE)
            static_cast<FileRequests*>(context)->numbers.push_back(static_cast<_KS_RESTORE_REQUEST*>(data)->Number);
        return message == KS_RESTORE_MSG_DONE ? 0 : KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_CANCELLED);
    }
};

TEST(RestoreUnchained, AnOlderVersionRestoresFromItsOwnFileWithoutAsking)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-unchained");
    const std::string source = folder + "/source.img";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + disk.Path() + "' '" + source + "' && mkdir -p '" + folder +
                              "/set'").c_str()));
    setenv(CDiskMap::kImagesVariable, source.c_str(), 1);
    const FixturePartition& p = disk.fat16;
    const std::string before = folder + "/before";
    ASSERT_FALSE(ExtractPartition(source, p.start, p.sectors, before).empty());
    BackupRequest request;
    request.imagePath = Wide(folder + "/set/unchained.rvd");
    request.level = 0;
    request.partitions = {p.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::string at = "'" + source + "@@" + std::to_string(p.start * 512) + "'";
    ASSERT_EQ(0, std::system(("head -c 90000 /dev/urandom > '" + folder + "/new' && MTOOLS_SKIP_CHECK=1 mcopy -i " + at +
                              " '" + folder + "/new' ::/NEW.BIN && MTOOLS_SKIP_CHECK=1 mdel -i " + at +
                              " ::/DOCS/FILE2.TXT").c_str()));
    request.setMode = 1;
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder + "/set");
    ASSERT_EQ(files.size(), 2u);
    for (const std::string& name : files)
        ASSERT_TRUE(ClearChainBits(folder + "/set/" + name)) << name;

    const std::string target = MakeTargetDisk(folder);
    setenv(CDiskMap::kImagesVariable, (source + ":" + target).c_str(), 1);
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    FileRequests requests;
    ASSERT_EQ(0u, engine->SetCallBack(&FileRequests::Refuse, &requests));
    const RestoreOutcome outcome = RunRestore(engine.get(), Wide(folder + "/set/" + files.back()), {p}, L"", false, 0);
    ASSERT_EQ(outcome.volumes.size(), 1u);
    EXPECT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
    EXPECT_TRUE(requests.numbers.empty()) << "asked for file " << requests.numbers.front();
    const std::string restored = folder + "/restored";
    ASSERT_FALSE(ExtractPartition(target, p.start, p.sectors, restored).empty());
    ExpectSameFat(restored, before, folder);
}
}
