#include "StandardOutputText.h"

#include "StandardOutput.h"

namespace {

constexpr std::size_t kFileBlock = 8192;

}  // namespace

StandardOutputText::StandardOutputText() : console_(StandardOutputIsConsole()) {}

StandardOutputText::~StandardOutputText() { Flush(); }

// Whole lines: a line is converted and written in one piece.
void StandardOutputText::Write(const std::string& text) {
  pending_ += text;
  if (pending_.empty() || pending_.back() != '\n') return;
  if (console_ || pending_.size() >= kFileBlock) Flush();
}

void StandardOutputText::Flush() {
  if (!pending_.empty()) WriteStandardOutput(pending_);
  pending_.clear();
}
