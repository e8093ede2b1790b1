// The launcher's choice of language record when the user's language and the
// system's ANSI code page differ (code_page_language_records.rc), and the
// waiter of the chosen record reading its title. The program runs in several
// locales (CMakeLists.txt): Wine takes the user language from LANG and the
// system language and code page from LC_CTYPE. EXPECTED_BASES names the
// dialog and script base that the case must end with, as "B,S".
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include "app/language_bases.h"
#include "waiter_case.h"

namespace {

// The records of the test set: the code page the authoring kit writes each
// language's texts and Tarrywin.INI in, and a title with letters beyond ASCII.
struct RecordTexts {
    uint32_t dialogBase;
    UINT codePage;
    const wchar_t* title;
};
const RecordTexts kRecords[] = {
    {110, 1252, L"Caf\u00e9 Setup"},                            // English
    {200, 1252, L"Installation g\u00e9n\u00e9rale"},            // French
    {400, 932, L"\u65e5\u672c\u8a9e\u306e\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7"},   // Japanese
    {100, 1252, L"D\u00e9j\u00e0 Setup"},                       // DEFAULT
};

std::string InCodePage(UINT codePage, const std::wstring& text) {
    char bytes[256];
    int length = WideCharToMultiByte(codePage, 0, text.c_str(), -1, bytes, sizeof bytes, NULL, NULL);
    return length > 0 ? std::string(bytes, length - 1) : std::string();
}

const RecordTexts* ChosenRecord() {
    ChooseLanguage();
    for (const RecordTexts& record : kRecords)
        if (record.dialogBase == DialogBase()) return &record;
    return NULL;
}

TEST(LanguageAndCodePage, TheChosenRecordIsOneTheSystemCanShow) {
    unsigned expectedDialogBase = 0, expectedScriptBase = 0;
    ASSERT_EQ(2, sscanf(TestEnvironment("EXPECTED_BASES").c_str(), "%u,%u", &expectedDialogBase,
                        &expectedScriptBase))
        << "EXPECTED_BASES is not set";
    ChooseLanguage();
    EXPECT_EQ(expectedDialogBase, DialogBase())
        << "user language " << std::hex << GetUserDefaultLangID() << ", system code page " << std::dec << GetACP();
    EXPECT_EQ(expectedScriptBase, ScriptBase());
}

// The waiter reads its INI, written in the record's code page, in the
// system's; the installer's window shows its title as this system can. The
// waiter sees the window, and ends once it has gone, only when the two agree.
// The stand-in installer keeps running, so the waiter counts the title gone
// only after its grace for a title that drops between two pages.
TEST(LanguageAndCodePage, TheChosenRecordsWaiterReadsItsTitle) {
    const RecordTexts* record = ChosenRecord();
    ASSERT_TRUE(record) << "no record of the test set chosen: " << DialogBase();
    std::string unique = UniqueTitle("code-page");   // ASCII
    std::wstring title = std::wstring(record->title) + L" " + std::wstring(unique.begin(), unique.end());
    WaiterCase waiterCase("code-page");
    waiterCase.WatchTitle(InCodePage(record->codePage, title));
    waiterCase.UseStandin({"mode=window", "title=" + UniqueTitle("installer"), "lifetime=0"});
    PollProbe probe;
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(probe.WaitForPolls(2));
    {
        TitledWindow installer(InCodePage(CP_ACP, title));
        ASSERT_TRUE(probe.WaitForPolls(2));
    }
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs))
        << "the waiter of record " << record->dialogBase << " did not see its title on code page " << GetACP();
}

}  // namespace
