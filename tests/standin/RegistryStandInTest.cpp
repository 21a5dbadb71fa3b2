// The stand-in's registry answers as Windows does, including where only a
// test can make it refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "Win32.h"

namespace {

class RegistryStandInTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }

  HKEY Create(HKEY root, const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &key, nullptr), 0);
    return key;
  }
};

TEST_F(RegistryStandInTest, OpenFailureLeavesTheHandleNull) {
  HKEY key = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Nope", 0, KEY_READ, &key), 2);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryStandInTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\MixedCase"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\mixedcase", 0, KEY_READ, &key), 0);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), 0);
  char name[32];
  DWORD size = sizeof name;
  ASSERT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "MixedCase");
  EXPECT_EQ(size, 9u);
  size = 9;  // no room for the terminator
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 234);
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), 259);
  RegCloseKey(key);
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[16];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
    names.emplace_back(name);
  }
  return names;
}

TEST_F(RegistryStandInTest, SubkeysComeInTheOrderOfTheirUpperCaseNames) {
  for (const char* name : {"b", "_x", "A", "{C}", "z1", "\xE4", "[", "\xD0"}) {
    RegCloseKey(Create(HKEY_CURRENT_USER, (std::string("K\\") + name).c_str()));
  }
  HKEY cyrillic = nullptr;  // a name code page 1252 cannot hold
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"K\\\u0416", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &cyrillic, nullptr),
            0);
  RegCloseKey(cyrillic);
  HKEY key = Create(HKEY_CURRENT_USER, "K");
  // Names are Unicode: the "A" listing gives what the code page lacks as "?".
  EXPECT_EQ(SubkeyNames(key),
            (std::vector<std::string>{"A", "b", "z1", "[", "_x", "{C}", "\xE4", "\xD0", "?"}));
  for (const char* name : {"a", "B", "Z1", "[", "_X", "{c}", "\xC4", "\xD0"}) {
    HKEY found = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, name, 0, KEY_READ, &found), 0) << name;
    RegCloseKey(found);
  }
  HKEY found = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "?", 0, KEY_READ, &found), 2) << "the listed name opens nothing";
  EXPECT_EQ(RegOpenKeyExW(key, u"\u0436", 0, KEY_READ, &found), 0) << "lower case, by name";
  RegCloseKey(found);
  RegCloseKey(key);
}

TEST_F(RegistryStandInTest, QueryValueReportsSizeTypeAndShortBuffers) {
  HKEY key = Create(HKEY_CURRENT_USER, "T");
  const BYTE data[] = {1, 2, 3, 4, 5};
  ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, data, 5), 0);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(size, 5u);
  BYTE small[4];
  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, small, &size), 234);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(RegQueryValueExA(key, "absent", nullptr, &type, nullptr, &size), 2);
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size), 2)
      << "a default value never set does not exist";
  RegCloseKey(key);
}

TEST_F(RegistryStandInTest, InfoCountsNameLengthsInCharacters) {
  RegCloseKey(Create(HKEY_CURRENT_USER, "T\\ab"));
  HKEY wide = nullptr;  // two characters, four bytes in UTF-8
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"T\\\u0416\u0436", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &wide, nullptr),
            0);
  RegCloseKey(wide);
  RegCloseKey(Create(HKEY_CURRENT_USER, "T\\abc"));
  HKEY key = Create(HKEY_CURRENT_USER, "T");
  DWORD count = 0, longest = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(longest, 3u) << "the two-character name counts two";
  RegCloseKey(key);
}

TEST_F(RegistryStandInTest, ReadOnlyKeysRefuseWriteRightsAndNewSubkeys) {
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Guarded\\Inner"));
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "Guarded", standin::KeyRights::ReadOnly);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Guarded\\Inner", 0, KEY_ALL_ACCESS, &key), 5);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Guarded\\Inner", 0, KEY_READ, &key), 0);
  const BYTE byte = 1;
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, &byte, 1), 5) << "opened for reading";
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Guarded\\New", 0, nullptr, 0, KEY_READ, nullptr,
                            &key, nullptr),
            5);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Guarded\\New", 0, KEY_READ, &key), 2);
}

TEST_F(RegistryStandInTest, UnreadableKeysRefuseEvenReading) {
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Secret"));
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "Secret", standin::KeyRights::None);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Secret", 0, KEY_READ, &key), 5);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryStandInTest, ValueFaultsHitOnlyTheNamedValue) {
  HKEY key = Create(HKEY_CURRENT_USER, "T");
  standin::FailValueWrites("Exec");
  const BYTE byte = 1;
  EXPECT_EQ(RegSetValueExA(key, "exec", 0, REG_BINARY, &byte, 1), 5);
  EXPECT_EQ(RegSetValueExA(key, "Other", 0, REG_BINARY, &byte, 1), 0);
  standin::FailValueReads("Other");
  DWORD type = 0, size = 1;
  BYTE out = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, &out, &size), 5);
  RegCloseKey(key);
}

TEST_F(RegistryStandInTest, HandlesAreCountedUntilClosed) {
  HKEY a = Create(HKEY_CURRENT_USER, "A");
  HKEY b = Create(HKEY_CURRENT_USER, "A");
  EXPECT_NE(a, b);
  EXPECT_EQ(standin::OpenKeyCount(), 2);
  EXPECT_EQ(RegCloseKey(a), 0);
  EXPECT_EQ(RegCloseKey(a), 6);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), 0);
  RegCloseKey(b);
  EXPECT_EQ(standin::OpenKeyCount(), 0);
}

TEST_F(RegistryStandInTest, DeletedKeysAnswerKeyDeletedThroughOldHandles) {
  HKEY key = Create(HKEY_CURRENT_USER, "Gone\\Deep");
  ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Gone"), 0);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), 1018);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Gone"), 2);
  RegCloseKey(key);
}

// As Windows and Wine keep them: a path runs through a link to its target,
// unless the link stands at its end and is opened as a link.
TEST_F(RegistryStandInTest, LinksAreFollowedUnlessOpenedAsLinks) {
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Target\\Below"));
  testreg::CreateLink(HKEY_CURRENT_USER, "Link", "\\REGISTRY\\MACHINE\\TARGET");
  EXPECT_TRUE(testreg::KeyExists(HKEY_CURRENT_USER, "Link\\Below"));
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Link", 0, nullptr, REG_OPTION_CREATE_LINK,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            183);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Link", REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key),
            0);
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, REG_LINK);
  EXPECT_EQ(NtDeleteKey(key), 0);  // the link itself
  RegCloseKey(key);
  EXPECT_TRUE(testreg::SubkeyNames(HKEY_CURRENT_USER, "").empty());
  EXPECT_TRUE(testreg::KeyExists(HKEY_LOCAL_MACHINE, "Target\\Below"));
}

// RegDeleteTree deletes through a link: the link's target goes, the link
// stays, and a tree that holds it cannot be deleted.
TEST_F(RegistryStandInTest, DeletingATreeDeletesWhatItsLinksLeadTo) {
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Target\\Below"));
  RegCloseKey(Create(HKEY_CURRENT_USER, "Tree"));
  testreg::CreateLink(HKEY_CURRENT_USER, "Tree\\Link", "\\REGISTRY\\MACHINE\\Target");
  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Tree"), 2);
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, "Target"));
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Target"));
  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Tree\\Link"), 0);
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, "Target"));
  EXPECT_EQ(testreg::SubkeyNames(HKEY_CURRENT_USER, "Tree"), std::vector<std::string>{"Link"});
}

}  // namespace
