#pragma once
// The one hidden window that the shell talks to for every tray icon of the
// process. Reference-counted: the first icon creates it, the last destroys it.

#include <windows.h>

constexpr UINT kTrayCallbackMessage = WM_USER + 0x400;  // 2048

class TTrayIcon;

class TTrayIconHandler {
 public:
  static void AddRef();
  static void Release();
  // The shared tray window; 0 while no tray icon exists.
  static HWND Window();
  static int RefCount();

  // The icon identifier of a live component, unique among live ones and not
  // derived from its address; Forget it when the component goes.
  static UINT Register(TTrayIcon* icon);
  static void Forget(UINT id);

  // The shared window's message routine.
  static LRESULT DispatchTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The id of the registered "TaskbarCreated" message; 0 while not registered.
extern UINT WM_TASKBARCREATED;
// Registers "TaskbarCreated" when comctl32.dll is 4.71 or later. Call at start,
// before any window exists.
void RegisterTaskbarCreatedMessage();
