// A DLL planted beside SETUP.EXE or Tarrywin.exe is not loaded: each program
// runs from a folder that also holds a uxtheme.dll of the planter's, which
// the user interface loads by name after the program has started. The
// planted DLL leaves a proof file when it is loaded.
//
// Wine prefers its own built-in DLLs to a file of the same name, which would
// hide a planted DLL whatever the programs do; so for the programs of these
// tests uxtheme is set to "native first" (Wine's per-program DLL overrides in
// the registry; its WINEDLLOVERRIDES variable is read only from the Unix
// environment), as on Windows, where a DLL file is all there is. A probe that
// leaves the search alone shows that the plant then works.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <string>
#include <vector>
#include "processes.h"

namespace {

const char kPlantedName[] = "uxtheme.dll";
const DWORD kLoadTimeoutMs = 20000;

std::string TestBinary(const char* name) {
    return TestEnvironment("TEST_BIN") + "\\" + name;
}

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string SystemDirectory() {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    return std::string(path, length);
}

// The full path of the module `name` in process `id`, or "" when the process
// has not loaded it (or has ended).
std::string LoadedModulePath(DWORD id, const std::string& name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id);
    if (snapshot == INVALID_HANDLE_VALUE) return "";
    std::string found;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
        if (lstrcmpiA(module.szModule, name.c_str()) == 0) {
            found = module.szExePath;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

// Ends the processes that `parent` started (the waiter's setup.exe).
void EndChildrenOf(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (child) {
            TerminateProcess(child, 99);
            WaitForSingleObject(child, 5000);
            CloseHandle(child);
        }
    }
    CloseHandle(snapshot);
}

// Wine's per-program setting "load uxtheme.dll from a file first", for each
// program name these tests run; removed again at the end.
class NativeUxthemeFirst {
public:
    explicit NativeUxthemeFirst(std::vector<std::string> programs) : programs_(programs) {
        for (const std::string& program : programs_) {
            HKEY key;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyOf(program).c_str(), 0, NULL, 0, KEY_SET_VALUE,
                                NULL, &key, NULL) != ERROR_SUCCESS) {
                ADD_FAILURE() << "cannot write " << KeyOf(program);
                continue;
            }
            const char order[] = "native,builtin";
            RegSetValueExA(key, "uxtheme", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
            RegCloseKey(key);
        }
    }
    ~NativeUxthemeFirst() {
        for (const std::string& program : programs_) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyOf(program).c_str(), 0, KEY_SET_VALUE, &key) ==
                ERROR_SUCCESS) {
                RegDeleteValueA(key, "uxtheme");
                RegCloseKey(key);
            }
            DeleteKeyIfEmpty(KeyOf(program));
            DeleteKeyIfEmpty(ProgramKeyOf(program));
        }
    }

private:
    static std::string ProgramKeyOf(const std::string& program) {
        return "Software\\Wine\\AppDefaults\\" + program;
    }
    static std::string KeyOf(const std::string& program) {
        return ProgramKeyOf(program) + "\\DllOverrides";
    }
    // Other settings for the same program stay untouched.
    static void DeleteKeyIfEmpty(const std::string& path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        DWORD subkeys = 1, values = 1;
        RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
        RegCloseKey(key);
        if (subkeys == 0 && values == 0) RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    }
    std::vector<std::string> programs_;
};

// A folder holding a copy of a program and the planted DLL beside it.
struct PlantedFolder {
    std::string folder;
    std::string name;
    std::string program;

    PlantedFolder(const std::string& source, const std::string& name) : name(name) {
        folder = MakeTempFolder("planted");
        program = folder + "\\" + name;
        EXPECT_TRUE(CopyInto(source, program)) << source;
        EXPECT_TRUE(CopyInto(TestBinary("planted_marker.dll"), folder + "\\" + kPlantedName));
    }

    // The programs have ended by now; what they leave goes with the folder.
    ~PlantedFolder() {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((folder + "\\" + entry.cFileName).c_str());
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string Proof() const { return folder + "\\" + kPlantedName + ".loaded"; }
    bool PlantWasLoaded() const { return GetFileAttributesA(Proof().c_str()) != INVALID_FILE_ATTRIBUTES; }
};

// What became of the planted name in a program's run.
struct Outcome {
    bool plantLoaded;
    std::string loadedFrom;   // where the program's uxtheme.dll came from
};

// Runs the program in its folder until it has either loaded the planted DLL
// or a uxtheme.dll of its own, then ends it.
Outcome RunPlanted(const PlantedFolder& planted, const std::string& arguments = "") {
    Outcome outcome = {false, ""};
    NativeUxthemeFirst nativeFirst({planted.name});
    Program program;
    std::string line = "\"" + planted.program + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!program.Start(line, planted.folder)) {
        ADD_FAILURE() << "cannot start " << line;
        return outcome;
    }
    WaitUntil([&] {
        outcome.plantLoaded = planted.PlantWasLoaded();
        outcome.loadedFrom = LoadedModulePath(program.id(), kPlantedName);
        return outcome.plantLoaded || !outcome.loadedFrom.empty();
    }, kLoadTimeoutMs);
    DWORD id = program.id();
    program.Terminate();
    EndChildrenOf(id);
    outcome.plantLoaded = planted.PlantWasLoaded();
    return outcome;
}

void ExpectSystemCopyLoaded(const Outcome& outcome) {
    EXPECT_FALSE(outcome.plantLoaded) << "the planted " << kPlantedName << " was loaded";
    ASSERT_FALSE(outcome.loadedFrom.empty()) << kPlantedName << " was never loaded at all";
    EXPECT_EQ(Lower(SystemDirectory() + "\\" + kPlantedName), Lower(outcome.loadedFrom));
}

TEST(DllPlanting, WithTheSearchLeftAloneThePlantedDllIsLoaded) {
    PlantedFolder planted(TestBinary("dll_search_probe.exe"), "probe.exe");
    Outcome outcome = RunPlanted(planted, "unrestricted");
    EXPECT_TRUE(outcome.plantLoaded)
        << "the plant did not work here, so the cases below would prove nothing";
}

TEST(DllPlanting, RestrictedSearchLoadsTheSystemCopyInstead) {
    PlantedFolder planted(TestBinary("dll_search_probe.exe"), "probe.exe");
    ExpectSystemCopyLoaded(RunPlanted(planted, "restricted"));
}

TEST(DllPlanting, SetupProgramIgnoresADllBesideIt) {
    PlantedFolder planted(TestEnvironment("SETUP_EXE"), "SETUP.EXE");
    ExpectSystemCopyLoaded(RunPlanted(planted));
}

// The waiter starts the setup.exe beside it and waits; that setup.exe here is
// the probe, staying without a window.
TEST(DllPlanting, WaiterIgnoresADllBesideIt) {
    PlantedFolder planted(TestEnvironment("TARRYWIN_EXE"), "Tarrywin.exe");
    ASSERT_TRUE(CopyInto(TestBinary("dll_search_probe.exe"), planted.folder + "\\setup.exe"));
    ASSERT_TRUE(WriteTextFile(planted.folder + "\\Tarrywin.INI",
                              "[CHECK]\r\nSTRING=No window has this title\r\n"));
    ExpectSystemCopyLoaded(RunPlanted(planted));
}

}  // namespace
