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

LPCSTR PrimaryLanguageName(LANGID language) {
    return MAKEINTRESOURCEA(language & 0x3FF);
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
    if (TakeRecord(PrimaryLanguageName(GetUserDefaultLangID()))) return;
    if (TakeRecord(PrimaryLanguageName(GetSystemDefaultLangID()))) return;
    TakeRecord("DEFAULT");
}
