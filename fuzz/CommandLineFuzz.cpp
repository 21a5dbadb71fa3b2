// Random bytes as the process command line, under code page 1252 or 932: the
// arguments and the switches found must be those of the plain model below.
#include <cstdint>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "StandInControl.h"

namespace {

bool IsLeadByteOf932(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The line cut into characters: in code page 932 a lead byte and the byte
// after it are one character, whatever that byte is.
std::vector<std::string> Characters(const std::string& line, bool doubleByte) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < line.size();) {
    const bool pair = doubleByte && IsLeadByteOf932(line[i]) && i + 1 < line.size();
    characters.push_back(line.substr(i, pair ? 2 : 1));
    i += pair ? 2 : 1;
  }
  return characters;
}

bool IsSeparator(const std::string& c) { return c.size() == 1 && c[0] >= 1 && c[0] <= 32; }

std::vector<std::string> ModelSplit(const std::string& line, bool doubleByte) {
  const std::vector<std::string> c = Characters(line, doubleByte);
  std::vector<std::string> arguments;
  std::size_t i = 0;
  for (;;) {
    while (i < c.size() && IsSeparator(c[i])) ++i;
    if (i + 1 < c.size() && c[i] == "\"" && c[i + 1] == "\"") {
      i += 2;
      continue;
    }
    if (i == c.size()) return arguments;
    std::string argument;
    bool quoted = false;
    for (; i < c.size() && (quoted || !IsSeparator(c[i])); ++i) {
      if (c[i] == "\"") {
        quoted = !quoted;
      } else {
        argument += c[i];
      }
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
         "split of " + Hex(line) + ": " + Shown(split) + " not " + Shown(expected));
  for (const char* name : {"SaveAllToFile", "SaveUrlToFile", "OpenUrl"}) {
    bool found = false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const bool isSwitch = ModelIsSwitch(expected[i], name);
      Expect(IsCommandLineSwitch(expected[i], name) == isSwitch, "switch " + Hex(expected[i]));
      found = found || (i > 0 && isSwitch);
    }
    Expect(HasCommandLineSwitch(name) == found, std::string("switch search ") + name);
  }
  return 0;
}
