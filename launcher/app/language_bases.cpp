// PURPOSE: the language record chosen at start-up and the bases it gives.
#include "language_bases.h"
#include <windows.h>
#include "app/resource_lookup.h"

namespace {

uint32_t g_dialogBase = 100;
uint32_t g_scriptBase = 1000;

bool TakeRecord(LPCSTR name) {
    ResourceBytes record = FindResourceBytes(name, "LANG");
    if (!record.data || record.size < 4) return false;
    const uint16_t* values = static_cast<const uint16_t*>(record.data);
    g_dialogBase = values[0];
    g_scriptBase = values[1];
    return true;
}

// A record's texts and the folders its scripts name are in its language's
// code page: only the system's ANSI code page can show and name them (Windows
// sets the user's language and the system's code page apart). When the
// language's code page cannot be looked up, the record is taken as before.
bool SystemCanShow(LANGID language) {
    char digits[8];
    if (!GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits))
        return true;
    UINT page = 0;
    for (const char* digit = digits; *digit; ++digit) page = page * 10 + (*digit - '0');
    return page == GetACP();
}


}  // namespace

uint32_t DialogBase() {
    return g_dialogBase;
}

void SetDialogBase(uint32_t base) {
    g_dialogBase = base;
}

uint32_t ScriptBase() {
    return g_scriptBase;
}

void ChooseLanguage() {
    const LANGID languages[2] = {GetUserDefaultLangID(), GetSystemDefaultLangID()};
    for (LANGID language : languages)
        if (SystemCanShow(language) && TakeRecord(MAKEINTRESOURCEA(language & 0x3FF))) return;
    TakeRecord("DEFAULT");
}
