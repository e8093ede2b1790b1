// PURPOSE: how long the waiter takes to notice that the watched window has
// gone: from the stand-in installer destroying its window (the tick it logs)
// to the end of the waiter's process (the tick at which our wait returns).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "driver_tasks.h"
#include "processes.h"

namespace {

const DWORD kRunTimeoutMs = 60000;
const int kWindowLifetimeMs = 600;

// The tick the stand-in logged when its window was destroyed, or -1.
long WindowClosedTick(const std::string& log) {
    size_t at = log.find("window-closed ");
    if (at == std::string::npos) return -1;
    size_t tick = log.find("tick=", at);
    return tick == std::string::npos ? -1 : atol(log.c_str() + tick + 5);
}

}  // namespace

int TimeDetections(const std::string& folder, const std::string& title, int runs) {
    const std::string log = folder + "\\standin.log";
    for (int run = 0; run < runs; ++run) {
        // The window opens after a delay that moves through the whole poll
        // interval from run to run, so it closes at every phase of the poll.
        int delay = (run * 211) % 500;
        char settings[512];
        sprintf(settings, "[standin]\r\nmode=window\r\ntitle=%s\r\nlifetime=%d\r\ndelay=%d\r\n",
                title.c_str(), kWindowLifetimeMs, delay);
        if (!WriteTextFile(folder + "\\standin.ini", settings)) return 1;
        DeleteFileA(log.c_str());

        Program waiter;
        if (!waiter.Start("\"" + folder + "\\Tarrywin.exe\"", folder)) {
            printf("latency failed to start\n");
            return 1;
        }
        DWORD ended = WaitForSingleObject(waiter.handle(), kRunTimeoutMs);
        long endTick = static_cast<long>(GetTickCount());
        long closedTick = WindowClosedTick(ReadTextFile(log));
        if (ended != WAIT_OBJECT_0 || closedTick < 0) {
            printf("latency failed run=%d\n", run);
            return 1;
        }
        printf("latency %ld delay=%d\n", endTick - closedTick, delay);
    }
    return 0;
}
