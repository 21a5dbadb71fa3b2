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
              std::string("Fehler beim Setzen der Daten f\xC3\xBCr '") + order[refused] + "'")
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

TEST_F(ExtensionKeyFaultTest, TheCaptionReadsTheSameOnEveryCodePage) {
  for (const UINT codePage : {1252u, 932u}) {
    standin::Reset();
    standin::SetAnsiCodePage(codePage);
    RunVorlinde();
    EXPECT_EQ(UnicodeText(HKEY_LOCAL_MACHINE, kOwnKey, "ButtonText"),
              "Lindwurm B\xC3\xBC"
              "cher")
        << codePage;
  }
}

TEST_F(ExtensionKeyFaultTest, AFolderNameBeyondTheCodePageIsKeptWhole) {
  // "\u0141ukasz" and "\u041A\u043D\u043E\u043F\u043A\u0430" in UTF-8; 0x81 and 0x9A,
  // the second bytes of their first letters, are lead bytes in code page 932.
  const std::string folders[] = {"C:\\\xC5\x81ukasz\\",
                                 "C:\\\xD0\x9A\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0\\"};
  for (const UINT codePage : {1252u, 932u}) {
    standin::SetAnsiCodePage(codePage);
    for (const std::string& folder : folders) {
      standin::SetModuleFileName(folder + "vorlinde.exe");
      EXPECT_EQ(ExecutableDirectory(), folder) << codePage;
      RegisterExtensionButton("{G}", "t", "YES", "u", "a.ico", "b.ico", "c");
      EXPECT_EQ(UnicodeText(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\{G}", "Icon"),
                folder + "a.ico")
          << codePage;
    }
  }
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
