/* Creates the key named on the command line, below HKEY_LOCAL_MACHINE, as a
   volatile key. The registry refuses a lasting key below a volatile one, on
   Windows as under Wine: a program that must write one there then fails as
   it would for want of rights, which Wine never withholds. The key stands
   in the programs' view: PROGRAM_VIEW is the 32-bit one in the 64-bit twin. */
#include <windows.h>

int main(int argc, char** argv) {
  HKEY key;
  if (argc != 2 || RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, NULL, REG_OPTION_VOLATILE,
                                   KEY_WRITE | PROGRAM_VIEW, NULL, &key, NULL) != ERROR_SUCCESS) {
    return 1;
  }
  RegCloseKey(key);
  return 0;
}
