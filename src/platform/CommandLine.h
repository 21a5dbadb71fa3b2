// The process command line as a list of arguments, and the test for a switch.
#pragma once

#include <string>
#include <vector>

/// Splits `line` into its arguments: runs of bytes 1 to 32 separate them,
/// double quotes group (and are dropped), there is no escape character, and a
/// lone pair of quotes yields nothing. The first argument is the program path.
/// A line holding a byte of 0x80 or above is stepped by USER32's CharNextA;
/// a USER32 that cannot be loaded raises EOSError.
std::vector<std::string> SplitCommandLine(const char* line);

/// The arguments of the process command line, the program path first.
std::vector<std::string> SplitCommandLine();

/// Whether `argument` is the switch `name`: "-" or "/" and then exactly the
/// name, letter case ignored.
bool IsCommandLineSwitch(const std::string& argument, const std::string& name);

/// Whether an argument after the program path is the switch `name`. Reads the
/// process command line afresh on every call.
bool HasCommandLineSwitch(const std::string& name);
