// The portable rules of the grab: the generator that names the picture files
// and the area taken from the overlay's points.

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "capture/grab_area.h"
#include "capture/random_name.h"

namespace {

TEST(PictureNames, OneDrawFromAGivenSeedGivesTheKnownNumber) {
  struct Case {
    std::uint32_t seed;
    std::int32_t range;
    std::uint32_t drawn, nextSeed;
  };
  // Expected values computed apart from this code.
  const Case cases[] = {
      {0, 100000, 0, 1},
      {1, 100000, 3137, 134775814},
      {12345, 100000, 38535, 1655067934},
      {4294967295u, 100000, 96862, 4160191484u},
      {0xDEADBEEF, 100000, 37231, 1599076012},
      {0x80000000u, 100000, 50000, 0x80000001u},
      {987654321, 100000, 63225, 2715504502u},
      {42, 1, 0, 1365616851},
      {42, 10, 3, 1365616851},
      {42, 2147483647, 682808425, 1365616851},
      {0xDEADBEEF, 6, 2, 1599076012},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("seed " + std::to_string(c.seed) + " range " + std::to_string(c.range));
    SetRandomSeed(c.seed);
    EXPECT_EQ(DrawRandom(c.range), c.drawn);
    EXPECT_EQ(RandomSeed(), c.nextSeed);
  }
}

TEST(PictureNames, ConsecutiveGrabsUseConsecutiveValuesAsPlainDecimalNames) {
  SetRandomSeed(1);
  std::vector<std::string> names;
  for (int i = 0; i < 5; ++i) names.push_back(DrawPictureFileName());
  EXPECT_EQ(names,
            (std::vector<std::string>{"3137.jpg", "86104.jpg", "20258.jpg", "27292.jpg", "67165.jpg"}));
  SetRandomSeed(0);
  EXPECT_EQ(DrawPictureFileName(), "0.jpg");
}

TEST(PictureNames, DrawsStayBelowTheRangeAndSpreadOverIt) {
  SetRandomSeed(2024);
  std::set<std::uint32_t> tens;
  for (int i = 0; i < 20000; ++i) {
    std::uint32_t v = DrawRandom(100000);
    ASSERT_LT(v, 100000u);
    tens.insert(v / 10000);
  }
  EXPECT_EQ(tens.size(), 10u);
}

TEST(PictureNames, ReseedingTakesANewSeedFromTheClock) {
  std::set<std::uint32_t> seeds;
  for (int i = 0; i < 5; ++i) {
    SetRandomSeed(7);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ReseedRandom();
    seeds.insert(RandomSeed());
  }
  seeds.erase(7);
  EXPECT_GE(seeds.size(), 2u) << "the counter did not move between re-seeds";
}

TEST(GrabArea, AreaFollowsTheDragInEveryDirection) {
  struct Case {
    const char* what;
    int startX, startY, endX, endY, releaseX, releaseY;
    TGrabArea area;
  };
  const Case cases[] = {
      {"down right", 100, 100, 300, 250, 300, 250, {100, 100, 200, 150}},
      {"up left", 300, 250, 100, 100, 100, 100, {100, 100, 200, 150}},
      {"down left", 300, 100, 100, 250, 100, 250, {100, 100, 200, 150}},
      {"up right", 100, 250, 300, 100, 300, 100, {100, 100, 200, 150}},
      {"no horizontal move", 100, 100, 100, 250, 100, 250, {100, 100, 0, 150}},
      {"no vertical move", 100, 100, 300, 100, 300, 100, {100, 100, 200, 0}},
      {"negative coordinates", -50, -40, 10, 20, 10, 20, {-50, -40, 60, 60}},
      // The drag point and the release differ: the corner comes from the release
      // only where the drag went left or up.
      {"release elsewhere, down right", 10, 10, 110, 60, 500, 400, {10, 10, 100, 50}},
      {"release elsewhere, up left", 110, 60, 10, 10, 500, 400, {500, 400, 100, 50}},
      // A click without a move keeps the last drag point of an earlier capture.
      {"click after an earlier capture", 50, 60, 0, 0, 50, 60, {50, 60, 50, 60}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ComputeGrabArea(c.startX, c.startY, c.endX, c.endY, c.releaseX, c.releaseY), c.area);
  }
}

}  // namespace
