#include "MachineTurn.h"

#include "Deployment.h"
#include "ProcessAccount.h"
#include "SystemErrorText.h"
#include "TextOut.h"

using namespace deployment;

MachineTurn::MachineTurn()
    : claim_(kMachineTurnMutex, kMachineTurnWaitMilliseconds, MutexAccess::AdministratorsOnly) {}

bool MachineTurn::Held(TextOut& out, const char* notElevated) const {
  using Outcome = NamedMutexClaim::Outcome;
  switch (claim_.Result()) {
    case Outcome::Claimed:
      return true;
    case Outcome::TakenOver:
      out << "An earlier run on this machine ended without releasing the machine's turn; this "
             "run takes it over.\n";
      return true;
    case Outcome::Busy:
      out << "Another run is changing the machine part and kept the machine's turn for "
          << kMachineTurnWaitMilliseconds / 1000 << " seconds: nothing was read or changed.\n";
      return false;
    case Outcome::Foreign:
      out << "PROBLEM: the mutex " << kMachineTurnMutex
          << " stands, made by an account that is neither Administrators nor SYSTEM: this run "
             "does not wait for it, and nothing was read or changed.\n"
          << "  What to do: end the program that holds it (or restart Windows), then run this "
             "again.\n";
      return false;
    case Outcome::Failed:
      break;
  }
  if (CurrentElevation() != Elevation::Elevated) {
    out << notElevated << "\n";
  } else {
    out << "The machine's turn (the mutex " << kMachineTurnMutex << ") cannot be claimed ("
        << SystemErrorText(claim_.ErrorCode()) << "): nothing was read or changed.\n";
  }
  return false;
}
