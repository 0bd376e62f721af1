// The gate through which upload workers reach the main window's tray icon.

#include "toolkit/call_gate.h"

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

namespace {

TEST(CallGate, CloseWaitsForTheCallInProgressAndLaterCallsDoNothing) {
  TCallGate gate;
  std::promise<void> inside, release;
  std::thread caller([&] {
    gate.Call([&] {
      inside.set_value();
      release.get_future().wait();
    });
  });
  inside.get_future().wait();
  std::atomic<bool> closed{false};
  std::thread closer([&] {
    gate.Close();
    closed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(closed) << "the owner went on while a caller was still inside";
  release.set_value();
  caller.join();
  closer.join();
  bool called = false;
  EXPECT_FALSE(gate.Call([&] { called = true; }));
  EXPECT_FALSE(called);
}

}  // namespace
