// Whether the picture the extension key names is there. A key can hold every
// value this build writes and still show no picture: the folder moved, the
// file went, or a path was written that names nothing. Each check that calls
// an install good asks this too.
#pragma once

#include <string>

/// Whether `iconValue` (the key's Icon value) names an existing file.
bool IconFileExists(const std::string& iconValue);
