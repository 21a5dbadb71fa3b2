// The switches on the process command line, and the mode each command line
// runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "CommandLine.h"
#include "FileTestHelpers.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "TempDirectory.h"
#include "VorlindeProgram.h"

namespace {

class CommandLineSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

struct SwitchCase {
  const char* line;
  const char* name;
  bool found;
};

void ExpectSwitches(const std::vector<SwitchCase>& cases) {
  for (const SwitchCase& c : cases) {
    standin::SetCommandLine(c.line);
    EXPECT_EQ(HasCommandLineSwitch(c.name), c.found) << "[" << c.line << "] " << c.name;
  }
}

TEST_F(CommandLineSwitchTest, PrefixesAndLetterCase) {
  ExpectSwitches({
      {"prog /SaveAllToFile", "SaveAllToFile", true},
      {"prog -saveurltofile", "SaveUrlToFile", true},
      {"prog /OPENURL", "OpenUrl", true},
      {"prog -oPeNuRl", "OpenUrl", true},
      {"prog SaveAllToFile", "SaveAllToFile", false},
      {"prog --SaveAllToFile", "SaveAllToFile", false},
      {"prog //OpenUrl", "OpenUrl", false},
  });
}

TEST_F(CommandLineSwitchTest, TheWholeArgumentMustBeTheName) {
  ExpectSwitches({
      {"prog /SaveAllToFile:1", "SaveAllToFile", false},
      {"prog /OpenUrlX", "OpenUrl", false},
      {"prog /Save AllToFile", "SaveAllToFile", false},
      {"prog /quiet", "OpenUrl", false},
      {"prog /quiet /OpenUrl", "OpenUrl", true},
      {"prog /OpenUrl /quiet", "OpenUrl", true},
  });
}

TEST_F(CommandLineSwitchTest, QuotesAroundAllOrPartOfTheSwitch) {
  ExpectSwitches({
      {"prog \"/OpenUrl\"", "OpenUrl", true},
      {"prog /\"OpenUrl\"", "OpenUrl", true},
      {"prog \"/Open\"Url", "OpenUrl", true},
      {"prog \"\" /OpenUrl", "OpenUrl", true},
      {"prog \"/OpenUrl \"", "OpenUrl", false},
      {"prog \"/Open Url\"", "OpenUrl", false},
  });
}

TEST_F(CommandLineSwitchTest, TheFirstTokenIsNeverTested) {
  ExpectSwitches({
      {"/OpenUrl", "OpenUrl", false},
      {"\"/OpenUrl\"", "OpenUrl", false},
      {"\"\" /OpenUrl", "OpenUrl", false},
      {"/OpenUrl /OpenUrl", "OpenUrl", true},
      {"", "OpenUrl", false},
  });
}

// What one run did, seen from outside.
struct Outcome {
  bool shortcut;
  bool caption;
  std::size_t shellCalls;
  bool installed;
  bool operator==(const Outcome& o) const {
    return shortcut == o.shortcut && caption == o.caption && shellCalls == o.shellCalls &&
           installed == o.installed;
  }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return out << "{shortcut " << o.shortcut << ", caption " << o.caption << ", shell calls "
             << o.shellCalls << ", installed " << o.installed << "}";
}

const Outcome kInstall{false, false, 0, true};
const Outcome kSaveAll{true, true, 0, false};
const Outcome kSaveUrl{true, false, 0, false};
const Outcome kOpenUrl{false, false, 1, false};

struct DispatchCase {
  const char* arguments;
  Outcome outcome;
};

class DispatchTest : public CommandLineSwitchTest {
 protected:
  Outcome Run(const std::string& arguments) {
    return RunLine("\"" + temp_.Windows("install.exe") + "\" " + arguments);
  }

  Outcome RunLine(const std::string& line) {
    standin::Reset();
    standin::SetModuleFileName(temp_.Windows("install.exe"));
    standin::SetShellExecuteResult(42, 0);
    testfile::Remove(shortcut_);
    testfile::Remove(caption_);
    standin::SetCommandLine(line);
    RunVorlinde();
    return Outcome{testfile::Exists(shortcut_), testfile::Exists(caption_),
                   standin::ShellCalls().size(),
                   testreg::KeyExists(HKEY_LOCAL_MACHINE, testreg::kExtensionsKey)};
  }

  TempDirectory temp_;
  const std::string shortcut_ = temp_.Windows("install_Button.url");
  const std::string caption_ = temp_.Windows("install_TextAndHint.txt");
};

TEST_F(DispatchTest, EachCommandLineRunsOneMode) {
  const DispatchCase cases[] = {
      {"", kInstall},
      {"/SaveAllToFile", kSaveAll},
      {"-saveurltofile", kSaveUrl},
      {"/OpenUrl", kOpenUrl},
      {"SaveAllToFile", kInstall},
      {"--SaveAllToFile", kInstall},
      {"/SaveAllToFile:1", kInstall},
      {"/Save AllToFile", kInstall},
      {"/quiet", kInstall},
      {"\"/SaveAllToFile\"", kSaveAll},
      {"/\"SaveUrlToFile\"", kSaveUrl},
  };
  ASSERT_TRUE(temp_.valid());
  for (const DispatchCase& c : cases) EXPECT_EQ(Run(c.arguments), c.outcome) << c.arguments;
}

// Characters that code page 1252 lacks and writes as quotes or ASCII
// letters in its "A" form of the line: typed, they are what they are.
TEST_F(DispatchTest, ATypedLineRunsTheModeItNames) {
  const DispatchCase cases[] = {
      {"\"C:\\a\uFF02 -SaveAllToFile \uFF02b\\vorlinde.exe\"", kInstall},
      {"\"C:\\a\u02BA -SaveUrlToFile \u030Eb\\vorlinde.exe\"", kInstall},
      {"p /\uFF33aveAllToFile", kInstall},
      {"p /SaveAllToF\u0130le", kInstall},
      {"\"C:\\\uFF02Neuer Ordner\uFF02\\p.exe\" -OPENURL", kOpenUrl},
  };
  ASSERT_TRUE(temp_.valid());
  for (const DispatchCase& c : cases) EXPECT_EQ(RunLine(c.arguments), c.outcome) << c.arguments;
}

TEST_F(DispatchTest, PriorityIsTheOrderOfTheTestsNotOfTheArguments) {
  const DispatchCase cases[] = {
      {"/OpenUrl /SaveAllToFile", kSaveAll},
      {"/OpenUrl -SaveUrlToFile", kSaveUrl},
      {"/SaveUrlToFile /SaveAllToFile", kSaveAll},
      {"/OpenUrl /SaveUrlToFile /SaveAllToFile", kSaveAll},
      {"/quiet /OpenUrl", kOpenUrl},
  };
  ASSERT_TRUE(temp_.valid());
  for (const DispatchCase& c : cases) EXPECT_EQ(Run(c.arguments), c.outcome) << c.arguments;
}

TEST_F(DispatchTest, TheSameSwitchTwiceRunsItsModeOnce) {
  ASSERT_TRUE(temp_.valid());
  EXPECT_EQ(Run("/OpenUrl -openurl").shellCalls, 1u);
  Run("/SaveUrlToFile /SaveUrlToFile");
  const auto& log = standin::CallLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "CreateFileW " + shortcut_), 1);
}

TEST_F(DispatchTest, SaveUrlLeavesAnExistingCaptionFileAlone) {
  ASSERT_TRUE(temp_.valid());
  testfile::Write(caption_, "old caption");
  standin::SetModuleFileName(temp_.Windows("install.exe"));
  standin::SetCommandLine("prog /SaveUrlToFile");
  RunVorlinde();
  EXPECT_TRUE(testfile::Exists(shortcut_));
  EXPECT_EQ(testfile::Read(caption_).bytes, "old caption");
}

TEST_F(DispatchTest, OpenUrlHandsTheTargetUrlToTheShell) {
  ASSERT_TRUE(temp_.valid());
  Run("/OpenUrl");
  ASSERT_EQ(standin::ShellCalls().size(), 1u);
  EXPECT_EQ(standin::ShellCalls()[0].file, kButton.TargetUrl);
}

}  // namespace
