#include "ShellLaunch.h"

#include "Win32.h"

std::uintptr_t ShellExecuteDefaultVerb(const std::string& target) {
  // A null operation lets the shell pick the target's default verb.
  const HINSTANCE result =
      ShellExecuteA(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<std::uintptr_t>(result);
}
