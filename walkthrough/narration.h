// PURPOSE: the walk-through's account of what happened: numbered steps,
// indented details with the time since the step began, and checks that
// count as failures when they do not hold.
#pragma once
#include <windows.h>
#include <string>

// The next Step is number first (1 unless set).
void NumberStepsFrom(int first);
// Starts step N (numbered from 1) with a heading; details follow below it.
void Step(const std::string& heading);
// One line under the current step, prefixed with the seconds since it began
// (until `at`, a GetTickCount() value, when given: every process on the
// machine shares that clock).
void Detail(const std::string& text, DWORD at = 0);
// A line under the current step without a time.
void Note(const std::string& text);
// A line for scripts/check-disc to read ("@kind\tfields..."), as it is.
void Record(const std::string& line);
// Records a failure when holds is false and says so; returns holds.
bool Check(bool holds, const std::string& what);
int Failures();

// Texts read from windows are in the ANSI code page; the terminal wants UTF-8.
std::string Utf8FromAnsi(const std::string& text);
// "1.25 s"
std::string Seconds(DWORD milliseconds);
// A window text or title in double quotes, each line break shown as " / ".
std::string Quoted(const std::string& text);
