#include "upload/clipboard.h"

#include <cstring>

#include <windows.h>

#include "toolkit/handles.h"

void CopyTextToClipboard(const std::string& text) {
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, text.size() + 1));
  if (!block) return;
  {
    // Unlocked again before the clipboard opens.
    ScopedGlobalLock locked(block.get());
    if (locked.get() == nullptr) return;
    // The zero-filled block ends the text at its first NUL, or after its last byte.
    std::memcpy(locked.get(), text.c_str(), std::strlen(text.c_str()));
  }
  ScopedClipboard clipboard(nullptr);
  if (!clipboard) return;
  EmptyClipboard();
  // Once taken, the block is the system's; if refused, it is still ours to
  // free, after the clipboard has closed.
  if (SetClipboardData(CF_TEXT, block.get()) != nullptr) block.release();
}
