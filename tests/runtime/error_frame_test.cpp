#include <gtest/gtest.h>
#include "runtime/error_frame.h"

namespace {

// A block that releases what it owns and passes the error on, as every
// owning function does; counts its releases.
void ReleaseAndPassOn(int& releases, void (*inner)()) {
    ErrorCode code = Protect([&] { inner(); });
    ++releases;
    PassOn(code);
}

TEST(ErrorFrame, CompletedBlockLeavesNoError) {
    EXPECT_EQ(0, Protect([] {}));
    EXPECT_EQ(0, CurrentErrorCode());
}

TEST(ErrorFrame, RaiseStopsTheBlockAndReturnsItsCode) {
    bool after = false;
    ErrorCode code = Protect([&] {
        RaiseError(-5);
        after = true;
    });
    EXPECT_EQ(-5, code);
    EXPECT_FALSE(after);
    EXPECT_EQ(0, CurrentErrorCode());
}

TEST(ErrorFrame, NestedReleaseAndPassOnKeepsTheCode) {
    int releases = 0;
    ErrorCode code = Protect([&] {
        ReleaseAndPassOn(releases, [] { RaiseError(kOutOfMemory); });
    });
    EXPECT_EQ(kOutOfMemory, code);
    EXPECT_EQ(1, releases);
}

TEST(ErrorFrame, TwoLevelsOfReleaseBothRelease) {
    int outerReleases = 0;
    static int innerReleases;
    innerReleases = 0;
    ErrorCode code = Protect([&] {
        ReleaseAndPassOn(outerReleases, [] {
            ReleaseAndPassOn(innerReleases, [] { RaiseError(kOutOfMemory); });
        });
    });
    EXPECT_EQ(kOutOfMemory, code);
    EXPECT_EQ(1, outerReleases);
    EXPECT_EQ(1, innerReleases);
}

TEST(ErrorFrame, SwallowedErrorLeavesEnclosingFramesClean) {
    bool outerGoesOn = false;
    ErrorCode outer = Protect([&] {
        ErrorCode inner = Protect([] { RaiseError(-2); });
        EXPECT_EQ(-2, inner);
        outerGoesOn = true;
    });
    EXPECT_TRUE(outerGoesOn);
    EXPECT_EQ(0, outer);
}

// The low-level operations, in the order the frame discipline uses them.
TEST(ErrorFrameLowLevel, CatchErrorIsTrueOnlyOnceForOneError) {
    ErrorFrame frame;
    OpenErrorFrame(&frame);
    if (__builtin_setjmp(frame.resume) == 0) RaiseError(-7);
    EXPECT_TRUE(CatchError(0));
    EXPECT_FALSE(CatchError(0));
    EXPECT_EQ(-7, CurrentErrorCode());
    CloseErrorFrame();
    EXPECT_EQ(0, CurrentErrorCode());
}

TEST(ErrorFrameLowLevel, CatchFilterMustMatchTheCode) {
    ErrorFrame frame;
    OpenErrorFrame(&frame);
    if (__builtin_setjmp(frame.resume) == 0) RaiseError(-7);
    EXPECT_FALSE(CatchError(-8));
    EXPECT_TRUE(CatchError(-7));
    CloseErrorFrame();
}

// Raising 1 while handling -5 replaces the code and goes to the next outer
// frame; the handled frame is not resumed again.
TEST(ErrorFrameLowLevel, RaiseWhileHandlingGoesToTheNextOuterFrame) {
    static int innerResumptions;
    innerResumptions = 0;
    ErrorCode code = Protect([] {
        ErrorFrame frame;
        OpenErrorFrame(&frame);
        if (__builtin_setjmp(frame.resume) == 0) {
            RaiseError(-5);
        } else {
            ++innerResumptions;
        }
        if (CatchError(0)) {
            EXPECT_EQ(-5, CurrentErrorCode());
            RaiseError(kQuietStop);
        }
        ADD_FAILURE() << "the handled frame went on";
        CloseErrorFrame();
    });
    EXPECT_EQ(kQuietStop, code);
    EXPECT_EQ(1, innerResumptions);
}

// An error that its frame does not catch travels on when the frame closes.
TEST(ErrorFrameLowLevel, UncaughtErrorTravelsOnAtClose) {
    ErrorCode code = Protect([] {
        ErrorFrame frame;
        OpenErrorFrame(&frame);
        if (__builtin_setjmp(frame.resume) == 0) RaiseError(-9);
        EXPECT_FALSE(CatchError(-1));
        CloseErrorFrame();
        ADD_FAILURE() << "the uncaught error stayed";
    });
    EXPECT_EQ(-9, code);
}

// Raising 0 from a catcher raises the code it caught.
TEST(ErrorFrameLowLevel, RaiseZeroPassesTheCaughtCodeOn) {
    ErrorCode code = Protect([] {
        ErrorFrame frame;
        OpenErrorFrame(&frame);
        if (__builtin_setjmp(frame.resume) == 0) RaiseError(kWrongKindOfDestination);
        if (CatchError(0)) RaiseError(0);
        CloseErrorFrame();
    });
    EXPECT_EQ(kWrongKindOfDestination, code);
}

TEST(ErrorFrameLowLevel, RaiseWithoutAnyFrameReturns) {
    // No frame is open here (gtest runs the test outside any Protect).
    RaiseError(-3);
    EXPECT_EQ(-3, CurrentErrorCode());
    ErrorCode cleared = Protect([] {});   // opening a frame clears the code
    EXPECT_EQ(0, cleared);
    EXPECT_EQ(0, CurrentErrorCode());
}

}  // namespace
