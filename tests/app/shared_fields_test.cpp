#include "app/shared_fields.h"

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(SharedFields, FieldsAreIndependentAndTakeEmptiesTheSlot) {
  TSharedFields f;
  f.SetLogin("user");
  f.SetStatus("error");
  f.SetLink("http://x/1.jpg");
  f.SetImageFileName("123.jpg");
  EXPECT_EQ(f.Login(), "user");
  EXPECT_EQ(f.Link(), "http://x/1.jpg");
  EXPECT_EQ(f.ImageFileName(), "123.jpg");
  EXPECT_EQ(f.Status(), "error");
  EXPECT_EQ(f.TakeStatus(), "error");
  EXPECT_EQ(f.Status(), "");
  EXPECT_EQ(f.TakeStatus(), "");
  // A later write replaces a value not yet taken.
  f.SetStatus("max size");
  f.SetStatus("good");
  EXPECT_EQ(f.TakeStatus(), "good");
}

// Writers and one taker race; every written value is taken at most once, none
// is torn, and the value written last before the final take is never lost.
TEST(SharedFields, ConcurrentWritersAndTakerLoseNothingAndTearNothing) {
  TSharedFields f;
  constexpr int kWriters = 4, kWrites = 5000;
  std::atomic<int> running{kWriters};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < kWrites; ++i) {
        // Long values make a torn copy visible.
        f.SetStatus(std::string(100, static_cast<char>('a' + w)) + std::to_string(i));
        f.SetLink(std::string(200, static_cast<char>('A' + w)));
      }
      --running;
    });
  }
  std::set<std::string> taken;
  int duplicates = 0, torn = 0;
  auto check = [&](const std::string& v) {
    if (v.empty()) return;
    if (!taken.insert(v).second) ++duplicates;
    if (v.find_first_not_of(v[0]) < 100) ++torn;
  };
  while (running > 0) {
    check(f.TakeStatus());
    std::string link = f.Link();
    if (!link.empty() && (link.size() != 200 || link.find_first_not_of(link[0]) != std::string::npos)) ++torn;
  }
  for (auto& t : writers) t.join();
  check(f.TakeStatus());
  EXPECT_EQ(duplicates, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_FALSE(taken.empty());
  EXPECT_EQ(f.Status(), "");
}

// The notifier stops looking once a take reports no upload under way: by then
// every status of every finished upload must have been taken.
TEST(SharedFields, NoStatusIsLeftBehindOnceATakeSaysIdle) {
  TSharedFields f;
  for (int round = 0; round < 2000; ++round) {
    f.BeginUpload();  // on the UI thread, at the launch
    const std::string status = "outcome " + std::to_string(round);
    std::thread worker([&] {
      f.SetStatus(status);
      f.EndUpload();
    });
    std::string taken;
    for (bool idle = false; !idle;) {
      std::string t = f.TakeStatus(idle);
      if (!t.empty()) taken = t;
    }
    worker.join();
    ASSERT_EQ(taken, status) << "round " << round;
    bool idle = false;
    EXPECT_EQ(f.TakeStatus(idle), "");
    EXPECT_TRUE(idle);
  }
}

}  // namespace
