#include "disc_folder.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <sstream>
#include "processes.h"

std::string DiscFolder::TitleOf(const std::string& component, const std::string& language) {
    return component + " Setup (" + language + ")";
}

DiscFolder::DiscFolder(int windowLifetimeMs) {
    root_ = MakeTempFolder("disc");
    EXPECT_TRUE(CopyInto(TestEnvironment("FIXTURE_SETUP_EXE"), setupExe()));
    std::string standin = TestEnvironment("TEST_BIN") + "\\standin_setup.exe";
    for (const char* component : {"alpha", "beta", "gamma"}) {
        std::string componentFolder = root_ + "\\" + component;
        CreateDirectoryA(componentFolder.c_str(), NULL);
        for (const char* language : {"en", "fr", "de"}) {
            std::string folder = componentFolder + "\\" + language;
            CreateDirectoryA(folder.c_str(), NULL);
            EXPECT_TRUE(CopyInto(TestEnvironment("TARRYWIN_EXE"), folder + "\\Tarrywin.exe"));
            EXPECT_TRUE(CopyInto(standin, folder + "\\setup.exe"));
            std::string title = TitleOf(component, language);
            WriteTextFile(folder + "\\Tarrywin.INI", "[CHECK]\r\nSTRING=" + title + "\r\n");
            WriteTextFile(folder + "\\standin.ini",
                          "[standin]\r\nmode=child\r\ntitle=" + title + "\r\nlifetime=" +
                              std::to_string(windowLifetimeMs) + "\r\nlog=" + LogPath() + "\r\n");
        }
    }
}

std::vector<LogLine> DiscFolder::Log() const {
    std::vector<LogLine> lines;
    std::istringstream in(ReadTextFile(LogPath()));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        LogLine entry;
        std::istringstream fields(line);
        std::string pid, tick;
        fields >> entry.event >> pid >> tick;
        entry.pid = std::stoul(pid.substr(pid.find('=') + 1));
        std::getline(fields, entry.detail);
        if (!entry.detail.empty() && entry.detail[0] == ' ') entry.detail.erase(0, 1);
        lines.push_back(entry);
    }
    return lines;
}

std::vector<std::string> DiscFolder::OpenedWindows() const {
    std::vector<std::string> titles;
    for (const LogLine& line : Log())
        if (line.event == "window-open") titles.push_back(line.detail);
    return titles;
}

bool DiscFolder::WindowsCameOneAfterAnother() const {
    unsigned long open = 0;
    for (const LogLine& line : Log()) {
        if (line.event == "window-open") {
            if (open != 0) return false;
            open = line.pid;
        } else if (line.event == "window-closed" && line.pid == open) {
            open = 0;
        }
    }
    return open == 0;
}
