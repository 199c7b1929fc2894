#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "CheckerTestSupport.h"
#include "IKSCheck.h"

TEST(CheckerFactory, ChecksOutThenKind)
{
    void* out = nullptr;
    EXPECT_EQ(0x0023A009u, KSCreateObjectCheck(0, 7, nullptr));
    EXPECT_EQ(0x0023A009u, KSCreateObjectCheck(0, 3, nullptr));
    EXPECT_EQ(0x002DA006u, KSCreateObjectCheck(0, 6, &out));
    EXPECT_EQ(nullptr, out);
    ASSERT_EQ(0u, KSCreateObjectCheck(0x12345, 7, &out));
    ASSERT_NE(nullptr, out);
    IKSCheck* check = static_cast<IKSCheck*>(out);
    _KS_PROGRESS_INFO record;
    std::memset(&record, 0xCD, sizeof record);
    EXPECT_EQ(0x02CCA009u, check->GetCheckProgress(nullptr));
    EXPECT_EQ(0u, check->GetCheckProgress(&record));
    const _KS_PROGRESS_INFO zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &record, sizeof record)) << "a record before any run holds zeros";
    EXPECT_EQ(0u, check->Release());
}

TEST(CheckerInterface, AddCheckRefusesIncompleteVolumes)
{
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {2}));
    struct Case {
        const char* what;
        void (*spoil)(_KS_VOLUME&);
    } cases[] = {
        {"magic", [](_KS_VOLUME& v) { v.Magic = 0; }},
        {"sectors per cluster", [](_KS_VOLUME& v) { v.SectorsPerCluster = 0; }},
        {"bitmap bytes", [](_KS_VOLUME& v) { v.BitmapSize = 0; }},
        {"total sectors", [](_KS_VOLUME& v) { v.TotalSectors = 0; }},
        {"used sectors", [](_KS_VOLUME& v) { v.UsedSectors = 0; }},
    };
    for (const Case& k : cases) {
        _KS_VOLUME v = c.fake->volumes[0];
        k.spoil(v);
        EXPECT_EQ(0x029AA009u, c.check->AddCheck(&v)) << k.what;
    }
    EXPECT_EQ(0x029AA009u, c.check->AddCheck(nullptr));
    EXPECT_EQ(0u, c.check->AddCheck(&c.fake->volumes[0]));
}

TEST(CheckerInterface, PasswordRulesAndASettledSetLoadsFromTheSamePath)
{
    FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, 2, {1, 1});
    set->encrypted = true;
    set->password = L"secret";
    FakeChecker c(set);
    std::wstring path = set->files[0].path;
    _KS_VERSION version = set->versions[0];

    EXPECT_EQ(1u, c.check->IsPwdProtect(&path[0]));
    EXPECT_EQ(0x0163A005u, c.check->SetImgInfo(&version, &path[0]));

    std::wstring tooLong(65, L'x');
    EXPECT_EQ(0x00D3A009u, c.check->SetPassword(&tooLong[0], 65 * sizeof(wchar_t)));
    EXPECT_EQ(0x00D3A009u, c.check->SetPassword(nullptr, 3 * sizeof(wchar_t)));
    std::wstring wrong = L"secreT";
    EXPECT_EQ(0u, c.check->SetPassword(&wrong[0], 6 * sizeof(wchar_t)));
    EXPECT_EQ(0x0163A005u, c.check->SetImgInfo(nullptr, &path[0]));
    std::wstring right = L"secret";
    EXPECT_EQ(1u, c.check->SetPassword(&right[0], 6 * sizeof(wchar_t)));

    // The path IsPwdProtect stored must still load the set.
    int count = 0;
    EXPECT_EQ(0u, c.check->GetImageVersions(nullptr, 0, &count, &path[0]));
    EXPECT_EQ(1, count);
    EXPECT_EQ(0u, c.check->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volumes[2];
    EXPECT_EQ(0u, c.check->GetImgVolumes(volumes, 2, &count, &version));
    EXPECT_EQ(1, count);
    EXPECT_EQ(KS_VOLUME_MAGIC, volumes[0].Magic);
}

TEST(CheckerInterface, ListingsCheckTheirArguments)
{
    FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {1});
    set->volumes.push_back(FakeVolume(1, 4, 10));
    FakeChecker c(set);
    std::wstring path = c.LastPath();
    EXPECT_EQ(0u, c.check->IsPwdProtect(&path[0]));
    _KS_VERSION versions[2];
    int count = 0;
    EXPECT_EQ(0x00EBA009u, c.check->GetImageVersions(versions, 2, nullptr, &path[0]));
    EXPECT_EQ(0x00EBA009u, c.check->GetImageVersions(versions, 2, &count, nullptr));
    EXPECT_EQ(0x00EFA009u, c.check->GetImageVersions(versions, 2, &count, &path[0]));
    count = 2;
    EXPECT_EQ(0x00FBA00Eu, c.check->GetImageVersions(versions, 0, &count, &path[0]));
    EXPECT_EQ(0u, c.check->GetImageVersions(versions, 2, &count, &path[0]));
    EXPECT_EQ(1, count);
    EXPECT_EQ(0, std::memcmp(&set->versions[0], &versions[0], sizeof versions[0]));

    // A version that is not in the set leaves no version chosen.
    _KS_VERSION stranger = versions[0];
    stranger.Index = 9;
    _KS_VOLUME volumes[2];
    EXPECT_EQ(0x026AA00Au, c.check->GetImgVolumes(volumes, 2, &count, &stranger));

    EXPECT_EQ(0x013BA00Au, c.check->GetImgVolumes(volumes, 2, &count, nullptr));
    EXPECT_EQ(0x013BA00Au, c.check->GetImgVolumes(volumes, 2, nullptr, &versions[0]));
    EXPECT_EQ(0x0151A00Eu, c.check->GetImgVolumes(volumes, 1, &count, &versions[0]));
    EXPECT_EQ(0u, c.check->GetImgVolumes(nullptr, 0, &count, &versions[0]));
    EXPECT_EQ(2, count);

    wchar_t comment[16] = {};
    EXPECT_EQ(0x0286A00Au, c.check->GetVerComment(comment, 16, nullptr, &versions[0]));
    EXPECT_EQ(0x0286A00Au, c.check->GetVerComment(comment, 16, &count, nullptr));
    EXPECT_EQ(0u, c.check->GetVerComment(comment, 16, &count, &versions[0]));
    EXPECT_EQ(std::wstring(L"weekly"), comment);
}

TEST(CheckerInterface, WithoutContainerEveryOperationSaysSo)
{
    CImageCheck* check = new CImageCheck(nullptr);
    std::wstring path = L"/x.rvd";
    _KS_VERSION version = {};
    int count = 1;
    EXPECT_EQ(0u, check->IsPwdProtect(&path[0]));
    EXPECT_EQ(0x00CFA005u, check->SetPassword(&path[0], 2 * sizeof(wchar_t)));
    EXPECT_EQ(0x015FA005u, check->SetImgInfo(&version, &path[0]));
    EXPECT_EQ(0x00E7A005u, check->GetImageVersions(nullptr, 0, &count, &path[0]));
    EXPECT_EQ(0x0137A005u, check->GetImgVolumes(nullptr, 0, &count, &version));
    EXPECT_EQ(0x0282A005u, check->GetVerComment(nullptr, 0, &count, &version));
    check->Release();
}

// The container's own file request carries a whole path; the caller is asked for the
// file's name alone, as the checker's own requests ask. A disc request and the
// answers go through as they are.
TEST(CheckerInterface, TheContainersFileRequestReachesTheCallerAsTheFilesName)
{
    struct Asked {
        std::vector<std::pair<unsigned long, std::wstring>> requests;
        static unsigned long Answer(void* self, unsigned long message, void* data)
        {
            const wchar_t* text = message == KS_IMG_MSG_INSERT_DISC ? static_cast<_KS_IMG_MSG_DISC*>(data)->DiscNumber
                                                                    : static_cast<_KS_IMG_MSG_FILE*>(data)->Path;
            static_cast<Asked*>(self)->requests.emplace_back(message, text);
            return message == KS_IMG_MSG_INSERT_DISC ? 0x00DB1607u : 0u;
        }
    } asked;
    FakeChecker c(FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {1}));
    ASSERT_EQ(0u, c.check->SetPromptCall(&Asked::Answer, &asked));
    ASSERT_NE(nullptr, c.fake->callback);

    _KS_IMG_MSG_FILE file{};
    file.FileNumber = 2;
    const std::wstring path = L"/media/a-folder-whose-name-is-long-enough-to-fill-a-request/split2.RVD";
    std::wcsncpy(file.Path, path.c_str(), KS_PATH_CHARS - 1);
    EXPECT_EQ(0u, c.fake->callback(c.fake->callbackContext, KS_IMG_MSG_LOCATE_FILE, &file));
    _KS_IMG_MSG_DISC disc{};
    disc.Kind = 2;
    std::wcsncpy(disc.DiscNumber, L"3", 63);
    EXPECT_EQ(0x00DB1607u, c.fake->callback(c.fake->callbackContext, KS_IMG_MSG_INSERT_DISC, &disc));
    ASSERT_EQ(2u, asked.requests.size());
    EXPECT_EQ(KS_IMG_MSG_LOCATE_FILE, asked.requests[0].first);
    EXPECT_EQ(L"split2.RVD", asked.requests[0].second);
    EXPECT_EQ(path, std::wstring(file.Path)) << "the container's record stays as it was";
    EXPECT_EQ(L"3", asked.requests[1].second);
}
