// The inspector where only the stand-in can take it: on a 64-bit system,
// where the machine's SOFTWARE key shows this 32-bit program its 32-bit
// view; and with a redirected copy that the registry refuses to delete.
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

}  // namespace
