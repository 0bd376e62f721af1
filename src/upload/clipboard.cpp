#include "upload/clipboard.h"

#include <cstring>

#include <windows.h>

#include "toolkit/handles.h"

void CopyTextToClipboard(const std::string& text) {
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, text.size() + 1));
  if (!block) return;
  auto* bytes = static_cast<char*>(GlobalLock(block.get()));
  if (bytes == nullptr) return;
  // The zero-filled block ends the text at its first NUL, or after its last byte.
  std::memcpy(bytes, text.c_str(), std::strlen(text.c_str()));
  GlobalUnlock(block.get());
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  // Once taken, the block is the system's; if refused, it is still ours to free.
  if (SetClipboardData(CF_TEXT, block.get()) != nullptr) block.release();
  CloseClipboard();
}
