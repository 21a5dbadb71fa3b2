// The entry of a windowed program that opens no window: the system starts it
// at WinMain, which restricts the DLL search before anything can load a DLL
// and then hands over to the program's own WindowedMain.
#pragma once

/// The program's work; its result is the process's exit code.
int WindowedMain();
