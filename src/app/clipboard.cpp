#include "app/clipboard.h"

#include <cstring>

#include <windows.h>

#include "toolkit/handles.h"

namespace {

bool CopyText(const std::string& text, std::chrono::milliseconds patience,
              std::optional<std::uint32_t> expected) {
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, text.size() + 1));
  if (!block) return false;
  {
    // Unlocked again before the clipboard opens.
    ScopedGlobalLock locked(block.get());
    if (locked.get() == nullptr) return false;
    // The zero-filled block ends the text at its first NUL, or after its last byte.
    std::memcpy(locked.get(), text.c_str(), std::strlen(text.c_str()));
  }
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  for (;;) {
    ScopedClipboard clipboard(nullptr);
    if (clipboard) {
      // Held open, nobody else can change it between the look and the copy.
      if (expected && GetClipboardSequenceNumber() != *expected) return false;
      EmptyClipboard();
      // Once taken, the block is the system's; if refused, it is still ours to
      // free, after the clipboard has closed.
      if (SetClipboardData(CF_TEXT, block.get()) == nullptr) return false;
      block.release();
      return true;
    }
    if (std::chrono::steady_clock::now() >= giveUp) return false;
    Sleep(static_cast<DWORD>(kClipboardRetryPause.count()));
  }
}

}  // namespace

bool CopyTextToClipboard(const std::string& text, std::chrono::milliseconds patience) {
  return CopyText(text, patience, std::nullopt);
}

std::optional<std::uint32_t> CopyTextToClipboardIfUnchanged(const std::string& text, std::uint32_t expected,
                                                            std::chrono::milliseconds patience) {
  if (!CopyText(text, patience, expected)) return std::nullopt;
  // Read once the clipboard has closed: the system may count the change then.
  return GetClipboardSequenceNumber();
}
