// PURPOSE: the stand-in's log: one line per event, appended, so that tests
// can tell what happened in which order, across processes.
#pragma once

// Appends "<event> pid=<process id> tick=<GetTickCount()> <detail>".
void LogEvent(const char* logPath, const char* event, const char* detail);
