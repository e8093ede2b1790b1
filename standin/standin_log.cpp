// PURPOSE: appending one line to the log, shared with other processes.
#include "standin_log.h"
#include <windows.h>

namespace {

// Append-only access writes every line at the end even when a parent and its
// child log at the same moment. Windows 9x knows no such access; there the
// file is opened for writing and each line goes to its current end.
HANDLE OpenForAppending(const char* path, bool& appendOnly) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    for (int attempt = 0; attempt < 50; ++attempt) {
        appendOnly = true;
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, share, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        if (file != INVALID_HANDLE_VALUE) return file;
        appendOnly = false;
        file = CreateFileA(path, GENERIC_WRITE, share, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        if (file != INVALID_HANDLE_VALUE) return file;
        Sleep(10);
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

void LogEvent(const char* logPath, const char* event, const char* detail) {
    char line[1200];
    int length = wsprintfA(line, "%s pid=%lu tick=%lu %.900s\r\n", event, GetCurrentProcessId(),
                           GetTickCount(), detail);
    bool appendOnly;
    HANDLE file = OpenForAppending(logPath, appendOnly);
    if (file == INVALID_HANDLE_VALUE) return;
    if (!appendOnly) SetFilePointer(file, 0, 0, FILE_END);
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>(length), &written, 0);
    CloseHandle(file);
}
