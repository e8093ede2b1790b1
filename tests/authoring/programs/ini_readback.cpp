// PURPOSE: prints what GetPrivateProfileStringA reads back, with the waiter's
// 4096-byte buffer, as one line of hex per INI file.
//   ini_readback.exe <section> <key> <ini file>...
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    for (int i = 3; i < argc; ++i) {
        char value[4096];
        GetPrivateProfileStringA(argv[1], argv[2], "", value, sizeof value, argv[i]);
        for (size_t k = 0, n = strlen(value); k < n; ++k)
            printf("%02x", static_cast<unsigned char>(value[k]));
        printf("\n");
    }
    return 0;
}
