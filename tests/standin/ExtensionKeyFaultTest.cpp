// Registration and the install run where rights are missing, writes fail or
// the executable lies somewhere only the stand-in can put it.
#include <gtest/gtest.h>

#include "Exceptions.h"
#include "ExecutablePath.h"
#include "FailureMessage.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kButton.KeyGuid;

class ExtensionKeyFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

bool Register() {
  return RegisterExtensionButton(kButton.KeyGuid, kButton.ButtonCaption, kButton.DefaultVisible,
                                 kButton.TargetUrl, kButton.IconFileName, kButton.HotIconFileName,
                                 kButton.ButtonClsid);
}

TEST_F(ExtensionKeyFaultTest, WithoutTheRightToCreateTheKeyNothingIsWritten) {
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, "", standin::KeyRights::ReadOnly);
  EXPECT_FALSE(Register());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));
  EXPECT_EQ(standin::OpenKeyCount(), 0);
}

TEST_F(ExtensionKeyFaultTest, ARefusedWriteKeepsTheEarlierValuesAndClosesTheKey) {
  const char* order[] = {"", "ButtonText", "Default Visible", "Exec", "Icon", "HotIcon", "clsid"};
  for (int refused = 0; refused < 7; ++refused) {
    standin::Reset();
    standin::FailValueWrites(order[refused]);
    EXPECT_EQ(FailureMessage<ERegistryException>(Register),
              std::string("Fehler beim Setzen der Daten f\xFCr '") + order[refused] + "'")
        << "refused " << order[refused];
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, order[i]).exists, i < refused)
          << "refused " << order[refused] << ", value " << order[i];
    }
    EXPECT_EQ(standin::OpenKeyCount(), 0);
  }
}

TEST_F(ExtensionKeyFaultTest, InstallRunStaysSilentWhenAWriteIsRefused) {
  standin::FailValueWrites("Icon");
  standin::ClearCallLog();
  RunVorlinde();
  EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec").exists);
  EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Icon").exists);
  EXPECT_EQ(standin::OpenKeyCount(), 0);
  // The run ended at the refused write: nothing under the user's hive.
  for (const std::string& call : standin::CallLog()) {
    EXPECT_EQ(call.find("HKCU"), std::string::npos) << call;
  }
}

TEST_F(ExtensionKeyFaultTest, IconPathsFollowTheExecutablesDirectory) {
  standin::SetModuleFileName("C:\\Tools\\setup.exe");
  EXPECT_EQ(ExecutableDirectory(), "C:\\Tools\\");
  RegisterExtensionButton("{G}", "t", "YES", "u", "a.ico", "b.ico", "c");
  const std::string key = std::string(kExtensionsKey) + "\\{G}";
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, key, "Icon").bytes, Sz("C:\\Tools\\a.ico"));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, key, "HotIcon").bytes, Sz("C:\\Tools\\b.ico"));
}

TEST_F(ExtensionKeyFaultTest, ATrailByteIsNeverTakenForABackslashOrColon) {
  standin::SetAnsiCodePage(932);
  // 0x95 0x5C and 0x83 0x3A are single characters whose second byte looks
  // like "\" and ":".
  standin::SetModuleFileName("C:\\\x95\x5C\\x\x83\x3A.exe");
  EXPECT_EQ(ExecutableDirectory(), "C:\\\x95\x5C\\");
  standin::SetModuleFileName("C:\\dir\\\x95\x5C");
  EXPECT_EQ(ExecutableDirectory(), "C:\\dir\\");
  standin::SetAnsiCodePage(1252);
  EXPECT_EQ(ExecutableDirectory(), "C:\\dir\\\x95\\");
}

TEST_F(ExtensionKeyFaultTest, APathThatCannotBeTakenWholeLeavesTheRegistryAlone) {
  const std::string longest = "C:\\" + std::string(254, 'd') + ".exe";  // 261 characters
  standin::SetModuleFileName(longest);
  EXPECT_THROW(ExecutablePath(), EOSError);
  standin::ClearCallLog();
  RunVorlinde();
  // Not a single registry call: no half-written key, and no placement.
  EXPECT_EQ(standin::CallLog(), std::vector<std::string>());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));

  standin::SetModuleFileName(longest.substr(0, 260));  // fits with its terminator
  EXPECT_EQ(ExecutablePath(), longest.substr(0, 260));

  standin::SetModuleFileName("");  // no path at all: the system says why
  SetLastError(0);
  EXPECT_EQ(FailureMessage<EOSError>(ExecutablePath),
            "Systemfehler.  Code: 126.\r\nThe specified module could not be found");
}

}  // namespace
