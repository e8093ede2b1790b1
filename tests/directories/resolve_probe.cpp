// Writes the launcher-relative resolution of argv[1] to the file argv[2], or
// "error <code>".
#include <windows.h>
#include <stdio.h>
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    char* result = 0;
    ErrorCode code = Protect([&] { result = ResolveAgainstLauncherDirectory(argv[1]); });
    FILE* out = fopen(argv[2], "wb");
    if (!out) return 3;
    if (code) fprintf(out, "error %ld", static_cast<long>(code));
    else fputs(result, out);
    fclose(out);
    Release(result);
    return 0;
}
