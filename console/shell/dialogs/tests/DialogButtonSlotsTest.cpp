#include "DialogButtonSlots.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogButtonSlots, KeepsThreeButtonsInOrderAndRefusesAFourth)
{
    int a = 0, b = 0, c = 0, d = 0;
    DialogButtonSlots<int> slots;
    EXPECT_EQ(slots.At(0), nullptr);
    EXPECT_TRUE(slots.Add(&a));
    EXPECT_TRUE(slots.Add(&b));
    EXPECT_TRUE(slots.Add(&c));
    EXPECT_FALSE(slots.Add(&d));
    EXPECT_EQ(slots.Count(), 3);
    EXPECT_EQ(slots.At(0), &a);
    EXPECT_EQ(slots.At(1), &b);
    EXPECT_EQ(slots.At(2), &c);
    EXPECT_EQ(slots.At(3), nullptr);
    EXPECT_EQ(slots.At(-1), nullptr);
}

} // namespace
