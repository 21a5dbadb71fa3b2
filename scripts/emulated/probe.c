/* Smallest check that the emulated machine runs a real 32-bit program:
 * reports its pointer size and whether it runs under WoW64, writes a
 * registry value the caller then reads back with `wine reg query`, and
 * exits with a status the caller checks comes back unchanged. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(void)
{
    BOOL wow64 = FALSE;
    HKEY key;
    DWORD answer = 42;
    const char *text = "emulated";
    LONG status;

    IsWow64Process(GetCurrentProcess(), &wow64);
    printf("pointer size: %u\n", (unsigned)sizeof(void *));
    printf("wow64: %s\n", wow64 ? "yes" : "no");

    status = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vorlinde\\EmulatedProbe", 0, NULL, 0,
                             KEY_SET_VALUE, NULL, &key, NULL);
    if (status != ERROR_SUCCESS) {
        fprintf(stderr, "probe: cannot create the key (%ld)\n", status);
        return 1;
    }
    RegSetValueExA(key, "Answer", 0, REG_DWORD, (const BYTE *)&answer, sizeof answer);
    RegSetValueExA(key, "Text", 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegCloseKey(key);
    printf("wrote HKCU\\Software\\Vorlinde\\EmulatedProbe\n");
    fprintf(stderr, "probe: this line goes to stderr\n");
    fflush(NULL);
    return 7;
}
