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

// A byte below 0xF0 is a unit of its own, so that ASCII lines come easily;
// 0xF0 and above take the next two bytes as any unit, surrogates included.
std::u16string UnitsOf(const std::string& bytes) {
  std::u16string units;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0xF0 || i + 2 >= bytes.size()) {
      units += static_cast<char16_t>(byte);
    } else {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) |
                                     static_cast<unsigned char>(bytes[i + 2]) << 8);
      i += 2;
    }
  }
  return units.substr(0, units.find(u'\0'));
}

bool IsUnit(const std::u16string& line, std::size_t i, bool (*test)(char16_t)) {
  return i < line.size() && test(line[i]);
}

bool Separator(char16_t c) { return c >= 1 && c <= 32; }
bool Quote(char16_t c) { return c == '"'; }

std::vector<std::u16string> ModelSplit(const std::u16string& line) {
  std::vector<std::u16string> arguments;
  std::size_t i = 0;
  for (;;) {
    while (IsUnit(line, i, Separator)) ++i;
    if (IsUnit(line, i, Quote) && IsUnit(line, i + 1, Quote)) {
      i += 2;
      continue;
    }
    if (i == line.size()) return arguments;
    std::u16string argument;
    bool quoted = false;
    for (; i < line.size() && (quoted || !Separator(line[i])); ++i) {
      if (Quote(line[i])) {
        quoted = !quoted;
      } else {
        argument += line[i];
      }
    }
    arguments.push_back(argument);
  }
}

char16_t AsciiUpper(char16_t c) { return c >= 'a' && c <= 'z' ? static_cast<char16_t>(c - 32) : c; }

// The switch names are plain ASCII letters, which no other unit folds to;
// the locale's collation passes over a soft hyphen, wherever it stands.
bool ModelIsSwitch(const std::u16string& argument, const std::string& name) {
  if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) return false;
  std::u16string rest;
  for (std::size_t i = 1; i < argument.size(); ++i) {
    if (argument[i] != 0xAD) rest += argument[i];
  }
  if (rest.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (AsciiUpper(rest[i]) != AsciiUpper(static_cast<char16_t>(name[i]))) return false;
  }
  return true;
}

std::string Shown(const std::u16string& units) {
  std::string bytes;
  for (const char16_t unit : units)
    bytes += {static_cast<char>(unit >> 8), static_cast<char>(unit)};
  return Hex(bytes);
}

std::u16string UnitsBack(const std::string& argument) {
  const WideText wide = Widen(argument);
  return std::u16string(wide.begin(), wide.end() - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  standin::SetAnsiCodePage(input.Byte() & 1 ? 932 : 1252);
  const std::u16string line = UnitsOf(input.Rest());
  standin::SetCommandLine(line);

  const std::vector<std::u16string> expected = ModelSplit(line);
  const std::vector<std::string> split = SplitCommandLine();
  Expect(split.size() == expected.size(), [&] { return "number of arguments of " + Shown(line); });
  for (std::size_t i = 0; i < split.size(); ++i) {
    // Back in units exactly as typed, a lone surrogate included.
    Expect(UnitsBack(split[i]) == expected[i],
           [&] { return "argument of " + Shown(line) + ": " + Shown(expected[i]); });
  }
  for (const char* name : {"SaveAllToFile", "SaveUrlToFile", "OpenUrl"}) {
    bool found = false;
    for (std::size_t i = 0; i < split.size(); ++i) {
      const bool isSwitch = ModelIsSwitch(expected[i], name);
      Expect(IsCommandLineSwitch(split[i], name) == isSwitch,
             [&] { return "switch " + Shown(expected[i]); });
      found = found || (i > 0 && isSwitch);
    }
    Expect(HasCommandLineSwitch(name) == found, "switch search");
  }
  return 0;
}
