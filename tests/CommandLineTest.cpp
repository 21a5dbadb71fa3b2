// Splitting a command line into arguments, and telling a switch from other
// arguments, with the system's own comparison.
#include <gtest/gtest.h>

#include <vector>

#include "CommandLine.h"

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
      {"prog \x7F \xC2\xA0 \x21", {"prog", "\x7F", "\xC2\xA0", "!"}},
      // Not blanks and not quotes, whatever a code page makes of them.
      {"a\uFF02 -x \uFF02b \u3000 \xED\xA0\x80",
       {"a\uFF02", "-x", "\uFF02b", "\u3000", "\xED\xA0\x80"}},
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
      {"/\uFF33aveAllToFile", "SaveAllToFile", false},  // a full-width S
      {"/SaveAllToF\u0130le", "SaveAllToFile", false},  // a dotted capital I
      {"/Open\u00ADUrl", "OpenUrl", true},              // the collation passes over a soft hyphen
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
