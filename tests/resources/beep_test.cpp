// The beep of every message dialog the launcher shows, observed where its
// code asks Windows for it: the stop beep (16) for B + 1, B + 3 and B + 4,
// the question beep (32) for B + 2 and the confirmations. The launcher's
// code is linked into this program with the shipped resources; its
// MessageBeep calls are recorded (beep_recorder.h) while a driver thread
// answers each dialog with OK and notes its text.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include "app/confirm_button.h"
#include "app/language_bases.h"
#include "app/version_gate.h"
#include "beep_recorder.h"
#include "gui.h"
#include "processes.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"
#include "script/install_script.h"

namespace {

const UINT kStop = MB_ICONHAND;          // 16
const UINT kQuestion = MB_ICONQUESTION;  // 32
const DWORD kDialogMs = 10000;

// Runs body on this thread while a driver presses OK on every dialog of this
// process; returns the texts of the dialogs it answered, in order.
std::vector<std::string> AnsweringWith(const std::function<void()>& body) {
    std::atomic<bool> done(false);
    std::vector<std::string> answered;
    std::thread driver([&] {
        while (!done) {
            for (HWND dialog : TopLevelWindowsOf(GetCurrentProcessId(), "#32770")) {
                answered.push_back(AllTexts(dialog));
                PressButton(dialog, IDOK);
                WaitForWindowGone(dialog, kDialogMs);
            }
            Sleep(20);
        }
    });
    body();
    done = true;
    driver.join();
    return answered;
}

bool Mentions(const std::vector<std::string>& texts, const std::string& needle) {
    for (const std::string& text : texts)
        if (text.find(needle) != std::string::npos) return true;
    return false;
}

std::string TestFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\'));
}

class Beeps : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RecordMessageBeeps());
        SetDialogBase(DIALOG_BASE_ENGLISH);
        TakeRecordedBeeps();
    }
};

TEST_F(Beeps, ConfirmationsAskWithTheQuestionBeep) {
    struct Case {
        int32_t button;
        const char* text;
    };
    for (const Case& c : {Case{2, "Installing all items."}, Case{3, "Installing applications."},
                          Case{4, "Installing TWAIN driver."}}) {
        SCOPED_TRACE(c.button);
        int32_t confirmed = 0;
        std::vector<std::string> answered = AnsweringWith([&] { confirmed = ConfirmButton(c.button); });
        EXPECT_EQ(1, confirmed);
        EXPECT_TRUE(Mentions(answered, c.text));
        EXPECT_EQ(std::vector<UINT>{kQuestion}, TakeRecordedBeeps());
    }
}

// B + 3: the program exists but the system cannot start it.
TEST_F(Beeps, ProgramThatCannotStartShowsItsDialogWithTheStopBeep) {
    const std::string name = "beep_not_a_program.exe";
    { std::ofstream(TestFolder() + "\\" + name) << "not a program"; }
    std::string command = "/" + name;
    ErrorCode code = kNoError;
    std::vector<std::string> answered =
        AnsweringWith([&] { code = Protect([&] { RunExecuteCommand(&command[0]); }); });
    DeleteFileA((TestFolder() + "\\" + name).c_str());
    EXPECT_EQ(kQuietStop, code);
    EXPECT_TRUE(Mentions(answered, "Could not start up the Custom installer."));
    EXPECT_EQ(std::vector<UINT>{kStop}, TakeRecordedBeeps());
}

// B + 4: the destination's parent is a file, so the copy cannot be made.
TEST_F(Beeps, CopyThatFailsShowsItsDialogWithTheStopBeep) {
    const std::string source = TestFolder() + "\\beep_copy_source.txt";
    { std::ofstream(source) << "copied"; }
    std::string command = "/beep_copy_source.txt/" + source + "\\inside";
    ErrorCode code = kNoError;
    std::vector<std::string> answered =
        AnsweringWith([&] { code = Protect([&] { RunCopyCommand(&command[0]); }); });
    DeleteFileA(source.c_str());
    EXPECT_EQ(kQuietStop, code);
    EXPECT_EQ(1u, answered.size());
    EXPECT_TRUE(Mentions(answered, "An error occurred while copying the files."));
    EXPECT_EQ(std::vector<UINT>{kStop}, TakeRecordedBeeps());
}

// The version gate runs in a copy of this program that Wine starts as the
// Windows version named in BEEP_VERSION_CHILD; it writes the beeps it
// recorded and the texts it answered to BEEP_RESULT, one per line.
TEST(VersionGateChild, RecordsTheGatesBeeps) {
    std::string result = TestEnvironment("BEEP_RESULT");
    if (result.empty()) GTEST_SKIP() << "run by VersionGate below";
    ASSERT_TRUE(RecordMessageBeeps());
    SetDialogBase(DIALOG_BASE_ENGLISH);
    std::vector<std::string> answered =
        AnsweringWith([] { Protect([] { CheckWindowsVersion(); }); });
    std::ofstream out(result);
    for (UINT beep : TakeRecordedBeeps()) out << "beep " << beep << "\n";
    for (std::string text : answered) {
        for (char& c : text)
            if (c == '\n' || c == '\r') c = ' ';
        out << "text " << text << "\n";
    }
}

// Wine's Windows version for this program while in scope; the version is
// taken when a process starts, so it applies to the copies started meanwhile.
class WindowsVersionForThisProgram {
public:
    explicit WindowsVersionForThisProgram(const char* version) {
        char path[MAX_PATH];
        GetModuleFileNameA(NULL, path, MAX_PATH);
        std::string exe(path);
        key_ = "Software\\Wine\\AppDefaults\\" + exe.substr(exe.rfind('\\') + 1);
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) ==
            ERROR_SUCCESS) {
            RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           lstrlenA(version) + 1);
            RegCloseKey(key);
        }
    }
    ~WindowsVersionForThisProgram() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }

private:
    std::string key_;
};

// Windows 95 before 4.00.950a asks only without a SubVersionNumber value.
class NoSubVersionNumber {
public:
    NoSubVersionNumber() {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                          KEY_READ | KEY_WRITE, &key_) != ERROR_SUCCESS)
            return;
        savedSize_ = sizeof saved_;
        had_ = RegQueryValueExA(key_, "SubVersionNumber", NULL, NULL, saved_, &savedSize_) ==
               ERROR_SUCCESS;
        if (had_) RegDeleteValueA(key_, "SubVersionNumber");
    }
    ~NoSubVersionNumber() {
        if (!key_) return;
        if (had_) RegSetValueExA(key_, "SubVersionNumber", 0, REG_SZ, saved_, savedSize_);
        RegCloseKey(key_);
    }

private:
    HKEY key_ = NULL;
    BYTE saved_[256];
    DWORD savedSize_ = 0;
    bool had_ = false;
};

struct GateCase {
    const char* version;
    UINT beep;
    const char* text;   // the start of the dialog's static text
};

void PrintTo(const GateCase& c, std::ostream* out) { *out << c.version; }

class VersionGate : public testing::TestWithParam<GateCase> {};

TEST_P(VersionGate, DialogComesWithItsBeep) {
    const GateCase& c = GetParam();
    NoSubVersionNumber none;
    WindowsVersionForThisProgram version(c.version);
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string result = TestFolder() + "\\beep_gate_" + c.version + ".txt";
    DeleteFileA(result.c_str());
    Program child;
    ASSERT_TRUE(child.Start(std::string("\"") + path + "\" --gtest_filter=VersionGateChild.*", "",
                            {"BEEP_RESULT=" + result}));
    EXPECT_EQ(0, child.WaitForExit(60000));
    std::ifstream in(result);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    in.close();
    DeleteFileA(result.c_str());
    ASSERT_EQ(2u, lines.size()) << "one beep and one dialog";
    EXPECT_EQ("beep " + std::to_string(c.beep), lines[0]);
    EXPECT_NE(std::string::npos, lines[1].find(c.text)) << lines[1];
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionGate,
                         testing::Values(GateCase{"nt351", kStop, "Windows NT 4.0"},
                                         GateCase{"win95", kQuestion, "Windows 95"}),
                         [](const testing::TestParamInfo<GateCase>& info) {
                             return std::string(info.param.version);
                         });

}  // namespace
