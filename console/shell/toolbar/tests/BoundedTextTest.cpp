#include "BoundedText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BoundedText, CopiesWhatFitsAndCutsTheRest)
{
    struct Case {
        std::string source;
        std::string expected;
    };
    const std::string fits(1023, 'a');
    const Case cases[] = {
        {"", ""},
        {"Clone a disk", "Clone a disk"},
        {fits, fits},
        {fits + "b", fits},
        {std::string(5000, 'x'), std::string(1023, 'x')},
        // A two-byte character that would straddle the end is left out whole.
        {std::string(1022, 'a') + "\xC3\xA9", std::string(1022, 'a')},
        {std::string(1021, 'a') + "\xC3\xA9" + "z", std::string(1021, 'a') + "\xC3\xA9"},
        // A three-byte character cut after its first or second byte.
        {std::string(1021, 'a') + "\xE2\x82\xAC", std::string(1021, 'a')},
        {std::string(1022, 'a') + "\xE2\x82\xAC", std::string(1022, 'a')},
    };
    for (const Case& c : cases) {
        // Guard bytes around the array catch any write past it.
        struct {
            char before[16];
            char text[1024];
            char after[16];
        } frame;
        memset(&frame, 0x5A, sizeof(frame));
        const size_t copied = CopyBoundedText(frame.text, c.source.c_str());
        EXPECT_EQ(std::string(frame.text), c.expected) << "source length " << c.source.size();
        EXPECT_EQ(copied, c.expected.size());
        for (char b : frame.before)
            EXPECT_EQ(b, 0x5A);
        for (char b : frame.after)
            EXPECT_EQ(b, 0x5A);
    }
}

TEST(BoundedText, NullSourceGivesTheEmptyTextAndZeroCapacityWritesNothing)
{
    char text[8] = "keep";
    EXPECT_EQ(CopyBoundedText(text, nullptr), 0u);
    EXPECT_STREQ(text, "");
    char none = 'q';
    EXPECT_EQ(CopyBoundedText(&none, 0, "abc"), 0u);
    EXPECT_EQ(none, 'q');
}

} // namespace
