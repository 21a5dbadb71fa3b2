// Derived file names, and text files written whole into a scratch directory
// beside this program, on whichever file system the build runs on.
#include <gtest/gtest.h>

#include <cstdint>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "FileTestHelpers.h"
#include "SystemErrorText.h"
#include "TextFile.h"
#include "Win32.h"

namespace {

struct ExtensionCase {
  const char* path;
  const char* suffix;
  const char* expected;
};

TEST(ReplaceExtensionTest, DropsOnlyAnExtensionOfTheLastName) {
  const ExtensionCase cases[] = {
      {"C:\\Setup\\install.exe", "_Button.url", "C:\\Setup\\install_Button.url"},
      {"C:\\Setup\\install.exe", "_TextAndHint.txt", "C:\\Setup\\install_TextAndHint.txt"},
      {"C:\\Setup\\install.new.exe", "_Button.url", "C:\\Setup\\install.new_Button.url"},
      {"C:\\Setup\\install", "_Button.url", "C:\\Setup\\install_Button.url"},
      {"C:\\my.tools\\install", "_Button.url", "C:\\my.tools\\install_Button.url"},
      {"C:\\Setup\\install.", "_Button.url", "C:\\Setup\\install_Button.url"},
      {"C:\\Setup\\install.exe", "_.url", "C:\\Setup\\install_.url"},
      {"C:\\Setup\\install.exe", "", "C:\\Setup\\install"},
  };
  for (const ExtensionCase& c : cases) {
    EXPECT_EQ(ReplaceExtension(c.path, c.suffix), c.expected) << c.path;
  }
}

TEST(ReplaceExtensionTest, ABackslashOrColonAfterTheLastPeriodKeepsThePeriod) {
  const ExtensionCase cases[] = {
      {"C:\\my.tools\\", "_x", "C:\\my.tools\\_x"},
      {"a.b:c", "_x", "a.b:c_x"},
      {"C:install.exe", "_x", "C:install_x"},
      {"C:", "_x", "C:_x"},
      {".exe", "_x", "_x"},
      {"install", "_x", "install_x"},
      {"", "_x", "_x"},
      {"\\\\server\\share.d\\app", "_x", "\\\\server\\share.d\\app_x"},
  };
  for (const ExtensionCase& c : cases) {
    EXPECT_EQ(ReplaceExtension(c.path, c.suffix), c.expected) << c.path;
  }
}

// A scratch directory beside this program, named after the test case.
class TextFileTest : public ::testing::Test {
 protected:
  TextFileTest()
      : directory_(testfile::ExecutableStem() + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name()),
        scratch_({directory_, Name("sub"), Name("file.txt"), Name("held.txt")}) {}

  void SetUp() override { testfile::MakeDirectory(directory_); }

  std::string Name(const std::string& name) const { return directory_ + "\\" + name; }

  // The message of the EFCreateError that writing `name` raises.
  static std::string CreateErrorOf(const std::string& name) {
    return FailureMessage<EFCreateError>([&] { WriteTextFile(name, {"x"}); });
  }

  static std::string CreateMessage(const std::string& fullName, std::uint32_t code) {
    return "Datei \"" + fullName + "\" kann nicht erstellt werden. " + SystemErrorText(code);
  }

  const std::string directory_;
  const testfile::Scratch scratch_;
};

struct BytesCase {
  const char* label;
  std::vector<std::string> lines;
  std::string bytes;
};

TEST_F(TextFileTest, WritesEveryLineWithCrLfAndNothingElse) {
  const BytesCase cases[] = {
      {"no lines: an empty file", {}, ""},
      {"one empty line", {""}, "\r\n"},
      {"one line", {"a"}, "a\r\n"},
      {"shortcut", {"[InternetShortcut]", "URL="}, "[InternetShortcut]\r\nURL=\r\n"},
      {"duplicates stay", {"same", "same"}, "same\r\nsame\r\n"},
      {"breaks inside a line", {"x\ny", "z\r"}, "x\ny\r\nz\r\r\n"},
      {"ANSI bytes unchanged",
       {"B\xFC"
        "cher \x80"},
       "B\xFC"
       "cher \x80\r\n"},
      {"no byte-order mark added", {"\xEF\xBB\xBFx"}, "\xEF\xBB\xBFx\r\n"},
      {"a zero byte is a byte", {std::string("a\0b", 3)}, std::string("a\0b\r\n", 5)},
  };
  for (const BytesCase& c : cases) {
    WriteTextFile(Name("file.txt"), c.lines);
    const testfile::StoredFile stored = testfile::Read(Name("file.txt"));
    EXPECT_TRUE(stored.exists) << c.label;
    EXPECT_EQ(stored.bytes, c.bytes) << c.label;
  }
}

TEST_F(TextFileTest, ReplacesALongerFileWhole) {
  testfile::Write(Name("file.txt"), std::string(5000, 'o'));
  WriteTextFile(Name("file.txt"), {"new"});
  EXPECT_EQ(testfile::Read(Name("file.txt")).bytes, "new\r\n");
  WriteTextFile(Name("file.txt"), {});
  EXPECT_EQ(testfile::Read(Name("file.txt")).bytes, "");
}

TEST_F(TextFileTest, ANameTakenByADirectoryIsRefusedWithItsFullName) {
  testfile::MakeDirectory(Name("sub"));
  EXPECT_EQ(CreateErrorOf(Name("sub")), CreateMessage(Name("sub"), 5));
  // The message shows the name as the system expands it.
  EXPECT_EQ(CreateErrorOf(Name("sub\\.\\..\\sub")), CreateMessage(Name("sub"), 5));
  EXPECT_TRUE(testfile::IsDirectory(Name("sub")));
}

TEST_F(TextFileTest, AFileHeldOpenWithoutSharingIsRefusedAndKept) {
  testfile::Write(Name("held.txt"), "old");
  {
    const testfile::HeldOpen held(Name("held.txt"));
    ASSERT_TRUE(held.valid());
    EXPECT_EQ(CreateErrorOf(Name("held.txt")), CreateMessage(Name("held.txt"), 32));
  }
  EXPECT_EQ(testfile::Read(Name("held.txt")).bytes, "old");
}

TEST_F(TextFileTest, TheWriterSharesNothingEvenWithAReaderThatSharesAll) {
  testfile::Write(Name("held.txt"), "old");
  const ScopedFileHandle reader(CreateFileA(Name("held.txt").c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(reader.valid());
  EXPECT_EQ(CreateErrorOf(Name("held.txt")), CreateMessage(Name("held.txt"), 32));
}

TEST_F(TextFileTest, AMissingDirectoryIsRefused) {
  EXPECT_EQ(CreateErrorOf(Name("missing\\file.txt")), CreateMessage(Name("missing\\file.txt"), 3));
  EXPECT_FALSE(testfile::Exists(Name("missing")));
}

}  // namespace
