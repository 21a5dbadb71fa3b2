// The shortcut and caption files, written beside this test program as the
// real program writes them beside itself.
#include <gtest/gtest.h>

#include <cstdint>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "FileTestHelpers.h"
#include "SystemErrorText.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

using testfile::ExecutableStem;

const std::string kShortcut = ExecutableStem() + "_Button.url";
const std::string kCaption = ExecutableStem() + "_TextAndHint.txt";

class SideModesTest : public ::testing::Test {
 protected:
  const testfile::Scratch scratch_{
      {kShortcut, kCaption, ExecutableStem() + "_.url", ExecutableStem() + "_Two Words.url"}};
};

std::string ShortcutBytes(const std::string& url) {
  return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

struct ShortcutCase {
  std::string url;
  std::string name;
  std::string fileName;
};

TEST_F(SideModesTest, ShortcutHoldsTheUrlUnderTheTaggedName) {
  const ShortcutCase cases[] = {
      {kButton.TargetUrl, kButton.ShortcutTag, kShortcut},
      {"", "Button", kShortcut},
      {"http://h.example/a b?x=%20&y=\xFC", "Button", kShortcut},
      {"u", "", ExecutableStem() + "_.url"},
      {"u", "Two Words", ExecutableStem() + "_Two Words.url"},
  };
  for (const ShortcutCase& c : cases) {
    SaveShortcutFile(c.url, c.name);
    const testfile::StoredFile stored = testfile::Read(c.fileName);
    EXPECT_TRUE(stored.exists) << c.fileName;
    EXPECT_EQ(stored.bytes, ShortcutBytes(c.url)) << c.url;
    EXPECT_EQ(stored.bytes.size(), c.url.size() + 26) << c.url;
  }
}

TEST_F(SideModesTest, CaptionFileHoldsTheOneLine) {
  // The caption's bytes are those of code page 1252, whatever the system's.
  const struct {
    std::string caption;
    std::string bytes;
  } cases[] = {
      {kButton.ButtonCaption,
       "Lindwurm B\xFC"
       "cher\r\n"},
      {"", "\r\n"},
      {"two\r\nlines", "two\r\nlines\r\n"},
      {"\xD0\x9A\xD0\xBD \xE2\x82\xAC", "?? \x80\r\n"},
  };
  for (const auto& c : cases) {
    SaveCaptionFile(c.caption);
    EXPECT_EQ(testfile::Read(kCaption).bytes, c.bytes) << c.caption;
  }
}

TEST_F(SideModesTest, ASecondSaveReplacesTheFileAndLeavesTheOtherAlone) {
  testfile::Write(kShortcut, std::string(300, 'x'));
  testfile::Write(kCaption, "old caption\r\n");
  SaveShortcutFile("http://a.example/", "Button");
  SaveShortcutFile("http://a.example/", "Button");
  EXPECT_EQ(testfile::Read(kShortcut).bytes, ShortcutBytes("http://a.example/"));
  EXPECT_EQ(testfile::Read(kCaption).bytes, "old caption\r\n");
}

std::string CreateMessage(const std::string& fullName, std::uint32_t code) {
  return "Datei \"" + fullName + "\" kann nicht erstellt werden. " + SystemErrorText(code);
}

TEST_F(SideModesTest, AShortcutNameTakenByADirectoryIsRefused) {
  testfile::MakeDirectory(kShortcut);
  EXPECT_EQ(FailureMessage<EFCreateError>([] { SaveShortcutFile("u", "Button"); }),
            CreateMessage(kShortcut, 5));
  EXPECT_TRUE(testfile::IsDirectory(kShortcut));
}

TEST_F(SideModesTest, ACaptionFileHeldOpenElsewhereIsRefusedAndKept) {
  testfile::Write(kCaption, "kept");
  {
    const testfile::HeldOpen held(kCaption);
    ASSERT_TRUE(held.valid());
    EXPECT_EQ(FailureMessage<EFCreateError>([] { SaveCaptionFile("new"); }),
              CreateMessage(kCaption, 32));
  }
  EXPECT_EQ(testfile::Read(kCaption).bytes, "kept");
}

}  // namespace
