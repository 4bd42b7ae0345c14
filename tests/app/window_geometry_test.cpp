#include "app/window_geometry.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* name;
  GeoRect target;
  int width, height;
  GeoPoint expected;
};

const GeoRect kWork = {0, 0, 1024, 738};

TEST(CenterOnRectInWorkArea, CentresAndKeepsInsideTheWorkArea) {
  const Case cases[] = {
      {"centred", {100, 100, 600, 500}, 300, 200, {200, 200}},
      // Odd differences truncate toward zero, also when negative.
      {"odd difference", {0, 0, 301, 201}, 300, 200, {0, 0}},
      {"larger than the target", {200, 200, 301, 301}, 300, 200, {101, 151}},
      {"off the left edge", {-400, 100, -100, 300}, 300, 200, {0, 100}},
      {"off the right edge", {900, 100, 1200, 300}, 300, 200, {724, 100}},
      {"off the top", {100, -300, 400, -100}, 300, 200, {100, 0}},
      {"off the bottom", {100, 700, 400, 900}, 300, 200, {100, 538}},
      // Wider than the work area: the left edge wins over the right.
      {"wider than the area", {0, 0, 1024, 738}, 1200, 200, {0, 269}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GeoPoint at = CenterOnRectInWorkArea(c.target, c.width, c.height, kWork);
    EXPECT_EQ(c.expected.x, at.x);
    EXPECT_EQ(c.expected.y, at.y);
  }
}

}  // namespace
