// Random UTF-16 units as the command line as typed, under code page 1252 or
// 932, which must change nothing: the arguments and the switches found must
// be those of the plain model below.
#include <cstdint>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "StandInControl.h"
#include "WideText.h"

namespace {

using Units = std::u16string;

// Two bytes make a unit, any unit, a lone surrogate included.
Units UnitsOf(const std::string& bytes) {
  Units line;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    line += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                  static_cast<std::uint8_t>(bytes[i + 1]) << 8);
  }
  return line.substr(0, line.find(u'\0'));
}

bool IsUnit(const Units& line, std::size_t i, bool (*test)(char16_t)) {
  return i < line.size() && test(line[i]);
}

bool Separator(char16_t c) { return c >= 1 && c <= 32; }
bool Quote(char16_t c) { return c == '"'; }

std::vector<std::string> ModelSplit(const Units& line) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  for (;;) {
    while (IsUnit(line, i, Separator)) ++i;
    if (IsUnit(line, i, Quote) && IsUnit(line, i + 1, Quote)) {
      i += 2;
      continue;
    }
    if (i == line.size()) return arguments;
    WideText argument;
    bool quoted = false;
    for (; i < line.size() && (quoted || !Separator(line[i])); ++i) {
      if (Quote(line[i])) {
        quoted = !quoted;
      } else {
        argument.push_back(line[i]);
      }
    }
    arguments.push_back(Utf8From(argument.data(), argument.size()));
  }
}

char16_t AsciiUpper(char16_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// The switch names are plain ASCII letters, which no other unit folds to;
// the locale's collation passes over a soft hyphen.
bool ModelIsSwitch(const std::string& argument, const std::string& name) {
  if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) return false;
  const WideText units = Widen(argument);
  Units rest;
  for (std::size_t i = 1; i + 1 < units.size(); ++i) {
    if (units[i] != 0xAD) rest += AsciiUpper(units[i]);
  }
  Units upper;
  for (const char c : name) upper += AsciiUpper(static_cast<char16_t>(c));
  return rest == upper;
}

std::string Shown(const std::vector<std::string>& arguments) {
  std::string shown;
  for (const std::string& argument : arguments) shown += "[" + Hex(argument) + "]";
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  standin::SetAnsiCodePage(input.Byte() & 1 ? 932 : 1252);
  const Units line = UnitsOf(input.Rest());
  standin::SetCommandLine(line);

  const std::vector<std::string> expected = ModelSplit(line);
  const std::vector<std::string> split = SplitCommandLine();
  Expect(split == expected, [&] { return "split: " + Shown(split) + " not " + Shown(expected); });
  for (const std::string& argument : split) {
    const WideText units = Widen(argument);  // back exactly as typed
    Expect(Utf8From(units.data(), units.size() - 1) == argument, "round trip");
  }
  for (const char* name : {"SaveAllToFile", "SaveUrlToFile", "OpenUrl"}) {
    bool found = false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const bool isSwitch = ModelIsSwitch(expected[i], name);
      Expect(IsCommandLineSwitch(expected[i], name) == isSwitch,
             [&] { return "switch " + Hex(expected[i]); });
      found = found || (i > 0 && isSwitch);
    }
    Expect(HasCommandLineSwitch(name) == found, "switch search");
  }
  return 0;
}
