#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <sstream>
#include <string>
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

namespace {

std::string CurrentDirectory() {
    char buffer[MAX_PATH * 2];
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH];
    GetWindowsDirectoryA(buffer, sizeof buffer);
    return buffer;
}

std::string OwnDirectory() {
    char buffer[MAX_PATH * 2];
    GetModuleFileNameA(NULL, buffer, sizeof buffer);
    std::string path = buffer;
    return path.substr(0, path.rfind('\\'));
}

// Runs a launcher-side call and hands back its result as a string, or the
// error code it raised.
template <class Call>
std::string Resolve(Call call, ErrorCode* code = nullptr) {
    char* result = nullptr;
    ErrorCode raised = Protect([&] { result = call(); });
    if (code) *code = raised;
    std::string text = result ? result : "";
    Release(result);
    return text;
}

TEST(Queries, MatchWindows) {
    EXPECT_EQ(WindowsDirectory(), Resolve([] { return QueryWindowsDirectory(); }));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(system, Resolve([] { return QuerySystemDirectory(); }));
    EXPECT_EQ(CurrentDirectory(), Resolve([] { return QueryCurrentDirectory(); }));
}

TEST(Resolve, FullPathResolvesToItselfAgainstEitherDirectory) {
    const char* full = "C:\\some dir\\file.txt";
    EXPECT_EQ(full, Resolve([&] { return ResolveAgainstLauncherDirectory(full); }));
    EXPECT_EQ(full, Resolve([&] { return ResolveAgainstKnownDirectory(full, 'w'); }));
}

TEST(Resolve, RelativeNamesTakeTheBaseDirectory) {
    std::string own = OwnDirectory();
    std::string windows = WindowsDirectory();
    std::string ownParent = own.substr(0, own.rfind('\\'));
    std::string windowsParent = windows.substr(0, windows.rfind('\\'));
    if (windowsParent.size() == 2) windowsParent += '\\';   // "C:" is the drive root
    EXPECT_EQ(own + "\\orbital\\west\\tarrywin.exe",
              Resolve([] { return ResolveAgainstLauncherDirectory("orbital\\west\\tarrywin.exe"); }));
    EXPECT_EQ(ownParent + "\\x", Resolve([] { return ResolveAgainstLauncherDirectory("..\\x"); }));
    EXPECT_EQ(windows + "\\fonts\\a.fon", Resolve([] { return ResolveAgainstKnownDirectory("fonts\\a.fon", 'w'); }));
    std::string up = windowsParent + (windowsParent.back() == '\\' ? "" : "\\") + "x";
    EXPECT_EQ(up, Resolve([] { return ResolveAgainstKnownDirectory("..\\x", 'w'); }));
}

TEST(Resolve, CurrentDirectoryIsRestoredOnBothPaths) {
    std::string before = CurrentDirectory();
    Resolve([] { return ResolveAgainstLauncherDirectory("a"); });
    EXPECT_EQ(before, CurrentDirectory());
    Resolve([] { return ResolveAgainstKnownDirectory("a", 's'); });
    EXPECT_EQ(before, CurrentDirectory());

    // Names that cannot be completed: an empty one (Windows sets no error
    // for it) and an overlong one. The error is passed on, the directory is
    // back.
    for (std::string name : {std::string(), std::string(300, 'a')}) {
        ErrorCode code = 0;
        std::string result = Resolve([&] { return ResolveAgainstLauncherDirectory(name.c_str()); }, &code);
        EXPECT_LT(code, 0) << result;
        EXPECT_EQ(before, CurrentDirectory());
        code = 0;
        result = Resolve([&] { return ResolveAgainstKnownDirectory(name.c_str(), 'w'); }, &code);
        EXPECT_LT(code, 0) << result;
        EXPECT_EQ(before, CurrentDirectory());
    }
}

TEST(KnownDirectory, IsQueriedOncePerLetter) {
    const char* first = nullptr;
    const char* second = nullptr;
    ASSERT_EQ(0, Protect([&] { first = KnownDirectory('w'); second = KnownDirectory('w'); }));
    EXPECT_EQ(first, second);   // the same cached string: no second query
    EXPECT_EQ(WindowsDirectory(), first);
    const char* system = nullptr;
    ASSERT_EQ(0, Protect([&] { system = KnownDirectory('s'); }));
    EXPECT_NE(first, system);
}

TEST(KnownDirectory, LettersAreCaseSensitive) {
    EXPECT_EQ(kQuietStop, Protect([] { KnownDirectory('W'); }));
    EXPECT_EQ(kQuietStop, Protect([] { KnownDirectory('x'); }));
    ErrorCode code = 0;
    std::string before = CurrentDirectory();
    Resolve([] { return ResolveAgainstKnownDirectory("a", 'S'); }, &code);
    EXPECT_EQ(kQuietStop, code);
    EXPECT_EQ(before, CurrentDirectory());
}

// The probe, copied into a folder whose depth makes its module path a given
// length, resolves a name against its own folder.
std::string RunProbeFrom(const std::string& folder, const std::string& name) {
    std::string probe = folder + "\\p.exe";
    std::string output = folder + "\\out.txt";
    std::string source = std::string(getenv("TEST_BIN")) + "\\resolve_probe.exe";
    EXPECT_TRUE(CopyFileA(source.c_str(), probe.c_str(), FALSE)) << probe;
    std::string command = "\"" + probe + "\" " + name + " \"" + output + "\"";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessA(probe.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return "cannot start";
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    std::ifstream in(output);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Makes nested folders under base until folder + "\\p.exe" is exactly
// length characters long.
std::string FolderForModulePathOfLength(const std::string& base, size_t length) {
    std::string folder = base;
    CreateDirectoryA(folder.c_str(), NULL);
    const size_t tail = strlen("\\p.exe");
    while (folder.size() + tail < length) {
        size_t room = length - tail - folder.size() - 1;   // one for the backslash
        folder += "\\" + std::string(room > 60 ? 60 : room, 'd');
        CreateDirectoryA(folder.c_str(), NULL);
    }
    return folder;
}

TEST(LauncherDirectory, ModulePathsAroundTheBufferSizeAreReadWhole) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    for (size_t length : {200u, 258u, 259u}) {
        std::string base = std::string(temp) + "deep" + std::to_string(length);
        std::string folder = FolderForModulePathOfLength(base, length);
        ASSERT_EQ(length, folder.size() + strlen("\\p.exe"));
        EXPECT_EQ(folder + "\\x.txt", RunProbeFrom(folder, "x.txt")) << length;
    }
}

}  // namespace
