// The inspector where only the stand-in can take it: on a 64-bit system,
// where the machine's SOFTWARE key shows this 32-bit program its 32-bit
// view; with a redirected copy that the registry refuses to delete; and with
// registry links planted where the clean-up deletes.
#include <gtest/gtest.h>

#include <sstream>

#include "InstallCheck.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

class InspectorStandInTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

TEST_F(InspectorStandInTest, AnInstallOnA64BitSystemStandsInThe32BitViewOnly) {
  standin::SetWindows64Bit(true);
  RunVorlinde();
  const std::string ownKey = std::string(browserreg::kExtensionsKey) + "\\" + kButton.KeyGuid;
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, browserreg::InWow64Node(ownKey).substr(1)));
  std::ostringstream out;
  EXPECT_EQ(InspectVorlinde(out), 0) << out.str();
  EXPECT_NE(out.str().find("Registry views (64-bit system; vorlinde.exe, a 32-bit program, "
                           "writes to the 32-bit view)\n"
                           "  32-bit view (WOW6432Node)  extension key present, command id 16\n"
                           "  64-bit view                extension key missing, command id "
                           "unknown (no Extensions key opens with full access)\n"),
            std::string::npos)
      << out.str();
}

TEST_F(InspectorStandInTest, ACopyThatCannotBeRemovedIsNamedAndFails) {
  const std::string copy = std::string(browserreg::BelowRoot(browserreg::kVirtualStoreKey)) +
                           browserreg::kExtensionsKey + "\\" + kButton.KeyGuid;
  SetValue(HKEY_CURRENT_USER, copy, "ButtonText", REG_SZ, Sz("x"));
  standin::SetKeyRights(HKEY_CURRENT_USER, copy, standin::KeyRights::ReadOnly);
  std::ostringstream out;
  EXPECT_FALSE(RemoveVirtualizedInstall(out));
  EXPECT_NE(out.str().find("Could not remove HKEY_CURRENT_USER\\" + copy + "\n"), std::string::npos)
      << out.str();
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, copy));
}

// Links that someone without administrative rights can plant in their own
// hive: in a copy's place, below a real copy, on the way to a copy's place.
// The clean-up removes a link itself, never what it leads to, and opens
// every key below the user's Classes key as itself.
TEST_F(InspectorStandInTest, TheCleanUpNeverFollowsARegistryLink) {
  const std::string ownKey = std::string(browserreg::kExtensionsKey) + "\\" + kButton.KeyGuid;
  const std::string store = browserreg::BelowRoot(browserreg::kVirtualStoreKey);
  const std::string copy = store + ownKey;
  const std::string machine = "\\REGISTRY\\MACHINE" + ownKey;
  const std::string victim = "\\REGISTRY\\MACHINE\\Software\\Victim";
  const struct {
    std::string link, target, listed, removed;
    bool realCopy, leftAlone;
  } kCases[] = {
      {copy, machine, "Registry link HKEY_CURRENT_USER\\" + copy + " to " + machine,
       "Removed the registry link HKEY_CURRENT_USER\\" + copy, false, false},
      {copy + "\\Sub", victim, "Redirected copy HKEY_CURRENT_USER\\" + copy,
       "Removed HKEY_CURRENT_USER\\" + copy + "\n", true, false},
      {store, "\\REGISTRY\\MACHINE", "Registry link HKEY_CURRENT_USER\\" + store,
       "Left alone the registry link HKEY_CURRENT_USER\\" + store, false, true},
  };
  for (const auto& c : kCases) {
    standin::Reset();
    RunVorlinde();
    CreateKey(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below");
    CreateKey(HKEY_CURRENT_USER, c.realCopy ? copy : c.link.substr(0, c.link.rfind('\\')));
    CreateLink(HKEY_CURRENT_USER, c.link, c.target);
    std::ostringstream report, cleanUp;
    InspectVorlinde(report);
    EXPECT_NE(report.str().find(c.listed), std::string::npos) << report.str();
    standin::ClearCallLog();
    EXPECT_TRUE(RemoveVirtualizedInstall(cleanUp)) << cleanUp.str();
    EXPECT_NE(cleanUp.str().find(c.removed), std::string::npos) << cleanUp.str();
    for (const std::string& call : standin::CallLog()) {
      if (call.rfind("RegOpenKeyExA", 0) != 0) continue;
      const bool classes = call.rfind("RegOpenKeyExA HKCU\\Software\\Classes ", 0) == 0;
      EXPECT_TRUE(classes || call.find(" OPEN_LINK") != std::string::npos) << call;
    }
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, ownKey.substr(1), "ButtonText").bytes,
              Sz(kButton.ButtonCaption));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below"));
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, copy), c.leftAlone) << c.link;
  }
}

}  // namespace
