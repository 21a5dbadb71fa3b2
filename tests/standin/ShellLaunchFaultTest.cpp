// Handing the URL to the shell, with the shell's answers set by the test.
#include <gtest/gtest.h>

#include <cstdint>

#include "Exceptions.h"
#include "StandInControl.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

class ShellLaunchFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

struct AnswerCase {
  std::uintptr_t result;
  DWORD lastError;
  bool accepted;
};

TEST_F(ShellLaunchFaultTest, AboveThirtyTwoIsAcceptedWhateverTheLastError) {
  const AnswerCase cases[] = {
      {33, 0, true},
      {42, ERROR_FILE_NOT_FOUND, true},
      {0xFFFFFFFFu, 0, true},  // unsigned: no negative refusal
      {32, ERROR_SHARING_VIOLATION, false},
      {31, ERROR_NO_ASSOCIATION, false},
      {2, ERROR_FILE_NOT_FOUND, false},
      {0, ERROR_NOT_ENOUGH_MEMORY, false},
      // Only the low 32 bits carry the answer.
      {static_cast<std::uintptr_t>(0x100000020ull), ERROR_ACCESS_DENIED, false},
  };
  for (const AnswerCase& c : cases) {
    standin::SetShellExecuteResult(c.result, c.lastError);
    bool accepted = true;
    try {
      OpenTargetUrl("http://a.example/");
    } catch (const EOSError& e) {
      accepted = false;
      EXPECT_EQ(e.ErrorCode(), c.lastError) << c.result;
    }
    EXPECT_EQ(accepted, c.accepted) << c.result;
  }
}

struct RefusalCase {
  DWORD lastError;
  std::string message;
};

TEST_F(ShellLaunchFaultTest, ARefusalReportsTheLastErrorNotTheResult) {
  const RefusalCase cases[] = {
      {2, "Systemfehler.  Code: 2.\r\nThe system cannot find the file specified"},
      {0, "Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen"},
      {0x20001234u, "Systemfehler.  Code: 536875572.\r\n"},
      {0x80004005u, "Systemfehler.  Code: -2147467259.\r\n"},
  };
  for (const RefusalCase& c : cases) {
    standin::SetShellExecuteResult(5, c.lastError);
    try {
      OpenWithShell("x");
      ADD_FAILURE() << "nothing raised for " << c.lastError;
    } catch (const EOSError& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(e.ErrorCode(), c.lastError);
    }
  }
}

TEST_F(ShellLaunchFaultTest, AMachineWithoutHandlerRefusesWithNoAssociation) {
  try {
    OpenTargetUrl(kButton.TargetUrl);
    ADD_FAILURE() << "nothing raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_NO_ASSOCIATION);
    EXPECT_EQ(e.Message(),
              "Systemfehler.  Code: 1155.\r\n"
              "No application is associated with the specified file for this operation");
  }
}

TEST_F(ShellLaunchFaultTest, TheTargetGoesUnchangedToTheDefaultVerb) {
  for (const std::string& target :
       {std::string(kButton.TargetUrl), std::string(""), std::string("C:\\a b\\doc \"x\".txt")}) {
    standin::Reset();
    standin::SetShellExecuteResult(42, 0);
    OpenTargetUrl(target);
    ASSERT_EQ(standin::ShellCalls().size(), 1u);
    const standin::ShellCall& call = standin::ShellCalls()[0];
    EXPECT_EQ(call.file, target) << "never a null pointer, even when empty";
    EXPECT_EQ(call.operation, "(null)");
    EXPECT_EQ(call.parameters, "(null)");
    EXPECT_EQ(call.directory, "(null)");
    EXPECT_EQ(call.showCommand, SW_SHOWNORMAL);
    EXPECT_TRUE(call.windowIsNull);
  }
}

TEST_F(ShellLaunchFaultTest, OpenUrlModeLoadsTheShellForTheCallAloneAndIsSilentWhenRefused) {
  standin::SetShellExecuteResult(32, ERROR_ACCESS_DENIED);
  standin::SetCommandLine("prog /OpenUrl");
  standin::ClearCallLog();
  RunVorlinde();
  EXPECT_EQ(standin::CallLog(),
            (std::vector<std::string>{
                std::string("LoadLibraryExA ") + standin::kSystemDirectory + "\\ole32.dll",
                std::string("LoadLibraryExA ") + standin::kSystemDirectory + "\\shell32.dll",
                std::string("ShellExecuteA ") + kButton.TargetUrl, "FreeLibrary shell32.dll",
                "FreeLibrary ole32.dll"}));
}

TEST_F(ShellLaunchFaultTest, AShellThatCannotBeLoadedFailsLikeARefusal) {
  standin::SetShellExecuteResult(42, 0);
  standin::FailLibraryLoads("shell32.dll", ERROR_MOD_NOT_FOUND);
  try {
    OpenTargetUrl(kButton.TargetUrl);
    ADD_FAILURE() << "nothing raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_MOD_NOT_FOUND);
  }
  EXPECT_TRUE(standin::ShellCalls().empty());
}

}  // namespace
