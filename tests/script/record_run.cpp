// Appends "<own file name>|<current directory>" to the file named by
// RECORD_LOG, after sleeping RECORD_DELAY_MS (default 300) milliseconds, so
// that a caller which did not wait would miss the line.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main() {
    const char* log = getenv("RECORD_LOG");
    const char* delay = getenv("RECORD_DELAY_MS");
    Sleep(delay ? atoi(delay) : 300);
    char module[MAX_PATH], directory[MAX_PATH];
    GetModuleFileNameA(NULL, module, sizeof module);
    GetCurrentDirectoryA(sizeof directory, directory);
    const char* name = strrchr(module, '\\') ? strrchr(module, '\\') + 1 : module;
    FILE* out = log ? fopen(log, "ab") : NULL;
    if (!out) return 1;
    fprintf(out, "%s|%s\n", name, directory);
    fclose(out);
    return 0;
}
