// The set's names and the UTF-16 fields as the container builds them in its own
// text type: split paths, file names, disc labels, copies cut to a field, and
// fields cut without splitting a surrogate pair.
#include <gtest/gtest.h>

#include <string>

#include "ImageNaming.h"
#include "Utf16Text.h"

namespace {

TEST(SetNames, PathsSplitAndNamesAreBuiltAsTheSetSpellsThem)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* base;
    } cases[] = {
        {L"D:\\sets\\disk.RVD", L"D:\\sets\\", L"disk"},
        {L"/tmp/a/disk.rvd", L"/tmp/a/", L"disk"},
        {L"disk.Rvd", L"", L"disk"},
        {L"D:\\sets\\disk", L"D:\\sets\\", L"disk"},
        {L"D:\\sets\\.rvd", L"D:\\sets\\", L""},
        {L"D:\\sets\\", L"D:\\sets\\", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.path).c_str());
        CofranText folder, base;
        ASSERT_TRUE(ImageNaming::SplitSetPath(c.path, folder, base));
        EXPECT_STREQ(c.folder, folder.c_str());
        EXPECT_STREQ(c.base, base.c_str());
    }
    // A base name is cut to 255 characters.
    const std::wstring longName = L"X:\\" + std::wstring(300, L'n') + L".RVD";
    CofranText folder, base;
    ASSERT_TRUE(ImageNaming::SplitSetPath(longName.c_str(), folder, base));
    EXPECT_EQ(255u, base.size());

    CofranText name;
    ASSERT_TRUE(folder.assign(L"D:\\sets\\"));
    ASSERT_TRUE(base.assign(L"disk"));
    ASSERT_TRUE(ImageNaming::FileName(folder, base, 0, name));
    EXPECT_STREQ(L"D:\\sets\\disk.RVD", name.c_str());
    ASSERT_TRUE(ImageNaming::FileName(folder, base, 12, name));
    EXPECT_STREQ(L"D:\\sets\\disk12.RVD", name.c_str());
    ASSERT_TRUE(ImageNaming::IndexTempName(folder, 7, name));
    EXPECT_STREQ(L"D:\\sets\\Ind7.tmp", name.c_str());

    struct Label {
        uint32_t counter;
        const wchar_t* text;
    } labels[] = {{0, L"set000"}, {7, L"set007"}, {42, L"set042"}, {999, L"set999"}, {1000, L"set1000"}};
    for (const Label& l : labels) {
        ASSERT_TRUE(ImageNaming::DiscLabel(L"set", l.counter, name));
        EXPECT_STREQ(l.text, name.c_str());
    }

    CofranText path, open;
    ASSERT_TRUE(path.assign(L"D:\\sets\\disk.RVD"));
    ASSERT_TRUE(ImageNaming::FolderOf(path, open));
    EXPECT_STREQ(L"D:\\sets\\", open.c_str());
    ASSERT_TRUE(path.assign(L"\\disk.RVD")); // the first character is never the folder's end
    ASSERT_TRUE(ImageNaming::FolderOf(path, open));
    EXPECT_STREQ(L"", open.c_str());
}

TEST(SetNames, CopiesOutAreWholeOrCutToTheField)
{
    wchar_t out[6];
    EXPECT_TRUE(ImageNaming::CopyOut(L"12345", out, 6));
    EXPECT_STREQ(L"12345", out);
    EXPECT_FALSE(ImageNaming::CopyOut(L"123456", out, 6));
    ImageNaming::CopyOutCut(L"123456789", out, 6);
    EXPECT_STREQ(L"12345", out);
    ImageNaming::CopyOutCut(L"ab", out, 6);
    EXPECT_STREQ(L"ab", out);
}

TEST(Utf16Fields, AFieldIsCutWithoutSplittingAPair)
{
    const bool wide = sizeof(wchar_t) >= 4; // one wchar_t per character above U+FFFF
    std::wstring text = L"ab";
    if (wide)
        text.push_back(static_cast<wchar_t>(0x1F600));
    else
        text += std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    text += L"c";
    EXPECT_EQ(5u, Utf16Text::Utf16Units(text.c_str()));
    struct Case {
        size_t count;
        std::u16string field; // the whole field, NUL padding included
    } cases[] = {
        {7, std::u16string(u"ab\xD83D\xDE00" u"c\0\0", 7)},
        {6, std::u16string(u"ab\xD83D\xDE00" u"c\0", 6)},
        {5, std::u16string(u"ab\xD83D\xDE00\0", 5)},
        {4, std::u16string(u"ab\0\0", 4)}, // the pair does not fit whole: left out
        {3, std::u16string(u"ab\0", 3)},
        {1, std::u16string(u"\0", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        std::u16string field(c.count, u'?');
        Utf16Text::ToUtf16(text.c_str(), &field[0], c.count);
        EXPECT_TRUE(field == c.field);
    }
    // A value no UTF-16 holds becomes U+FFFD.
    if (wide) {
        const wchar_t bad[] = {static_cast<wchar_t>(0x110000), 0};
        char16_t field[2];
        Utf16Text::ToUtf16(bad, field, 2);
        EXPECT_EQ(u'\xFFFD', field[0]);
    }
    // And back, up to the NUL: a pair becomes one character where wchar_t holds it.
    const char16_t stored[] = {u'a', 0xD83D, 0xDE00, u'b', 0, u'z'};
    CofranText back;
    ASSERT_TRUE(Utf16Text::FromUtf16(stored, 6, back));
    std::wstring expected = L"a";
    if (wide)
        expected.push_back(static_cast<wchar_t>(0x1F600));
    else
        expected += std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    expected += L"b";
    EXPECT_EQ(expected, std::wstring(back.c_str()));
}

} // namespace
