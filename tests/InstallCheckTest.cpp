// vorlinde-inspect's report on registry states an install run leaves, or
// that a user or another program made: the lines it prints and the number of
// problems it names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <sstream>
#include <vector>

#include "InstallCheck.h"
#include "LayoutBytes.h"
#include "Sections.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

// Last: on Windows these bring in the system headers, whose TextOut macro
// would rename the inspector's writer above.
#include "FileTestHelpers.h"
#include "RegistryTestKeys.h"

using namespace testreg;

namespace {

const std::string kOwnKey =
    std::string(kExtensionsKey) + "\\{8A918C1D-E123-4E36-B562-5C1519E434CE}";
const std::string kEarlyKey =
    std::string(kExtensionsKey) + "\\{10000000-0000-0000-0000-000000000001}";
const std::string kCompanionKey =
    std::string(kExtensionsKey) + "\\{76577871-04EC-495E-A12B-91F7C3600AFA}";
const char kClsid[] = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";

void Install() { RunVorlinde(); }

// The picture an install run's Icon value names stands beside this
// executable; it is left there, as other tests run at the same time need it.
void PutIconBesideExecutable() {
  const std::string icon = ExecutableDirectory() + kButton.IconFileName;
  if (!testfile::Exists(icon)) testfile::Write(icon, "");
}

void SetLayout(DWORD type, const std::string& bytes) {
  SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", type, bytes);
}

// Button `number` of those listed before the program's own key.
void AddEarlyButton(DWORD clsidType, const std::string& clsid, int number = 0) {
  std::string key = kEarlyKey;
  key.replace(key.size() - 4, 3, std::to_string(100 + number));
  SetValue(HKEY_LOCAL_MACHINE, key, "ButtonText", REG_SZ, Sz("Other"));
  SetValue(HKEY_LOCAL_MACHINE, key, "Icon", REG_SZ, Sz("C:\\o.ico"));
  SetValue(HKEY_LOCAL_MACHINE, key, "clsid", clsidType, clsid);
}

struct Case {
  const char* name;
  std::function<void()> arrange;
  int problems;
  std::vector<std::string> lines;  // each must be printed, exactly as given
  int markedEntries;
};

// Test names and failure messages show the case by its name.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const std::string kButtonRow = "      2  10 01 00 00   16     1  <- this button";

// One row per state; the table is laid out by hand.
// clang-format off
const Case kCases[] = {
    {"nothing installed", [] {}, 1,
     {"  PROBLEM: the button is not installed: the extension key is missing.",
      std::string("    What to do: ") + kWriteMachinePartThenFixLayout,
      "Command id: none (the extension key is not in the machine hive)",
      "  (no CommandBar key)"},
     0},
    {"more buttons before it than ids", [] {
       Install();
       for (int i = 0; i < 240; ++i) AddEarlyButton(REG_SZ, Sz(kClsid), i);
     }, 1,
     {"Command id: 256 (16 + 240 buttons of the same class listed before this one)",
      "  PROBLEM: the command id 256 cannot be placed: a layout entry holds the id in one byte, "
      "so ids above 255 never reach the layout, and an install run stops before it."},
     0},
    {"one install run", Install, 0,
     {"  ButtonText       \"Lindwurm B\xC3\xBC" "cher\"",
      "  Default Visible  \"YES\"",
      "  clsid            \"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}\"",
      "Command id: 16 (16 + 0 buttons of the same class listed before this one)",
      "  REG_BINARY, 32 bytes, 8 entries",
      "  index  bytes         id  flag",
      "      0  07 00 00 00    7     0",
      kButtonRow,
      "All is well: the button is registered and stands in the layout."},
     1},
    {"two install runs", [] { Install(); Install(); }, 1,
     {"      3  10 01 00 00   16     1  <- this button",
      "  PROBLEM: the button stands 2 times in this user's layout: each install run of "
      "vorlinde.exe adds one entry."},
     2},
    {"companion installed",
     [] { CreateKey(HKEY_LOCAL_MACHINE, kCompanionKey); Install(); }, 0,
     {"Companion button {76577871-04EC-495E-A12B-91F7C3600AFA}: installed; an install run "
      "puts the button at entry index 3",
      "      3  10 01 00 00   16     1  <- this button"},
     1},
    {"a button of the same class listed first",
     [] { AddEarlyButton(REG_SZ, Sz(kClsid)); Install(); }, 0,
     {"Command id: 17 (16 + 1 button of the same class listed before this one)",
      "      2  11 01 00 00   17     1  <- this button"},
     1},
    {"a class id of the wrong type listed first",
     [] { Install(); AddEarlyButton(REG_DWORD, std::string(4, '\0')); }, 1,
     {"Command id: unknown",
      "  PROBLEM: another extension key listed before this one is malformed, so an install run "
      "stops before the layout (vorlinde.exe's own message: \"Ung\xC3\xBCltiger Datentyp f\xC3\xBCr "
      "'clsid'\")."},
     0},
    {"an icon file that is not there",
     [] { Install(); SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Icon", REG_SZ, Sz("C:\\gone.ico")); },
     1,
     {"  PROBLEM: the icon file that Icon names is not there: the browser shows the button "
      "without a picture."},
     1},
    {"a changed button text",
     [] { Install(); SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "ButtonText", REG_SZ, Sz("Old")); },
     1,
     {"  ButtonText       \"Old\"  (this build writes \"Lindwurm B\xC3\xBC" "cher\")",
      "  PROBLEM: the extension key does not hold what this build writes (ButtonText): the "
      "browser may show a wrong or broken button."},
     1},
    {"Exec as a number",
     [] { Install(); SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec", REG_DWORD, "abcd"); }, 1,
     {"  Exec             (REG_DWORD, 4 bytes, not a text)",
      "  PROBLEM: the extension key does not hold what this build writes (Exec): the browser "
      "may show a wrong or broken button."},
     1},
    {"the layout without the button",
     [] { Install(); SetLayout(REG_BINARY, Hex("07 00 00 00 01 01 00 00")); }, 1,
     {"  REG_BINARY, 8 bytes, 2 entries",
      "  PROBLEM: no entry carries the button's command id 16: the browser does not show it.",
      "    What to do: Close Internet Explorer and run vorlinde-inspect.exe /FixLayout as this "
      "user; it adds the button's entry."},
     0},
    {"an empty layout", [] { Install(); SetLayout(REG_BINARY, ""); }, 1,
     {"  REG_BINARY, 0 bytes, 0 entries",
      "  PROBLEM: the layout is empty: the browser shows its default command bar, without the "
      "button."},
     0},
    {"a layout of six bytes",
     [] { Install(); SetLayout(REG_BINARY, Hex("10 01 00 00 07 00")); }, 1,
     {"      0  10 01 00 00   16     1  <- this button",
      "  (left over: 07 00)",
      "  PROBLEM: the layout's length (6 bytes) is not a multiple of 4, so an install run "
      "refuses it."},
     1},
    {"a layout of 2052 bytes",
     [] { Install(); SetLayout(REG_BINARY, std::string(2052, '\x05')); }, 1,
     {"  REG_BINARY, 2052 bytes, 513 entries",
      "  PROBLEM: the layout is longer than 2048 bytes, so an install run refuses it."},
     0},
    {"a text layout", [] { Install(); SetLayout(REG_SZ, Sz("10010000")); }, 1,
     {"  REG_SZ, 18 bytes",  // nine characters, kept in UTF-16
      "  PROBLEM: ButtonLayout is REG_SZ, not binary (REG_BINARY), so an install run refuses "
      "it."},
     0},
    {"a number layout of no bytes", [] { Install(); SetLayout(REG_DWORD, ""); }, 1,
     {"  REG_DWORD, 0 bytes",
      "  PROBLEM: ButtonLayout is REG_DWORD, not binary (REG_BINARY), so an install run "
      "refuses it."},
     0},
};
// clang-format on

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class InspectionTest : public RegistryTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    PutIconBesideExecutable();
  }
};

TEST_P(InspectionTest, ReportsTheStateAndCountsTheProblems) {
  const Case& c = GetParam();
  c.arrange();
  TextBuffer out;
  const int problems = InspectVorlinde(out);
  const std::vector<std::string> lines = Lines(out.Text());
  EXPECT_EQ(problems, c.problems) << out.Text();
  for (const std::string& expected : c.lines) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
        << "missing line: " << expected << "\n"
        << out.Text();
  }
  const auto marked = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
    return EndsWith(line, "  <- this button");
  });
  EXPECT_EQ(marked, c.markedEntries);
  const auto reported = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.rfind("  PROBLEM: ", 0) == 0;
  });
  EXPECT_EQ(reported, c.problems);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
  std::string name = param.param.name;
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(States, InspectionTest, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
