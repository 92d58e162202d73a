#include "foundation/vec.h"

#include <gtest/gtest.h>

TEST(VecSmoke, HeadingOfPlusX) {
    Vec3 v{1, 0, 0};
    EXPECT_NEAR(VecHeading(&v), 90.0, 1e-3);
}
