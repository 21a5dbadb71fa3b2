// The button's command id and its place in the layout, worked out from the
// extension keys of whichever registry the build runs on.
#include <gtest/gtest.h>

#include <cstdio>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "LayoutBytes.h"
#include "RegistryTestKeys.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kClsid = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";
const std::string kOwnGuid = "{8A918C1D-E123-4E36-B562-5C1519E434CE}";
const std::string kCompanionGuid = "{76577871-04EC-495E-A12B-91F7C3600AFA}";
// Names that come before the own key's name in the registry's order ...
const char kEarly1[] = "{10000000-0000-0000-0000-000000000001}";
const char kEarly2[] = "{20000000-0000-0000-0000-000000000002}";
// ... and one that comes after it.
const char kLate[] = "{F0000000-0000-0000-0000-00000000000F}";

struct ButtonKey {
  DWORD clsidType = REG_SZ;
  std::string clsid = Sz(kClsid);
  bool clsidPresent = true;
  bool buttonText = true;
  bool icon = true;
  bool hotIcon = true;
  bool emptyValues = false;
};

void AddKey(const std::string& name, const ButtonKey& key = ButtonKey()) {
  const std::string path = std::string(kExtensionsKey) + "\\" + name;
  CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key.clsidPresent) SetValue(HKEY_LOCAL_MACHINE, path, "clsid", key.clsidType, key.clsid);
  const DWORD valueType = key.emptyValues ? REG_NONE : REG_SZ;
  const std::string text = key.emptyValues ? "" : Sz("C:\\o.ico");
  if (key.buttonText) SetValue(HKEY_LOCAL_MACHINE, path, "ButtonText", valueType, text);
  if (key.icon) SetValue(HKEY_LOCAL_MACHINE, path, "Icon", valueType, text);
  if (key.hotIcon) SetValue(HKEY_LOCAL_MACHINE, path, "HotIcon", REG_SZ, Sz("C:\\o.ico"));
}

std::string Guid(unsigned number) {
  char text[40];
  std::snprintf(text, sizeof text, "{0%07X-0000-0000-0000-000000000000}", number);
  return text;
}

class ButtonPlacementTest : public RegistryTest {
 protected:
  static StoredValue Layout() {
    return GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout");
  }
  static std::int32_t Count() { return CountPrecedingButtons(kOwnGuid, kClsid); }
};

TEST_F(ButtonPlacementTest, WithoutAnExtensionsKeyTheLayoutIsNotTouched) {
  EXPECT_EQ(Count(), -1);
  PlaceButtonInCommandBar(kOwnGuid, kClsid, 2);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
}

TEST_F(ButtonPlacementTest, CountsOnlyMatchingKeysBeforeTheOwnKey) {
  struct Case {
    const char* label;
    ButtonKey early;
    std::int32_t count;
  };
  ButtonKey lowerCase;
  lowerCase.clsid = Sz("{1fba04ee-3024-11d2-8f1f-0000f87abd16}");
  ButtonKey expandable;
  expandable.clsidType = REG_EXPAND_SZ;
  ButtonKey hotIconOnly;
  hotIconOnly.icon = false;
  ButtonKey noText;
  noText.buttonText = false;
  ButtonKey trailingBlank;
  trailingBlank.clsid = Sz(kClsid + " ");
  ButtonKey noClsid;
  noClsid.clsidPresent = false;
  ButtonKey emptyValues;  // existence is what counts, not type or content
  emptyValues.emptyValues = true;
  ButtonKey otherClass;
  otherClass.clsid = Sz("{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD16}");
  ButtonKey unterminated;  // data without a zero byte keep all their bytes
  unterminated.clsid = kClsid;

  const Case cases[] = {
      {"same clsid", ButtonKey(), 1},
      {"empty text and icon values", emptyValues, 1},
      {"clsid in small letters", lowerCase, 1},
      {"expandable clsid", expandable, 1},
      {"unterminated clsid", unterminated, 1},
      {"HotIcon but no Icon", hotIconOnly, 0},
      {"no ButtonText", noText, 0},
      {"clsid with a trailing blank", trailingBlank, 0},
      {"no clsid", noClsid, 0},
      {"another class", otherClass, 0},
  };
  for (const Case& c : cases) {
    DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
    AddKey(kEarly1, c.early);
    AddKey(kOwnGuid);
    EXPECT_EQ(Count(), c.count) << c.label;
  }
}

// A button of the class whose key name the wide calls alone can hold.
void AddUnicodeKey(const std::vector<WCHAR>& name) {
  std::vector<WCHAR> path = Wide(std::string(kExtensionsKey) + "\\");
  path.insert(path.end() - 1, name.begin(), name.end() - 1);
  for (const char* value : {"clsid", "ButtonText", "Icon"}) {
    SetUnicodeText(HKEY_LOCAL_MACHINE, path, value, value[0] == 'c' ? kClsid : "x");
  }
}

// Before the own key: "{0\u0416...}", beyond the code pages of Western
// Europe, and "B" with a surrogate that has no partner.
TEST_F(ButtonPlacementTest, AKeyNameBeyondTheCodePageIsCounted) {
  AddUnicodeKey(Wide("{0\u0416000002-0000-0000-0000-000000000002}"));
  AddUnicodeKey({'B', 0xD800, 0});
  AddKey(kOwnGuid);
  EXPECT_EQ(Count(), 2);
}

TEST_F(ButtonPlacementTest, TwoMatchingKeysBeforeTheOwnKeyGiveId18) {
  AddKey(kEarly1);
  AddKey(kEarly2);
  AddKey(kOwnGuid);
  AddKey(kLate);
  EXPECT_EQ(Count(), 2);
  PlaceButtonInCommandBar(kOwnGuid, kClsid, 2);
  EXPECT_EQ(ToHex(Layout().bytes.substr(8, 4)), "12 01 00 00");
}

TEST_F(ButtonPlacementTest, KeysAfterTheOwnKeyOrWithoutItNeverCount) {
  AddKey(kOwnGuid);
  AddKey(kLate);
  EXPECT_EQ(Count(), 0) << "own key first";

  DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
  AddKey(kEarly1);
  AddKey(kLate);
  EXPECT_EQ(Count(), 0) << "own key absent";
  // Another name to the registry, which ignores no character.
  AddUnicodeKey(Wide(kOwnGuid + "\xC2\xAD"));
  PlaceButtonInCommandBar(kOwnGuid, kClsid, 2);
  EXPECT_FALSE(Layout().exists) << "no entry for a button that is not installed";
}

TEST_F(ButtonPlacementTest, TheOwnKeyIsFoundInAnyLetterCase) {
  AddKey(kEarly1);
  CreateKey(HKEY_LOCAL_MACHINE,
            std::string(kExtensionsKey) + "\\" + "{8a918c1d-e123-4e36-b562-5c1519e434ce}");
  EXPECT_EQ(Count(), 1);
}

TEST_F(ButtonPlacementTest, AClsidOfTheWrongTypeMakesThePlacementFail) {
  ButtonKey numeric;
  numeric.clsidType = REG_DWORD;
  numeric.clsid = std::string(4, '\0');
  numeric.buttonText = false;  // read first: not hidden by the missing text
  AddKey(kEarly1, numeric);
  AddKey(kOwnGuid);
  SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_BINARY, Hex("2A 01 00 00"));
  EXPECT_EQ(
      FailureMessage<ERegistryException>([] { PlaceButtonInCommandBar(kOwnGuid, kClsid, 2); }),
      "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'clsid'");
  EXPECT_EQ(ToHex(Layout().bytes), "2A 01 00 00");
}

TEST_F(ButtonPlacementTest, IdsStopAtTheLargestThatFitsAnEntry) {
  for (unsigned i = 1; i <= 239; ++i) AddKey(Guid(i));
  AddKey(kOwnGuid);
  PlaceButtonInCommandBar(kOwnGuid, kClsid, 2);
  EXPECT_EQ(ToHex(Layout().bytes.substr(8, 4)), "FF 01 00 00");

  DeleteTree(HKEY_CURRENT_USER, kCommandBarKey);
  AddKey(Guid(240));
  EXPECT_THROW(PlaceButtonInCommandBar(kOwnGuid, kClsid, 2), EAssertionFailed);
  EXPECT_FALSE(Layout().exists);
}

TEST_F(ButtonPlacementTest, TheCompanionKeyDecidesTheIndex) {
  EXPECT_FALSE(ProbeCompanionButton(kCompanionGuid));
  CreateKey(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + kCompanionGuid);
  EXPECT_TRUE(ProbeCompanionButton(kCompanionGuid));
  DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
  CreateKey(HKEY_LOCAL_MACHINE,
            std::string(kExtensionsKey) + "\\{76577871-04ec-495e-a12b-91f7c3600afa}");
  EXPECT_TRUE(ProbeCompanionButton(kCompanionGuid));
}

TEST_F(ButtonPlacementTest, InstallRunPlacesTheButton) {
  const struct {
    bool companion;
    const char* layout;
  } cases[] = {
      {false,
       "07 00 00 00 01 01 00 00 10 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 "
       "07 01 00 00"},
      // The companion is a button too, listed before the own key: id 17.
      {true,
       "07 00 00 00 01 01 00 00 03 01 00 00 11 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 "
       "07 01 00 00"},
  };
  for (const auto& c : cases) {
    DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
    DeleteTree(HKEY_CURRENT_USER, kCommandBarKey);
    if (c.companion) AddKey(kCompanionGuid);
    RunVorlinde();
    EXPECT_EQ(ToHex(Layout().bytes), c.layout) << "companion: " << c.companion;
  }
}

TEST_F(ButtonPlacementTest, ASecondInstallRunAddsASecondEntry) {
  RunVorlinde();
  RunVorlinde();
  EXPECT_EQ(ToHex(Layout().bytes),
            "07 00 00 00 01 01 00 00 10 01 00 00 10 01 00 00 03 01 00 00 04 01 00 00 "
            "05 01 00 00 06 01 00 00 07 01 00 00");
}

}  // namespace
