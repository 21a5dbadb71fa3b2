// vorlinde-inspect: prints what an install run of vorlinde.exe left in the
// registry; with a switch, checks the machine part alone or makes one of the
// changes the usage names. Exit code 0 when all is well or done, 1 when it
// names a problem or could not do it, 2 for a switch it does not know or a
// second switch.
#include <string>
#include <vector>

#include "Actions.h"
#include "CommandLine.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "InstallCheck.h"
#include "MachinePart.h"
#include "MachineCheck.h"
#include "StandardOutputText.h"
#include "SystemLibrary.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"

namespace {

const char kUsage[] =
    "Usage: vorlinde-inspect.exe [switch]\n"
    "\n"
    "  (none)              Report what an install of vorlinde.exe left for this account and\n"
    "                      name what is wrong, with what to do. Reads only.\n"
    "  /CheckMachine       Check the machine part alone: the extension key, the command id\n"
    "                      it gives and the per-user agent's registration. Reads only. For\n"
    "                      deployment tools, which install as an account whose layout\n"
    "                      nobody sees.\n"
    "  /InstallMachinePart Run elevated: write the machine part for the programs in this\n"
    "                      folder, as the Windows Installer package does: the extension key,\n"
    "                      checked, and the per-user agent registered with a new Version.\n"
    "                      Changes no account's layout.\n"
    "  /Remove             Run elevated: take the button out of this machine and this\n"
    "                      account's layout; every other account's layout is fixed at its\n"
    "                      next logon (Active Setup).\n"
    "  /FixLayout          Bring this account's layout in line with the machine, as the\n"
    "                      per-user agent does at logon: place the button if it is missing,\n"
    "                      or apply a recorded removal, once.\n"
    "  /UndoInstall        Run elevated: delete the extension key alone, for an install that\n"
    "                      is rolled back before any user's layout saw the button.\n"
    "  /RenewIdentity      Run elevated, on a machine made from an image of another: give\n"
    "                      this machine an identity of its own, and its Active Setup\n"
    "                      component the name it gives. Changes no account's layout.\n"
    "  /RemoveVirtualized  Delete the copies of the extension key that Windows redirected\n"
    "                      to this account's VirtualStore.\n"
    "  /?                  Show this text.\n"
    "\n"
    "Switches take / or - and any letter case; one at a time.\n"
    "Exit codes: 0 all is well (or done), 1 a problem was found (or the change could not be\n"
    "made), 2 an unknown switch or more than one (nothing was read or changed).\n";

struct Mode {
  const char* name;
  int (*run)(TextOut&);
};

int Report(TextOut& out) { return InspectVorlinde(out) == 0 ? 0 : 1; }
int CheckMachine(TextOut& out) { return InspectMachineAndAgent(out) == 0 ? 0 : 1; }
// The machine part for the programs beside us; each user's layout is the
// agent's, at their next logon (or /FixLayout now).
int InstallMachinePart(TextOut& out) {
  const std::string folder = ExecutableDirectory();
  out << "vorlinde-inspect /InstallMachinePart: the machine part for the programs in " << folder
      << "\n\n";
  return WriteMachinePart(out, folder, InspectMachinePart) ? 0 : 1;
}
// The agent the removal leaves for the other users: the one beside us.
int Remove(TextOut& out) {
  return RemoveButton(out, ExecutableDirectory() + deployment::kAgentFileName);
}
int Usage(TextOut& out) {
  out << kUsage;
  return 0;
}

const Mode kModes[] = {
    {"CheckMachine", CheckMachine},
    {"Remove", Remove},
    {"FixLayout", FixLayout},
    {"RemoveVirtualized", RemoveVirtualizedInstall},
    {"UndoInstall", UndoInstall},
    {"InstallMachinePart", InstallMachinePart},
    {"RenewIdentity", RenewIdentity},
    {"?", Usage},
};

const Mode* ModeOf(const std::string& argument) {
  for (const Mode& mode : kModes) {
    if (IsCommandLineSwitch(argument, mode.name)) return &mode;
  }
  return nullptr;
}

// One switch decides; anything we do not know, or a second switch, stops the
// run before it reads or changes anything: which of two was meant is not ours
// to guess. An argument is shown as it was typed.
int Run(TextOut& out) {
  const std::vector<std::string> arguments = SplitCommandLine();
  const Mode* chosen = nullptr;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const Mode* mode = ModeOf(arguments[i]);
    if (mode == nullptr) {
      out << "Unknown argument: " << arguments[i] << "\n\n" << kUsage;
      return 2;
    }
    if (chosen != nullptr) {
      out << "One switch at a time: " << arguments[i] << " follows another.\n\n" << kUsage;
      return 2;
    }
    chosen = mode;
  }
  return chosen == nullptr ? Report(out) : chosen->run(out);
}

}  // namespace

int main() {
  RestrictDllSearch();  // before anything can load a DLL
  StandardOutputText out;
  try {
    return Run(out);
  } catch (const Exception& e) {
    out << "\nvorlinde-inspect stopped: " << e.Message() << "\n";
    return 1;
  }
}
