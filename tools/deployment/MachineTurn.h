// The machine's turn (kMachineTurnMutex), held by a run for as long as it
// reads machine-wide values and writes them after, so that two such runs at
// once never hand out one stamp twice or make two identities.
#pragma once

#include "NamedMutex.h"

class TextOut;

class MachineTurn {
 public:
  MachineTurn();

  /// Whether the turn is this run's; when it is not, says why and what to do
  /// (`notElevated` for a run that is not elevated), having read nothing.
  bool Held(TextOut& out, const char* notElevated) const;

 private:
  NamedMutexClaim claim_;
};
