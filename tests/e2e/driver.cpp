// A user stand-in for end-to-end tests: looks at windows, reads what the shell
// shows, sends real input. Runs under the same Wine prefix and display as the
// program. Prints results on standard output; exit 0 on success, 1 on a failed
// expectation, 2 on bad usage.

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <wincred.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The driver links none of the program, only the header-only owners.
#include "toolkit/handles.h"

namespace {

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string ProcessName(DWORD pid) {
  UniqueKernelHandle owned(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  HANDLE snap = owned.get();
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  std::string name;
  for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry))
    if (entry.th32ProcessID == pid) name = entry.szExeFile;
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return name;
}

struct Window {
  HWND handle;
  std::string className;
  std::string process;
  bool visible;
  RECT rect;
  bool owned;
  bool tool;
};

BOOL CALLBACK CollectWindow(HWND h, LPARAM p) {
  Window w{};
  w.handle = h;
  char cls[256] = {};
  GetClassNameA(h, cls, sizeof cls);
  w.className = cls;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  w.process = ProcessName(pid);
  w.visible = IsWindowVisible(h) != 0;
  GetWindowRect(h, &w.rect);
  w.owned = GetWindow(h, GW_OWNER) != nullptr;
  w.tool = (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  reinterpret_cast<std::vector<Window>*>(p)->push_back(w);
  return TRUE;
}

std::vector<Window> TopLevelWindows() {
  std::vector<Window> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

// The texts of every tool of every tooltip window of another process: the
// tray's icon tips and balloons live there. The records must be in that
// process's memory for the control to fill them.
std::vector<std::string> TooltipTexts() {
  std::vector<std::string> texts;
  for (const Window& w : TopLevelWindows()) {
    if (w.className != "tooltips_class32") continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(w.handle, &pid);
    if (pid == GetCurrentProcessId()) continue;
    UniqueKernelHandle owned(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!owned) continue;
    HANDLE process = owned.get();
    const SIZE_T textBytes = 1024 * sizeof(WCHAR);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + textBytes, MEM_COMMIT, PAGE_READWRITE));
    int count = static_cast<int>(SendMessageW(w.handle, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count && remote != nullptr; ++i) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = reinterpret_cast<LPWSTR>(remote + sizeof info);
      std::vector<WCHAR> zero(1024, 0);
      WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
      WriteProcessMemory(process, remote + sizeof info, zero.data(), textBytes, nullptr);
      if (!SendMessageW(w.handle, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote)))
        continue;
      std::vector<WCHAR> text(1024, 0);
      ReadProcessMemory(process, remote + sizeof info, text.data(), textBytes - sizeof(WCHAR), nullptr);
      texts.push_back(Narrow(text.data()));
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  return texts;
}

void SendKeys(const std::vector<std::pair<WORD, bool>>& keys) {
  std::vector<INPUT> inputs;
  for (auto [vk, down] : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MouseAt(int x, int y, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  SendInput(1, &in, sizeof in);
}

int Usage() {
  std::fputs(
      "driver tips | windows EXE | visible-count EXE | close CLASS | exists CLASS | "
      "broadcast-taskbar-created |\n"
      "       hotkey-free | alt-s | keys VK... | click X Y left|right|middle | drag X1 Y1 X2 Y2 | clipboard "
      "|\n"
      "       wait-tip TEXT SECONDS | wait-gone CLASS SECONDS | visible CLASS | foreground |\n"
      "       layered CLASS | wait-shown CLASS SECONDS | wait-hidden CLASS SECONDS | press X Y [BUTTON] | "
      "move X1 Y1 X2 Y2 |\n"
      "       release X Y [BUTTON] | message-box EXE SECONDS | box-ok EXE | post EXE CLASS MSG WPARAM "
      "LPARAM |\n"
      "       hold-clipboard SECONDS | set-clipboard TEXT | hold-hotkey SECONDS | foreign-form1 SECONDS |\n"
      "       texts EXE | store-credential HOST USER PASSWORD\n",
      stderr);
  return 2;
}

// Another program's window with our main form's class and caption, as any
// program may make one. It answers a close request as an editor with unsaved
// work does: it asks for a while (here it stalls 3 s) and stays. Each request is
// reported, so a test sees whether anyone asked.
LRESULT CALLBACK ForeignFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    std::puts("close request");
    std::fflush(stdout);
    Sleep(3000);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Prints "ready" once the window is there; ends after SECONDS or at a WM_QUIT
// posted to the window, with 0 when the window lived until then.
int ForeignForm(int seconds) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ForeignFormProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TForm1";
  if (RegisterClassW(&windowClass) == 0) return 1;
  HWND window = CreateWindowW(L"TForm1", L"Form1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  std::puts("ready");
  std::fflush(stdout);
  SetTimer(window, 1, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == window) break;
    DispatchMessageW(&msg);
  }
  return IsWindow(window) ? 0 : 1;
}

// A window's text, also of another process's control (WM_GETTEXT crosses
// processes; GetWindowText does not ask them), on one line.
std::string WindowText(HWND h) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) || length == 0)
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      2000, &copied);
  text.resize(copied);
  for (wchar_t& c : text)
    if (c == L'\r' || c == L'\n') c = L' ';
  return Narrow(text);
}

BOOL CALLBACK PrintShownText(HWND h, LPARAM) {
  if (!IsWindowVisible(h)) return TRUE;
  std::string text = WindowText(h);
  if (!text.empty()) std::printf("%s\n", text.c_str());
  return TRUE;
}

HWND FindByClass(const std::string& cls) {
  for (const Window& w : TopLevelWindows())
    if (w.className == cls) return w.handle;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string cmd = argv[1];
  if (cmd == "tips") {
    for (const std::string& t : TooltipTexts()) std::printf("%s\n", t.c_str());
    return 0;
  }
  if (cmd == "wait-tip" && argc == 4) {
    DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3]) * 1000);
    do {
      for (const std::string& t : TooltipTexts())
        if (t == argv[2]) return 0;
      Sleep(200);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
    return 1;
  }
  if (cmd == "windows" && argc == 3) {
    for (const Window& w : TopLevelWindows()) {
      if (w.process != argv[2]) continue;
      std::printf("%s visible=%d owned=%d tool=%d rect=%ld,%ld,%ld,%ld\n", w.className.c_str(), w.visible,
                  w.owned, w.tool, w.rect.left, w.rect.top, w.rect.right, w.rect.bottom);
    }
    return 0;
  }
  if (cmd == "visible-count" && argc == 3) {
    int n = 0;
    for (const Window& w : TopLevelWindows())
      if (w.process == argv[2] && w.visible) ++n;
    std::printf("%d\n", n);
    return 0;
  }
  if (cmd == "post" &&
      argc == 7) {  // post EXE CLASS MESSAGE WPARAM LPARAM, to each such window; prints how many
    int posted = 0;
    for (const Window& w : TopLevelWindows()) {
      if (w.process != argv[2] || w.className != argv[3]) continue;
      UINT message = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
      WPARAM wParam = static_cast<WPARAM>(std::strtoull(argv[5], nullptr, 0));
      LPARAM lParam = static_cast<LPARAM>(std::strtoll(argv[6], nullptr, 0));
      if (PostMessageA(w.handle, message, wParam, lParam)) ++posted;
    }
    std::printf("%d\n", posted);
    return posted > 0 ? 0 : 1;
  }
  if (cmd == "zoomed" &&
      argc == 3) {  // a window of that class, shown or not, that was maximised: its caption
    for (const Window& w : TopLevelWindows()) {
      if (w.className != argv[2] || !IsZoomed(w.handle)) continue;
      char caption[256] = {};
      GetWindowTextA(w.handle, caption, sizeof caption);
      std::puts(caption);
      return 0;
    }
    return 1;
  }
  if (cmd == "exists" && argc == 3) return FindByClass(argv[2]) != nullptr ? 0 : 1;
  if (cmd == "close" && argc == 3) {
    HWND h = FindByClass(argv[2]);
    if (h == nullptr) return 1;
    PostMessageA(h, WM_CLOSE, 0, 0);
    return 0;
  }
  if (cmd == "wait-gone" && argc == 4) {
    DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3]) * 1000);
    while (FindByClass(argv[2]) != nullptr) {
      if (static_cast<LONG>(until - GetTickCount()) <= 0) return 1;
      Sleep(100);
    }
    return 0;
  }
  if (cmd == "broadcast-taskbar-created") {
    UINT message = RegisterWindowMessageA("TaskbarCreated");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    return 0;
  }
  if (cmd == "hotkey-free") {
    if (!RegisterHotKey(nullptr, 1, MOD_ALT, 'S')) {
      std::puts("taken");
      return 1;
    }
    UnregisterHotKey(nullptr, 1);
    std::puts("free");
    return 0;
  }
  if (cmd == "alt-s") {
    SendKeys({{VK_MENU, true}, {'S', true}, {'S', false}, {VK_MENU, false}});
    return 0;
  }
  if (cmd == "keys") {
    std::vector<std::pair<WORD, bool>> keys;
    for (int i = 2; i < argc; ++i) {
      WORD vk = static_cast<WORD>(std::strtol(argv[i], nullptr, 0));
      keys.push_back({vk, true});
      keys.push_back({vk, false});
    }
    for (auto& k : keys) {
      SendKeys({k});
      Sleep(60);
    }
    return 0;
  }
  if (cmd == "click" && argc == 5) {
    int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    std::string b = argv[4];
    DWORD down = b == "right"    ? MOUSEEVENTF_RIGHTDOWN
                 : b == "middle" ? MOUSEEVENTF_MIDDLEDOWN
                                 : MOUSEEVENTF_LEFTDOWN;
    DWORD up = b == "right" ? MOUSEEVENTF_RIGHTUP : b == "middle" ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_LEFTUP;
    MouseAt(x, y, 0);
    Sleep(100);
    MouseAt(x, y, down);
    Sleep(100);
    MouseAt(x, y, up);
    return 0;
  }
  if (cmd == "drag" && argc == 6) {
    int x1 = std::atoi(argv[2]), y1 = std::atoi(argv[3]), x2 = std::atoi(argv[4]), y2 = std::atoi(argv[5]);
    MouseAt(x1, y1, 0);
    Sleep(100);
    MouseAt(x1, y1, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 10; ++i) {
      Sleep(30);
      MouseAt(x1 + (x2 - x1) * i / 10, y1 + (y2 - y1) * i / 10, 0);
    }
    Sleep(100);
    MouseAt(x2, y2, MOUSEEVENTF_LEFTUP);
    return 0;
  }
  if (cmd == "visible" && argc == 3) {  // prints the rect of a visible top-level window of that class
    for (const Window& w : TopLevelWindows()) {
      if (w.className != argv[2] || !w.visible) continue;
      std::printf("%ld %ld %ld %ld\n", w.rect.left, w.rect.top, w.rect.right, w.rect.bottom);
      return 0;
    }
    return 1;
  }
  if (cmd == "foreground") {  // the class of the foreground window
    char cls[256] = {};
    GetClassNameA(GetForegroundWindow(), cls, sizeof cls);
    std::printf("%s\n", cls);
    return 0;
  }
  if (cmd == "time-upload" && argc == 7) {  // X1 Y1 X2 Y2 DIR: drag, then time the picture and the link
    int x1 = std::atoi(argv[2]), y1 = std::atoi(argv[3]), x2 = std::atoi(argv[4]), y2 = std::atoi(argv[5]);
    std::string pattern = std::string(argv[6]) + "\\*.jpg";
    DWORD clipboardBefore = GetClipboardSequenceNumber();
    MouseAt(x1, y1, 0);
    Sleep(100);
    MouseAt(x1, y1, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 5; ++i) {
      Sleep(30);
      MouseAt(x1 + (x2 - x1) * i / 5, y1 + (y2 - y1) * i / 5, 0);
    }
    Sleep(100);
    LARGE_INTEGER frequency, released, now;
    QueryPerformanceFrequency(&frequency);
    MouseAt(x2, y2, MOUSEEVENTF_LEFTUP);
    QueryPerformanceCounter(&released);
    auto ms = [&] {
      QueryPerformanceCounter(&now);
      return 1000.0 * static_cast<double>(now.QuadPart - released.QuadPart) /
             static_cast<double>(frequency.QuadPart);
    };
    double written = -1, linked = -1;
    while (ms() < 30000 && linked < 0) {
      if (written < 0) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(pattern.c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
          if (found.nFileSizeLow > 0) written = ms();
          FindClose(find);
        }
      }
      if (GetClipboardSequenceNumber() != clipboardBefore) linked = ms();
      Sleep(1);
    }
    std::printf("picture written %.0f ms, link on the clipboard %.0f ms after the release\n", written,
                linked);
    return linked < 0 ? 1 : 0;
  }
  if (cmd == "hold-clipboard" && argc == 3) {
    // As a clipboard manager or a remote-desktop client does: open for a
    // window of its own (an open without one does not keep others out under
    // Wine), "held" once it is, "released" when it lets go.
    UniqueHwnd window(
        CreateWindowA("STATIC", "clipboard holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    {
      ScopedClipboard clipboard(window.get());
      if (!clipboard) return 1;
      std::printf("held\n");
      std::fflush(stdout);
      Sleep(static_cast<DWORD>(std::atof(argv[2]) * 1000));
    }
    std::printf("released\n");
    return 0;
  }
  if (cmd == "set-clipboard" && argc == 3) {  // as another program copies a text
    UniqueHwnd window(CreateWindowA("STATIC", "copier", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::strlen(argv[2]) + 1));
    ScopedClipboard clipboard(window.get());
    if (!block || !clipboard || !EmptyClipboard()) return 1;
    std::memcpy(ScopedGlobalLock(block.get()).get(), argv[2], std::strlen(argv[2]));
    return SetClipboardData(CF_TEXT, block.release()) != nullptr ? 0 : 1;
  }
  if (cmd == "hold-hotkey" && argc == 3) {  // Alt+S, as another program takes it; "held" once it is
    if (!RegisterHotKey(nullptr, 1, MOD_ALT, 'S')) return 1;
    std::puts("held");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atof(argv[2]) * 1000));
    return 0;
  }
  if (cmd == "clipboard") {
    ScopedClipboard clipboard(nullptr);
    if (!clipboard) return 1;
    HANDLE data = GetClipboardData(CF_TEXT);
    int rc = 1;
    if (data != nullptr) {
      ScopedGlobalLock locked(data);
      const char* text = static_cast<const char*>(locked.get());
      if (text != nullptr) {
        std::printf("%s\n", text);
        rc = 0;
      }
    }
    return rc;
  }
  // Capture overlay: its window's layering, a drag in parts (press, moves,
  // release) so that a test can look at the screen half way, and the message
  // box that reports a failed grab.
  if (cmd == "layered" && argc == 3) {
    HWND h = FindByClass(argv[2]);
    if (h == nullptr) return 1;
    RECT r;
    GetWindowRect(h, &r);
    bool layered = (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (layered) GetLayeredWindowAttributes(h, &key, &alpha, &flags);
    std::printf("visible=%d rect=%ld,%ld,%ld,%ld layered=%d alpha=%d flags=%lu\n", IsWindowVisible(h) != 0,
                r.left, r.top, r.right, r.bottom, layered, alpha, static_cast<unsigned long>(flags));
    return 0;
  }
  if ((cmd == "wait-shown" || cmd == "wait-hidden") && argc == 4) {
    bool wanted = cmd == "wait-shown";
    DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3]) * 1000);
    for (;;) {
      HWND h = FindByClass(argv[2]);
      if (h != nullptr && (IsWindowVisible(h) != 0) == wanted) return 0;
      if (static_cast<LONG>(until - GetTickCount()) <= 0) return 1;
      Sleep(50);
    }
  }
  if ((cmd == "press" || cmd == "release") && (argc == 4 || argc == 5)) {  // X Y [left|right|middle]
    int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    std::string b = argc == 5 ? argv[4] : "left";
    bool press = cmd == "press";
    DWORD flags = b == "right"    ? (press ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                  : b == "middle" ? (press ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP)
                                  : (press ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    if (press) {
      MouseAt(x, y, 0);
      Sleep(100);
    }
    MouseAt(x, y, flags);
    return 0;
  }
  if (cmd == "move" && argc == 6) {
    int x1 = std::atoi(argv[2]), y1 = std::atoi(argv[3]), x2 = std::atoi(argv[4]), y2 = std::atoi(argv[5]);
    for (int i = 1; i <= 10; ++i) {
      MouseAt(x1 + (x2 - x1) * i / 10, y1 + (y2 - y1) * i / 10, 0);
      Sleep(30);
    }
    return 0;
  }
  if (cmd == "message-box" && argc == 4) {  // the caption, then the text, of a process's message box
    DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3]) * 1000);
    for (;;) {
      for (const Window& w : TopLevelWindows()) {
        if (w.className != "#32770" || !w.visible || w.process != argv[2]) continue;
        WCHAR caption[256] = {}, text[1024] = {};
        GetWindowTextW(w.handle, caption, 256);
        if (HWND label = GetDlgItem(w.handle, 0xFFFF)) GetWindowTextW(label, text, 1024);
        std::printf("%s\n%s\n", Narrow(caption).c_str(), Narrow(text).c_str());
        return 0;
      }
      if (static_cast<LONG>(until - GetTickCount()) <= 0) return 1;
      Sleep(100);
    }
  }
  if (cmd == "texts" && argc == 3) {  // what a process's windows show: each caption, then its controls' texts
    bool any = false;
    for (const Window& w : TopLevelWindows()) {
      if (!w.visible || w.process != argv[2]) continue;
      any = true;
      PrintShownText(w.handle, 0);
      EnumChildWindows(w.handle, PrintShownText, 0);
    }
    return any ? 0 : 1;
  }
  if (cmd == "box-count" && argc == 3) {  // how many message boxes a process shows
    int n = 0;
    for (const Window& w : TopLevelWindows())
      if (w.className == "#32770" && w.visible && w.process == argv[2]) ++n;
    std::printf("%d\n", n);
    return 0;
  }
  if (cmd == "box-ok" && argc == 3) {  // presses OK on a process's message box
    for (const Window& w : TopLevelWindows()) {
      if (w.className != "#32770" || !w.visible || w.process != argv[2]) continue;
      PostMessageA(w.handle, WM_COMMAND, IDOK, 0);
      return 0;
    }
    return 1;
  }
  if (cmd == "foreign-form1" && argc == 3) return ForeignForm(std::atoi(argv[2]));
  if (cmd == "store-credential" && argc == 5) {  // as Credential Manager keeps one typed by the user
    std::wstring target(argv[2], argv[2] + std::strlen(argv[2])),
        user(argv[3], argv[3] + std::strlen(argv[3])), password(argv[4], argv[4] + std::strlen(argv[4]));
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = user.data();
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(password.data());
    credential.CredentialBlobSize = static_cast<DWORD>(password.size() * sizeof(wchar_t));
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    return CredWriteW(&credential, 0) ? 0 : 1;
  }
  return Usage();
}
