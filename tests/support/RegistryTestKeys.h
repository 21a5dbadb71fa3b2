// Registry set-up and inspection for tests, through the system's own calls,
// so that the same tests run against the stand-in and a real registry.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Win32.h"

namespace testreg {

extern const char kTestKey[];        // scratch key, under both roots
extern const char kExtensionsKey[];  // the browser's Extensions key (machine hive)
extern const char kCommandBarKey[];  // the browser's command bar key (user hive)

struct StoredValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::string bytes;
};

void DeleteTree(HKEY root, const std::string& path);
void CreateKey(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes);
StoredValue GetValue(HKEY root, const std::string& path, const std::string& name);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);
/// A text as REG_SZ stores it: its bytes and one zero byte.
std::string Sz(const std::string& text);

}  // namespace testreg

/// Removes the keys that tests touch before and after each test.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
