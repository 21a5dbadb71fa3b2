// The inspector where only the stand-in can take it: on a 64-bit system,
// where the machine's SOFTWARE key shows this 32-bit program its 32-bit
// view; for an account that may only read the machine hive; with keys the
// registry refuses to delete; and with registry links planted where the
// clean-up deletes.
#include <gtest/gtest.h>

#include "Actions.h"
#include "Deployment.h"
#include "InstallCheck.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kButton.KeyGuid;

class ReportToolStandInTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }

  static std::string Report(int expectedProblems) {
    TextBuffer out;
    EXPECT_EQ(InspectVorlinde(out), expectedProblems) << out.Text();
    return out.Text();
  }
};

TEST_F(ReportToolStandInTest, AnInstallOnA64BitSystemStandsInThe32BitViewOnly) {
  standin::SetWindows64Bit(true);
  RunVorlinde();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, browserreg::InWow64Node("\\" + kOwnKey).substr(1)));
  const std::string report = Report(0);
  EXPECT_NE(report.find("Registry views (64-bit Windows)\n"
                        "  32-bit view (WOW6432Node)  extension key present, command id 16\n"
                        "    (the view Internet Explorer's 32-bit process reads, and where "
                        "vorlinde.exe writes)\n"
                        "  64-bit view                no extension key\n"),
            std::string::npos)
      << report;
}

// What a standard user sees of a good install is what an administrator sees.
TEST_F(ReportToolStandInTest, AnAccountThatMayOnlyReadGetsTheSameVerdict) {
  RunVorlinde();
  const std::string asAdministrator = Report(0);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "", standin::KeyRights::ReadOnly);
  standin::SetKeyRights(HKEY_CURRENT_USER, kCommandBarKey, standin::KeyRights::ReadOnly);
  standin::SetAccount("STANDIN", "reader", false);
  standin::ClearCallLog();
  const std::string asReader = Report(0);
  EXPECT_EQ(asReader.substr(0, asReader.find("Windows:")),
            "vorlinde-inspect: what the install left behind (read only)\n"
            "Account:   STANDIN\\reader, not elevated\n");
  EXPECT_EQ(asReader.substr(asReader.find("Windows:")),
            asAdministrator.substr(asAdministrator.find("Windows:")));
  for (const std::string& call : standin::CallLog()) {
    if (call.rfind("RegOpenKeyExA", 0) != 0 && call.rfind("RegCreateKeyExA", 0) != 0) continue;
    const unsigned long rights = std::stoul(call.substr(call.rfind(' ') + 1), nullptr, 16);
    EXPECT_EQ(rights & ~0x300ul, 0x20009ul) << call;  // read rights, in either view
  }
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, kOwnKey, standin::KeyRights::None);
  EXPECT_NE(Report(1).find("  (access denied)\n  PROBLEM: this account may not read the "),
            std::string::npos);
}

TEST_F(ReportToolStandInTest, RemovalWithoutTheRightToDeleteChangesNothing) {
  RunVorlinde();
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "", standin::KeyRights::ReadOnly);
  standin::SetAccount("STANDIN", "user", false);
  const StoredValue layout = GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout");
  TextBuffer out;
  EXPECT_EQ(RemoveButton(out, ExecutableDirectory() + deployment::kAgentFileName), 1) << out.Text();
  EXPECT_NE(out.Text().find("Removal needs an elevated run"), std::string::npos) << out.Text();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOwnKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde"));
  EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout").bytes, layout.bytes);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, kOwnKey, standin::KeyRights::None);
  EXPECT_EQ(UndoInstall(out), 1) << "a key that will not even open is not gone";
}

TEST_F(ReportToolStandInTest, ACopyThatCannotBeRemovedIsNamedAndFails) {
  const std::string copy = std::string(browserreg::BelowRoot(browserreg::kVirtualStoreKey)) +
                           "\\" + kOwnKey;
  SetValue(HKEY_CURRENT_USER, copy, "ButtonText", REG_SZ, Sz("x"));
  standin::SetKeyRights(HKEY_CURRENT_USER, copy, standin::KeyRights::ReadOnly);
  TextBuffer out;
  EXPECT_EQ(RemoveVirtualizedInstall(out), 1);
  EXPECT_NE(out.Text().find("Could not remove HKEY_CURRENT_USER\\" + copy + "\n"),
            std::string::npos)
      << out.Text();
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, copy));
}

// Links that someone without administrative rights can plant in their own
// hive: in a copy's place, below a real copy, on the way to a copy's place.
// The clean-up removes a link itself, never what it leads to, and opens
// every key below the user's Classes key as itself.
TEST_F(ReportToolStandInTest, TheCleanUpNeverFollowsARegistryLink) {
  const std::string store = browserreg::BelowRoot(browserreg::kVirtualStoreKey);
  const std::string copy = store + "\\" + kOwnKey;
  const std::string machine = "\\REGISTRY\\MACHINE\\" + kOwnKey;
  const struct {
    std::string link, target, listed, removed;
    bool realCopy, leftAlone;
  } kCases[] = {
      {copy, machine, "Registry link HKEY_CURRENT_USER\\" + copy + " to " + machine,
       "Removed the registry link HKEY_CURRENT_USER\\" + copy, false, false},
      {copy + "\\Sub", "\\REGISTRY\\MACHINE\\Software\\Victim",
       "Redirected copy HKEY_CURRENT_USER\\" + copy, "Removed HKEY_CURRENT_USER\\" + copy + "\n",
       true, false},
      {store, "\\REGISTRY\\MACHINE", "Registry link HKEY_CURRENT_USER\\" + store,
       "Left alone the registry link HKEY_CURRENT_USER\\" + store, false, true},
  };
  for (const auto& c : kCases) {
    standin::Reset();
    RunVorlinde();
    CreateKey(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below");
    CreateKey(HKEY_CURRENT_USER, c.realCopy ? copy : c.link.substr(0, c.link.rfind('\\')));
    CreateLink(HKEY_CURRENT_USER, c.link, c.target);
    EXPECT_NE(Report(0).find(c.listed), std::string::npos) << c.link;
    standin::ClearCallLog();
    TextBuffer out;
    EXPECT_EQ(RemoveVirtualizedInstall(out), 0) << out.Text();
    EXPECT_NE(out.Text().find(c.removed), std::string::npos) << out.Text();
    for (const std::string& call : standin::CallLog()) {
      if (call.rfind("RegOpenKeyExA", 0) != 0) continue;
      const bool classes = call.rfind("RegOpenKeyExA HKCU\\Software\\Classes 0x", 0) == 0;
      EXPECT_TRUE(classes || call.find(" OPEN_LINK ") != std::string::npos) << call;
    }
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "ButtonText").bytes, Sz(kButton.ButtonCaption));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below"));
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, copy), c.leftAlone) << c.link;
  }
}

}  // namespace
