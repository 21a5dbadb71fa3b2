// The two files for an executable wherever only the stand-in can put it, and
// the save modes when writing fails.
#include <gtest/gtest.h>

#include <algorithm>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "FileTestHelpers.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "TempDirectory.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

class SideModesFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::Reset();
    ASSERT_TRUE(temp_.valid());
    standin::SetModuleFileName(temp_.Windows("install.exe"));
  }
  void TearDown() override { standin::Reset(); }

  TempDirectory temp_;
  const std::string shortcut_ = temp_.Windows("install_Button.url");
  const std::string caption_ = temp_.Windows("install_TextAndHint.txt");
};

// The name the routine tried to create: the first file call it made.
std::string CreatedName(void (*save)()) {
  standin::ClearCallLog();
  try {
    save();
  } catch (const EFCreateError&) {
    // C: is no drive of the stand-in; only the name matters here.
  }
  const auto& log = standin::CallLog();
  const auto found = std::find_if(log.begin(), log.end(), [](const std::string& line) {
    return line.rfind("CreateFileW ", 0) == 0;
  });
  return found == log.end() ? "(no file created)" : found->substr(12);
}

struct NameCase {
  const char* executable;
  const char* shortcut;
  const char* caption;
};

TEST_F(SideModesFaultTest, FileNamesFollowTheExecutable) {
  const NameCase cases[] = {
      {"C:\\Setup\\install.exe", "C:\\Setup\\install_Button.url",
       "C:\\Setup\\install_TextAndHint.txt"},
      {"C:\\Setup\\install.new.exe", "C:\\Setup\\install.new_Button.url",
       "C:\\Setup\\install.new_TextAndHint.txt"},
      {"C:\\Setup\\install", "C:\\Setup\\install_Button.url", "C:\\Setup\\install_TextAndHint.txt"},
      {"C:\\my.tools\\install", "C:\\my.tools\\install_Button.url",
       "C:\\my.tools\\install_TextAndHint.txt"},
      {"C:\\Setup\\install.", "C:\\Setup\\install_Button.url",
       "C:\\Setup\\install_TextAndHint.txt"},
  };
  for (const NameCase& c : cases) {
    standin::SetModuleFileName(c.executable);
    EXPECT_EQ(CreatedName([] { SaveShortcutFile("u", "Button"); }), c.shortcut) << c.executable;
    EXPECT_EQ(CreatedName([] { SaveCaptionFile("t"); }), c.caption) << c.executable;
  }
}

// "\u0141ukasz" and "\u041A\u043D\u043E\u043F\u043A\u0430", which code page 1252 cannot hold.
TEST_F(SideModesFaultTest, AFolderNameBeyondTheCodePageGetsBothFiles) {
  for (const std::string folder :
       {"\xC5\x81ukasz", "\xD0\x9A\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0"}) {
    const std::string dir = temp_.Windows(folder);
    const testfile::Scratch scratch(
        {dir, dir + "\\install_Button.url", dir + "\\install_TextAndHint.txt"});
    testfile::MakeDirectory(dir);
    standin::SetModuleFileName(dir + "\\install.exe");
    standin::SetCommandLine("install.exe /SaveAllToFile");
    RunVorlinde();
    EXPECT_TRUE(testfile::Exists(dir + "\\install_Button.url")) << folder;
    EXPECT_EQ(testfile::Read(dir + "\\install_TextAndHint.txt").bytes,
              "Lindwurm B\xFC"
              "cher\r\n")
        << folder;
  }
}

TEST_F(SideModesFaultTest, TheRefusedNameIsTheFullOneInTheMessage) {
  standin::SetModuleFileName("C:\\Setup\\install.exe");
  EXPECT_EQ(FailureMessage<EFCreateError>([] { SaveShortcutFile("u", "Button"); }),
            "Datei \"C:\\Setup\\install_Button.url\" kann nicht erstellt "
            "werden. The system cannot find the path specified");
}

TEST_F(SideModesFaultTest, SaveAllWritesBothFilesAndTouchesNoKey) {
  standin::SetCommandLine("install.exe /SaveAllToFile");
  standin::ClearCallLog();
  RunVorlinde();
  EXPECT_EQ(testfile::Read(shortcut_).bytes,
            std::string("[InternetShortcut]\r\nURL=") + kButton.TargetUrl + "\r\n");
  EXPECT_EQ(testfile::Read(caption_).bytes,
            "Lindwurm B\xFC"
            "cher\r\n");
  for (const std::string& call : standin::CallLog()) {
    EXPECT_NE(call.rfind("Reg", 0), 0u) << call;
  }
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, testreg::kExtensionsKey));
}

TEST_F(SideModesFaultTest, AFailedShortcutMeansNoCaptionFile) {
  const struct {
    const char* label;
    void (*fault)(const std::string& shortcut);
    bool shortcutLeft;
  } cases[] = {
      {"directory at the name", [](const std::string& s) { testfile::MakeDirectory(s); }, false},
      {"refused write", [](const std::string&) { standin::FailFileWrites(ERROR_DISK_FULL); }, true},
      {"short write", [](const std::string&) { standin::LimitFileWrites(5); }, true},
  };
  for (const auto& c : cases) {
    testfile::Remove(shortcut_);
    c.fault(shortcut_);
    standin::SetCommandLine("install.exe /SaveAllToFile");
    RunVorlinde();
    standin::FailFileWrites(0);
    standin::LimitFileWrites(-1);
    EXPECT_FALSE(testfile::Exists(caption_)) << c.label;
    EXPECT_EQ(testfile::Exists(shortcut_) && !testfile::IsDirectory(shortcut_), c.shortcutLeft)
        << c.label;
    EXPECT_EQ(standin::OpenFileCount(), 0) << c.label;
  }
}

TEST_F(SideModesFaultTest, AFailedCaptionKeepsTheShortcut) {
  testfile::MakeDirectory(caption_);
  standin::SetCommandLine("install.exe -SAVEALLTOFILE");
  RunVorlinde();
  EXPECT_TRUE(testfile::Read(shortcut_).exists);
  EXPECT_TRUE(testfile::IsDirectory(caption_));
}

}  // namespace
