// The real vorlinde.exe, started under Wine with a command line: which mode
// runs, what it leaves beside itself, and what it leaves in the registry.
#include <gtest/gtest.h>

#include "FileTestHelpers.h"
#include "RecordingUrlHandler.h"
#include "RegistryTestKeys.h"
#include "ScopedHandle.h"
#include "VorlindeProgram.h"
#include "Win32.h"

using namespace testreg;

namespace {

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type invalid() { return nullptr; }
  static void close(Type handle) { CloseHandle(handle); }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// The built program, as Wine sees it from its drive Z:.
std::string BuiltProgram() {
  std::string path = "Z:" VORLINDE_PROGRAM_FILE;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kButton.KeyGuid;

// A copy of the program in a directory of its own, so that the files it
// writes beside itself are the test's alone.
class ProgramRunWineTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    testfile::MakeDirectory(directory_);
    ASSERT_TRUE(CopyFileA(BuiltProgram().c_str(), program_.c_str(), FALSE))
        << BuiltProgram() << ": error " << GetLastError();
  }

  // Runs the program with `arguments` and answers its exit code.
  DWORD Run(const std::string& arguments) {
    std::string commandLine = "\"" + program_ + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
      ADD_FAILURE() << "cannot start " << program_ << ": error " << GetLastError();
      return 0xFFFFFFFFu;
    }
    const ScopedKernelHandle process(started.hProcess);
    const ScopedKernelHandle thread(started.hThread);
    EXPECT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0) << arguments;
    DWORD exitCode = 0xFFFFFFFFu;
    GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
  }

  const std::string directory_ = testfile::ExecutableStem() + "_run";
  const std::string program_ = directory_ + "\\vorlinde.exe";
  const std::string shortcut_ = directory_ + "\\vorlinde_Button.url";
  const std::string caption_ = directory_ + "\\vorlinde_TextAndHint.txt";
  const testfile::Scratch scratch_{{directory_, program_, shortcut_, caption_}};
  // Should a run open the URL, the recorder gets it, not a browser.
  const RecordingUrlHandler handler_;
};

const std::string kShortcutBytes =
    std::string("[InternetShortcut]\r\nURL=") + kButton.TargetUrl + "\r\n";
const std::string kCaptionBytes = std::string(kButton.ButtonCaption) + "\r\n";

TEST_F(ProgramRunWineTest, SaveAllWritesBothFilesAndNoRegistryKey) {
  EXPECT_EQ(Run("/SaveAllToFile"), 0u);
  EXPECT_EQ(testfile::Read(shortcut_).bytes, kShortcutBytes);
  EXPECT_EQ(testfile::Read(caption_).bytes, kCaptionBytes);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
}

TEST_F(ProgramRunWineTest, SaveUrlWritesTheShortcutOnly) {
  testfile::Write(caption_, "old caption");
  testfile::Write(shortcut_, std::string(500, 'o'));
  EXPECT_EQ(Run("-saveurltofile"), 0u);
  EXPECT_EQ(testfile::Read(shortcut_).bytes, kShortcutBytes);
  EXPECT_EQ(testfile::Read(caption_).bytes, "old caption");
}

struct ModeCase {
  const char* arguments;
  bool shortcut;
  bool caption;
  bool installed;
};

TEST_F(ProgramRunWineTest, TheCommandLineSelectsOneMode) {
  const ModeCase cases[] = {
      {"", false, false, true},
      {"\"/SaveAllToFile\"", true, true, false},
      {"/OpenUrl /SaveAllToFile", true, true, false},
      {"/OpenUrl /\"SaveUrlToFile\"", true, false, false},
      {"/SaveAllToFile:1 --SaveUrlToFile /quiet", false, false, true},
  };
  for (const ModeCase& c : cases) {
    testfile::Remove(shortcut_);
    testfile::Remove(caption_);
    DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
    EXPECT_EQ(Run(c.arguments), 0u) << c.arguments;
    EXPECT_EQ(testfile::Exists(shortcut_), c.shortcut) << c.arguments;
    EXPECT_EQ(testfile::Exists(caption_), c.caption) << c.arguments;
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kOwnKey), c.installed) << c.arguments;
  }
}

TEST_F(ProgramRunWineTest, OpenUrlHandsTheExecValueToTheHandler) {
  EXPECT_EQ(Run(""), 0u);
  const StoredValue exec = GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec");
  ASSERT_TRUE(exec.exists);
  const std::string url = exec.bytes.substr(0, exec.bytes.find('\0'));
  EXPECT_EQ(Run("/OpenUrl"), 0u);
  EXPECT_EQ(handler_.WaitForCommandLine(10), handler_.CommandLineFor(url));
  EXPECT_FALSE(testfile::Exists(shortcut_));
}

TEST_F(ProgramRunWineTest, ARefusedFileEndsTheRunSilently) {
  testfile::MakeDirectory(shortcut_);
  EXPECT_EQ(Run("/SaveAllToFile"), 0u);
  EXPECT_FALSE(testfile::Exists(caption_)) << "the caption file comes only after the shortcut";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));
}

}  // namespace
