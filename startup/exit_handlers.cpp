// PURPOSE: a fixed-size list of exit handlers, so that no allocation is needed
// to register one.
#include "exit_handlers.h"

namespace {
const int kMaxExitHandlers = 32;
ExitHandler g_handlers[kMaxExitHandlers];
int g_handlerCount = 0;
}

bool RegisterExitHandler(ExitHandler handler) {
    if (g_handlerCount == kMaxExitHandlers) return false;
    g_handlers[g_handlerCount++] = handler;
    return true;
}

void RunExitHandlers() {
    while (g_handlerCount > 0) g_handlers[--g_handlerCount]();
}
