// The burner's older revision over the drive model: the device string from the
// caller, the queries, and an image as large as the disc refused before writing.
#include "BurnerTestBench.h"

#include "CPyrelleOlder.h"

namespace {

class PyrelleTest : public BurnerTestBench {
protected:
    IPyrelle* OpenOlder()
    {
        IPyrelle* burner = new CPyrelleOlder;
        EXPECT_TRUE(burner->Open(L"R:"));
        return burner;
    }
};

TEST_F(PyrelleTest, TheCallerNamesTheDeviceAndTheDriveIsQueried)
{
    // No drive search: the device string comes with the burn.
    const std::wstring folder = MakeFolder("older", {{"a.rvd", 5000}});
    IPyrelle* burner = OpenOlder();
    EXPECT_EQ(burner->Burn(folder.c_str(), 1, L"1,0,0"), 0u);
    EXPECT_TRUE(DebugLinesMention("dev=1,0,0 "));
    EXPECT_TRUE(OnDiscAsIn(0, "a.rvd", HostOf(folder) + "/a.rvd"));

    EXPECT_EQ(burner->GetProductId(), nullptr);
    EXPECT_EQ(burner->QueryProductId(), 0u);
    EXPECT_EQ(std::wstring(burner->GetProductId()), L"Model Writer   ");
    EXPECT_EQ(burner->QueryDeviceProperties(), 0u);
    EXPECT_EQ(std::wstring(burner->GetBusTypeName()), L"ATAPI");
    EXPECT_EQ(static_cast<CPyrelleOlder*>(burner)->Capabilities().writeBits, 0x33);
    EXPECT_EQ(burner->QueryScsiIdString(), 0u);
    EXPECT_EQ(std::wstring(burner->GetProductString()), L"1,0,0");
    burner->Release();
}

TEST_F(PyrelleTest, AnImageAsLargeAsTheDiscIsRefusedBeforeWriting)
{
    optical::Disc disc = optical::BlankCdRw(8);
    // The lead-out says 1 MiB; the free blocks make the capacity 8 MiB.
    disc.leadOut[0] = 0;
    disc.leadOut[1] = 0;
    disc.leadOut[2] = 0;
    Insert(disc);
    const std::wstring folder = MakeFolder("large", {{"big.rvd", 9 << 20}});
    IPyrelle* burner = OpenOlder();
    EXPECT_EQ(KSResultKind(burner->Burn(folder.c_str(), 1, L"1,0,0")), KS_KIND_BURN_PROGRESS);
    EXPECT_TRUE(Drive().disc.tracks.empty());
    EXPECT_FALSE(DebugLinesMention("cdrecord -v dev=1,0,0 driveropts"));
    burner->Release();
}

TEST(PyrelleNames, MediaTypesHaveTheirNames)
{
    EXPECT_STREQ(PyrelleMediaTypeName(BURN_MEDIA_CD_R), "CD-R");
    EXPECT_STREQ(PyrelleMediaTypeName(BURN_MEDIA_DVD_RAM), "DVD-RAM");
    EXPECT_STREQ(PyrelleMediaTypeName(BURN_MEDIA_UNSUPPORTED), "Nonsupport type");
}

} // namespace
