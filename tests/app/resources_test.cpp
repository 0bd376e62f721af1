// What Explorer and the system read from the built executables: the version
// information of both, and the program's manifest.

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "toolkit/handles.h"

namespace {

// The build's Linux path, as Wine's drive Z: shows it.
std::wstring WinePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* p = unixPath; *p != '\0'; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return path;
}

std::wstring StringValue(const std::string& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || value == nullptr) return L"(none)";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ProgramResources, BothExecutablesCarryTheProjectsVersion) {
  const struct {
    const char* path;
    const wchar_t* name;
    const wchar_t* description;
  } exes[] = {
      {PSL_PROGRAM_EXE, L"PondixScreenLoader.exe", L"Pondix Screenshot Loader"},
      {PSL_TOOL_EXE, L"psl.exe", L"Pondix Screenshot Loader console tool"},
  };
  for (const auto& exe : exes) {
    std::wstring path = WinePath(exe.path);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << exe.path;
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(PSL_VERSION_MINOR, PSL_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, PSL_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(StringValue(block, L"ProductName"), L"Pondix Screenshot Loader");
    EXPECT_EQ(StringValue(block, L"CompanyName"), L"Pondix");
    EXPECT_EQ(StringValue(block, L"FileDescription"), exe.description);
    EXPECT_EQ(StringValue(block, L"OriginalFilename"), exe.name);
    EXPECT_EQ(StringValue(block, L"FileVersion"), L"" PSL_VERSION);
    EXPECT_EQ(StringValue(block, L"ProductVersion"), L"" PSL_VERSION);
  }
}

TEST(ProgramResources, ManifestCarriesTheVersionAsksForCommonControls6AndNamesWindows7To11) {
  std::wstring path = WinePath(PSL_PROGRAM_EXE);
  HMODULE image =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  UniqueModule owned(image);
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
  std::string manifest(bytes, SizeofResource(image, found));
  for (const char* entry : {
           "name=\"Pondix.ScreenLoader\" version=\"" PSL_VERSION ".0\"",
           "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
           "PerMonitorV2",
           "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
       })
    EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
}

}  // namespace
