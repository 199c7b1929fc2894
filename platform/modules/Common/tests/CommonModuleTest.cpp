// Common.mo loaded as the console loads it, and its conversions: code sets, the zero
// character, and outputs cut between whole characters within the caller's size.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "MomPtr.h"
#include "common/ICommonModule.h"

namespace {

ICommonModule* Module()
{
    IModule* root = OpenModuleFromFile(COMMON_MODULE_FILE);
    if (root == nullptr)
        return nullptr;
    char key[64];
    if (!MomModuleInterfaceName("Common", key, sizeof(key)))
        return nullptr;
    return root->GetInterfaceT<ICommonModule>(key);
}

// Runs a narrow-to-narrow slot into a buffer of outSize bytes with guard bytes behind.
std::string Narrow(unsigned long (ICommonModule::*slot)(const char*, unsigned long, char*, unsigned long),
                   const std::string& in, unsigned long outSize)
{
    ICommonModule* common = Module();
    std::vector<char> out(outSize + 4, '#');
    (common->*slot)(in.data(), static_cast<unsigned long>(in.size()), out.data(), outSize);
    for (size_t i = outSize; i < out.size(); ++i)
        EXPECT_EQ(out[i], '#') << "wrote past the buffer";
    if (outSize == 0)
        return "<untouched>";
    const void* zero = std::memchr(out.data(), 0, outSize);
    EXPECT_NE(zero, nullptr) << "output not terminated";
    return zero != nullptr ? std::string(out.data()) : std::string();
}

} // namespace

TEST(CommonModule, OpensByNameAndAnswersItsInterface)
{
    ASSERT_NE(Module(), nullptr);
    EXPECT_EQ(Module(), Module());
}

TEST(CommonModule, NarrowTextToDisplayText)
{
    struct Case {
        std::string in;
        unsigned long outSize;
        std::string want;
    };
    const Case cases[] = {
        {"Backup 1.rvd", 100, "Backup 1.rvd"},
        {"caf\xC3\xA9", 100, "caf\xC3\xA9"},              // UTF-8 passes through
        {"caf\xC3\xA9", 5, "caf"},                        // "é" needs 2 bytes, 1 left before the terminator
        {"caf\xC3\xA9", 6, "caf\xC3\xA9"},
        {"\xE4\xB8\xAD\xE6\x96\x87", 5, "\xE4\xB8\xAD"},  // never half of a 3-byte character
        {"CAF\x90", 100, "CAF\xC3\x89"},                  // not UTF-8: code page 437, 0x90 is "É"
        {std::string("ab\0cd", 5), 100, "ab"},           // the zero character ends the text
        {"abc", 1, ""},
        {"abc", 0, "<untouched>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in + " into " + std::to_string(c.outSize));
        EXPECT_EQ(Narrow(&ICommonModule::ConvertText, c.in, c.outSize), c.want);
    }
}

TEST(CommonModule, DisplaySlotFillsTheWideDeclaredBufferWithUtf8)
{
    ICommonModule* common = Module();
    const std::string label = "DONN\x90" "ES"; // a FAT label in code page 437
    std::vector<wchar_t> buffer(label.size() + 1, 0); // 2n + 2 bytes and more
    common->MultiByteToWide(label.data(), static_cast<unsigned long>(label.size()), buffer.data(),
                            static_cast<unsigned long>(2 * label.size() + 2));
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data()), "DONN\xC3\x89" "ES");
}

TEST(CommonModule, NarrowToWide)
{
    ICommonModule* common = Module();
    wchar_t out[8];
    const char* text = "\xC3\xA9t\xC3\xA9";
    EXPECT_EQ(common->NarrowToWide(text, 6, out, 8), 3u);
    EXPECT_EQ(std::wstring(out), L"\u00E9t\u00E9");
    EXPECT_EQ(common->NarrowToWide(text, 6, out, 3), 2u) << "room for two characters and the terminator";
    EXPECT_EQ(std::wstring(out), L"\u00E9t");
    EXPECT_EQ(common->NarrowToWide(nullptr, 6, out, 3), 0u);
    EXPECT_EQ(out[0], L'\0');
}

TEST(CommonModule, WideToNarrowStopsAtTheZeroCharacterAndCutsWholeCharacters)
{
    ICommonModule* common = Module();
    const wchar_t label[] = L"Disk\u00E9\U0001F600";
    char out[32];
    // Callers size wide input as 2 x wcslen + 2: the zero character still ends it.
    memset(out, '#', sizeof(out));
    EXPECT_EQ(common->WideToNarrow(label, 2 * 6 + 2, out, sizeof(out)), 4u + 2u + 4u);
    EXPECT_STREQ(out, "Disk\xC3\xA9\xF0\x9F\x98\x80");

    // 3n + 3 bytes for n characters is short for a 4-byte character: it is left out whole.
    struct Case {
        unsigned long outSize;
        const char* want;
    };
    const Case cases[] = {{21, "Disk\xC3\xA9\xF0\x9F\x98\x80"}, {10, "Disk\xC3\xA9"}, {6, "Disk"}, {7, "Disk\xC3\xA9"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outSize);
        memset(out, '#', sizeof(out));
        common->WideToMultiByte(label, 6, out, c.outSize);
        EXPECT_STREQ(out, c.want);
        EXPECT_EQ(out[c.outSize], '#');
    }

    // Values that are no character at all become "?".
    const wchar_t broken[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    common->WideToMultiByte(broken, 3, out, sizeof(out));
    EXPECT_STREQ(out, "a?b");
}
