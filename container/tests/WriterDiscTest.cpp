// Sets spanned over discs: labels, their list and the label lookups.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSet.h"

namespace {

std::wstring LabelText(const _KS_CDINFO& c)
{
    std::wstring s;
    for (size_t i = 0; i < KS_LABEL_UNITS && c.Label[i]; ++i)
        s.push_back(static_cast<wchar_t>(c.Label[i]));
    return s;
}

TEST(WriterDisc, LabelsFollowTheDiscChangesOfARun)
{
    ScratchFolder dir;
    CofranPtr c;
    const std::wstring first = dir.WPath("backupset.rvd");
    ASSERT_EQ(0u, c->OpenCofran(first.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    ASSERT_EQ(0u, c->BeginBackup(first.c_str(), KS_BEGIN_DISC_SET, nullptr, nullptr, 6, 0));
    const _KS_VOLUME v = NtfsVolume(8);
    const std::vector<unsigned char> data = PatternBytes(4 * 4096, 1);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    ASSERT_EQ(0u, c->WriteData(0, data.data(), 4, 0));
    ASSERT_EQ(0u, c->EndBackup(1));
    wchar_t label[64];
    ASSERT_EQ(0u, c->GetAvailableLabel(label, 64));
    EXPECT_STREQ(L"backupse001", label) << "the prefix is the first 8 characters of the base name";

    // Second file on a new disc, third on the same disc.
    wchar_t next[300];
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    ASSERT_EQ(0u, c->BeginBackup(next, KS_BEGIN_DISC_SET, nullptr, nullptr, 6, 0));
    ASSERT_EQ(0u, c->WriteData(4, data.data(), 4, 0));
    ASSERT_EQ(0u, c->EndBackup(1));
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    ASSERT_EQ(0u, c->BeginBackup(next, KS_BEGIN_DISC_SET | KS_BEGIN_SAME_DISC, nullptr, nullptr, 6, 0));
    ASSERT_EQ(0u, c->WriteData(8, data.data(), 4, 0));
    ASSERT_EQ(0u, c->EndBackup(0));

    const InspectedFile f = Inspect(dir.Path() + "backupset2.RVD");
    ASSERT_TRUE(f.tailSumOk);
    EXPECT_EQ(0x20, f.head.ModeBits);
    EXPECT_EQ(2u, f.tail.LabelCount);
    const std::vector<unsigned char> labels =
        f.Blob(KS_GROUP_DIR, f.tail.LabelListPos, f.tail.LabelListRaw, f.tail.LabelListStored);
    ASSERT_EQ(280u, labels.size());
    _KS_CDINFO l0, l1;
    KSCdInfoFromBytes(labels.data(), l0);
    KSCdInfoFromBytes(labels.data() + 140, l1);
    EXPECT_EQ(0u, l0.Index);
    EXPECT_EQ(0u, l0.FirstFile);
    EXPECT_EQ(1u, l0.FileCount);
    EXPECT_EQ(L"backupse001", LabelText(l0));
    EXPECT_EQ(1u, l1.Index);
    EXPECT_EQ(1u, l1.FirstFile);
    EXPECT_EQ(2u, l1.FileCount);
    EXPECT_EQ(L"backupse002", LabelText(l1));
    const std::vector<unsigned char> versions =
        f.Blob(KS_GROUP_DIR, f.tail.VersionListPos, f.tail.VersionListRaw, f.tail.VersionListStored);
    _KS_VERSION ver;
    KSVersionFromBytes(versions.data(), ver);
    EXPECT_EQ(3u, ver.FileCount);
    EXPECT_EQ(2u, ver.DiscCount);
    EXPECT_EQ(0u, ver.LabelIndex);

    CofranPtr r;
    ASSERT_EQ(0u, r->OpenCofran(dir.WPath("backupset2.RVD").c_str(), KS_OPEN_DISC_SET, nullptr, 0));
    _KS_CDINFO cds[2];
    EXPECT_EQ(0x00Eu, Kind(r->GetBackupCdInfo(cds, 1)));
    ASSERT_EQ(0u, r->GetBackupCdInfo(cds, 2));
    _KS_IMGNAME_NO names[3];
    ASSERT_EQ(0u, r->GetBackupImgNameInfo(names, 3));
    unsigned long labelIndex = 9, fileNumber = 9;
    ASSERT_EQ(0u, r->GetLabelNoFromOffset(&ver, 1, cds, 2, names, 3, names[2].Base + 1, &labelIndex, &fileNumber));
    EXPECT_EQ(1u, labelIndex);
    EXPECT_EQ(2u, fileNumber);
    ASSERT_EQ(0u, r->GetLabelNoFromOffset(&ver, 1, cds, 2, names, 3, 0, &labelIndex, &fileNumber));
    EXPECT_EQ(0u, labelIndex);
    EXPECT_EQ(0x108u, Kind(r->GetLabelNoFromOffset(&ver, 1, cds, 1, names, 3, names[1].Base, &labelIndex,
                                                   &fileNumber)));
    EXPECT_EQ(0x009u, Kind(r->GetLabelNoFromOffset(&ver, 1, nullptr, 1, names, 3, 0, &labelIndex, &fileNumber)));
    // A disc set is not checked file by file.
    EXPECT_EQ(0u, r->CheckCofranVer(&ver));
}

TEST(WriterDisc, ALabelCounterThatJumpsIsRefusedAndLeavesTheRunAsItWas)
{
    ScratchFolder dir;
    CofranPtr c;
    const std::wstring first = dir.WPath("jump.rvd");
    ASSERT_EQ(0u, c->OpenCofran(first.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    ASSERT_EQ(0u, c->BeginBackup(first.c_str(), KS_BEGIN_DISC_SET, nullptr, nullptr, 6, 0));
    ASSERT_EQ(0u, c->EndBackup(1));
    wchar_t next[300];
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    // A file that is not on a disc still counts a label...
    ASSERT_EQ(0u, c->BeginBackup(next, 0, nullptr, nullptr, 6, 0));
    ASSERT_EQ(0u, c->EndBackup(1));
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    // ...so the next disc would skip one.
    EXPECT_EQ(0x014u, Kind(c->BeginBackup(next, KS_BEGIN_DISC_SET, nullptr, nullptr, 6, 0)));
    // The refusal changed nothing: the run can still go on.
    ASSERT_EQ(0u, c->BeginBackup(next, KS_BEGIN_DISC_SET | KS_BEGIN_SAME_DISC, nullptr, nullptr, 6, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    const InspectedFile f = Inspect(std::wstring(next));
    EXPECT_EQ(2u, f.head.FileNumber);
    EXPECT_EQ(2u, f.tail.LabelCount) << "the counter moved on with the file that was not on a disc";
}

} // namespace
