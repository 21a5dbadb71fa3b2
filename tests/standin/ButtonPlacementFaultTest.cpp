// Placement and layout where rights are missing or the registry fails, and
// the order of the calls they make.
#include <gtest/gtest.h>

#include <algorithm>

#include "CommandBarLayout.h"
#include "Exceptions.h"
#include "FailureMessage.h"
#include "LayoutBytes.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kClsid = kButton.ButtonClsid;
const std::string kOwnGuid = kButton.KeyGuid;
const std::string kExtensions = std::string("HKLM\\") + kExtensionsKey;
const char kEarly[] = "{10000000-0000-0000-0000-000000000001}";
const char kLater[] = "{20000000-0000-0000-0000-000000000002}";

void AddButtonKey(const std::string& name) {
  const std::string path = std::string(kExtensionsKey) + "\\" + name;
  SetValue(HKEY_LOCAL_MACHINE, path, "clsid", REG_SZ, Sz(kClsid));
  SetValue(HKEY_LOCAL_MACHINE, path, "ButtonText", REG_SZ, Sz("Other"));
  SetValue(HKEY_LOCAL_MACHINE, path, "Icon", REG_SZ, Sz("o.ico"));
}

StoredValue Layout() { return GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout"); }

std::size_t IndexInLog(const std::string& line) {
  const auto& log = standin::CallLog();
  return static_cast<std::size_t>(std::find(log.begin(), log.end(), line) - log.begin());
}

class ButtonPlacementFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override {
    EXPECT_EQ(standin::OpenKeyCount(), 0) << "a key handle was left open";
    standin::Reset();
  }
};

// A standard user, not virtualized, on a machine an administrator set up:
// reading is enough to give the entry an administrator's run gives.
TEST_F(ButtonPlacementFaultTest, AStandardUserGetsTheAdministratorsEntry) {
  AddButtonKey(kEarly);
  AddButtonKey(kOwnGuid);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "", standin::KeyRights::ReadOnly);
  RunVorlinde();
  EXPECT_EQ(ToHex(Layout().bytes),
            "07 00 00 00 01 01 00 00 11 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 "
            "06 01 00 00 07 01 00 00");
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "", standin::KeyRights::None);
  EXPECT_EQ(CountPrecedingButtons(kOwnGuid, kClsid), -1);
}

TEST_F(ButtonPlacementFaultTest, AKeyThatMayOnlyBeReadIsCounted) {
  AddButtonKey(kEarly);
  AddButtonKey(kLater);
  AddButtonKey(kOwnGuid);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + kEarly,
                        standin::KeyRights::ReadOnly);
  EXPECT_EQ(CountPrecedingButtons(kOwnGuid, kClsid), 2);
}

TEST_F(ButtonPlacementFaultTest, AnUnreadableCompanionKeyCountsAsAbsent) {
  const std::string companion = std::string(kExtensionsKey) + "\\" + kButton.CompanionKeyGuid;
  CreateKey(HKEY_LOCAL_MACHINE, companion);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, companion, standin::KeyRights::ReadOnly);
  EXPECT_TRUE(ProbeCompanionButton(kButton.CompanionKeyGuid)) << "reading is enough";
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, companion, standin::KeyRights::None);
  EXPECT_FALSE(ProbeCompanionButton(kButton.CompanionKeyGuid));
}

TEST_F(ButtonPlacementFaultTest, TheListIsTakenAndClosedBeforeAnyKeyIsExamined) {
  AddButtonKey(kEarly);
  AddButtonKey(kOwnGuid);
  standin::ClearCallLog();
  EXPECT_EQ(CountPrecedingButtons(kOwnGuid, kClsid), 1);
  const std::string early = kExtensions + "\\" + kEarly;
  const std::vector<std::string> expected = {
      "RegOpenKeyExW " + kExtensions + " 0x20009",
      "RegQueryInfoKeyW " + kExtensions,
      "RegEnumKeyExW " + kExtensions,
      "RegEnumKeyExW " + kExtensions,
      "RegCloseKey " + kExtensions,
      "RegOpenKeyExW " + early + " 0x20009",
      "RegQueryValueExW " + early + ":clsid",
      "RegQueryValueExW " + early + ":clsid",
      "RegQueryValueExW " + early + ":ButtonText",
      "RegQueryValueExW " + early + ":Icon",
      "RegCloseKey " + early,
  };
  EXPECT_EQ(standin::CallLog(), expected);
}

TEST_F(ButtonPlacementFaultTest, AnUnreadableClsidFailsThePlacement) {
  AddButtonKey(kEarly);
  AddButtonKey(kOwnGuid);
  standin::FailValueReads("clsid");
  EXPECT_EQ(
      FailureMessage<ERegistryException>([] { PlaceButtonInCommandBar(kOwnGuid, kClsid, 2); }),
      "Fehler beim Holen der Daten f\xC3\xBCr 'clsid'");
  EXPECT_FALSE(Layout().exists);
}

TEST_F(ButtonPlacementFaultTest, ACommandBarKeyThatCannotBeCreatedIsLeftAlone) {
  standin::SetKeyRights(HKEY_CURRENT_USER, "Software", standin::KeyRights::ReadOnly);
  InsertLayoutEntry(2, 16, 1);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
}

TEST_F(ButtonPlacementFaultTest, ARefusedOrFailedLayoutAccessKeepsTheValue) {
  SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_BINARY, Hex("2A 01 00 00"));
  standin::FailValueWrites("ButtonLayout");
  EXPECT_EQ(FailureMessage<ERegistryException>([] { InsertLayoutEntry(2, 16, 1); }),
            "Fehler beim Setzen der Daten f\xC3\xBCr 'ButtonLayout'");
  standin::FailValueReads("ButtonLayout");
  EXPECT_EQ(FailureMessage<ERegistryException>([] { InsertLayoutEntry(2, 16, 1); }),
            "Fehler beim Holen der Daten f\xC3\xBCr 'ButtonLayout'");
  standin::ClearValueFaults();
  EXPECT_EQ(ToHex(Layout().bytes), "2A 01 00 00");
}

TEST_F(ButtonPlacementFaultTest, ArgumentChecksComeBeforeAnyRegistryCall) {
  standin::ClearCallLog();
  EXPECT_THROW(InsertLayoutEntry(2, 15, 1), EAssertionFailed);
  EXPECT_THROW(InsertLayoutEntry(-1, 16, 1), EAssertionFailed);
  EXPECT_THROW(InsertLayoutEntry(2, 256, 1), EAssertionFailed);
  EXPECT_TRUE(standin::CallLog().empty());
}

TEST_F(ButtonPlacementFaultTest, WithoutTheExtensionKeyAStandardUserGetsNoEntry) {
  AddButtonKey(kButton.CompanionKeyGuid);
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "", standin::KeyRights::ReadOnly);
  standin::ClearCallLog();
  RunVorlinde();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + kOwnGuid));
  const std::size_t probe = IndexInLog(
      "RegOpenKeyExW HKLM\\Software\\Microsoft\\Internet "
      "Explorer\\Extensions\\" +
      std::string(kButton.CompanionKeyGuid) + " 0x20009");
  const std::size_t place = IndexInLog("RegOpenKeyExW " + kExtensions + " 0x20009");
  EXPECT_LT(probe, place) << "the probe runs, then the placement";
  EXPECT_LT(place, standin::CallLog().size());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
}

using commandbar::LayoutFound;
using commandbar::LayoutRules;

struct SortCase {
  const char* label;
  standin::KeyRights rights;  // on the CommandBar key
  DWORD type;                 // REG_NONE with no bytes: no value
  std::string bytes;
  LayoutFound asInstallRunSees;
  LayoutFound binaryOnly;
};

// Each value sorted once, never raised, the key left as it stood.
TEST_F(ButtonPlacementFaultTest, TheLayoutReaderSortsWhatItFinds) {
  using F = LayoutFound;
  const auto full = standin::KeyRights::Full;
  const SortCase cases[] = {
      {"no key", full, REG_NONE, "", F::KeyMissing, F::KeyMissing},
      {"refused key", standin::KeyRights::None, REG_BINARY, "", F::KeyRefused, F::KeyRefused},
      {"no value", full, REG_NONE, "", F::ValueMissing, F::ValueMissing},
      {"unreadable", full, REG_BINARY, Hex("2A 01 00 00"), F::Unreadable, F::Unreadable},
      {"text", full, REG_SZ, Sz("x"), F::WrongType, F::WrongType},
      {"number", full, REG_DWORD, std::string(4, '\1'), F::WrongType, F::WrongType},
      {"untyped", full, 0x55, Hex("2A 01 00 00"), F::Bytes, F::WrongType},
      {"2052 bytes", full, REG_BINARY, std::string(2052, '\5'), F::TooLong, F::TooLong},
      {"6 bytes", full, REG_BINARY, Hex("2A 01 00 00 2B 01"), F::PartialEntry, F::PartialEntry},
      {"empty", full, REG_BINARY, "", F::Bytes, F::Bytes},
      {"whole entries", full, REG_BINARY, Hex("2A 01 00 00 2B 01 00 00"), F::Bytes, F::Bytes},
  };
  for (const SortCase& c : cases) {
    standin::Reset();
    if (c.label != std::string("no key")) CreateKey(HKEY_CURRENT_USER, kCommandBarKey);
    if (c.type != REG_NONE)
      SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", c.type, c.bytes);
    standin::SetKeyRights(HKEY_CURRENT_USER, kCommandBarKey, c.rights);
    if (c.asInstallRunSees == F::Unreadable) standin::FailValueReads("ButtonLayout");
    for (const LayoutRules rules : {LayoutRules::InstallRunSorted, LayoutRules::BinaryOnly}) {
      RegistryAccessor registry(RegistryRights::Read);
      const commandbar::LayoutRead read = commandbar::ReadLayout(registry, rules);
      const bool install = rules == LayoutRules::InstallRunSorted;
      EXPECT_EQ(read.found, install ? c.asInstallRunSees : c.binaryOnly) << c.label;
      const bool hasBytes =
          read.found == F::Bytes || read.found == F::TooLong || read.found == F::PartialEntry;
      EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), hasBytes ? c.bytes : "")
          << c.label;
    }
    standin::SetKeyRights(HKEY_CURRENT_USER, kCommandBarKey, full);
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kCommandBarKey), c.label != std::string("no key"));
  }
}

}  // namespace
