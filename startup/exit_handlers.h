// PURPOSE: the process's exit-handler list, run just before the process ends.
#pragma once

typedef void (*ExitHandler)();

// Registers a handler; handlers run last registered first. Returns false when
// the list is full (the handler then never runs).
bool RegisterExitHandler(ExitHandler handler);

// Runs and forgets every registered handler (the start-up module calls it
// before ExitProcess).
void RunExitHandlers();
