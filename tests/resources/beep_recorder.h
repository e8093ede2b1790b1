// PURPOSE: recording the beeps that the launcher's code, linked into this
// test program, asks Windows for.
#pragma once
#include <windows.h>
#include <vector>

// Points this program's import of MessageBeep at a recorder that notes the
// beep type and then calls the real MessageBeep. False when the import
// cannot be found or patched.
bool RecordMessageBeeps();

// The beep types recorded since the last call, in order; the record is
// emptied.
std::vector<UINT> TakeRecordedBeeps();
