// The proxy as the user's browser chooses it: WinHTTP's view of the current
// user's Internet settings, with its auto-configuration script or automatic
// detection (WPAD) when they ask for it. Windows only.

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "toolkit/handles.h"
#include "toolkit/system_library.h"
#include "toolkit/text.h"
#include "upload/http/proxy.h"
#include "upload/socket/socket.h"
#include "upload/http/addresses.h"

namespace {

// Detection may fetch a script and ask DHCP and DNS for one: an exchange
// waits this long for it at most and goes direct meanwhile. What it finds
// later is kept for the next exchange.
constexpr int kDetectionTimeout = 5000;

struct TWinHttp {
  decltype(&WinHttpGetIEProxyConfigForCurrentUser) GetIEProxyConfigForCurrentUser;
  decltype(&WinHttpOpen) Open;
  decltype(&WinHttpSetTimeouts) SetTimeouts;
  decltype(&WinHttpGetProxyForUrl) GetProxyForUrl;
  decltype(&WinHttpCloseHandle) CloseHandle;
};

// The current user's settings, read once per process.
struct TSettings {
  bool autoDetect = false;
  std::wstring scriptUrl;
  std::string proxy;
  std::string bypass;
};

// What detection found for one address: nothing yet, or a proxy list (empty
// for a direct connection) with its bypass list.
struct TDetection {
  bool finished = false;
  bool found = false;
  std::string proxy;
  std::string bypass;
};

std::mutex lock;
std::condition_variable detected;
bool loaded = false;
TWinHttp winHttp{};
TSettings settings;
std::map<std::string, std::shared_ptr<TDetection>> detections;  // by scheme, host and port

std::string Narrow(LPWSTR text) { return text != nullptr ? WideToUtf8(text) : std::string(); }

// Called under the lock. False when the system has no WinHTTP: direct then.
bool LoadOnce() {
  if (loaded) return winHttp.Open != nullptr;
  loaded = true;
  UniqueModule library = LoadSystemLibrary("winhttp.dll");
  HMODULE module = library.get();
  TWinHttp found{};
  if (!BindFunction(module, found.GetIEProxyConfigForCurrentUser, "WinHttpGetIEProxyConfigForCurrentUser") ||
      !BindFunction(module, found.Open, "WinHttpOpen") ||
      !BindFunction(module, found.SetTimeouts, "WinHttpSetTimeouts") ||
      !BindFunction(module, found.GetProxyForUrl, "WinHttpGetProxyForUrl") ||
      !BindFunction(module, found.CloseHandle, "WinHttpCloseHandle"))
    return false;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (found.GetIEProxyConfigForCurrentUser(&config)) {
    UniqueHandle<HGLOBAL, GlobalCloser> script(config.lpszAutoConfigUrl), proxy(config.lpszProxy),
        bypass(config.lpszProxyBypass);
    settings.autoDetect = config.fAutoDetect != FALSE;
    if (config.lpszAutoConfigUrl != nullptr) settings.scriptUrl = config.lpszAutoConfigUrl;
    settings.proxy = Narrow(config.lpszProxy);
    settings.bypass = Narrow(config.lpszProxyBypass);
  }
  winHttp = found;
  library.release();  // loaded for the rest of the process
  return true;
}

// On a thread of its own: WinHTTP runs the script, or looks for one.
void Detect(std::wstring url, std::shared_ptr<TDetection> detection) {
  TDetection result;
  HINTERNET session = winHttp.Open(L"Pondix Screenshot Loader", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (session != nullptr) {
    winHttp.SetTimeouts(session, kDetectionTimeout, kDetectionTimeout, kDetectionTimeout, kDetectionTimeout);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (settings.autoDetect) {
      options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
      options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (!settings.scriptUrl.empty()) {
      options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
      options.lpszAutoConfigUrl = settings.scriptUrl.c_str();
    }
    WINHTTP_PROXY_INFO info{};
    BOOL ok = winHttp.GetProxyForUrl(session, url.c_str(), &options, &info);
    if (!ok && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
      // The script's server asked who we are: the user's own logon, as browsers answer.
      options.fAutoLogonIfChallenged = TRUE;
      ok = winHttp.GetProxyForUrl(session, url.c_str(), &options, &info);
    }
    if (ok) {
      UniqueHandle<HGLOBAL, GlobalCloser> proxy(info.lpszProxy), bypass(info.lpszProxyBypass);
      result.found = true;
      if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
        result.proxy = Narrow(info.lpszProxy);
        result.bypass = Narrow(info.lpszProxyBypass);
      }
    }
    winHttp.CloseHandle(session);
  }
  std::lock_guard<std::mutex> guard(lock);
  result.finished = true;
  *detection = result;
  detected.notify_all();
}

bool IsLoopback(const std::string& host) {
  std::uint32_t address = 0;
  return SameTextIgnoringCase(host, "localhost") || host == "[::1]" ||
         (ParseDottedIPv4(host, address) && (address >> 24) == 127);
}

}  // namespace

TNetRoutes SystemProxies(const TNetURI& uri) {
  // As browsers do, the machine itself is never reached through a proxy.
  if (IsLoopback(uri.Host)) return {std::nullopt};
  std::unique_lock<std::mutex> guard(lock);
  if (!LoadOnce()) return {std::nullopt};
  std::string scheme = SameTextIgnoringCase(uri.Protocol, "https") ? "https" : "http";

  if (settings.autoDetect || !settings.scriptUrl.empty()) {
    std::shared_ptr<TDetection>& detection = detections[scheme + "://" + uri.Host + ":" + uri.Port];
    if (detection == nullptr) {
      detection = std::make_shared<TDetection>();
      std::thread(Detect, Utf8ToWide(UrlOf(uri)), detection).detach();
    }
    std::shared_ptr<TDetection> kept = detection;
    detected.wait_for(guard, std::chrono::milliseconds(kDetectionTimeout), [&] { return kept->finished; });
    if (kept->found) {
      if (kept->proxy.empty() || BypassedByList(uri.Host, kept->bypass)) return {std::nullopt};
      TNetRoutes routes = ParseProxyList(kept->proxy, scheme);
      return routes.empty() ? TNetRoutes{std::nullopt} : routes;
    }
    // Nothing found, or not yet: the fixed proxy if there is one, else direct.
  }
  if (settings.proxy.empty() || BypassedByList(uri.Host, settings.bypass)) return {std::nullopt};
  TNetRoutes routes = ParseProxyList(settings.proxy, scheme);
  return routes.empty() ? TNetRoutes{std::nullopt} : routes;
}
