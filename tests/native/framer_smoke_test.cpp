#include <gtest/gtest.h>

#include "link/line_framer.h"

TEST(LineFramerSmoke, DeliversALine) {
    LineFramer f;
    EXPECT_EQ(f.Feed('$'), LineFramer::Result::kMore);
    EXPECT_EQ(f.Feed('\n'), LineFramer::Result::kLine);
    EXPECT_EQ(f.length(), 2u);
}
