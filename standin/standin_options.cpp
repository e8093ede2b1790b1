// PURPOSE: the stand-in's settings: defaults, standin.ini, command line.
#include "standin_options.h"

namespace {

const char kSection[] = "standin";

void CopyText(char* destination, int size, const char* source) {
    int i = 0;
    for (; i < size - 1 && source[i]; ++i) destination[i] = source[i];
    destination[i] = '\0';
}

void AppendText(char* destination, int size, const char* source) {
    int used = lstrlenA(destination);
    CopyText(destination + used, size - used, source);
}

int ParseNumber(const char* text, int fallback) {
    bool negative = *text == '-';
    if (negative) ++text;
    if (*text < '0' || *text > '9') return fallback;
    int value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + (*text - '0');
    return negative ? -value : value;
}

// The program's folder, its final backslash kept.
void FolderOf(const char* path, char* folder, int size) {
    CopyText(folder, size, path);
    char* cut = folder;
    for (char* at = folder; *at; at = CharNextA(at))
        if (*at == '\\') cut = at + 1;
    *cut = '\0';
}

void Apply(StandinOptions& options, const char* key, const char* value) {
    if (SameAscii(key, "mode")) CopyText(options.mode, sizeof options.mode, value);
    else if (SameAscii(key, "title")) CopyText(options.title, sizeof options.title, value);
    else if (SameAscii(key, "windows")) options.windows = ParseNumber(value, options.windows);
    else if (SameAscii(key, "lifetime")) options.lifetimeMs = ParseNumber(value, options.lifetimeMs);
    else if (SameAscii(key, "stagger")) options.staggerMs = ParseNumber(value, options.staggerMs);
    else if (SameAscii(key, "delay")) options.delayMs = ParseNumber(value, options.delayMs);
    else if (SameAscii(key, "exitcode")) options.exitCode = ParseNumber(value, options.exitCode);
    else if (SameAscii(key, "log")) CopyText(options.log, sizeof options.log, value);
}

const char* const kKeys[] = {"mode", "title", "windows", "lifetime", "stagger",
                             "delay", "exitcode", "log"};

void ReadIni(StandinOptions& options, const char* iniPath) {
    for (const char* key : kKeys) {
        char value[MAX_PATH];
        if (GetPrivateProfileStringA(kSection, key, "", value, sizeof value, iniPath) > 0)
            Apply(options, key, value);
    }
}

// The next blank-separated token into token (quotes group and are dropped);
// returns the rest of the line, or null at its end.
const char* NextToken(const char* line, char* token, int size) {
    while (*line == ' ' || *line == '\t') ++line;
    if (!*line) return 0;
    int length = 0;
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line) {
        if (*line == '"') quoted = !quoted;
        else if (length < size - 1) token[length++] = *line;
    }
    token[length] = '\0';
    return line;
}

void ReadArguments(StandinOptions& options, const char* arguments) {
    char token[MAX_PATH + 16];
    while ((arguments = NextToken(arguments, token, sizeof token)) != 0) {
        if (token[0] != '/') continue;
        char* value = token + 1;
        while (*value && *value != '=') ++value;
        if (!*value) continue;
        *value++ = '\0';
        Apply(options, token + 1, value);
    }
}

}  // namespace

bool SameAscii(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
        if (!x) return true;
    }
}

void ReadOptions(StandinOptions& options, const char* arguments) {
    CopyText(options.mode, sizeof options.mode, "window");
    CopyText(options.title, sizeof options.title, "Stand-in Setup");
    options.windows = 1;
    options.lifetimeMs = 3000;
    options.staggerMs = 0;
    options.delayMs = 0;
    options.exitCode = 0;
    options.program[0] = '\0';
    GetModuleFileNameA(0, options.program, sizeof options.program);
    char folder[MAX_PATH];
    FolderOf(options.program, folder, sizeof folder);
    CopyText(options.log, sizeof options.log, folder);
    AppendText(options.log, sizeof options.log, "standin.log");
    char iniPath[MAX_PATH];
    CopyText(iniPath, sizeof iniPath, folder);
    AppendText(iniPath, sizeof iniPath, "standin.ini");
    ReadIni(options, iniPath);
    ReadArguments(options, arguments);
    if (options.windows < 1) options.windows = 1;
    if (options.windows > 16) options.windows = 16;
}
