// One launcher per disc whatever the spelling of its path: SETUP.EXE copied
// into a folder of its own and started twice, the second time under another
// spelling of the same file, as an AutoRun start and a double-click (or a
// lower-case drive letter) would.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cctype>
#include <string>
#include "gui.h"
#include "processes.h"

namespace {

const DWORD kShort = 15000;

// Changes the case of single-byte letters only: the two bytes of a
// double-byte character (its trail byte may look like a letter) stay.
std::string ChangeCase(std::string text, int (*change)(int)) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        text[i] = static_cast<char>(change(c));
    }
    return text;
}

std::string Lower(const std::string& text) { return ChangeCase(text, [](int c) { return std::tolower(c); }); }
std::string Upper(const std::string& text) { return ChangeCase(text, [](int c) { return std::toupper(c); }); }

// The menu is the 488 x 242 dialog of the process.
HWND WaitForMenu(DWORD processId) {
    HWND menu = NULL;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(processId, "#32770")) {
            RECT client;
            GetClientRect(dialog, &client);
            if (client.right == 488 && client.bottom == 242) menu = dialog;
        }
        return menu != NULL;
    }, kShort);
    return menu;
}

std::string Unescaped(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// A folder on Wine's C: drive holding a copy of SETUP.EXE, removed afterwards.
class LauncherCopy {
public:
    LauncherCopy() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        // FOLDER_SUFFIX adds characters of the ANSI code page to the name
        // (each byte written as %NN), double-byte ones under code page 932.
        folder_ = std::string(temp) + "Spelling Disc " + std::to_string(GetCurrentProcessId()) +
                  Unescaped(TestEnvironment("FOLDER_SUFFIX"));
        CreateDirectoryA(folder_.c_str(), NULL);
        exe_ = folder_ + "\\SETUP.EXE";
        copied_ = CopyFileA(TestEnvironment("SETUP_EXE").c_str(), exe_.c_str(), FALSE) != FALSE;
    }
    ~LauncherCopy() {
        DeleteFileA(exe_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    bool copied() const { return copied_; }
    const std::string& exe() const { return exe_; }
    const std::string& folder() const { return folder_; }

private:
    std::string folder_, exe_;
    bool copied_ = false;
};

struct Spellings {
    const char* name;
    std::string (*first)(const std::string&);
    std::string (*second)(const std::string&);
};

std::string AsCopied(const std::string& path) { return path; }
std::string AllLower(const std::string& path) { return Lower(path); }
std::string AllUpper(const std::string& path) { return Upper(path); }
// Only the drive letter differs.
std::string LowerDrive(const std::string& path) { return Lower(path.substr(0, 1)) + path.substr(1); }

const Spellings kCases[] = {
    {"as_copied_then_lower_case", AsCopied, AllLower},
    {"lower_case_then_upper_case", AllLower, AllUpper},
    {"as_copied_then_lower_drive_letter", AsCopied, LowerDrive},
};

void PrintTo(const Spellings& c, std::ostream* out) { *out << c.name; }

class InstanceSpelling : public testing::TestWithParam<Spellings> {};

TEST_P(InstanceSpelling, SecondSpellingBringsTheFirstForwardAndExits) {
    LauncherCopy copy;
    ASSERT_TRUE(copy.copied());
    const Spellings& c = GetParam();
    std::string first = c.first(copy.exe()), second = c.second(copy.exe());
    ASSERT_NE(first, second);

    Program setup;
    ASSERT_TRUE(setup.Start("\"" + first + "\"", copy.folder()));
    HWND menu = WaitForMenu(setup.id());
    ASSERT_NE(nullptr, menu);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                                 NULL, NULL, NULL);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 2000));

    Program again;
    ASSERT_TRUE(again.Start("\"" + second + "\"", copy.folder()));
    bool windowSeen = false;
    WaitUntil([&] {
        if (!TopLevelWindowsOf(again.id()).empty()) windowSeen = true;
        return !again.Running();
    }, kShort);
    EXPECT_EQ(0, again.WaitForExit(kShort));
    EXPECT_FALSE(windowSeen) << "the second spelling showed a window of its own";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == menu; }, 5000))
        << "the first copy's menu did not come forward";
    DestroyWindow(other);

    EXPECT_TRUE(setup.Running());
    SendSystemCommand(menu, SC_CLOSE);
    EXPECT_EQ(0, setup.WaitForExit(kShort));
}

INSTANTIATE_TEST_SUITE_P(Cases, InstanceSpelling, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Spellings>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
