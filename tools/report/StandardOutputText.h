// The inspector's words on standard output.
#pragma once

#include "TextOut.h"

class StandardOutputText : public TextOut {
 protected:
  void Write(const std::string& text) override;
};
