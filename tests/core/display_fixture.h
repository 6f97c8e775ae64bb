// The starting point of the display tests: a fresh world whose key cell is 11 x 16 pixels, the
// cell the geometry figures are worked out for.
#pragma once

#include <gtest/gtest.h>

#include "base/app_state.h"
#include "fake/fake_platform.h"

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    app.geometry.charWidth = 11;
    app.geometry.charHeight = 16;
  }
};
