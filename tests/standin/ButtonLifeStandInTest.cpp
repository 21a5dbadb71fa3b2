// The button's life on a shared machine in one process, threads playing
// processes: Become() puts another user's layout and notes in place, LogOn()
// does what Active Setup does.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "Actions.h"
#include "AgentRegistration.h"
#include "Deployment.h"
#include "FileTestHelpers.h"
#include "InstallCheck.h"
#include "InstallRecord.h"
#include "LayoutBytes.h"
#include "MachinePart.h"
#include "MachineTurn.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "TempDirectory.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "UserNote.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kSetup = deployment::kActiveSetupKey + 1;
const std::string kUserSetup = deployment::kUserActiveSetupKey + 1;
// This machine's component, once an install named it, and the user's copy.
std::string Component() { return kSetup + "\\" + PlacementComponent(); }
std::string UserCopy() { return kUserSetup + "\\" + PlacementComponent(); }
const std::string kNote = deployment::kUserNoteKey + 1;
const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kButton.KeyGuid;
const std::string kPlain = "07 00 00 00 01 01 00 00 03 01 00 00";
const std::string kPlaced = "07 00 00 00 01 01 00 00 12 01 00 00 03 01 00 00";  // ours is 18
const std::string kFour = "07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00 13 01 00 00";

class ButtonLifeStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::Reset();
    // The picture the machine part names, which its check looks for.
    testfile::EnsureExists(ExecutableDirectory() + kButton.IconFileName);
    SetValue(HKEY_LOCAL_MACHINE, deployment::kWindowsCurrentVersionKey + 1,
             deployment::kCommonFilesDirValue, REG_SZ, Sz(folder_.Windows()));
    for (const char* name : {"{0A}", "{0B}", "{F0}", "{F1}"}) AddButton(name);
    SetLayout(kPlain);
  }
  void TearDown() override { standin::Reset(); }

  static void AddButton(const std::string& name, bool icon = true) {
    const std::string key = std::string(kExtensionsKey) + "\\" + name;
    SetValue(HKEY_LOCAL_MACHINE, key, "clsid", REG_SZ, Sz(kButton.ButtonClsid));
    SetValue(HKEY_LOCAL_MACHINE, key, "ButtonText", REG_SZ, Sz("b"));
    if (icon) SetValue(HKEY_LOCAL_MACHINE, key, "Icon", REG_SZ, Sz("i"));
  }
  static void SetLayout(const std::string& hex) {
    SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_BINARY, Hex(hex));
  }
  static std::string Layout() {
    return ToHex(GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout").bytes);
  }
  static std::string Text(HKEY root, const std::string& key, const char* name) {
    const std::string bytes = GetValue(root, key, name).bytes;
    return bytes.empty() ? std::string() : bytes.substr(0, bytes.size() - 1);
  }

  // `name` logs on in place of the current user: their layout and notes as
  // they left them; a new user has `layout` and no notes.
  void Become(const std::string& name, const std::string& layout = kPlain) {
    const std::pair<std::string, const char*> own[] = {
        {kNote, "Stamp"}, {kNote, "InstallStamp"}, {UserCopy(), "Version"}};
    Saved& mine = users_[user_] = {Layout()};
    for (int i = 0; i < 3; ++i) mine[i + 1] = Text(HKEY_CURRENT_USER, own[i].first, own[i].second);
    DeleteTree(HKEY_CURRENT_USER, kNote);
    DeleteTree(HKEY_CURRENT_USER, kUserSetup);  // other machines' copies too
    const Saved saved = users_.emplace(user_ = name, Saved{layout}).first->second;
    SetLayout(saved[0]);
    for (int i = 0; i < 3; ++i) {
      if (!saved[i + 1].empty())
        SetValue(HKEY_CURRENT_USER, own[i].first, own[i].second, REG_SZ, Sz(saved[i + 1]));
    }
  }
  // As the package installs: the machine part alone, no layout touched.
  void Install() {
    const bool fresh = !ButtonCounted();
    RegisterExtensionButton(kButton.KeyGuid, kButton.ButtonCaption, kButton.DefaultVisible,
                            kButton.TargetUrl, kButton.IconFileName, kButton.HotIconFileName,
                            kButton.ButtonClsid);
    RegisterAgent("C:\\agent.exe", fresh);
  }
  // Active Setup at a logon: the agent runs when the machine's Version is higher.
  std::string LogOn() {
    const std::string version = Text(HKEY_LOCAL_MACHINE, Component(), "Version");
    if (EventStamp::Parse(Text(HKEY_CURRENT_USER, UserCopy(), "Version")) <
        EventStamp::Parse(version)) {
      NoTextOut quiet;
      EXPECT_EQ(FixLayout(quiet), 0);
      SetValue(HKEY_CURRENT_USER, UserCopy(), "Version", REG_SZ, Sz(version));
    }
    return Layout();
  }
  static std::string Report(int problems) {
    TextBuffer out;
    EXPECT_EQ(InspectVorlinde(out), problems) << out.Text();
    return out.Text();
  }
  // As the package and /InstallMachinePart write it, with a check that passes.
  bool WriteMachinePartHere(TextOut& out) {
    return WriteMachinePart(out, folder_.Windows() + "\\", [](TextOut&) { return 0; });
  }
  int Remove() {
    out_ = TextBuffer();
    return RemoveButton(out_, standin::WindowsPath("/proc/self/exe"));
  }

  TempDirectory folder_;
  TextBuffer out_;
  using Saved = std::array<std::string, 4>;  // the layout, the note, Active Setup's copy
  std::map<std::string, Saved> users_;
  std::string user_ = "admin";
};

TEST_F(ButtonLifeStandInTest, PlacementAndRemovalReachEveryUserOncePerEvent) {
  Install();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlaced);  // a new user gets the button
  Become("admin");
  Install();  // a repair: the agent runs again and adds nothing
  Become("ann");
  EXPECT_EQ(LogOn(), kPlaced);
  Become("admin");
  EXPECT_EQ(Remove(), 0) << out_.Text();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlain);
  Become("admin");
  Install();  // again: the returning user gets the button back
  Become("ann");
  EXPECT_EQ(LogOn(), kPlaced);
  Become("admin");
  DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde");  // the README's clean-up
  EXPECT_EQ(Remove(), 0) << out_.Text();
  EXPECT_EQ(Layout(), kPlain);
  Become("ann");
  EXPECT_EQ(LogOn(), kPlain);
}

// A removal stopped before it deleted the install record it finished: the
// next install is a new one all the same, and reaches the users again.
TEST_F(ButtonLifeStandInTest, AnInstallRecordLeftByAFinishedRemovalBelongsToNoNewInstall) {
  const std::string record = "SOFTWARE\\Vorlinde\\Install";
  Install();
  std::map<std::string, StoredValue> kept;
  for (const char* name : {"Stamp", "ButtonKeys", "Position", "Adopted"}) {
    kept[name] = GetValue(HKEY_LOCAL_MACHINE, record, name);
  }
  Become("ann");
  ASSERT_EQ(LogOn(), kPlaced);
  Become("admin");
  ASSERT_EQ(Remove(), 0) << out_.Text();
  for (const auto& value : kept) {
    SetValue(HKEY_LOCAL_MACHINE, record, value.first, value.second.type, value.second.bytes);
  }
  Become("ann");
  ASSERT_EQ(LogOn(), kPlain);
  Become("admin");
  Install();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlaced);
}

// A placement or a removal's fix stopped between its layout write and its
// note: the next run finishes it once, whether the write happened or not.
TEST_F(ButtonLifeStandInTest, AnEditStoppedBeforeItsNoteIsMadeOnce) {
  const std::string before = "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 03 01 00 00";
  const std::string placed =
      "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 14 01 00 00 03 01 00 00";
  for (const bool written : {true, false}) {
    SCOPED_TRACE(written ? "the write happened" : "the write did not happen");
    Install();
    Become(written ? "ann" : "bea", before);
    NoTextOut quiet;
    ASSERT_EQ(FixLayout(quiet), 0);
    ASSERT_EQ(Layout(), placed);
    SetValue(HKEY_CURRENT_USER, kNote, "Outcome", REG_SZ, Sz("begun, not finished"));
    SetValue(HKEY_CURRENT_USER, kNote, "LayoutBefore", REG_SZ,
             Sz("0700000010010000120100001301000003010000"));
    if (!written) SetLayout(before);
    EXPECT_EQ(FixLayout(quiet), 0);
    EXPECT_EQ(Layout(), placed);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kNote, "LayoutBefore").bytes, "");
  }
  Become("admin");
  ASSERT_EQ(Remove(), 0) << out_.Text();
  for (const bool written : {true, false}) {  // the removal's fix, stopped alike
    SCOPED_TRACE(written ? "the fix was written" : "the fix was not written");
    Become(written ? "ann" : "bea");
    NoTextOut quiet;
    ASSERT_EQ(FixLayout(quiet), 0);
    ASSERT_EQ(Layout(), before);
    SetValue(HKEY_CURRENT_USER, kNote, "Outcome", REG_SZ, Sz("begun, not finished"));
    SetValue(HKEY_CURRENT_USER, kNote, "LayoutBefore", REG_SZ,
             Sz("070000001001000012010000130100001401000003010000"));
    if (!written) SetLayout(placed);
    EXPECT_EQ(FixLayout(quiet), 0);
    EXPECT_EQ(Layout(), before);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kNote, "LayoutBefore").bytes, "");
  }
}

// Ann's entries name {0A} (16), {F0} (18) and {F1} (19); the install puts
// ours at 18 and moves {F0} and {F1} one up, the removal moves them back.
TEST_F(ButtonLifeStandInTest, EntriesOfOtherButtonsKeepNamingTheirButtons) {
  const std::string before = "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 03 01 00 00";
  const std::string placed =
      "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 14 01 00 00 03 01 00 00";
  const std::string takenOff = "07 00 00 00 10 01 00 00 13 01 00 00 14 01 00 00 03 01 00 00";
  Install();
  Become("ann", before);
  EXPECT_EQ(LogOn(), placed);
  SetLayout(takenOff);  // by hand: a repair keeps it off
  Become("admin");
  Install();
  Become("ann");
  EXPECT_EQ(LogOn(), takenOff);
  Become("bea", before);  // away during the whole install
  Become("admin");
  standin::ClearCallLog();
  ASSERT_EQ(Remove(), 0) << out_.Text();
  const auto& log = standin::CallLog();
  const auto first = [&](const std::string& a, const std::string& b) {
    return std::find_if(log.begin(), log.end(), [&](const std::string& call) {
      return call.find(a) != std::string::npos && call.find(b) != std::string::npos;
    });
  };
  EXPECT_LT(first("RegSetValueExW", "Removal:PlannedStamp"), first("NtDeleteKey", kButton.KeyGuid))
      << "the plan stands before the key goes, so that a stop between them can be finished";
  Become("ann");
  EXPECT_EQ(LogOn(), "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 03 01 00 00");
  Become("bea");
  EXPECT_EQ(LogOn(), before);
  Become("admin");
  Install();  // a new install, then its key made one of another class: listed, not counted
  SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "clsid", REG_SZ,
           Sz("{00000000-0000-0000-0000-00000000000C}"));
  Become("cai", before);
  EXPECT_EQ(LogOn(), before);
}

// An install stopped after its key (its stamp refused) and run again is the
// install it began: Ann's {F0} and {F1} move one up as for an unbroken one.
TEST_F(ButtonLifeStandInTest, AnInstallStoppedAfterItsKeyFinishesAsItBegan) {
  const std::string before = "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 03 01 00 00";
  testfile::Write(folder_.Windows(kButton.IconFileName), "");
  for (const bool stopped : {false, true}) {
    SetUp();
    TextBuffer out;
    if (stopped) {
      standin::FailValueWrites(deployment::kHighestStampValue);
      ASSERT_FALSE(WriteMachinePartHere(out));
      ASSERT_TRUE(ButtonCounted()) << out.Text();
      standin::ClearValueFaults();
    }
    ASSERT_TRUE(WriteMachinePartHere(out)) << out.Text();
    Become(stopped ? "bea" : "ann", before);
    EXPECT_EQ(LogOn(), "07 00 00 00 10 01 00 00 12 01 00 00 13 01 00 00 14 01 00 00 03 01 00 00");
    Become("admin");
  }
}

// Rita's roaming copy carries machine B's later Versions, of its component
// and of the one name every machine's had before: this machine's event still
// reaches her, and neither Version is lowered.
TEST_F(ButtonLifeStandInTest, AnotherMachinesLaterVersionIsNeverLowered) {
  Install();
  Become("rita");
  const std::string other[] = {kUserSetup + "\\Vorlinde.{0B0B0B0B-0B0B-4B0B-8B0B-0B0B0B0B0B0B}",
                               kUserSetup + "\\Vorlinde"};
  for (const std::string& copy : other) {
    SetValue(HKEY_CURRENT_USER, copy, "Version", REG_SZ, Sz("2099,101,1,1"));
  }
  EXPECT_EQ(LogOn(), kPlaced);
  for (const std::string& copy : other) {
    EXPECT_EQ(Text(HKEY_CURRENT_USER, copy, "Version"), "2099,101,1,1");
  }
}

// {0C} comes after the install: no run knows which ids moved.
TEST_F(ButtonLifeStandInTest, ALayoutLeftForChangedKeysIsAProblem) {
  Install();
  AddButton("{0C}");
  TextBuffer out;
  EXPECT_EQ(FixLayout(out), 1) << out.Text();
  EXPECT_NE(out.Text().find(kChangedKeysAdvice), std::string::npos) << out.Text();
  EXPECT_EQ(Layout(), kPlain);
  EXPECT_NE(Report(1).find("The per-user agent left it so"), std::string::npos);
}

TEST_F(ButtonLifeStandInTest, RegistrationTakesTheOldComponentOutOfBothViewsOrSaysItCannot) {
  const std::string plain = kSetup + "\\Vorlinde";
  for (const bool own : {false, true}) {  // off, the one view is the 64-bit one
    standin::SetWindows64Bit(own);
    SetValue(HKEY_LOCAL_MACHINE, plain, "StubPath", REG_SZ, Sz("v.exe"));
  }
  for (const auto rights : {standin::KeyRights::ReadOnly, standin::KeyRights::Full}) {
    standin::SetKeyRights(HKEY_LOCAL_MACHINE, plain, rights);  // the 64-bit view's
    TextBuffer out;
    const bool done = WriteMachinePart(out, folder_.Windows() + "\\", [](TextOut&) { return 0; });
    EXPECT_EQ(done, rights == standin::KeyRights::Full);
    EXPECT_NE(out.Text().find((done ? "Unregistered the Active Setup component "
                                    : "The registry refused to delete ") +
                              ComponentKeyName("Vorlinde") + " (64-bit registry view)"),
              std::string::npos)
        << out.Text();
  }
}

// Sam's roamed old note names no machine, its stamp another machine's; the
// install is adopted (recorded by a repair), so its removal reaches anyone.
TEST_F(ButtonLifeStandInTest, ARoamedOldNoteMarksNoPendingEventOfThisMachineDone) {
  Install();
  DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde\\Install");
  Install();
  ASSERT_EQ(Remove(), 0) << out_.Text();
  Become("sam", kPlaced);
  SetValue(HKEY_CURRENT_USER, deployment::kLegacyUserNoteKey + 1, "Stamp", REG_SZ,
           Sz("2099,101,1,1"));
  EXPECT_NE(Report(0).find("the layout fix is pending"), std::string::npos);
  EXPECT_EQ(LogOn(), kPlain);
}

// The component changes its name and nothing else: Ann's agent runs once
// more under it and adds nothing, and the removal after it still reaches her.
TEST_F(ButtonLifeStandInTest, ARenewedIdentityKeepsEveryUsersPlace) {
  Install();
  Become("ann");
  ASSERT_EQ(LogOn(), kPlaced);
  Become("admin");
  const std::string old = PlacementComponent();
  const StoredValue version = GetValue(HKEY_LOCAL_MACHINE, Component(), "Version");
  TextBuffer out;
  standin::FailValueWrites(deployment::kMachineIdentityValue);  // a stop past the new component
  EXPECT_EQ(RenewIdentity(out), 1);
  standin::ClearValueFaults();
  for (const bool elevated : {false, true}) {
    standin::SetAccount("MACHINE", "admin", elevated);
    EXPECT_EQ(RenewIdentity(out), elevated ? 0 : 1) << out.Text();
    EXPECT_EQ(PlacementComponent() == old, !elevated);
  }
  EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, kSetup), std::vector<std::string>{PlacementComponent()});
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, Component(), "Version").bytes, version.bytes);
  Become("ann");
  DeleteTree(HKEY_CURRENT_USER, UserCopy());  // none stands under the new name
  EXPECT_EQ(LogOn(), kPlaced);
  Become("admin");
  ASSERT_EQ(Remove(), 0) << out_.Text();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlain);
}

TEST_F(ButtonLifeStandInTest, TheReportNamesAnEntryThatAHandRunAdded) {
  Install();
  RunVorlinde();
  TextBuffer out;
  InspectVorlinde(out);
  EXPECT_NE(out.Text().find("never reached this account: a run of vorlinde.exe by hand added it"),
            std::string::npos)
      << out.Text();
}

// Entry by entry the layout grows to 2048 bytes, and never past them.
TEST_F(ButtonLifeStandInTest, APlacementFillsTheLayoutTo2048BytesAndNoFurther) {
  std::string full = "07 00 00 00";
  for (int i = 0; i < 510; ++i) full += " 01 01 00 00";
  Install();
  Become("ann", full);
  EXPECT_EQ(Hex(LogOn()).size(), 2048u);
  full += " 01 01 00 00";
  Become("bea", full);
  TextBuffer out;
  EXPECT_EQ(FixLayout(out), 1);
  EXPECT_EQ(Layout(), full);
  EXPECT_NE(
      out.Text().find("longer than 2048 bytes, the most any tool accepts.\n  What to do: take "
                      "some buttons off"),
      std::string::npos)
      << out.Text();
}

TEST_F(ButtonLifeStandInTest, AClockOnceAheadAndTheCleanUpNeverLowerTheNextStamp) {
  standin::SetClock({2027, 12, 3, 8, 10, 0, 0, 0});
  Install();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlaced);
  Become("admin");
  EXPECT_EQ(Remove(), 0) << out_.Text();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlain);
  Become("admin");
  DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde");  // the README's clean-up
  EXPECT_EQ(Remove(), 0) << "nothing recorded: the component goes";
  standin::SetClock({2026, 12, 3, 8, 10, 0, 0, 0});
  Install();
  Become("ann");
  EXPECT_EQ(LogOn(), kPlaced);
}

TEST_F(ButtonLifeStandInTest, AStampThatCannotBeRaisedStopsTheRemovalBeforeAnythingGoes) {
  Install();
  SetValue(HKEY_LOCAL_MACHINE, Component(), "Version", REG_SZ, Sz("65535,65535,65535,65535"));
  EXPECT_EQ(Remove(), 1);
  EXPECT_NE(out_.Text().find("the value \"Version\" of HKEY_LOCAL_MACHINE\\" + Component() +
                             " is 65535,65535,65535,65535, the highest stamp there is"),
            std::string::npos)
      << out_.Text();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOwnKey));
  EXPECT_EQ(Layout(), kPlain);
}

// Each row damages one value of the record of a removal of id 18 (position
// 2 of 4 keys); a user who has not had it keeps the layout, and hears which
// value. A link in the record's place blocks no placement.
TEST_F(ButtonLifeStandInTest, NothingIsAppliedFromADamagedRemovalRecord) {
  struct Row {
    std::string name;
    DWORD type;  // REG_NONE: the value is deleted
    std::string data;
    std::string what;
  };
  const std::string number = "is not a number (REG_DWORD) from ";
  const Row rows[] = {
      {"RemovedId", REG_SZ, Sz("18"), number + "16 to 255"},
      {"RemovedId", REG_QWORD, std::string("\x12\0\0\0\0\0\0\0", 8), number + "16 to 255"},
      {"RemovedId", REG_BINARY, std::string("\x12\0\0\0", 4), number + "16 to 255"},
      {"RemovedId", REG_NONE, "", "is missing"},
      {"RemovedId", REG_DWORD, std::string("\x07\0\0\0", 4), number + "16 to 255"},
      {"RemovedPosition", REG_DWORD, std::string("\0\0\0\xC0", 4), number + "0 to 4"},
      {"ButtonKeys", REG_MULTI_SZ, Sz("{0A}") + '\0', "is not a list of key names (REG_SZ)"},
      {"Stamp", REG_SZ, Sz("2026,65536,1,1"), "is not a stamp of four numbers below 65536"},
  };
  const std::string record = "SOFTWARE\\Vorlinde\\Removal";
  Install();
  ASSERT_EQ(Remove(), 0) << out_.Text();
  for (const Row& row : rows) {
    const StoredValue sound = GetValue(HKEY_LOCAL_MACHINE, record, row.name);
    if (row.type == REG_NONE) {
      HKEY key = nullptr;
      ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, record.c_str(), 0, KEY_SET_VALUE, &key), 0);
      EXPECT_EQ(RegDeleteValueA(key, row.name.c_str()), 0);
      RegCloseKey(key);
    } else {
      SetValue(HKEY_LOCAL_MACHINE, record, row.name, row.type, row.data);
    }
    Become(row.name + row.data, kPlaced);
    TextBuffer out;
    EXPECT_EQ(FixLayout(out), 1) << row.name;
    EXPECT_NE(out.Text().find("the value \"" + row.name + "\" of HKEY_LOCAL_MACHINE\\" + record +
                              " " + row.what),
              std::string::npos)
        << out.Text();
    EXPECT_EQ(Layout(), kPlaced) << row.name;
    SetValue(HKEY_LOCAL_MACHINE, record, row.name, sound.type, sound.bytes);
  }
  Become("admin");
  Install();
  DeleteTree(HKEY_LOCAL_MACHINE, record);
  CreateLink(HKEY_LOCAL_MACHINE, record, "\\REGISTRY\\MACHINE\\SOFTWARE\\Elsewhere");
  Become("carl");
  EXPECT_EQ(LogOn(), kPlaced);
}

TEST_F(ButtonLifeStandInTest, AnIconThatNamesNoFileIsAProblemYetTheButtonIsPlaced) {
  Install();
  SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Icon", REG_SZ, Sz("C:\\gone\\shop.ico"));
  Become("ann");
  TextBuffer out;
  EXPECT_EQ(FixLayout(out), 1);
  EXPECT_NE(out.Text().find("PROBLEM: the icon file \"C:\\gone\\shop.ico\""), std::string::npos)
      << out.Text();
  EXPECT_EQ(Layout(), kPlaced);
  SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Icon", REG_DWORD, std::string("\1\0\0\0", 4));
  Become("bob");
  EXPECT_EQ(FixLayout(out = TextBuffer()), 1);
  EXPECT_NE(out.Text().find("PROBLEM: the icon file \"\""), std::string::npos) << out.Text();
  EXPECT_EQ(Layout(), kPlaced);
}

// The install routine writes nothing to a CommandBar key this user may only
// read; the note once said "placed" all the same.
TEST_F(ButtonLifeStandInTest, TheNoteSaysWhatThePlacementDid) {
  Install();
  Become("ann");
  standin::SetKeyRights(HKEY_CURRENT_USER, kCommandBarKey, standin::KeyRights::ReadOnly);
  EXPECT_EQ(PlaceButtonInCommandBar(kButton.KeyGuid, kButton.ButtonClsid, 2),
            Placement::LayoutKeyRefused);
  TextBuffer out;
  EXPECT_EQ(FixLayout(out), 1) << out.Text();
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kNote, "Outcome"),
            "left as it is: this account may not change its CommandBar key");
  standin::SetKeyRights(HKEY_CURRENT_USER, kCommandBarKey, standin::KeyRights::Full);
  EXPECT_EQ(Layout(), kPlain);
  EXPECT_EQ(FixLayout(out), 0) << out.Text();
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kNote, "Outcome"), "placed: command id 18 at entry index 2");
  EXPECT_EQ(Layout(), kPlaced);
}

TEST_F(ButtonLifeStandInTest, TwoRunsAtOnceFixALayoutOnce) {
  for (int i = 0; i < 1000; ++i) AddButton("{F2-" + std::to_string(100000 + i) + "}");
  Install();
  ASSERT_EQ(Remove(), 0) << out_.Text();
  const std::string install =
      Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde\\Removal", "InstallStamp");
  for (int round = 0; round < 10; ++round) {
    SetLayout(kFour);
    SetValue(HKEY_CURRENT_USER, kNote, "Stamp", REG_SZ, Sz("1,0,0,0"));  // placed by the install
    SetValue(HKEY_CURRENT_USER, kNote, "InstallStamp", REG_SZ, Sz(install));
    NoTextOut quiet[2];
    std::thread first([&] { FixLayout(quiet[0]); });
    std::thread second([&] { FixLayout(quiet[1]); });
    first.join();
    second.join();
    EXPECT_EQ(Layout(), "07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00") << round;
  }
}

// Our key without an icon, or of another class: listed, not counted. No
// entry goes in for it (16 + 2 is {F0}'s id) and its removal moves no one.
TEST_F(ButtonLifeStandInTest, AKeyThatIsNotCountedIsNotPlacedAndShiftsNoOne) {
  for (const bool icon : {false, true}) {
    AddButton(kButton.KeyGuid, icon);
    if (icon) SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "clsid", REG_SZ, Sz("{0C}"));
    SetLayout(kPlain);
    NoTextOut quiet;
    EXPECT_EQ(FixLayout(quiet), 0);
    EXPECT_EQ(Layout(), kPlain) << icon;
    SetLayout(kFour);
    EXPECT_EQ(Remove(), 0) << out_.Text();
    EXPECT_EQ(Layout(), kFour);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOwnKey));
    EXPECT_NE(out_.Text().find("no other button's id changes"), std::string::npos);
  }
}

// Runs that change the machine part at once, threads playing processes, the
// clock standing still: one at a time, so no stamp is handed out twice and
// the machine has one identity, whichever run comes first.
TEST_F(ButtonLifeStandInTest, RunsThatChangeTheMachinePartTakeTurns) {
  const std::function<int(TextOut&)> writeMachinePart = [this](TextOut& out) {
    return WriteMachinePartHere(out) ? 0 : 1;
  };
  testfile::Write(folder_.Windows(deployment::kAgentFileName), "MZ");
  const std::function<int(TextOut&)> remove = [this](TextOut& out) {
    return RemoveButton(out, folder_.Windows(deployment::kAgentFileName));
  };
  const auto stamp = [](const TextBuffer& out) {
    const std::string text = out.Text();
    const std::size_t at = text.rfind("Version ") + 8;
    return text.substr(at, text.find(')', at) - at);
  };
  for (const bool repair : {true, false}) {  // a repair and /Remove; two first installs
    for (int round = 0; round < 100; ++round) {
      SetUp();
      standin::SetClock({2026, 12, 3, 9, 10, 0, 0, 0});
      TextBuffer out[2];
      if (repair) {
        ASSERT_EQ(writeMachinePart(out[0]), 0) << out[0].Text();
      }
      int exitCodes[2] = {-1, -1};
      std::thread first([&] {  // a little later each round, to meet the second at every step
        std::this_thread::sleep_for(std::chrono::microseconds(200 * (round % 50)));
        exitCodes[0] = writeMachinePart(out[0] = TextBuffer());
      });
      std::thread second([&] { exitCodes[1] = (repair ? remove : writeMachinePart)(out[1]); });
      first.join();
      second.join();
      ASSERT_EQ(exitCodes[0] + exitCodes[1], 0) << out[0].Text() << out[1].Text();
      ASSERT_NE(stamp(out[0]), stamp(out[1])) << out[0].Text() << out[1].Text();
      const std::vector<std::string> components = SubkeyNames(HKEY_LOCAL_MACHINE, kSetup);
      ASSERT_EQ(components, std::vector<std::string>{PlacementComponent()}) << round;
    }
  }
}

// A "Global\" name is anyone's to make first: one that a standard user's
// process made is refused before anything is read, and no such process may
// open the one an elevated run holds.
TEST_F(ButtonLifeStandInTest, NoStandardUserHoldsTheMachinesTurn) {
  const std::string name = deployment::kMachineTurnMutex;
  const std::u16string turnName(name.begin(), name.end());
  const auto asStandardUser = [&] {
    HANDLE made = nullptr;
    std::thread([&] {
      standin::SetThreadElevation(false);
      made = CreateMutexW(nullptr, FALSE, turnName.c_str());
    }).join();
    return made;
  };
  {
    const MachineTurn held;
    TextBuffer out;
    ASSERT_TRUE(held.Held(out, ""));
    EXPECT_EQ(asStandardUser(), nullptr);
  }
  const HANDLE squatted = asStandardUser();
  standin::ClearCallLog();
  EXPECT_EQ(Remove(), 1);
  EXPECT_NE(out_.Text().find("made by an account that is neither Administrators nor SYSTEM"),
            std::string::npos)
      << out_.Text();
  for (const std::string& call : standin::CallLog()) EXPECT_NE(call.rfind("Reg", 0), 0u) << call;
  CloseHandle(squatted);
  EXPECT_EQ(Remove(), 0) << out_.Text();
}

TEST_F(ButtonLifeStandInTest, LinksInOurOwnKeysAreLeftAndAStoppedRemovalFinishes) {
  RunVorlinde();
  CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde");
  SetValue(HKEY_LOCAL_MACHINE, deployment::kStampMarkKey + 1, deployment::kMachineIdentityValue,
           REG_SZ, Sz("{0A0A0A0A-0A0A-4A0A-8A0A-0A0A0A0A0A0A}"));
  SetValue(HKEY_LOCAL_MACHINE, kSetup + "\\Victim\\Below", "StubPath", REG_SZ, Sz("victim"));
  const std::string victim = "\\REGISTRY\\MACHINE\\" + kSetup + "\\Victim";
  const std::pair<std::string, int> links[] = {{"SOFTWARE\\Vorlinde\\Removal", 1},
                                               {Component(), 1},
                                               {kSetup + "\\Vorlinde", 0},
                                               {kSetup + "\\Vorlinde.LayoutFixUp", 0}};
  for (const auto& [link, exitCode] : links) {
    CreateLink(HKEY_LOCAL_MACHINE, link, victim);
    EXPECT_EQ(Remove(), exitCode) << out_.Text();
    EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, kSetup + "\\Victim"),
              std::vector<std::string>{"Below"});
    EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE, kSetup + "\\Victim", "Version").exists) << link;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, link.c_str(), REG_OPTION_OPEN_LINK, DELETE, &key) == 0) {
      NtDeleteKey(key);
      RegCloseKey(key);
    }
  }
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, Component(), "Version"),
            Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorlinde\\Removal", "Stamp"));
  Become("ann", kPlaced);
  EXPECT_EQ(LogOn(), kPlain);
}

TEST_F(ButtonLifeStandInTest, WordsExitCodesAndBothViews) {
  standin::SetWindows64Bit(true);
  SetValue(HKEY_LOCAL_MACHINE, deployment::kWindowsCurrentVersionKey + 1,
           deployment::kCommonFilesDirValue, REG_SZ, Sz(folder_.Windows()));
  Install();
  const std::string components[] = {Component(), kSetup + "\\Vorlinde"};
  standin::SetWindows64Bit(false);  // as a 64-bit reg.exe writes them
  for (const std::string& key : components) {
    SetValue(HKEY_LOCAL_MACHINE, key, "StubPath", REG_SZ, Sz("v.exe"));
  }
  standin::SetWindows64Bit(true);
  LogOn();
  SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_SZ, Sz("text"));
  EXPECT_EQ(Remove(), 1) << "this user's layout is left as it is";
  EXPECT_NE(out_.Text().find("left as it is: it is not binary"), std::string::npos) << out_.Text();
  standin::SetWindows64Bit(false);
  for (const std::string& key : components) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
  standin::SetWindows64Bit(true);
  SetValue(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\{0A}", "clsid", REG_DWORD,
           std::string(4, '\1'));
  EXPECT_EQ(Remove(), 1);
  EXPECT_NE(out_.Text().find("the value \"clsid\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\"
                             "Internet Explorer\\Extensions\\{0A} is not text"),
            std::string::npos)
      << out_.Text();
}

}  // namespace
