// PURPOSE: the counted wait-cursor bracket around a running install script.
#pragma once
#include <stdint.h>

// The first Begin shows the wait cursor and keeps the one it replaced.
void BeginBusyCursor();
// The End that brings the count to 0 puts the kept cursor back (the arrow
// when none was kept). An End with no Begin open does nothing.
void EndBusyCursor();

int32_t BusyCount();
