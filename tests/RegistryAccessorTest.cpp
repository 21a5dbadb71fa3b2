// The registry accessor against whichever registry the build runs on.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "RegistryAccessor.h"
#include "RegistryTestKeys.h"

using namespace testreg;

namespace {

const std::string kBase = std::string("\\") + kTestKey;

class RegistryAccessorTest : public RegistryTest {
 protected:
  // An accessor on the user hive with the scratch key open.
  void OpenScratch(RegistryAccessor& registry) { ASSERT_TRUE(registry.OpenSubkey(kBase, true)); }
};

TEST_F(RegistryAccessorTest, StartsOnTheUserHiveWithFullAccess) {
  RegistryAccessor registry;
  EXPECT_EQ(registry.Hive(), RegistryRoot::CurrentUser);
  EXPECT_EQ(registry.Access(), 0xF003Fu);
  ASSERT_TRUE(registry.OpenSubkey(kBase + "\\Here", true));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Here"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\Here"));
}

TEST_F(RegistryAccessorTest, SelectingTheSameHiveKeepsTheKeyOpenAnotherClosesIt) {
  RegistryAccessor registry;
  OpenScratch(registry);
  registry.SelectHive(RegistryRoot::CurrentUser);
  EXPECT_TRUE(registry.HasOpenKey());
  registry.WriteText("kept", "x");
  EXPECT_TRUE(GetValue(HKEY_CURRENT_USER, kTestKey, "kept").exists);

  registry.SelectHive(RegistryRoot::LocalMachine);
  EXPECT_FALSE(registry.HasOpenKey());
  ASSERT_TRUE(registry.OpenSubkey(kBase, true));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTestKey));
}

TEST_F(RegistryAccessorTest, CreatesEveryMissingKeyAlongThePathOnlyWhenAsked) {
  RegistryAccessor registry;
  EXPECT_FALSE(registry.OpenSubkey(kBase + "\\A\\B", false));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));

  ASSERT_TRUE(registry.OpenSubkey(kBase + "\\A\\B", true));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\A\\B"));
  registry.WriteText("at", "B");
  EXPECT_TRUE(GetValue(HKEY_CURRENT_USER, std::string(kTestKey) + "\\A\\B", "at").exists);
}

TEST_F(RegistryAccessorTest, AFailedOpenLeavesThePreviousKeyOpen) {
  RegistryAccessor registry;
  OpenScratch(registry);
  EXPECT_FALSE(registry.OpenSubkey(kBase + "\\Missing", false));
  EXPECT_TRUE(registry.HasOpenKey());
  registry.WriteText("still", "here");
  EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kTestKey, "still").bytes, Sz("here"));
}

TEST_F(RegistryAccessorTest, RelativePathsStartAtTheOpenKey) {
  RegistryAccessor registry;
  OpenScratch(registry);
  ASSERT_TRUE(registry.OpenSubkey("Child", true));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Child"));
  // An empty path opens the open key once more, never creating anything.
  ASSERT_TRUE(registry.OpenSubkey("", true));
  registry.WriteText("v", "1");
  EXPECT_TRUE(GetValue(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Child", "v").exists);
}

TEST_F(RegistryAccessorTest, TheLoneBackslashOpensTheHiveItself) {
  CreateKey(HKEY_CURRENT_USER, kTestKey);
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenSubkey("\\", true));
  EXPECT_TRUE(registry.HasOpenKey());
  EXPECT_TRUE(registry.HasSubkey(kTestKey));
}

TEST_F(RegistryAccessorTest, WritesTextsAsZeroTerminatedRegSz) {
  RegistryAccessor registry;
  OpenScratch(registry);
  registry.WriteText("", "");
  registry.WriteText("three", "abc");
  registry.WriteText("umlaut",
                     "B\xC3\xBC"
                     "cher");  // UTF-8; stored as UTF-16

  const StoredValue def = GetValue(HKEY_CURRENT_USER, kTestKey, "");
  EXPECT_EQ(def.type, REG_SZ);
  EXPECT_EQ(def.bytes, std::string(1, '\0'));
  EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kTestKey, "three").bytes, std::string("abc\0", 4));
  EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kTestKey, "umlaut").bytes, Sz("B\xFC"
                                                                      "cher"));
}

TEST_F(RegistryAccessorTest, WriteReplacesAValueOfAnotherType) {
  SetValue(HKEY_CURRENT_USER, kTestKey, "v", REG_DWORD, std::string("\x01\0\0\0", 4));
  RegistryAccessor registry;
  OpenScratch(registry);
  registry.WriteText("V", "text");
  const StoredValue value = GetValue(HKEY_CURRENT_USER, kTestKey, "v");
  EXPECT_EQ(value.type, REG_SZ);
  EXPECT_EQ(value.bytes, Sz("text"));
}

struct ReadTextCase {
  const char* label;
  DWORD type;
  std::string stored;
  std::string expected;
};

TEST_F(RegistryAccessorTest, ReadsTextsUpToTheirFirstZero) {
  const ReadTextCase cases[] = {
      {"plain", REG_SZ, Sz("hello"), "hello"},
      {"embedded zero", REG_SZ, std::string("ab\0cd\0", 6), "ab"},
      {"expandable, unexpanded", REG_EXPAND_SZ, Sz("%TEMP%\\x"), "%TEMP%\\x"},
      {"empty binary", REG_BINARY, "", ""},
      {"empty dword", REG_DWORD, "", ""},
      {"longer than a first read takes", REG_SZ, Sz(std::string(300, 'x')), std::string(300, 'x')},
  };
  RegistryAccessor registry;
  OpenScratch(registry);
  for (const ReadTextCase& c : cases) {
    SetValue(HKEY_CURRENT_USER, kTestKey, c.label, c.type, c.stored);
    EXPECT_EQ(registry.ReadText(c.label), c.expected) << c.label;
  }
  EXPECT_EQ(registry.ReadText("absent"), "");
}

TEST_F(RegistryAccessorTest, ReadTextRefusesOtherTypes) {
  SetValue(HKEY_CURRENT_USER, kTestKey, "number", REG_DWORD, std::string("\x05\0\0\0", 4));
  SetValue(HKEY_CURRENT_USER, kTestKey, "blob", REG_BINARY, "ab");
  SetValue(HKEY_CURRENT_USER, kTestKey, "long blob", REG_BINARY, std::string(300, 'b'));
  RegistryAccessor registry;
  OpenScratch(registry);
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.ReadText("long blob"); }),
            "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'long blob'");
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.ReadText("number"); }),
            "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'number'");
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.ReadText("blob"); }),
            "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'blob'");
  EXPECT_TRUE(registry.HasOpenKey());  // still usable after a failure
}

TEST_F(RegistryAccessorTest, ReadBytesTakesBinaryAndUntypedDataUpToTheCapacity) {
  const std::string full(2048, '\x5A');
  SetValue(HKEY_CURRENT_USER, kTestKey, "full", REG_BINARY, full);
  SetValue(HKEY_CURRENT_USER, kTestKey, "none", REG_NONE, "12345678");
  SetValue(HKEY_CURRENT_USER, kTestKey, "multi", REG_MULTI_SZ, std::string("a\0\0", 3));
  RegistryAccessor registry;
  OpenScratch(registry);

  std::array<char, 2048> buffer{};
  EXPECT_EQ(registry.ReadBytes("full", buffer.data(), 2048), 2048);
  EXPECT_EQ(std::string(buffer.data(), 2048), full);
  EXPECT_EQ(registry.ReadBytes("none", buffer.data(), 2048), 8);
  EXPECT_EQ(std::string(buffer.data(), 8), "12345678");
  EXPECT_EQ(registry.ReadBytes("multi", buffer.data(), 2048), 3);
}

TEST_F(RegistryAccessorTest, ReadBytesOfAnAbsentValueGivesZeroAndLeavesTheBuffer) {
  RegistryAccessor registry;
  OpenScratch(registry);
  std::array<char, 4> buffer = {'k', 'e', 'e', 'p'};
  EXPECT_EQ(registry.ReadBytes("absent", buffer.data(), 4), 0);
  EXPECT_EQ(std::string(buffer.data(), 4), "keep");
}

TEST_F(RegistryAccessorTest, ReadBytesRefusesTextsNumbersAndOversizedData) {
  SetValue(HKEY_CURRENT_USER, kTestKey, "big", REG_BINARY, std::string(2049, '\1'));
  SetValue(HKEY_CURRENT_USER, kTestKey, "text", REG_SZ, Sz("x"));
  SetValue(HKEY_CURRENT_USER, kTestKey, "emptytext", REG_SZ, "");
  SetValue(HKEY_CURRENT_USER, kTestKey, "expand", REG_EXPAND_SZ, Sz("x"));
  SetValue(HKEY_CURRENT_USER, kTestKey, "number", REG_DWORD, std::string(4, '\0'));
  RegistryAccessor registry;
  OpenScratch(registry);
  std::array<char, 2048> buffer{};
  for (const char* name : {"big", "text", "emptytext", "expand", "number"}) {
    EXPECT_EQ(
        FailureMessage<ERegistryException>([&] { registry.ReadBytes(name, buffer.data(), 2048); }),
        std::string("Ung\xC3\xBCltiger Datentyp f\xC3\xBCr '") + name + "'");
  }
}

TEST_F(RegistryAccessorTest, WriteBytesStoresBinaryData) {
  RegistryAccessor registry;
  OpenScratch(registry);
  const char bytes[] = {'\x10', '\x01', '\0', '\0'};
  registry.WriteBytes("layout", bytes, 4);
  const StoredValue value = GetValue(HKEY_CURRENT_USER, kTestKey, "layout");
  EXPECT_EQ(value.type, REG_BINARY);
  EXPECT_EQ(value.bytes, std::string(bytes, 4));
}

TEST_F(RegistryAccessorTest, HasValueIgnoresTypeAndSizeQueryValueGivesThem) {
  SetValue(HKEY_CURRENT_USER, kTestKey, "empty", REG_NONE, "");
  SetValue(HKEY_CURRENT_USER, kTestKey, "nodword", REG_DWORD, "");
  SetValue(HKEY_CURRENT_USER, kTestKey, "list", REG_MULTI_SZ, std::string("a\0\0", 3));
  RegistryAccessor registry;
  OpenScratch(registry);
  EXPECT_TRUE(registry.HasValue("empty"));
  EXPECT_TRUE(registry.HasValue("EMPTY"));
  EXPECT_FALSE(registry.HasValue("absent"));

  const struct {
    const char* name;
    bool exists;
    RegistryValueType type;
    std::uint32_t size;
  } cases[] = {
      {"empty", true, RegistryValueType::None, 0},
      {"nodword", true, RegistryValueType::Number, 0},
      {"list", true, RegistryValueType::TextList, 6},  // stored in UTF-16
      {"absent", false, RegistryValueType::None, 0},
  };
  for (const auto& c : cases) {
    const RegistryValueInfo info = registry.QueryValue(c.name);
    EXPECT_EQ(std::make_tuple(info.exists, info.type, info.size),
              std::make_tuple(c.exists, c.type, c.size))
        << c.name;
  }
}

TEST_F(RegistryAccessorTest, HasSubkeyProbesWithoutTouchingTheOpenKeyOrTheMask) {
  CreateKey(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Present\\Deep");
  RegistryAccessor registry;
  OpenScratch(registry);
  EXPECT_TRUE(registry.HasSubkey(kBase + "\\PRESENT\\deep"));
  EXPECT_TRUE(registry.HasSubkey("Present"));  // relative to the open key
  EXPECT_FALSE(registry.HasSubkey(kBase + "\\Missing"));
  EXPECT_EQ(registry.Access(), 0xF003Fu);
  registry.WriteText("after", "probe");
  EXPECT_TRUE(GetValue(HKEY_CURRENT_USER, kTestKey, "after").exists);
}

TEST_F(RegistryAccessorTest, ListSubkeysGivesTheRegistrysOrderAndEmptiesTheListFirst) {
  // Names with the characters between "Z" and "a" sort differently in Wine
  // (folded to lower case) than in Windows; the stand-in's own test covers them.
  for (const char* name : {"b", "A", "{C}", "z1", "1"}) {
    CreateKey(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Keys\\" + name);
  }
  CreateKey(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Empty");
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenSubkey(kBase + "\\Keys", false));
  std::vector<std::string> names = {"stale"};
  registry.ListSubkeys(names);
  EXPECT_EQ(names, (std::vector<std::string>{"1", "A", "b", "z1", "{C}"}));

  ASSERT_TRUE(registry.OpenSubkey(kBase + "\\Empty", false));
  registry.ListSubkeys(names);
  EXPECT_TRUE(names.empty());
}

// As the system compares key names: case folded for every letter, ASCII or
// not, and nothing else taken as the same.
TEST(SameKeyNameTest, FoldsCaseAsTheSystemDoesAndNothingElse) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } kCases[] = {
      {"{8a918c1d-e123}", "{8A918C1D-E123}", true},
      {"Key", "Key2", false},
      {"a@", "A`", false},  // '@' and '`' lie next to the letters, never folded
      {"Stra\xC3\x9F" "e", "STRA\xC3\x9F" "E", true},
      {"\xC3\xA4rger", "\xC3\x84RGER", true},  // a non-ASCII letter folds too
      {"\xC3\xA4", "a", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(SameKeyName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
