#include "InstallerLog.h"

#include "Exceptions.h"
#include "InstallerSession.h"

InstallerLog::~InstallerLog() {
  try {
    Flush();
  } catch (const Exception&) {
    // The log is the only place to say it; nothing is left to tell.
  }
}

void InstallerLog::Write(const std::string& text) {
  for (const char c : text) {
    if (c == '\n') {
      Flush();
    } else {
      line_ += c;
    }
  }
}

// Empty lines, which set the tools' paragraphs apart on a console, say
// nothing in the log, where every message has its own time stamp.
void InstallerLog::Flush() {
  if (!line_.empty()) session_.Log("Vorlinde: " + line_);
  line_.clear();
}
