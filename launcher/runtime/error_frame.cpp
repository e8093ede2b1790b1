// PURPOSE: the process-wide error context and the frame operations.
#include "error_frame.h"
#include <windows.h>

namespace {

struct ErrorContext {
    ErrorFrame* innermost;
    ErrorCode code;
    bool handled;      // a frame is handling the error it caught
};

ErrorContext g_errors = {0, kNoError, false};

void ResumeAt(ErrorFrame* frame) {
    __builtin_longjmp(frame->resume, 1);
}

}  // namespace

ErrorCode LastWindowsError() {
    // Some calls fail without setting an error (GetFullPathNameA of an empty
    // name); a failure must never read as success.
    DWORD error = GetLastError();
    return error ? -static_cast<ErrorCode>(error) : -static_cast<ErrorCode>(ERROR_GEN_FAILURE);
}

void OpenErrorFrame(ErrorFrame* frame) {
    frame->previous = g_errors.innermost;
    g_errors.innermost = frame;
    g_errors.code = kNoError;
}

void CloseErrorFrame() {
    g_errors.innermost = g_errors.innermost->previous;
    if (g_errors.code != kNoError && !g_errors.handled && g_errors.innermost)
        ResumeAt(g_errors.innermost);   // nobody caught it: it travels on
    g_errors.handled = false;
    g_errors.code = kNoError;
}

void RaiseError(ErrorCode code) {
    if (code != kNoError) g_errors.code = code;
    if (g_errors.handled) {
        // Raised while handling: the frame being handled is done with.
        g_errors.innermost = g_errors.innermost->previous;
        g_errors.handled = false;
    }
    if (g_errors.innermost) ResumeAt(g_errors.innermost);
}

bool CatchError(ErrorCode filter) {
    if (g_errors.code == kNoError || g_errors.handled) return false;
    if (filter != kNoError && filter != g_errors.code) return false;
    g_errors.handled = true;
    return true;
}

ErrorCode CurrentErrorCode() {
    return g_errors.code;
}

ErrorCode ProtectedCall(void (*body)(void* context), void* context) {
    ErrorFrame frame;
    OpenErrorFrame(&frame);
    if (__builtin_setjmp(frame.resume) == 0) body(context);
    ErrorCode code = CatchError(kNoError) ? CurrentErrorCode() : kNoError;
    CloseErrorFrame();
    return code;
}
