// PURPOSE: error frames: the launcher's replacement for exceptions. A raise
// jumps straight to the innermost open frame; nothing between is unwound, so
// whoever owns a resource across a possible raise releases it explicitly.
#pragma once
#include "error_codes.h"

struct ErrorFrame {
    ErrorFrame* previous;   // the frame that was innermost when this one opened
    void* resume[5];        // resumption point (__builtin_setjmp buffer)
};

// The low-level frame operations. Code outside error_frame.cpp should use
// Protect() below, which opens, saves, catches and closes in the right order.
void OpenErrorFrame(ErrorFrame* frame);
void CloseErrorFrame();
void RaiseError(ErrorCode code);        // 0 raises the current code again
bool CatchError(ErrorCode filter);      // 0 catches any code
ErrorCode CurrentErrorCode();

// Runs body(context) inside a new innermost frame and returns 0 when it ran
// to its end, or the code that a raise brought back. Either way the frame is
// closed and the error caught when this returns. The one place that saves a
// resumption point.
ErrorCode ProtectedCall(void (*body)(void* context), void* context);

// Protect([&] { ... }) runs the block in its own frame and returns the code
// that stopped it (0 when it completed). The two ways of using it:
//
//   release and pass on:   ErrorCode code = Protect([&] { ... });
//                          release what the block owned;
//                          PassOn(code);
//
//   swallow and decide:    ErrorCode code = Protect([&] { ... });
//                          if (code != 0) { show a dialog, return a default, ... }
//
// Variables that the block changes are captured by reference, so they live in
// the caller's frame and keep their values after a raise.
template <class Block>
ErrorCode Protect(Block&& block) {
    return ProtectedCall([](void* context) { (*static_cast<Block*>(context))(); },
                         &block);
}

// Raises the code again to the next outer frame; does nothing for 0.
inline void PassOn(ErrorCode code) {
    if (code != kNoError) RaiseError(code);
}
