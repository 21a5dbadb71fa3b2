// The inspector's words on standard output, a line at a time.
#pragma once

#include <string>

#include "TextOut.h"

class StandardOutputText : public TextOut {
 public:
  StandardOutputText() = default;
  StandardOutputText(const StandardOutputText&) = delete;
  StandardOutputText& operator=(const StandardOutputText&) = delete;
  ~StandardOutputText() override;

 protected:
  void Write(const std::string& text) override;

 private:
  void Flush();

  std::string pending_;
};
