// PURPOSE: the counted wait-cursor bracket around a running install script.
#include "busy_cursor.h"
#include <windows.h>

namespace {
int32_t g_busyCount = 0;
HCURSOR g_savedCursor = NULL;
}

void BeginBusyCursor() {
    if (g_busyCount++ == 0) g_savedCursor = SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

void EndBusyCursor() {
    if (g_busyCount <= 0) return;
    if (--g_busyCount == 0) {
        SetCursor(g_savedCursor ? g_savedCursor : LoadCursorA(NULL, IDC_ARROW));
        g_savedCursor = NULL;
    }
}

int32_t BusyCount() {
    return g_busyCount;
}
