// The waiter's dialog template, read back from Tarrywin.exe byte for byte,
// and that it is the program's only resource.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "processes.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class Bytes {
public:
    void Word(uint16_t value) {
        bytes_.push_back(static_cast<uint8_t>(value));
        bytes_.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Dword(uint32_t value) {
        Word(static_cast<uint16_t>(value));
        Word(static_cast<uint16_t>(value >> 16));
    }
    void Byte(uint8_t value) { bytes_.push_back(value); }
    void Text(const std::u16string& text) {
        for (char16_t c : text) Word(c);
        Word(0);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> ExpectedTemplate() {
    Bytes t;
    t.Word(1);                 // dialog version
    t.Word(0xFFFF);            // extended template
    t.Dword(0);                // help id
    t.Dword(0x00040000);       // WS_EX_APPWINDOW
    t.Dword(0x90C800C0);       // popup, visible, caption, system menu, modal frame, font
    t.Word(0);                 // no controls
    t.Word(0);                 // x
    t.Word(0);                 // y
    t.Word(185);               // width
    t.Word(92);                // height
    t.Word(0);                 // no menu
    t.Word(0);                 // the dialog class
    t.Text(u"Tarrywin");
    t.Word(9);                 // point size
    t.Word(0);                 // weight
    t.Byte(0);                 // not italic
    t.Byte(1);                 // DEFAULT_CHARSET
    t.Text(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");   // "ＭＳ Ｐゴシック"
    return t.bytes();
}

class WaiterModule : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(TestEnvironment("TARRYWIN_EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << "cannot load " << TestEnvironment("TARRYWIN_EXE");
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = NULL;
};

TEST_F(WaiterModule, DialogTemplate102IsStoredExactly) {
    HRSRC found = FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(102), kJapanese);
    ASSERT_NE(nullptr, found) << "no Japanese dialog 102";
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module_, found)));
    ASSERT_NE(nullptr, data);
    std::vector<uint8_t> stored(data, data + SizeofResource(module_, found));
    EXPECT_EQ(ExpectedTemplate(), stored);
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(language);
    return TRUE;
}

TEST_F(WaiterModule, TheTemplateIsItsOnlyResource) {
    std::vector<ULONG_PTR> types, names, languages;
    EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EnumResourceNamesA(module_, RT_DIALOG, CollectName, reinterpret_cast<LONG_PTR>(&names));
    EnumResourceLanguagesA(module_, RT_DIALOG, MAKEINTRESOURCEA(102), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_DIALOG)}, types);
    EXPECT_EQ(std::vector<ULONG_PTR>{102}, names);
    EXPECT_EQ(std::vector<ULONG_PTR>{kJapanese}, languages);
}

}  // namespace
