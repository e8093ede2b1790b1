// The launcher's choice of language record from a test resource set whose
// records but one are shorter than 4 bytes (short_language_records.rc). The
// program runs in several locales (CMakeLists.txt): Wine takes the user
// language from LC_MESSAGES (else LANG) and the system language from LC_CTYPE
// (else LANG). EXPECTED_BASES names the dialog and script base that the case
// must end with, as "B,S".
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include "app/language_bases.h"
#include "app/resource_lookup.h"
#include "processes.h"

namespace {

LPCSTR RecordName(LANGID language) {
    return MAKEINTRESOURCEA(PRIMARYLANGID(language));
}

DWORD RecordSize(LPCSTR name) {
    ResourceBytes record = FindResourceBytes(name, "LANG");
    return record.data ? record.size : 0;
}

TEST(ShortLanguageRecords, CountAsAbsentWhenTheLanguageIsChosen) {
    unsigned expectedDialogBase = 0, expectedScriptBase = 0;
    ASSERT_EQ(2, sscanf(TestEnvironment("EXPECTED_BASES").c_str(), "%u,%u", &expectedDialogBase,
                        &expectedScriptBase))
        << "EXPECTED_BASES is not set";
    // Every case starts from a user language whose record is there but short.
    LANGID user = GetUserDefaultLangID();
    DWORD userRecordSize = RecordSize(RecordName(user));
    EXPECT_GT(userRecordSize, 0u) << "no record for user language " << PRIMARYLANGID(user);
    EXPECT_LT(userRecordSize, 4u) << "user language " << PRIMARYLANGID(user);
    EXPECT_EQ(1u, RecordSize("DEFAULT"));

    ChooseLanguage();
    EXPECT_EQ(expectedDialogBase, DialogBase());
    EXPECT_EQ(expectedScriptBase, ScriptBase());
}

}  // namespace
