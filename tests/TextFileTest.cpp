// Derived file names, and text files written whole into a scratch directory
// beside this program, on whichever file system the build runs on; standard
// output redirected to such a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "FileTestHelpers.h"
#include "StandardOutput.h"
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

struct ConversionCase {
  UINT codePage;
  DWORD flags;
  std::string bytes;
  std::u16string text;  // empty: the conversion fails with `error`
  DWORD error;
};

std::basic_string<WCHAR> Wide(const std::u16string& text) {
  return std::basic_string<WCHAR>(text.begin(), text.end());
}

// What standard output relies on, checked against the system's own calls.
TEST(CodePageConversionTest, BothWaysAsTheSystemConverts) {
  const ConversionCase cases[] = {
      {1252, 0, "\x80\x81\x8A\x9F\xA0\xFF", u"\u20AC\u0081\u0160\u0178\u00A0\u00FF", 0},
      {CP_UTF8, 0, "B\xC3\xBC\xF0\x9F\x93\x9A", u"B\u00FC\U0001F4DA", 0},
      {CP_UTF8, 0,
       "\xC3"
       "a\xE2\x82"
       "b\xF5",
       u"\uFFFDa\uFFFDb\uFFFD", 0},
      {CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3", u"", ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const ConversionCase& c : cases) {
    const auto count = static_cast<int>(c.bytes.size());
    const int length = MultiByteToWideChar(c.codePage, c.flags, c.bytes.data(), count, nullptr, 0);
    std::basic_string<WCHAR> text(static_cast<std::size_t>(std::max(length, 0)), WCHAR{});
    if (length > 0) {
      EXPECT_EQ(MultiByteToWideChar(c.codePage, c.flags, c.bytes.data(), count, &text[0], length),
                length);
      // Back again, where the bytes were well-formed.
      std::string back(c.bytes.size(), '\0');
      if (c.text.find(u'\uFFFD') == std::u16string::npos) {
        EXPECT_EQ(WideCharToMultiByte(c.codePage, 0, text.data(), length, &back[0], count, nullptr,
                                      nullptr),
                  count);
        EXPECT_EQ(back, c.bytes);
      }
    } else {
      EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(text, Wide(c.text)) << c.bytes;
  }
  // What the code page lacks becomes the default character; a lone
  // surrogate in UTF-8 becomes U+FFFD, or fails.
  const std::basic_string<WCHAR> odd = Wide(u"\u20AC\u4E00\xD800");
  char bytes[12] = {};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, odd.data(), 3, bytes, 12, nullptr,
                                &usedDefault),
            3);
  EXPECT_EQ(std::string(bytes, 3), "\x80??");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, odd.data(), 3, bytes, 12, nullptr, nullptr), 9);
  EXPECT_EQ(std::string(bytes, 9), "\xE2\x82\xAC\xE4\xB8\x80\xEF\xBF\xBD");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, odd.data(), 3, bytes, 12, nullptr,
                                nullptr),
            0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

struct OutputCase {
  const char* text;  // as the program holds it: UTF-8
  const char* utf8;
};

// As a shell's ">" redirects it: no console, so UTF-8, line ends untouched.
TEST_F(TextFileTest, StandardOutputToAFileIsUtf8WithoutAByteOrderMark) {
  const OutputCase cases[] = {
      {"Lindwurm B\xC3\xBC"
       "cher \xE2\x82\xAC\r\n",
       "Lindwurm B\xC3\xBC"
       "cher \xE2\x82\xAC\r\n"},
      {"B\xFC"
       "cher",
       "B\xEF\xBF\xBD"
       "cher"},                            // not UTF-8: the replacement character
      {"B\xED\xA0\x80", "B\xEF\xBF\xBD"},  // a name's lone surrogate: the same
      {"", ""},
  };
  const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
  for (const OutputCase& c : cases) {
    {
      const ScopedFileHandle file(CreateFileA(Name("file.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(file.valid());
      SetStdHandle(STD_OUTPUT_HANDLE, file.get());
      const bool whole = WriteStandardOutput(c.text);
      SetStdHandle(STD_OUTPUT_HANDLE, saved);
      EXPECT_TRUE(whole) << c.text;
    }
    EXPECT_EQ(testfile::Read(Name("file.txt")).bytes, c.utf8) << c.text;
  }
}

TEST_F(TextFileTest, AMissingDirectoryIsRefused) {
  EXPECT_EQ(CreateErrorOf(Name("missing\\file.txt")), CreateMessage(Name("missing\\file.txt"), 3));
  EXPECT_FALSE(testfile::Exists(Name("missing")));
}

}  // namespace
