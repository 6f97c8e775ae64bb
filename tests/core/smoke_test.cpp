#include <gtest/gtest.h>

#include "fake/fake_platform.h"

TEST(FakePlatform, StartsEmpty) {
  fake::reset();
  EXPECT_TRUE(fake::world().calls.empty());
}
