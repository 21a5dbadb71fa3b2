// Random bytes as the process command line, under code page 1252 or 932: the
// arguments and the switches found must be those of the plain model below.
#include <cstdint>
#include <string>
#include <vector>

#include "CodePage932.h"
#include "CommandLine.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "StandInControl.h"

namespace {

using standin::IsLeadByteOf932;

// Bytes in the character at `i`: in code page 932 a lead byte and the byte
// after it are one character, whatever that byte is.
std::size_t CharacterLength(const std::string& line, std::size_t i, bool doubleByte) {
  return doubleByte && IsLeadByteOf932(line[i]) && i + 1 < line.size() ? 2 : 1;
}

// A separator or a quote is always a character of one byte.
bool IsByte(const std::string& line, std::size_t i, bool doubleByte, bool (*test)(char)) {
  return i < line.size() && CharacterLength(line, i, doubleByte) == 1 && test(line[i]);
}

bool Separator(char c) { return c >= 1 && c <= 32; }
bool Quote(char c) { return c == '"'; }

std::vector<std::string> ModelSplit(const std::string& line, bool doubleByte) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  for (;;) {
    while (IsByte(line, i, doubleByte, Separator)) ++i;
    if (IsByte(line, i, doubleByte, Quote) && IsByte(line, i + 1, doubleByte, Quote)) {
      i += 2;
      continue;
    }
    if (i == line.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsByte(line, i, doubleByte, Separator))) {
      const std::size_t length = CharacterLength(line, i, doubleByte);
      if (IsByte(line, i, doubleByte, Quote)) {
        quoted = !quoted;
      } else {
        argument.append(line, i, length);
      }
      i += length;
    }
    arguments.push_back(argument);
  }
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The switch names are plain ASCII letters: no other byte, and no
// double-byte character, can compare equal to one of them.
bool ModelIsSwitch(const std::string& argument, const std::string& name) {
  if (argument.size() != name.size() + 1) return false;
  if (argument[0] != '-' && argument[0] != '/') return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (AsciiUpper(argument[i + 1]) != AsciiUpper(name[i])) return false;
  }
  return true;
}

std::string Shown(const std::vector<std::string>& arguments) {
  std::string shown;
  for (const std::string& argument : arguments) shown += "[" + Hex(argument) + "]";
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const bool doubleByte = input.Byte() & 1;
  std::string line = input.Rest();
  line.resize(line.find('\0') == std::string::npos ? line.size() : line.find('\0'));
  standin::SetAnsiCodePage(doubleByte ? 932 : 1252);
  standin::SetCommandLine(line);

  const std::vector<std::string> expected = ModelSplit(line, doubleByte);
  const std::vector<std::string> split = SplitCommandLine();
  Expect(split == expected,
         [&] { return "split of " + Hex(line) + ": " + Shown(split) + " not " + Shown(expected); });
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
