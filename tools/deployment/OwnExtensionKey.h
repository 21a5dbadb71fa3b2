// The program's extension key, as every tool names it.
#pragma once

#include <string>

#include "BrowserRegistry.h"
#include "VorlindeProgram.h"

/// The program's extension key, absolute under the machine hive.
inline std::string OwnExtensionKey() {
  return std::string(browserreg::kExtensionsKey) + "\\" + kButton.KeyGuid;
}
