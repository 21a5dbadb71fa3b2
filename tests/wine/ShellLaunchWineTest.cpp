// The real shell under Wine: what it hands to the handler registered for
// http, and how it refuses.
#include <gtest/gtest.h>

#include "Exceptions.h"
#include "FileTestHelpers.h"
#include "RecordingUrlHandler.h"
#include "SystemErrorText.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

TEST(ShellLaunchWineTest, TheRegisteredHandlerReceivesTheExactUrl) {
  const RecordingUrlHandler handler;
  OpenTargetUrl(kButton.TargetUrl);
  EXPECT_EQ(handler.WaitForCommandLine(10), handler.CommandLineFor(kButton.TargetUrl));
}

TEST(ShellLaunchWineTest, AMissingDocumentIsRefusedWithTheSystemsReason) {
  const std::string missing = testfile::ExecutableStem() + "_missing.txt";
  ASSERT_FALSE(testfile::Exists(missing));
  try {
    OpenWithShell(missing);
    ADD_FAILURE() << "nothing raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 2u);
    EXPECT_EQ(e.Message(), "Systemfehler.  Code: 2.\r\n" + SystemErrorText(2));
  }
}

}  // namespace
