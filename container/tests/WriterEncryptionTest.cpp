// Sets encrypted under a password.
#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <cstring>
#include <string>
#include <utility>

#include "AesCipher.h"
#include "PasswordKey.h"
#include "TestSet.h"
#include "md5.h"

namespace {

const wchar_t kPassword[] = L"correct horse battery";

struct EncryptedSet {
    ScratchFolder dir;
    std::vector<unsigned char> filters = RandomBytes(40, 21);
    std::vector<unsigned char> random = RandomBytes(3 * 4096, 22);
    std::vector<unsigned char> pattern = PatternBytes(64 * 4096, 23);

    EncryptedSet()
    {
        StoreLE32(filters.data(), 0x11);
        StoreLE32(filters.data() + 4, 40);
        CofranPtr c;
        const std::wstring path = dir.WPath("enc.rvd");
        EXPECT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, kPassword, sizeof kPassword - sizeof(wchar_t)));
        EXPECT_EQ(0u, c->BeginBackup(path.c_str(), KS_BEGIN_ENCRYPT,
                                     reinterpret_cast<const _KS_FILTERS_HEAD*>(filters.data()), L"secret", 6, 0));
        const _KS_VOLUME v = NtfsVolume(8);
        EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        EXPECT_EQ(0u, c->WriteData(0, pattern.data(), 64, 0));
        EXPECT_EQ(0u, c->WriteData(100, random.data(), 3, 0));
        EXPECT_EQ(0u, c->EndBackup(0));
    }
};

void KeyFromPassword(AesCipher& cipher)
{
    unsigned char bytes[272] = {};
    const size_t n = wcstombs(reinterpret_cast<char*>(bytes), kPassword, sizeof bytes - 1);
    ASSERT_EQ(0u, SetPasswordKey(&cipher, bytes, sizeof bytes, static_cast<unsigned long>(n)));
}

TEST(WriterEncryption, HeadCarriesTheDigestAndEveryEncryptedBlobIsPaddedAndDecrypts)
{
    EncryptedSet s;
    const InspectedFile f = Inspect(s.dir.Path() + "enc.rvd");
    ASSERT_TRUE(f.headSumOk && f.tailSumOk);
    EXPECT_EQ(0x7Fu, f.head.Flags) << "data, index chunks, filters and comment encrypted; directory lists plain";
    EXPECT_EQ(1, f.head.CipherMode);
    md5 digest;
    const char ascii[] = "correct horse battery";
    digest.Update(reinterpret_cast<const unsigned char*>(ascii), sizeof ascii - 1);
    digest.Finalize();
    EXPECT_EQ(0, memcmp(digest.Digest(), f.head.PasswordDigest, 16));

    AesCipher cipher;
    KeyFromPassword(cipher);
    // 40 random filter bytes do not compress: stored raw, padded to 48.
    EXPECT_EQ(48u, f.tail.FiltersStored);
    EXPECT_EQ(s.filters, f.Blob(KS_GROUP_FILTERS, f.tail.FiltersPos, 40, 48, &cipher));
    EXPECT_EQ(0u, f.tail.CommentStored % 16);
    EXPECT_EQ(14u, f.Blob(KS_GROUP_FILTERS, f.tail.CommentPos, f.tail.CommentRaw, f.tail.CommentStored, &cipher).size());
    // The directory lists stay readable without the key.
    EXPECT_EQ(32u, f.Blob(KS_GROUP_DIR, f.tail.VersionListPos, f.tail.VersionListRaw, f.tail.VersionListStored).size());
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    ASSERT_EQ(256u, vols.size());
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    _KS_RIND_ENTRY e;
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset) + 48, e);
    EXPECT_EQ(0u, e.Stored % 16);
    const std::vector<unsigned char> chunk =
        f.Blob(KS_GROUP_INDEX, f.FilePos(KSRindEntryOffset(e)), 0x8000, e.Stored, &cipher);
    ASSERT_EQ(0x8000u, chunk.size());
    EXPECT_EQ(0x58444E49u, LoadLE32(chunk.data()));
    _KS_BLOCK pattern, random;
    KSBlockFromBytes(chunk.data() + 16, pattern);
    KSBlockFromBytes(chunk.data() + 40, random);
    EXPECT_LT(KSBlockStored(pattern), 64u * 4096);
    EXPECT_EQ(0u, KSBlockStored(pattern) % 16);
    EXPECT_EQ(3u * 4096, KSBlockStored(random));
    EXPECT_EQ(s.pattern, f.Blob(KS_GROUP_DATA, f.FilePos(pattern.Offset), 64 * 4096, KSBlockStored(pattern), &cipher));
    EXPECT_EQ(s.random, f.Blob(KS_GROUP_DATA, f.FilePos(random.Offset), 3 * 4096, KSBlockStored(random), &cipher));
    // Without the key the stored bytes are not the data.
    EXPECT_NE(0, memcmp(f.bytes.data() + f.FilePos(random.Offset), s.random.data(), 64));
}

TEST(WriterEncryption, OpeningNeedsTheRightPasswordUnlessBackupSkipsTheCheck)
{
    EncryptedSet s;
    const std::wstring path = s.dir.WPath("enc.rvd");
    const wchar_t wrong[] = L"correct horse battery!";
    struct Case {
        unsigned long mode;
        const wchar_t* password;
        unsigned long kind;
    } cases[] = {
        {0, nullptr, 0x060},
        {0, wrong, 0x060},
        {1, wrong, 0x060},
        {KS_OPEN_BACKUP, nullptr, 0x060},
        {KS_OPEN_BACKUP | KS_OPEN_NO_PASSWORD_CHECK, nullptr, 0x000},
        {0, kPassword, 0x000},
    };
    for (const Case& k : cases) {
        CofranPtr c;
        const unsigned long bytes = k.password ? static_cast<unsigned long>(wcslen(k.password) * sizeof(wchar_t)) : 0;
        EXPECT_EQ(k.kind, Kind(c->OpenCofran(path.c_str(), k.mode, k.password, bytes))) << k.mode;
    }
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(path.c_str(), 0, kPassword, sizeof kPassword - sizeof(wchar_t)));
    wchar_t comment[8];
    ASSERT_EQ(0u, c->GetComment(comment, 8));
    EXPECT_STREQ(L"secret", comment);
    unsigned char filters[40];
    ASSERT_EQ(0u, c->GetFilters(reinterpret_cast<_KS_FILTERS_HEAD*>(filters), sizeof filters));
    EXPECT_EQ(0, memcmp(s.filters.data(), filters, 40));
}

TEST(WriterEncryption, AppendingKeepsTheFlagsAndNeedsTheKey)
{
    EncryptedSet s;
    const std::wstring path = s.dir.WPath("enc.rvd");
    {
        // Opened without the check and without a password: nothing can be written
        // under the set's encrypt bits.
        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP | KS_OPEN_NO_PASSWORD_CHECK, nullptr, 0));
        wchar_t next[300];
        ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
        EXPECT_EQ(0x060u, Kind(c->BeginBackup(next, 1, nullptr, nullptr, 6, 0)));
    }
    {
        // Opened without the check and with a wrong password: data under that key
        // could never be read with the set's password, so nothing is written.
        CofranPtr c;
        const wchar_t wrong[] = L"not the password";
        ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP | KS_OPEN_NO_PASSWORD_CHECK, wrong,
                                    sizeof wrong - sizeof(wchar_t)));
        wchar_t next[300];
        ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
        for (unsigned long use : {1ul, 2ul})
            EXPECT_EQ(0x060u, Kind(c->BeginBackup(next, use, nullptr, nullptr, 6, 0))) << use;
        EXPECT_EQ(-1, access((s.dir.Path() + "enc1.RVD").c_str(), F_OK)) << "no file was created";
    }
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, kPassword, sizeof kPassword - sizeof(wchar_t)));
    wchar_t next[300];
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    ASSERT_EQ(0u, c->BeginBackup(next, 1, nullptr, nullptr, 6, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    const InspectedFile f = Inspect(s.dir.Path() + "enc1.RVD");
    EXPECT_EQ(0x7Fu, f.head.Flags);
    EXPECT_EQ(1u, f.head.VersionIndex);
}

// A password outside ASCII keys the set by its UTF-8 bytes whatever the locale:
// a set written under a UTF-8 locale opens and reads under the "C" locale, and the
// other way round. L stays the character count, so the digest covers the first L
// bytes of the UTF-8 form, as under a UTF-8 locale before.
TEST(WriterEncryption, ANonAsciiPasswordGivesTheSameKeyUnderEveryLocale)
{
    const wchar_t password[] = L"p\u00E4ssw\u00F6rd \u20AC \U0001F511";
    const char utf8[] = "p\xC3\xA4ssw\xC3\xB6rd \xE2\x82\xAC \xF0\x9F\x94\x91";
    const unsigned long bytes = sizeof password - sizeof(wchar_t);
    struct LocaleKept {
        std::string old = std::setlocale(LC_ALL, nullptr);
        ~LocaleKept() { std::setlocale(LC_ALL, old.c_str()); }
    } kept;
    const std::vector<unsigned char> data = RandomBytes(4 * 4096, 31);
    for (const auto& locales : {std::make_pair("C.UTF-8", "C"), std::make_pair("C", "C.UTF-8")}) {
        ScratchFolder dir;
        const std::wstring path = dir.WPath("intl.rvd");
        ASSERT_NE(nullptr, std::setlocale(LC_ALL, locales.first));
        {
            CofranPtr c;
            ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, password, bytes)) << locales.first;
            ASSERT_EQ(0u, c->BeginBackup(path.c_str(), KS_BEGIN_ENCRYPT, nullptr, nullptr, 6, 0));
            const _KS_VOLUME v = NtfsVolume(8);
            ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
            ASSERT_EQ(0u, c->WriteData(0, data.data(), 4, 0));
            ASSERT_EQ(0u, c->EndBackup(0));
        }
        md5 digest;
        digest.Update(reinterpret_cast<const unsigned char*>(utf8), bytes / sizeof(wchar_t));
        digest.Finalize();
        EXPECT_EQ(0, memcmp(digest.Digest(), Inspect(path).head.PasswordDigest, 16)) << locales.first;

        ASSERT_NE(nullptr, std::setlocale(LC_ALL, locales.second));
        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_RANDOM, password, bytes)) << locales.second;
        _KS_VOLUME v;
        ASSERT_EQ(0u, c->GetVolumes(&v, 1));
        ASSERT_EQ(0u, c->OpenVolume(&v));
        std::vector<unsigned char> back(data.size());
        unsigned long got = 0;
        ASSERT_EQ(0u, c->ReadData(0, back.data(), 4, &got));
        EXPECT_EQ(4u, got);
        EXPECT_EQ(data, back) << "written under " << locales.first << ", read under " << locales.second;
    }
}

} // namespace
