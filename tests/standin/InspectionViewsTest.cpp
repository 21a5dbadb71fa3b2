// The install run and the inspector on 64-bit Windows, which only the
// stand-in can play in a 32-bit test program: the machine's SOFTWARE key
// shows this program its 32-bit view, WOW6432Node.
#include <gtest/gtest.h>

#include <sstream>

#include "InstallCheck.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

class InspectionViewsTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

TEST_F(InspectionViewsTest, AnInstallOn64BitWindowsStandsInThe32BitViewOnly) {
  standin::SetWindows64Bit(true);
  RunVorlinde();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                        std::string("SOFTWARE\\WOW6432Node\\Microsoft\\Internet Explorer\\"
                                    "Extensions\\") +
                            kButton.KeyGuid));
  std::ostringstream out;
  EXPECT_EQ(InspectVorlinde(out), 0) << out.str();
  EXPECT_NE(out.str().find("Registry views (64-bit Windows; vorlinde.exe, a 32-bit program, "
                           "writes to the 32-bit view)\n"
                           "  32-bit view (WOW6432Node)  extension key present, command id 16\n"
                           "  64-bit view                extension key missing, command id "
                           "unknown (no Extensions key opens with full access)\n"),
            std::string::npos)
      << out.str();
}

}  // namespace
