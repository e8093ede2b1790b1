// The waiter under code page 932 (Japanese), where 0x5C, the backslash, is
// also the trail byte of characters such as 0x95 0x5C.
#include <gtest/gtest.h>
#include "waiter_case.h"

namespace {

const char kTableCharacter[] = "\x95\x5c";           // ends in 0x5C
const char kHyouji[] = "\x95\x5c\x8e\xa6";            // a folder name: two characters
const char kTesuto[] = "\x83\x65\x83\x58\x83\x67";    // three katakana

TEST(WaiterUnderCodePage932, IsActive) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the Japanese locale";
}

// Runs a waiter whose Japanese title matches the installer's window, and
// checks that it waited for that window to come and go.
void ExpectWaitsForTheInstaller(WaiterCase& waiterCase, const std::string& title) {
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 5000)) << "setup.exe did not run";
    EXPECT_TRUE(waiterCase.waiter().Running());
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "the waiter did not wait for \"" << title << "\"";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

TEST(WaiterUnderCodePage932, AFolderNameWithTrailByte5C) {
    WaiterCase waiterCase("dbcs-folder", kHyouji);
    std::string title = std::string(kHyouji) + kTesuto + " " + UniqueTitle("dbcs-folder");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "lifetime=1500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ExpectWaitsForTheInstaller(waiterCase, title);
}

// The last byte 0x5C of its path is no backslash: the folder is still the
// one the program is in.
TEST(WaiterUnderCodePage932, AProgramNameEndingInTrailByte5C) {
    WaiterCase waiterCase("dbcs-name", kHyouji);
    std::string title = std::string(kTesuto) + " " + UniqueTitle("dbcs-name");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "lifetime=1500"});
    ASSERT_TRUE(waiterCase.StartWaiterNamed(std::string("Tarrywin") + kTableCharacter + ".exe"));
    ExpectWaitsForTheInstaller(waiterCase, title);
}

}  // namespace
