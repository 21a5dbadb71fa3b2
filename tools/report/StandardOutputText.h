// The inspector's words on standard output: a line at a time to a console,
// which a person reads as it comes; to a file or pipe in one piece at the
// end (or a block at a time), as a plain program writes a report: each
// write is a call into the system.
#pragma once

#include <string>

#include "TextOut.h"

class StandardOutputText : public TextOut {
 public:
  StandardOutputText();
  StandardOutputText(const StandardOutputText&) = delete;
  StandardOutputText& operator=(const StandardOutputText&) = delete;
  ~StandardOutputText() override;

 protected:
  void Write(const std::string& text) override;

 private:
  void Flush();

  const bool console_;
  std::string pending_;
};
