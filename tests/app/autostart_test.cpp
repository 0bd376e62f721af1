// The autostart value against the real registry of the test's own prefix.

#include "app/autostart_and_login.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <shellapi.h>

#include "toolkit/exceptions.h"
#include "toolkit/executable_path.h"
#include "toolkit/handles.h"

namespace {

const wchar_t* const kRunKey = L"software\\microsoft\\windows\\currentversion\\run";

struct Value {
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

bool ReadValue(Value& value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  UniqueRegKey owned(opened);
  HKEY key = owned.get();
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, L"PondixScreenLoader", nullptr, &value.type, nullptr, &size);
  value.bytes.resize(size);
  if (result == ERROR_SUCCESS)
    result = RegQueryValueExW(key, L"PondixScreenLoader", nullptr, &value.type, value.bytes.data(), &size);
  return result == ERROR_SUCCESS;
}

// The command line that starts this executable: its path in quotes, with the NUL.
std::vector<BYTE> QuotedPathBytesWithNul() {
  std::wstring command = L"\"" + ExecutablePathW() + L"\"";
  const BYTE* start = reinterpret_cast<const BYTE*>(command.c_str());
  return {start, start + (command.size() + 1) * sizeof(wchar_t)};
}

TEST(Autostart, CreatesTheMissingKeyAndStoresTheQuotedPathWithItsNul) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kRunKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kRunKey);
  Value before;
  ASSERT_FALSE(ReadValue(before)) << "the key is gone before the test";

  RegisterAutostart();
  Value value;
  ASSERT_TRUE(ReadValue(value));
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.bytes, QuotedPathBytesWithNul());
  // What Windows does with it at logon: the first argument is this executable.
  std::wstring stored(reinterpret_cast<const wchar_t*>(value.bytes.data()));
  int count = 0;
  UniqueLocal args(CommandLineToArgvW(stored.c_str(), &count));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(std::wstring(static_cast<wchar_t**>(args.get())[0]), ExecutablePathW());
}

TEST(Autostart, OverwritesWhateverTheValueHeld) {
  {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    UniqueRegKey owned(key);
    DWORD old = 7;
    RegSetValueExW(key, L"PondixScreenLoader", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old), sizeof old);
  }

  RegisterAutostart();
  Value value;
  ASSERT_TRUE(ReadValue(value));
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.bytes, QuotedPathBytesWithNul());
}

TEST(Autostart, KeyThatCannotBeWrittenRaisesTheRegistryError) {
  {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    UniqueRegKey owned(key);
    // An empty access list lets nobody open the key for writing.
    ACL empty;
    ASSERT_TRUE(InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    ASSERT_EQ(
        SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, &empty, nullptr),
        static_cast<DWORD>(ERROR_SUCCESS));
  }

  try {
    RegisterAutostart();
    ADD_FAILURE() << "the value was set";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Failed to set data for 'PondixScreenLoader'");
  }
}

}  // namespace
