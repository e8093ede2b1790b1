// A disc folder for one test: the start-up tests' own SETUP.EXE (see
// data/launcher_fixture.rc), and for each of its components (alpha, beta,
// gamma) and language folders (en, fr, de) a Tarrywin.exe with its INI and a stand-in setup.exe that
// hands its titled window to a child and logs to one shared log.
#pragma once
#include <string>
#include <vector>

struct LogLine {
    std::string event;   // "window-open", "window-closed", "start", ...
    unsigned long pid;
    std::string detail;
};

class DiscFolder {
public:
    explicit DiscFolder(int windowLifetimeMs = 700);
    const std::string& root() const { return root_; }
    std::string setupExe() const { return root_ + "\\SETUP.EXE"; }
    std::string LogPath() const { return root_ + "\\installers.log"; }
    std::vector<LogLine> Log() const;
    // The titles of the installer windows, in the order they opened.
    std::vector<std::string> OpenedWindows() const;
    // True when every window closed before the next one opened.
    bool WindowsCameOneAfterAnother() const;

    static std::string TitleOf(const std::string& component, const std::string& language);

private:
    std::string root_;
};
