#include "MessageBoxContents.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageBoxContents, IconPictures)
{
    struct {
        int icon;
        const char* picture;
    } cases[] = {
        {0, "../res/information.png"}, {1, "../res/warnIcon.png"}, {2, "../res/questionIcon.png"},
        {3, "../res/errorIcon.png"},   {4, "../res/Right.PNG"},    {5, nullptr},
        {-1, nullptr},
    };
    for (const auto& c : cases) {
        const char* picture = MessageBoxIconPicture(static_cast<GTK_MB_ICON_TYPE>(c.icon));
        if (!c.picture)
            EXPECT_EQ(picture, nullptr) << c.icon;
        else
            EXPECT_EQ(std::string(picture ? picture : "(null)"), c.picture) << c.icon;
    }
}

TEST(MessageBoxContents, ButtonSets)
{
    auto describe = [](int type) {
        std::string text;
        for (const MessageBoxButton& b : MessageBoxButtons(static_cast<GTK_MB_TYPE>(type)))
            text += std::string(b.label) + "=" + std::to_string(b.result) + " ";
        return text;
    };
    EXPECT_EQ(describe(0), "_OK=0 ");
    EXPECT_EQ(describe(1), "_Yes=0 _No=1 ");
    EXPECT_EQ(describe(2), "_OK=0 _Cancel=1 ");
    EXPECT_EQ(describe(3), "");
}

} // namespace
