// PURPOSE: the error codes raised through the error frames.
#pragma once
#include <stdint.h>

typedef int32_t ErrorCode;

const ErrorCode kNoError = 0;
const ErrorCode kQuietStop = 1;          // cancelled, or already reported to the user
const ErrorCode kOutOfMemory = -14;
const ErrorCode kWrongKindOfDestination = -183;  // a file where a directory must be, or the reverse
const ErrorCode kNoExistingAncestor = -3;

// The code for the Windows call that has just failed: -GetLastError(), or
// -ERROR_GEN_FAILURE when the call set no error.
ErrorCode LastWindowsError();
