// The buttons that share the program's class, in the registry's order: the
// browser numbers them 16, 17, ... in that order, so removing one moves
// every later one an id down. The program's own key counts only when it is
// a button of the class itself, as the browser sees it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RegistryAccessor;

struct SameClassButtons {
  std::vector<std::string> others;  // every same-class button but the program's own
  std::int32_t ownPosition;         // how many of them stand before it; -1 unless it counts
  bool ownKeyListed;                // the own key is listed, whether it counts or not
};

/// Lists the buttons on `machine`, an accessor of the machine hive with read
/// rights at least. Raises ERegistryException naming the key and the value
/// where a placement would stop (a clsid that is no text).
SameClassButtons ListSameClassButtons(RegistryAccessor& machine);
/// What an administrator does about the key such a listing stopped at.
inline constexpr char kMalformedButtonKeyAdvice[] =
    "Find the key whose clsid value is not a text under HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft"
    "\\Internet Explorer\\Extensions and repair or remove it.";

/// The list as one text, and back: key names cannot hold a backslash.
std::string JoinKeyNames(const std::vector<std::string>& names);
std::vector<std::string> SplitKeyNames(const std::string& text);

/// Whether two lists name the same keys in the same order (SameKeyName).
bool SameKeyNames(const std::vector<std::string>& a, const std::vector<std::string>& b);
