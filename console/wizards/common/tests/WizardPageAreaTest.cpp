#include <gtest/gtest.h>

#include "WizardPageArea.h"

TEST(WizardPageAreaTest, TheLargestPageIsShownWholeWhereTheScreenHasRoomAndCutToTheScreenElsewhere)
{
    struct Case {
        WizardArea page, frame, screen;
        WizardArea expected;
    };
    const Case cases[] = {
        {{700, 420}, {20, 130}, {1024, 768}, {700, 420}},  // room enough: the whole page
        {{700, 420}, {20, 130}, {800, 600}, {700, 420}},   // 784 x 552 usable: still whole
        {{900, 700}, {20, 130}, {800, 600}, {764, 422}},   // cut to the screen less the frame
        {{300, 200}, {900, 700}, {800, 600}, {0, 0}},      // a frame larger than the screen leaves nothing
    };
    for (const Case& c : cases) {
        const WizardArea got = FitPageArea(c.page, c.frame, UsableScreen(c.screen));
        EXPECT_EQ(got.width, c.expected.width) << c.page.width << "x" << c.page.height;
        EXPECT_EQ(got.height, c.expected.height) << c.page.width << "x" << c.page.height;
    }
}
