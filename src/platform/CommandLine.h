// The process command line as a list of arguments, and the test for a switch.
#pragma once

#include <string>
#include <vector>

/// Splits `line` (UTF-8) into its arguments over its UTF-16 units, as the
/// process command line is split: runs of units 1 to 32 separate them,
/// double quotes group (and are dropped), there is no escape character, and
/// a lone pair of quotes yields nothing. The first argument is the program
/// path.
std::vector<std::string> SplitCommandLine(const std::string& line);

/// The arguments of the process command line as it was typed (the system's
/// UTF-16 form, never the ANSI one, whose substitutes for characters the
/// code page lacks may be quotes or letters), the program path first.
std::vector<std::string> SplitCommandLine();

/// Whether `argument` is the switch `name`: "-" or "/" and then the name,
/// letter case ignored by the rules of the user's locale, both texts whole.
bool IsCommandLineSwitch(const std::string& argument, const std::string& name);

/// Whether an argument after the program path is the switch `name`. Reads the
/// process command line afresh on every call.
bool HasCommandLineSwitch(const std::string& name);
