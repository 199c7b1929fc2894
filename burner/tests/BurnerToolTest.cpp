// The drive tool over modelled drives and the bus scan's stand-in.
#include "BurnerTestBench.h"

#include "CBurnerTool.h"

#include <chrono>

namespace {

class BurnerToolTest : public BurnerTestBench {
protected:
    void AddDrive(char letter, unsigned bus, uint8_t writeBits, const std::string& product, const std::string& scsi)
    {
        optical::Drive drive;
        drive.letter = letter;
        drive.busType = bus;
        drive.writeBits = writeBits;
        drive.product = product;
        drive.scsiId = scsi;
        drive.disc = optical::BlankCdR();
        ASSERT_TRUE(optical::RegisterDrive(modelRoot_, drive));
    }
    std::vector<std::wstring> Names(CBurnerTool& tool)
    {
        std::vector<std::wstring> names;
        for (unsigned long i = 0; i < tool.GetCount(); ++i)
            names.push_back(tool.GetAt(i)->Name);
        return names;
    }
};

TEST_F(BurnerToolTest, WritersAndUsbDrivesAreKeptAndDescribed)
{
    AddDrive('S', 2, 0x00, "Reader Only", "2,0,0");   // ATAPI, cannot write: dropped
    AddDrive('U', 7, 0x00, "Usb Reader", "3,0,0");    // USB, read-only: kept
    KSDriveEntry fixed;
    fixed.letter = 'C';
    fixed.hostFolder = staging_;
    ASSERT_TRUE(KSPlatformAddDrive(fixed));
    CBurnerTool tool;
    EXPECT_EQ(tool.IsSearched(), 0u);
    tool.SearchAllBurner();
    EXPECT_EQ(tool.IsSearched(), 1u);
    EXPECT_EQ(Names(tool), (std::vector<std::wstring>{L"R:", L"U:"}));
    const DREVEL_INFO* r = tool.GetAt(0);
    EXPECT_EQ(std::wstring(r->BusType), L"ATAPI");
    EXPECT_EQ(std::wstring(r->ProductId), L"Model Writer   ");
    EXPECT_EQ(std::wstring(r->ScsiId), L"1,0,0");
    EXPECT_EQ(r->CdWrite, 1u);
    EXPECT_EQ(r->CdRWrite, 1u);
    EXPECT_EQ(r->DvdRWrite, 1u);
    EXPECT_EQ(r->DvdRomRead, 1u);
    EXPECT_EQ(r->ScanbusMatch, 1u) << "the scan lists its identifier";
    EXPECT_EQ(std::wstring(tool.GetAt(1)->BusType), L"USB");
    EXPECT_EQ(tool.GetAt(2), nullptr);
    EXPECT_EQ(tool.GetAt(~0ul), nullptr);
    EXPECT_EQ(tool.Exists(L"R:"), 1u);
    EXPECT_EQ(tool.Exists(L"r:"), 0u);
    EXPECT_EQ(tool.Exists(L"S:"), 0u);
}

TEST_F(BurnerToolTest, AnUnreadableAddressIsKeptWholeAndAUsbDriveTakesTheScansIdentifier)
{
    optical::Drive drive = Drive();
    drive.failingOps = {0x101}; // the SCSI address request
    drive.busType = 7;
    drive.scsiId = "4,1,0";
    SaveDrive(drive);
    CBurnerTool tool;
    tool.SearchAllBurner();
    ASSERT_EQ(tool.GetCount(), 1u);
    // The scan's line names the drive's product; its identifier replaces the
    // meaningless address.
    EXPECT_EQ(std::wstring(tool.GetAt(0)->ScsiId), L"4,1,0");
    EXPECT_EQ(tool.GetAt(0)->ScanbusMatch, 1u);

    // Without a scan (and so without its file of the last search) the address stays
    // as read: "255,255,255", whole.
    ASSERT_EQ(std::remove((program_ + "/scanbus").c_str()), 0);
    tool.SearchAllBurner();
    EXPECT_EQ(std::wstring(tool.GetAt(0)->ScsiId), L"255,255,255");
    EXPECT_EQ(tool.GetAt(0)->ScanbusMatch, 0u);
}

TEST_F(BurnerToolTest, ScanLineIdentifiersEndAtTheirFirstBlank)
{
    struct Case {
        const wchar_t* line;
        const wchar_t* id;
    } cases[] = {
        {L"\t1,0,0\t  100) 'RVD' 'Model Writer' '1.00' Removable CD-ROM", L"1,0,0"},
        {L"\r\n\t12,3,4\t 100) 'X' Removable CD-ROM", L"12,3,4"},
        {L"1,0,0\t1 Removable CD-ROM", L"1,0,0"},
        {L"\t1,10,100 Removable CD-ROM", L"1,10,10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScanbusIdentifier(c.line), c.id) << c.line;
}

TEST_F(BurnerToolTest, PassTwoMatchesNonUsbDrivesByIdentifierOrProduct)
{
    std::vector<std::unique_ptr<CDrevelEntry>> entries;
    for (auto [name, bus, scsi, product] :
         {std::make_tuple(L"D:", L"ATAPI", L"0,1,0", L"Writer One     "),
          std::make_tuple(L"E:", L"SCSI", L"255,255,255", L"Writer Two     "),
          std::make_tuple(L"F:", L"USB", L"0,0,0", L"Stick Burner   ")}) {
        auto entry = std::make_unique<CDrevelEntry>();
        entry->name = name;
        entry->busType = bus;
        entry->scsiId = scsi;
        entry->productId = product;
        entry->Bind();
        entries.push_back(std::move(entry));
    }
    MatchScanbusLines({L"\t0,1,0\t  100) 'V' 'Writer One      ' 'R' Removable CD-ROM",
                       L"\t2,0,0\t  200) 'V' 'Writer Two      ' 'R' Removable CD-ROM",
                       L"\t5,0,0\t  300) 'V' 'Stick Burner    ' 'R' Removable CD-ROM"},
                      entries);
    EXPECT_EQ(entries[0]->scsiId, L"0,1,0");
    EXPECT_EQ(entries[0]->info.ScanbusMatch, 1u);
    EXPECT_EQ(entries[1]->scsiId, L"2,0,0");
    EXPECT_EQ(std::wstring(entries[1]->info.ScsiId), L"2,0,0");
    EXPECT_EQ(entries[2]->scsiId, L"5,0,0");
    EXPECT_EQ(entries[2]->info.ScanbusMatch, 1u);
}

TEST_F(BurnerToolTest, AScanThatFloodsItsOutputAndHangsIsDrainedAndEnded)
{
    ::setenv("RVD_SCANBUS_FLOOD", "1000000", 1);
    ::setenv("RVD_SCANBUS_HANG", "1", 1);
    CBurnerTool tool;
    tool.SetScanbusTimeout(1500);
    const auto start = std::chrono::steady_clock::now();
    tool.SearchAllBurner();
    const auto took = std::chrono::steady_clock::now() - start;
    ::unsetenv("RVD_SCANBUS_FLOOD");
    ::unsetenv("RVD_SCANBUS_HANG");
    EXPECT_LT(took, std::chrono::seconds(30));
    EXPECT_EQ(tool.IsSearched(), 1u);
    ASSERT_EQ(tool.GetCount(), 1u);
    EXPECT_EQ(tool.GetAt(0)->ScanbusMatch, 1u) << "the scan wrote its file before it hung";
}

TEST_F(BurnerToolTest, TheFactoryHandsOutOneObject)
{
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(CreateObjectBurnerTool(1, KS_BURNER_TOOL_ID, &first), 0u);
    EXPECT_EQ(CreateObjectBurnerTool(7, KS_BURNER_TOOL_ID, &second), 0u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(KSResultKind(CreateObjectBurnerTool(1, KS_BURNER_TOOL_ID, nullptr)), 0x00Cu);
    EXPECT_EQ(KSResultKind(CreateObjectBurnerTool(1, 17, &first)), 0x009u);
}

} // namespace
