// A new GUID, for an identity that must differ from every other machine's.
#pragma once

#include <string>

/// "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}": made by COM (loaded from the
/// system directory for the call); raises EOSError when it cannot.
std::string NewGuidText();

/// Whether `text` has that form exactly: braces, upper-case hex digits and
/// hyphens where they stand.
bool IsGuidText(const std::string& text);
