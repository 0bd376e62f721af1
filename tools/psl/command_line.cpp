#include "command_line.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace {

std::string FromWide(const wchar_t* text, int length, UINT codePage) {
  if (length == 0) return {};
  int size = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(codePage, 0, text, length, result.data(), size, nullptr, nullptr);
  return result;
}

std::wstring ToWide(const std::string& text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), size);
  return result;
}

struct LocalFreer {
  void operator()(wchar_t** block) const { LocalFree(block); }
};

}  // namespace

Args CommandLineArgs(int, char**) {
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  Args args;
  for (int i = 1; wide && i < count; ++i) {
    const wchar_t* arg = wide.get()[i];
    args.push_back(FromWide(arg, static_cast<int>(wcslen(arg)), CP_UTF8));
  }
  return args;
}

std::string FileNameArg(const std::string& arg) {
  std::wstring wide = ToWide(arg, CP_UTF8);
  return FromWide(wide.data(), static_cast<int>(wide.size()), CP_ACP);
}

#else

Args CommandLineArgs(int argc, char** argv) { return Args(argv + (argc > 0 ? 1 : 0), argv + argc); }

std::string FileNameArg(const std::string& arg) { return arg; }

#endif
