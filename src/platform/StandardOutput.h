// Text for a person, on standard output. The program holds its text in
// UTF-8; a console shows every character right only when given UTF-16,
// whatever its own code page, and a file or pipe gets UTF-8, which any
// reader on any system decodes the same way.
#pragma once

#include <string>

/// Writes `text` (UTF-8, "\n" as line ends) to standard output: as UTF-16
/// when standard output is a console, as UTF-8 without a byte-order mark
/// otherwise. False when there is no standard
/// output, or not all of the text could be written.
bool WriteStandardOutput(const std::string& text);

/// Whether standard output is a console, which a person reads as it comes.
bool StandardOutputIsConsole();
