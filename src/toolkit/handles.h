#pragma once
// Owners for Win32 handles: the destructor is the only place that closes.

#include <utility>

#include <windows.h>

template <typename Handle, typename Closer, Handle kEmpty = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, kEmpty)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, kEmpty));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != kEmpty; }
  Handle release() { return std::exchange(handle_, kEmpty); }
  void reset(Handle h = kEmpty) {
    if (handle_ != kEmpty) Closer{}(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = kEmpty;
};

struct WindowCloser {
  void operator()(HWND h) const { DestroyWindow(h); }
};
struct IconCloser {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct GdiObjectCloser {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MemoryDCCloser {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct GlobalCloser {
  void operator()(HGLOBAL h) const { GlobalFree(h); }
};
struct KernelHandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct RegKeyCloser {
  void operator()(HKEY h) const { RegCloseKey(h); }
};
struct MenuCloser {
  void operator()(HMENU h) const { DestroyMenu(h); }
};

using UniqueHwnd = UniqueHandle<HWND, WindowCloser>;
using UniqueHicon = UniqueHandle<HICON, IconCloser>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectCloser>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectCloser>;
using UniqueMemoryDC = UniqueHandle<HDC, MemoryDCCloser>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalCloser>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleCloser>;
using UniqueRegKey = UniqueHandle<HKEY, RegKeyCloser>;
using UniqueMenu = UniqueHandle<HMENU, MenuCloser>;

// A device context from GetDC, given back with ReleaseDC.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedGetDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelectObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
