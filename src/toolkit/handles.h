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
struct ModuleCloser {
  void operator()(HMODULE h) const { FreeLibrary(h); }
};
struct LocalCloser {
  void operator()(HLOCAL h) const { LocalFree(h); }
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
// A module from LoadLibrary; GetModuleHandle lends one that nobody frees.
using UniqueModule = UniqueHandle<HMODULE, ModuleCloser>;
using UniqueLocal = UniqueHandle<HLOCAL, LocalCloser>;

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

// The painting of a window's invalid part, from BeginPaint to EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
  ~ScopedPaint() { EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC dc() const { return paint_.hdc; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
};

// The bytes of a movable global block, locked while this object lives.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL block) : block_(block), bytes_(GlobalLock(block)) {}
  ~ScopedGlobalLock() {
    if (bytes_ != nullptr) GlobalUnlock(block_);
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  // 0 when the block could not be locked.
  void* get() const { return bytes_; }

 private:
  HGLOBAL block_;
  void* bytes_;
};

// The clipboard, open for this object's life if the system let it open: while
// it is open no other window can use it.
class ScopedClipboard {
 public:
  explicit ScopedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ScopedClipboard() {
    if (open_) CloseClipboard();
  }
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// Our window procedure in front of a window's own, finding its object in a
// window property. The window gets its own procedure back and loses the
// property; where the procedure could not be replaced, nothing is undone.
class ScopedWindowSubclass {
 public:
  ScopedWindowSubclass() = default;
  ScopedWindowSubclass(HWND window, WNDPROC procedure, const char* property, void* object)
      : window_(window), property_(property) {
    SetPropA(window, property, object);
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  }
  ScopedWindowSubclass(ScopedWindowSubclass&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)),
        property_(other.property_),
        previous_(std::exchange(other.previous_, nullptr)) {}
  ScopedWindowSubclass& operator=(ScopedWindowSubclass&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = std::exchange(other.window_, nullptr);
      property_ = other.property_;
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }
  ScopedWindowSubclass(const ScopedWindowSubclass&) = delete;
  ScopedWindowSubclass& operator=(const ScopedWindowSubclass&) = delete;
  ~ScopedWindowSubclass() { reset(); }

  // The window's own procedure, for everything ours passes on.
  WNDPROC previous() const { return previous_; }
  void reset() {
    if (window_ != nullptr && previous_ != nullptr) {
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
      RemovePropA(window_, property_);
    }
    window_ = nullptr;
    previous_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  const char* property_ = nullptr;
  WNDPROC previous_ = nullptr;
};
