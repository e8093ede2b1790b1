// PURPOSE: printing the walk-through's steps as they happen.
#include "narration.h"
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace {

int g_step = 0;
DWORD g_stepStart = 0;
int g_failures = 0;

void PrintLine(const std::string& line) {
    // Binary mode: lines end in "\n" as on the Linux terminal that shows them.
    static bool binary = (_setmode(_fileno(stdout), _O_BINARY), true);
    (void)binary;
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

}  // namespace

void NumberStepsFrom(int first) {
    g_step = first - 1;
}

void Step(const std::string& heading) {
    g_stepStart = GetTickCount();
    PrintLine("");
    PrintLine(std::to_string(++g_step) + ". " + heading);
}

void Detail(const std::string& text, DWORD at) {
    char stamp[32];
    DWORD elapsed = (at ? at : GetTickCount()) - g_stepStart;
    if (static_cast<LONG>(elapsed) < 0) elapsed = 0;
    snprintf(stamp, sizeof stamp, "   [%3lu.%01lu s] ", elapsed / 1000, (elapsed % 1000) / 100);
    PrintLine(stamp + text);
}

void Note(const std::string& text) {
    PrintLine("              " + text);
}

void Record(const std::string& line) {
    PrintLine(line);
}

bool Check(bool holds, const std::string& what) {
    if (!holds) {
        ++g_failures;
        PrintLine("   FAILED: " + what);
    }
    return holds;
}

int Failures() {
    return g_failures;
}

std::string Utf8FromAnsi(const std::string& text) {
    if (text.empty()) return text;
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    std::wstring unicode(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &unicode[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, unicode.data(), wide, NULL, 0, NULL, NULL);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, unicode.data(), wide, &utf8[0], bytes, NULL, NULL);
    return utf8;
}

std::string Seconds(DWORD milliseconds) {
    char text[32];
    snprintf(text, sizeof text, "%lu.%02lu s", milliseconds / 1000, (milliseconds % 1000) / 10);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') shown += " / ";
        else shown += c;
    }
    return "\"" + Utf8FromAnsi(shown) + "\"";
}
