#pragma once
// When the pictures that wait are sent again: one at a time, oldest first,
// from the start-up's first contact with the service on; at once after any
// verdict of the service, else on a timer that backs off while it stays away;
// never while nothing waits. And whether a late link may take the clipboard.
// UI thread only; the folder, the workers and the timer are handed in, so
// that a test runs hours of retries at once.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What an upload worker tells the schedule.
struct TResendNews {
  enum class TKind {
    Kept,      // a capture's picture went to wait at Path; Clipboard: the sequence number then
    Answered,  // a capture's upload had the service's verdict
    Sent,      // the waiting picture at Path was taken; Clipboard: the sequence number after its link
    Refused,   // the waiting picture at Path was refused, and set aside if it could be
    NotSent,   // the waiting picture at Path failed again
  };
  TKind Kind = TKind::Answered;
  std::string Path;
  std::optional<std::uint32_t> Clipboard;
};

struct TResendPorts {
  std::function<std::vector<std::string>()> Waiting;  // oldest first
  // Starts the worker of a waiting picture, with the clipboard's sequence
  // number that lets its link onto the clipboard, or none to leave it alone.
  std::function<void(const std::string& path, std::optional<std::uint32_t> clipboard)> Send;
  // One tick after the pause, or none.
  std::function<void(std::optional<std::chrono::milliseconds> pause)> SetTimer;
  std::function<void(std::size_t waiting)> ShowCount;
};

class TResendSchedule {
 public:
  static constexpr std::chrono::milliseconds kFirstPause{30000};
  static constexpr std::chrono::milliseconds kLongestPause{30 * 60000};

  explicit TResendSchedule(TResendPorts ports) : ports_(std::move(ports)) {}

  // Shows how many wait.
  void Refresh();
  // The start-up reached the service: what waits from earlier runs goes at the
  // next tick, once the rest of the start-up (the login) is through.
  void Begin();
  void Take(const TResendNews& news);
  void TimerTick();

 private:
  std::vector<std::string> Waiting();
  void SendNext();
  void Arm(std::chrono::milliseconds pause);

  TResendPorts ports_;
  bool begun_ = false;
  std::optional<std::string> inFlight_;
  bool armed_ = false;
  std::chrono::milliseconds pause_ = kFirstPause;
  // The clipboard's sequence number at each picture's failure, moved on by
  // the links that late uploads put there. Earlier runs' pictures have none:
  // their links never take the clipboard.
  std::map<std::string, std::uint32_t> clipboard_;
  // Refused, but still in the folder: not sent again in this run.
  std::set<std::string> refused_;
};
