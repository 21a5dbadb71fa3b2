#include "IconFile.h"

#include "FileCopy.h"

bool IconFileExists(const std::string& iconValue) {
  return !iconValue.empty() && FileExists(iconValue);
}
