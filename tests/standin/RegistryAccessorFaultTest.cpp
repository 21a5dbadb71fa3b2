// The accessor where the registry refuses, and the calls it makes.
#include <gtest/gtest.h>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "RegistryAccessor.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "Win32.h"

namespace {

class RegistryAccessorFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

TEST_F(RegistryAccessorFaultTest, RefusedRightsMakeOpenFalseAndKeepTheOpenKey) {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  ASSERT_TRUE(registry.OpenSubkey("\\Open", true));
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "Locked", standin::KeyRights::ReadOnly);
  EXPECT_FALSE(registry.OpenSubkey("\\Locked\\Inside", true));
  EXPECT_FALSE(registry.OpenSubkey("\\Locked", true));
  EXPECT_TRUE(registry.HasOpenKey());
  EXPECT_EQ(standin::OpenKeyCount(), 1);
}

TEST_F(RegistryAccessorFaultTest, FailedWritesAndReadsNameTheValue) {
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenSubkey("\\T", true));
  registry.WriteText("v", "x");
  standin::FailValueWrites();
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.WriteText("", "x"); }),
            "Fehler beim Setzen der Daten f\xC3\xBCr ''");
  EXPECT_EQ(
      FailureMessage<ERegistryException>([&] { registry.WriteBytes("ButtonLayout", "1234", 4); }),
      "Fehler beim Setzen der Daten f\xC3\xBCr 'ButtonLayout'");
  standin::FailValueReads("v");
  char buffer[8];
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.ReadText("v"); }),
            "Fehler beim Holen der Daten f\xC3\xBCr 'v'");
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.ReadBytes("v", buffer, 8); }),
            "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'v'")
      << "the type is judged before the data are read";
}

TEST_F(RegistryAccessorFaultTest, ReadBytesFailureOfTheReadingCall) {
  const BYTE data[] = {1, 2, 3, 4};
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, "T", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "b", 0, REG_BINARY, data, 4);
  RegCloseKey(key);
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenSubkey("\\T", false));
  standin::FailValueReads("b");
  char buffer[8] = "keep";
  EXPECT_EQ(FailureMessage<ERegistryException>([&] { registry.ReadBytes("b", buffer, 8); }),
            "Fehler beim Holen der Daten f\xC3\xBCr 'b'");
}

TEST_F(RegistryAccessorFaultTest, HasSubkeyTreatsUnreadableKeysAsAbsentAndLeavesNoHandle) {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  ASSERT_TRUE(registry.OpenSubkey("\\Readable", true));
  ASSERT_TRUE(registry.OpenSubkey("\\Hidden", true));
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "Readable", standin::KeyRights::ReadOnly);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "Hidden", standin::KeyRights::None);
  EXPECT_TRUE(registry.HasSubkey("\\Readable"));
  EXPECT_FALSE(registry.HasSubkey("\\Hidden"));
  EXPECT_EQ(standin::OpenKeyCount(), 1) << "only the accessor's own open key";
  EXPECT_EQ(registry.Access(), 0xF003Fu);
}

TEST_F(RegistryAccessorFaultTest, ProbeAsksForReadRightsOnly) {
  RegistryAccessor registry;
  standin::ClearCallLog();
  registry.HasSubkey("\\Anything");
  const auto& log = standin::CallLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "RegOpenKeyExW HKCU\\Anything 0x20009");  // KEY_READ
}

TEST_F(RegistryAccessorFaultTest, FreeingTheAccessorReleasesItsKey) {
  {
    RegistryAccessor registry;
    ASSERT_TRUE(registry.OpenSubkey("\\A", true));
    ASSERT_TRUE(registry.OpenSubkey("\\B", true));
    EXPECT_EQ(standin::OpenKeyCount(), 1) << "the replaced key was closed";
  }
  EXPECT_EQ(standin::OpenKeyCount(), 0);
}

TEST_F(RegistryAccessorFaultTest, ListSubkeysOfAKeyDeletedMeanwhileLeavesTheListEmpty) {
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenSubkey("\\T\\Sub", true));
  ASSERT_TRUE(registry.OpenSubkey("\\T", false));
  std::vector<std::string> names;
  registry.ListSubkeys(names);
  ASSERT_EQ(names, std::vector<std::string>{"Sub"});
  RegDeleteTreeA(HKEY_CURRENT_USER, "T");  // the store now refuses the open key
  registry.ListSubkeys(names);
  EXPECT_TRUE(names.empty());
}

TEST_F(RegistryAccessorFaultTest, ListSubkeysGivesNamesBeyondTheCodePageWhole) {
  standin::SetAnsiCodePage(932);  // which holds no "\u0141"
  RegistryAccessor registry;
  const std::string wide = "\xC5\x81\xD0\x96";  // two characters, four bytes in UTF-8
  testreg::SetUnicodeText(HKEY_CURRENT_USER, "T\\" + wide, "", "");
  testreg::SetUnicodeText(HKEY_CURRENT_USER, "T\\ab", "", "");
  ASSERT_TRUE(registry.OpenSubkey("\\T", false));
  std::vector<std::string> names;
  registry.ListSubkeys(names);
  EXPECT_EQ(names, (std::vector<std::string>{"ab", wide}));
}

}  // namespace
