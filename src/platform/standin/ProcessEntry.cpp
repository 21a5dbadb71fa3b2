// The native program's process entry: hands over to WinMain as the Windows
// loader would, with the command line the process was started with.
#include "Win32StandIn.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

int main() { return WinMain(nullptr, nullptr, GetCommandLineA(), SW_SHOWNORMAL); }
