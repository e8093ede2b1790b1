// Runs with a Japanese locale: the ANSI code page is 932, where 0x5C (the
// backslash) is also the second byte of characters such as 0x95 0x5C.
#include <gtest/gtest.h>
#include <windows.h>
#include "launch_fixture.h"
#include "processes.h"

namespace {

const std::string kTable = "\x95\x5c";   // one double-byte character ending in 0x5C

// Cut at the 0x5C inside the file name, the folder would be "...\<0x95>"
// and the file name "<0x5C rest>.exe"; the real cut is the last backslash.
TEST_F(LaunchTest, DoubleByteNamesAreCutAtTheRealLastBackslash) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the Japanese locale";
    std::string folder = folder_ + "\\" + kTable + " disc";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    std::string program = folder + "\\" + kTable + ".exe";
    ASSERT_TRUE(CopyInto(program_, program));
    std::string cwdFile = folder + "\\cwd.txt";
    ASSERT_TRUE(WriteTextFile(folder + "\\" + kTable + ".ini",
                              "[start]\r\nlog=" + log_ + "\r\ncwd_file=" + cwdFile + "\r\n"));

    LaunchOnWorker& launch = StartLaunch(program, nullptr);
    launch.MustReturnWithin(20000);
    EXPECT_EQ(0, launch.code());
    EXPECT_NE(0u, FindLog("start", "ended"));
    EXPECT_EQ(folder, ReadTextFile(cwdFile));
    EXPECT_EQ(callerDirectory_, CurrentDirectory());
}

}  // namespace
