// The registry and account functions of advapi32.dll, loaded from the system
// directory at their first use rather than imported: a run that only writes
// a file never maps it, nor what it brings in turn, and in so short a run
// that is a good share of the time.
#pragma once

#include "Win32.h"

// clang-format off
#define VORLINDE_ADVAPI32_FUNCTIONS(F) \
  F(RegCloseKey) \
  F(RegCreateKeyExW) \
  F(RegDeleteValueW) \
  F(RegEnumKeyExW) \
  F(RegOpenKeyExW) \
  F(RegQueryInfoKeyW) \
  F(RegQueryValueExW) \
  F(RegSetValueExW) \
  F(OpenProcessToken) \
  F(GetTokenInformation) \
  F(LookupAccountSidW) \
  F(GetSecurityInfo) \
  F(IsWellKnownSid) \
  F(ConvertStringSecurityDescriptorToSecurityDescriptorW)
// clang-format on

struct Advapi32Functions {
#define VORLINDE_ADVAPI32_MEMBER(name) decltype(&::name) name;
  VORLINDE_ADVAPI32_FUNCTIONS(VORLINDE_ADVAPI32_MEMBER)
#undef VORLINDE_ADVAPI32_MEMBER
};

/// The functions, the DLL loaded on the first call and kept for the rest of
/// the process, as an import would be; raises EOSError when it cannot load.
const Advapi32Functions& Advapi32();
