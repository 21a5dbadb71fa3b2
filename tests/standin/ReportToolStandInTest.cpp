// The inspector where only the stand-in can take it: on a 64-bit system,
// where the machine's SOFTWARE key shows this 32-bit program its 32-bit
// view; for an account that may only read the machine hive; with keys the
// registry refuses to delete or a user's note refused; run from a folder of
// the test's choosing; and with registry links planted where it deletes.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "Actions.h"
#include "AgentRegistration.h"
#include "Deployment.h"
#include "FileTestHelpers.h"
#include "InstallCheck.h"
#include "MachineCheck.h"
#include "LayoutBytes.h"
#include "MachinePart.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "TempDirectory.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kButton.KeyGuid;

class ReportToolStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::Reset();
    // The picture an install run names; left there, as other tests need it.
    testfile::EnsureExists(ExecutableDirectory() + kButton.IconFileName);
  }
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

// What a standard user sees of a good install is what an administrator sees,
// on 32-bit Windows and in both registry views of a 64-bit one.
TEST_F(ReportToolStandInTest, AnAccountThatMayOnlyReadGetsTheSameVerdict) {
  for (const bool windows64 : {false, true}) {
    SCOPED_TRACE(windows64 ? "64-bit Windows" : "32-bit Windows");
    standin::Reset();
    standin::SetWindows64Bit(windows64);
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
      if (call.rfind("RegOpenKeyExW", 0) != 0 && call.rfind("RegCreateKeyExW", 0) != 0) continue;
      const unsigned long rights = std::stoul(call.substr(call.rfind(' ') + 1), nullptr, 16);
      EXPECT_EQ(rights & ~0x300ul, 0x20009ul) << call;  // read rights, in either view
    }
    const std::string ownKey =
        windows64 ? browserreg::InWow64Node("\\" + kOwnKey).substr(1) : kOwnKey;
    standin::SetKeyRights(HKEY_LOCAL_MACHINE, ownKey, standin::KeyRights::None);
    EXPECT_NE(Report(1).find("  (access denied)\n  PROBLEM: this account may not read the "),
              std::string::npos);
  }
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
  standin::SetAccount("STANDIN", "user", true);  // the machine's turn is had
  EXPECT_EQ(UndoInstall(out), 1) << "a key that will not even open is not gone";
  EXPECT_NE(out.Text().find("The registry refused to delete"), std::string::npos) << out.Text();
}

// "{0\u0416...}" comes before the own key and holds the button with id 16:
// the install gives this one 17; the machine key goes, also with a subkey of
// such a name below it.
TEST_F(ReportToolStandInTest, AKeyNameBeyondTheCodePageIsCountedAndRemoved) {
  const std::string other = std::string(kExtensionsKey) +
                            "\\{0\xD0\x96"
                            "000002-0000-0000-0000-000000000002}";
  for (const char* name : {"clsid", "ButtonText", "Icon"}) {
    SetUnicodeText(HKEY_LOCAL_MACHINE, other, name, name[0] == 'c' ? kButton.ButtonClsid : "x");
  }
  SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_BINARY,
           Hex("07 00 00 00 10 01 00 00"));
  RunVorlinde();
  EXPECT_EQ(ToHex(GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout").bytes),
            "07 00 00 00 11 01 00 00 10 01 00 00");
  SetUnicodeText(HKEY_LOCAL_MACHINE, kOwnKey + "\\\xD0\x9A", "", "");
  TextBuffer out;
  EXPECT_EQ(UndoInstall(out), 0) << out.Text();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOwnKey));
}

TEST_F(ReportToolStandInTest, ACopyThatCannotBeRemovedIsNamedAndFails) {
  const std::string copy =
      std::string(browserreg::BelowRoot(browserreg::kVirtualStoreKey)) + "\\" + kOwnKey;
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
      if (call.rfind("RegOpenKeyExW", 0) != 0) continue;
      const bool classes = call.rfind("RegOpenKeyExW HKCU\\Software\\Classes 0x", 0) == 0;
      EXPECT_TRUE(classes || call.find(" OPEN_LINK ") != std::string::npos) << call;
    }
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOwnKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below"));
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, copy), c.leftAlone) << c.link;
  }
}

// The extension key is deleted as itself, as the removal does it: a link
// planted in its place goes, what it leads to stays; a key already gone is
// no failure. The report then names a link in the removal record's place
// and goes on.
TEST_F(ReportToolStandInTest, UndoInstallDeletesALinkInTheKeysPlaceNeverWhatItLeadsTo) {
  CreateKey(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below");
  CreateKey(HKEY_LOCAL_MACHINE, kExtensionsKey);
  CreateLink(HKEY_LOCAL_MACHINE, kOwnKey, "\\REGISTRY\\MACHINE\\Software\\Victim");
  for (const char* run : {"the link", "nothing left"}) {
    TextBuffer out;
    EXPECT_EQ(UndoInstall(out), 0) << run << ": " << out.Text();
  }
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Victim\\Below"));
  EXPECT_TRUE(SubkeyNames(HKEY_LOCAL_MACHINE, kExtensionsKey).empty());
  CreateLink(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde\\Removal",
             "\\REGISTRY\\MACHINE\\Software\\Victim");
  EXPECT_NE(Report(1).find("Removal: the record cannot be read: the registry link"),
            std::string::npos);
}

// Three buttons of the program's class, two listed before its own key (ids
// 16, 17) and one after (19, 18 once it is gone), and one of another class
// before it, which no id counts.
const char* const kSameClassKeys[] = {"{0A000000-0000-0000-0000-000000000001}",
                                      "{0B000000-0000-0000-0000-000000000002}",
                                      "{F0000000-0000-0000-0000-00000000000F}"};
const char kOtherClassKey[] = "{0C000000-0000-0000-0000-00000000000C}";
// The button's entry (18) twice, as two install runs leave it: both go, and
// the later button's 19 becomes 18.
const char kInstalled[] =
    "07 00 00 00 10 01 00 00 12 01 00 00 11 01 00 00 13 01 00 00 12 01 00 00 01 01 00 00";
const char kRemoved[] = "07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00 01 01 00 00";

void AddButton(const std::string& name, const std::string& clsid) {
  const std::string key = std::string(kExtensionsKey) + "\\" + name;
  SetValue(HKEY_LOCAL_MACHINE, key, "ButtonText", REG_SZ, Sz("Other"));
  SetValue(HKEY_LOCAL_MACHINE, key, "Icon", REG_SZ, Sz("C:\\o.ico"));
  SetValue(HKEY_LOCAL_MACHINE, key, "clsid", REG_SZ, Sz(clsid));
}

// What a removal needs around it: the per-user program beside the inspector,
// and a Common Files folder for the copy that Active Setup runs.
void PrepareRemoval(const TempDirectory& folder) {
  using namespace deployment;
  standin::SetModuleFileName(folder.Windows("vorlinde-inspect.exe"));
  testfile::Write(folder.Windows(kAgentFileName), "MZ");
  SetValue(HKEY_LOCAL_MACHINE, browserreg::BelowRoot(kWindowsCurrentVersionKey),
           kCommonFilesDirValue, REG_SZ, Sz(folder.Windows()));
  CreateKey(HKEY_LOCAL_MACHINE, browserreg::BelowRoot(kActiveSetupKey));
}

void SetLayout(const std::string& layout) {
  SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_BINARY, Hex(layout));
}

std::string Layout() {
  return ToHex(GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout").bytes);
}

// Another user at their next logon, with `layout` and no note of what was
// done for anyone before.
void LogOnAsAnotherUser(const std::string& layout) {
  DeleteTree(HKEY_CURRENT_USER, browserreg::BelowRoot(deployment::kUserNoteKey));
  DeleteTree(HKEY_CURRENT_USER, browserreg::BelowRoot(deployment::kUserActiveSetupKey) +
                                    std::string("\\") + PlacementComponent());
  SetLayout(layout);
}

// The agent's Active Setup Version, part by part, as the numbers they are.
std::vector<unsigned long long> AgentVersion() {
  std::istringstream text(GetValue(HKEY_LOCAL_MACHINE,
                                   browserreg::BelowRoot(deployment::kActiveSetupKey) +
                                       std::string("\\") + PlacementComponent(),
                                   deployment::kVersionValue)
                              .bytes.c_str());
  std::vector<unsigned long long> parts;
  for (std::string part; std::getline(text, part, ',');) parts.push_back(std::stoull(part));
  return parts;
}

TEST_F(ReportToolStandInTest, ARemovalAndEachOtherUsersFixUpOnce) {
  const TempDirectory folder;
  PrepareRemoval(folder);
  for (const char* key : kSameClassKeys) AddButton(key, kButton.ButtonClsid);
  AddButton(kOtherClassKey, "{00000000-0000-0000-0000-0000000000AA}");
  RunVorlinde();
  SetLayout(kInstalled);
  TextBuffer out;
  EXPECT_EQ(RemoveButton(out, folder.Windows(deployment::kAgentFileName)), 0) << out.Text();
  EXPECT_EQ(Layout(), kRemoved) << out.Text();
  const std::vector<unsigned long long> firstVersion = AgentVersion();

  // A user whose note cannot be written: nothing changes until it can, so
  // that no layout is fixed twice.
  LogOnAsAnotherUser(kInstalled);
  const std::string userRecord = browserreg::BelowRoot(deployment::kUserNoteKey);
  standin::SetKeyRights(HKEY_CURRENT_USER, userRecord, standin::KeyRights::ReadOnly);
  EXPECT_NE(FixLayout(out), 0) << out.Text();
  EXPECT_EQ(Layout(), kInstalled);
  standin::SetKeyRights(HKEY_CURRENT_USER, userRecord, standin::KeyRights::Full);
  for (int logon = 0; logon < 2; ++logon) EXPECT_EQ(FixLayout(out), 0) << out.Text();
  EXPECT_EQ(Layout(), kRemoved);

  // A user after a button of the class was added: ids as the removal left
  // them no longer hold.
  const std::string added = "{0D000000-0000-0000-0000-00000000000D}";
  AddButton(added, kButton.ButtonClsid);
  LogOnAsAnotherUser(kInstalled);
  for (int logon = 0; logon < 2; ++logon) EXPECT_EQ(FixLayout(out), 1) << out.Text();
  EXPECT_NE(Report(1).find("left this account's layout with the removed button's entries"),
            std::string::npos);
  EXPECT_EQ(Layout(), kInstalled);
  DeleteTree(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + added);

  // A second removal reaches the users fixed after the first.
  RunVorlinde();
  EXPECT_EQ(RemoveButton(out, folder.Windows(deployment::kAgentFileName)), 0) << out.Text();
  EXPECT_GT(AgentVersion(), firstVersion) << out.Text();
}

// The machine part is never written through a link in the key's place: not
// one it sees, nor one whose own key refuses a look (an open by path follows
// that one). On 64-bit Windows the place is the 32-bit view's.
TEST_F(ReportToolStandInTest, TheMachinePartIsNeverWrittenThroughALink) {
  for (const bool windows64 : {false, true}) {
    for (const auto rights : {standin::KeyRights::Full, standin::KeyRights::None}) {
      standin::Reset();
      standin::SetWindows64Bit(windows64);
      const std::string place =
          windows64 ? browserreg::InWow64Node("\\" + kOwnKey).substr(1) : kOwnKey;
      CreateKey(HKEY_LOCAL_MACHINE, "Software\\Victim");
      CreateKey(HKEY_LOCAL_MACHINE, place.substr(0, place.rfind('\\')));
      CreateLink(HKEY_LOCAL_MACHINE, place, "\\REGISTRY\\MACHINE\\Software\\Victim");
      standin::SetKeyRights(HKEY_LOCAL_MACHINE, place, rights);
      TextBuffer out;
      EXPECT_FALSE(WriteMachinePart(out, "C:\\Vorlinde\\", InspectMachinePart)) << out.Text();
      EXPECT_NE(out.Text().find("Step failed: writing the extension key"), std::string::npos);
      EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE, "Software\\Victim", "Exec").exists) << windows64;
    }
  }
}

// Written from the inspector's folder: the key, the agent with a stamp above
// the latest removal's, and no layout; /CheckMachine holds the agent to that.
TEST_F(ReportToolStandInTest, TheMachinePartAloneAndTheAgentsStamp) {
  const TempDirectory folder;
  PrepareRemoval(folder);
  testfile::Write(folder.Windows(kButton.IconFileName), "");
  const std::string removal = browserreg::BelowRoot(deployment::kRemovalKey);
  SetValue(HKEY_LOCAL_MACHINE, removal, deployment::kStampValue, REG_SZ, Sz("2026,1208,1530,0"));
  TextBuffer out;
  EXPECT_EQ(InspectMachineAndAgent(out), 1) << out.Text();
  EXPECT_TRUE(WriteMachinePart(out, folder.Windows() + "\\", InspectMachinePart)) << out.Text();
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
  EXPECT_GT(AgentVersion(), (std::vector<unsigned long long>{2026, 1208, 1530, 0}));
  EXPECT_EQ(InspectMachineAndAgent(out), 0) << out.Text();
  SetValue(HKEY_LOCAL_MACHINE, removal, deployment::kStampValue, REG_SZ, Sz("9999,1231,2359,0"));
  EXPECT_EQ(InspectMachineAndAgent(out), 1) << out.Text();
  EXPECT_NE(out.Text().find("lower than the latest removal's stamp 9999,1231,2359,0"),
            std::string::npos);
}

}  // namespace
