// Splitting a command line into arguments, and telling a switch from other
// arguments, with the system's own character stepping and comparison.
#include <gtest/gtest.h>

#include <vector>

#include "CommandLine.h"
#include "Win32.h"

namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
  const char* line;
  Arguments arguments;
};

void ExpectSplits(const std::vector<SplitCase>& cases) {
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << "[" << c.line << "]";
  }
}

TEST(SplitCommandLineTest, BytesOneToThirtyTwoSeparate) {
  ExpectSplits({
      {"", {}},
      {"   \t ", {}},
      {"prog", {"prog"}},
      {"  prog  /a   -b  ", {"prog", "/a", "-b"}},
      {"prog\t/a\r\n/b\x01" "c\x1F" "d", {"prog", "/a", "/b", "c", "d"}},
      {"prog \x7F \xA0 \x21", {"prog", "\x7F", "\xA0", "!"}},
  });
}

TEST(SplitCommandLineTest, QuotesGroupAndAreDropped) {
  ExpectSplits({
      {"\"C:\\Program Files\\v.exe\" /OpenUrl", {"C:\\Program Files\\v.exe", "/OpenUrl"}},
      {"prog \"/OpenUrl\"", {"prog", "/OpenUrl"}},
      {"prog /\"OpenUrl\"", {"prog", "/OpenUrl"}},
      {"prog /Open\"Url\"", {"prog", "/OpenUrl"}},
      {"prog \"/Open\"Url", {"prog", "/OpenUrl"}},
      {"prog \"a b\"c\" d\"", {"prog", "a bc d"}},
      {"prog a\"\"b", {"prog", "ab"}},
      {"prog \"a b", {"prog", "a b"}},
  });
}

TEST(SplitCommandLineTest, LonePairsOfQuotesYieldNoArgument) {
  ExpectSplits({
      {"\"\"", {}},
      {"prog \"\" /x", {"prog", "/x"}},
      {"\"\" \"\"  prog", {"prog"}},
      {"prog \"\"\"\"x", {"prog", "x"}},
      {"prog \"", {"prog", ""}},  // a single quote still opens an argument
  });
}

TEST(SplitCommandLineTest, ABackslashEscapesNothing) {
  ExpectSplits({
      {"prog a\\\"b c\"", {"prog", "a\\b c"}},
      {"prog \"C:\\dir\\\\\" x", {"prog", "C:\\dir\\\\", "x"}},
  });
}

// Why a line of such bytes alone is split without USER32: for each of them
// CharNextA steps exactly one byte, whatever follows, and stays on the end.
TEST(SplitCommandLineTest, CharNextAStepsOneByteOverEveryByteBelow0x80) {
  for (int byte = 0; byte < 0x80; ++byte) {
    for (const int following : {0x00, 0x22, 0x41, 0x81, 0xE0, 0xFF}) {
      const char text[] = {static_cast<char>(byte), static_cast<char>(following), '\0'};
      EXPECT_EQ(CharNextA(text), text + (byte == 0 ? 0 : 1)) << byte << " " << following;
    }
  }
}

struct SwitchCase {
  const char* argument;
  const char* name;
  bool isSwitch;
};

TEST(IsCommandLineSwitchTest, PrefixThenExactlyTheNameInAnyCase) {
  const SwitchCase cases[] = {
      {"/OpenUrl", "OpenUrl", true},
      {"-OpenUrl", "OpenUrl", true},
      {"/openurl", "OpenUrl", true},
      {"-OPENURL", "OpenUrl", true},
      {"/sAVEaLLtOfILE", "SaveAllToFile", true},
      {"-saveurltofile", "SaveUrlToFile", true},
      {"OpenUrl", "OpenUrl", false},
      {"\\OpenUrl", "OpenUrl", false},
      {"+OpenUrl", "OpenUrl", false},
      {"--OpenUrl", "OpenUrl", false},
      {"//OpenUrl", "OpenUrl", false},
      {"-/OpenUrl", "OpenUrl", false},
      {"/OpenUrl:1", "OpenUrl", false},
      {"/OpenUrlX", "OpenUrl", false},
      {"/OpenUrl ", "OpenUrl", false},
      {"/ OpenUrl", "OpenUrl", false},
      {"/Open", "OpenUrl", false},
      {"/SaveUrlToFile", "SaveAllToFile", false},
      {"/", "OpenUrl", false},
      {"", "OpenUrl", false},
  };
  for (const SwitchCase& c : cases) {
    EXPECT_EQ(IsCommandLineSwitch(c.argument, c.name), c.isSwitch) << c.argument;
  }
}

}  // namespace
