#include "tray/simple_timer.h"

#include <memory>
#include <optional>

#include "tray_test_support.h"

namespace {

testing::Environment* const kApplication = testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

TEST(SimpleTimer, IntervalZeroRefusesToStart) {
  int ticks = 0;
  TSimpleTimer timer(0, [&](TSimpleTimer*) { ++ticks; });
  EXPECT_FALSE(timer.Start());
  EXPECT_FALSE(timer.Running());
  PumpFor(100);
  EXPECT_EQ(ticks, 0);
}

TEST(SimpleTimer, TickReachesTheRightTimerThroughTheSharedWindow) {
  int fastTicks = 0, slowTicks = 0;
  TSimpleTimer* seen = nullptr;
  TSimpleTimer fast(20, [&](TSimpleTimer* t) {
    ++fastTicks;
    seen = t;
  });
  TSimpleTimer slow(5000, [&](TSimpleTimer*) { ++slowTicks; });
  EXPECT_EQ(TSimpleTimerHandler::RefCount(), 2);
  ASSERT_TRUE(fast.Start());
  ASSERT_TRUE(slow.Start());
  PumpFor(300);
  EXPECT_GE(fastTicks, 3);
  EXPECT_EQ(slowTicks, 0);
  EXPECT_EQ(seen, &fast);
  fast.Stop();
  int stoppedAt = fastTicks;
  PumpFor(100);
  EXPECT_EQ(fastTicks, stoppedAt);
}

TEST(SimpleTimer, NewIntervalRestartsARunningTimerAndZeroStopsIt) {
  int ticks = 0;
  TSimpleTimer timer(5000, [&](TSimpleTimer*) { ++ticks; });
  ASSERT_TRUE(timer.Start());
  PumpFor(100);
  EXPECT_EQ(ticks, 0);
  timer.SetInterval(20);
  EXPECT_TRUE(timer.Running());
  PumpFor(300);
  EXPECT_GE(ticks, 3);
  timer.SetInterval(0);
  EXPECT_FALSE(timer.Running());
  int at = ticks;
  PumpFor(100);
  EXPECT_EQ(ticks, at);
}

// Any program may post WM_TIMER to the shared window: only a running timer
// that holds the event id ticks, and ids are not addresses.
TEST(SimpleTimerHandler, TimerMessagesTickOnlyTheRunningTimerThatHoldsTheId) {
  int ticks = 0;
  TSimpleTimer keeper(5000, [](TSimpleTimer*) { ADD_FAILURE() << "keeper ticked"; });
  std::optional<TSimpleTimer> timer(std::in_place, 5000, nullptr);
  const UINT_PTR goneId = timer->Id();
  timer.emplace(5000, [&](TSimpleTimer*) { ++ticks; });  // at the gone timer's address
  EXPECT_NE(timer->Id(), goneId);
  EXPECT_NE(timer->Id(), keeper.Id());

  HWND window = TSimpleTimerHandler::Window();
  const WPARAM strangers[] = {0,          goneId,     timer->Id() + 100, reinterpret_cast<WPARAM>(&*timer),
                              ~WPARAM{0}, timer->Id()};  // the last one holds it, but is not running
  for (WPARAM stranger : strangers) PostMessageA(window, WM_TIMER, stranger, 0);
  PumpFor(50);
  EXPECT_EQ(ticks, 0);
  ASSERT_TRUE(timer->Start());
  PostMessageA(window, WM_TIMER, timer->Id(), 0);
  PumpFor(50);
  EXPECT_EQ(ticks, 1);
}

TEST(SimpleTimerHandler, WindowLivesFromFirstTimerToLast) {
  ASSERT_EQ(TSimpleTimerHandler::RefCount(), 0);
  auto a = std::make_unique<TSimpleTimer>(10, nullptr);
  HWND window = TSimpleTimerHandler::Window();
  auto b = std::make_unique<TSimpleTimer>(10, nullptr);
  EXPECT_EQ(TSimpleTimerHandler::Window(), window);
  a.reset();
  EXPECT_TRUE(IsWindow(window));
  b.reset();
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
