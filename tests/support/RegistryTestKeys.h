// Registry set-up and inspection for tests, through the system's own calls,
// so that the same tests run against the stand-in and a real registry.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowserRegistry.h"
#include "Win32.h"

namespace testreg {

extern const char kTestKey[];  // scratch key, under both roots
/// The view the programs under test read and write (the 32-bit one, also in
/// their 64-bit twin), which these helpers take unless told otherwise.
extern const REGSAM kProgramView;
/// The process's own view: what the shell inside this process reads.
inline constexpr REGSAM kProcessView = 0;
// The browser's keys as the system's calls take them, below their roots.
inline const char* const kExtensionsKey = browserreg::BelowRoot(browserreg::kExtensionsKey);
inline const char* const kCommandBarKey = browserreg::BelowRoot(browserreg::kCommandBarKey);

struct StoredValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::string bytes;
};

void DeleteTree(HKEY root, const std::string& path);
/// A registry link at `path` (its parent must exist) to `target`, a path in
/// the system's form: "\REGISTRY\MACHINE\SOFTWARE\...".
void CreateLink(HKEY root, const std::string& path, const std::string& target);
void CreateKey(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes, REGSAM view = kProgramView);
StoredValue GetValue(HKEY root, const std::string& path, const std::string& name,
                     REGSAM view = kProgramView);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);
/// A text as REG_SZ stores it: its bytes and one zero byte.
std::string Sz(const std::string& text);

/// Names and texts in any script (UTF-8 here), through the wide calls, as a
/// program of the user's own language writes and reads them: the key at
/// `path`, created with every missing parent, and its REG_SZ value `name`.
void SetUnicodeText(HKEY root, const std::string& path, const std::string& name,
                    const std::string& text);
/// The same for a path given in UTF-16 units, zero-terminated: a name may
/// hold what no UTF-8 spells, a surrogate without its partner.
void SetUnicodeText(HKEY root, const std::vector<WCHAR>& path, const std::string& name,
                    const std::string& text);
/// `utf8` in UTF-16 units, zero-terminated, by the system's conversion.
std::vector<WCHAR> Wide(const std::string& utf8);
/// The REG_SZ value `name` of the key at `path` up to its first zero; empty
/// when it cannot be read.
std::string UnicodeText(HKEY root, const std::string& path, const std::string& name);

}  // namespace testreg

/// Removes the keys that tests touch before and after each test.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
