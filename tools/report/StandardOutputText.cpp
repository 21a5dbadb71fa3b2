#include "StandardOutputText.h"

#include "StandardOutput.h"

StandardOutputText::~StandardOutputText() { Flush(); }

// Whole lines: a line is converted and written in one piece.
void StandardOutputText::Write(const std::string& text) {
  pending_ += text;
  if (!pending_.empty() && pending_.back() == '\n') Flush();
}

void StandardOutputText::Flush() {
  if (!pending_.empty()) WriteStandardOutput(pending_);
  pending_.clear();
}
