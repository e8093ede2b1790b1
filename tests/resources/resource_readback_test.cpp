// The built SETUP.EXE, loaded as a data file, holds exactly the expected
// resources: read back through the Win32 resource API and compared with the
// tables of shipped_resources.cpp.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "processes.h"
#include "resource_readers.h"
#include "shipped_resources.h"

namespace {

const LANGID kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

// Standard resource types as the ordinals the file stores.
const WORD kBitmap = 2, kIcon = 3, kDialog = 5, kString = 6, kGroupIcon = 14, kVersion = 16,
           kManifest = 24;

LPCWSTR Ordinal(WORD id) { return MAKEINTRESOURCEW(id); }

WORD WordAt(const ResourceView& view, size_t offset) {
    return static_cast<WORD>(view.data[offset] | view.data[offset + 1] << 8);
}

std::vector<WORD> Words(const ResourceView& view) {
    std::vector<WORD> words;
    for (size_t offset = 0; offset + 1 < view.size; offset += 2) words.push_back(WordAt(view, offset));
    return words;
}

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, NULL, NULL);
    return result;
}

class ShippedResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string path = TestEnvironment("SETUP_EXE");
        module_ = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = NULL;
    }
    void SetUp() override { ASSERT_NE(nullptr, module_) << "SETUP_EXE cannot be loaded as a data file"; }

    static ResourceView Find(LPCWSTR type, LPCWSTR name, LANGID language) {
        return FindExact(module_, type, name, language);
    }
    static ResourceView Find(WORD type, WORD name, LANGID language) {
        return Find(Ordinal(type), Ordinal(name), language);
    }

    static HMODULE module_;
};
HMODULE ShippedResources::module_ = NULL;

std::vector<std::string> ExpectedInventory() {
    std::vector<ResourceEntry> entries = {
        {Named(L"PALETTE"), Named(L"DEFAULT"), kNeutral},
        {Id(kIcon), Id(1), kNeutral},
        {Id(kGroupIcon), Id(1), kNeutral},
        {Id(kManifest), Id(1), kNeutral},
    };
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        WORD b = lang.dialogBase, s = lang.scriptBase;
        entries.push_back({Named(L"LANG"), Id(lang.recordName), lang.language});
        if (lang.isDefault) entries.push_back({Named(L"LANG"), Named(L"DEFAULT"), lang.language});
        entries.push_back({Named(L"BUTTON"), Id(b), lang.language});
        for (WORD k = 0; k < 3; ++k) entries.push_back({Named(L"INST"), Id(s + k), lang.language});
        entries.push_back({Id(kString), Id(b / 16 + 1), lang.language});
        for (WORD k = 0; k <= 4; ++k) entries.push_back({Id(kBitmap), Id(b + k), lang.language});
        entries.push_back({Id(kDialog), Id(b), lang.language});
        for (const ExpectedMessageDialog& dialog : lang.dialogs)
            entries.push_back({Id(kDialog), Id(b + dialog.offset), lang.language});
        entries.push_back({Id(kVersion), Id(1), lang.language});
    }
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> described;
    for (const ResourceEntry& entry : entries) described.push_back(Describe(entry));
    return described;
}

TEST_F(ShippedResources, HoldsExactlyTheExpectedResourcesEachInOneLanguage) {
    std::vector<std::string> actual;
    for (const ResourceEntry& entry : ListResources(module_)) actual.push_back(Describe(entry));
    EXPECT_EQ(ExpectedInventory(), actual);
}

TEST_F(ShippedResources, LanguageRecordsNameTheBases) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        std::vector<WORD> expected = {lang.dialogBase, lang.scriptBase};
        ResourceView record = Find(L"LANG", Ordinal(lang.recordName), lang.language);
        ASSERT_NE(nullptr, record.data);
        EXPECT_EQ(4u, record.size);
        EXPECT_EQ(expected, Words(record));
        if (lang.isDefault) {
            ResourceView fallback = Find(L"LANG", L"DEFAULT", lang.language);
            ASSERT_NE(nullptr, fallback.data);
            EXPECT_EQ(expected, Words(fallback));
        }
    }
}

TEST_F(ShippedResources, ButtonRecordsPlaceFourButtons) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        std::vector<WORD> expected = {4};
        for (const ExpectedButton& button : kShippedButtons) {
            expected.push_back(button.x);
            expected.push_back(button.y);
            expected.push_back(lang.dialogBase + button.bitmapOffset);
            expected.push_back(button.controlId);
        }
        ResourceView record = Find(L"BUTTON", Ordinal(lang.dialogBase), lang.language);
        ASSERT_NE(nullptr, record.data);
        EXPECT_EQ(expected, Words(record));
    }
}

TEST_F(ShippedResources, InstallScriptsListTheirCommandStrings) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        WORD b = lang.dialogBase;
        const std::vector<WORD> expected[3] = {
            {3, b, WORD(b + 1), WORD(b + 2)},   // everything
            {2, b, WORD(b + 1)},                // the two applications
            {1, WORD(b + 2)},                   // the TWAIN driver
        };
        for (int k = 0; k < 3; ++k) {
            ResourceView script = Find(L"INST", Ordinal(lang.scriptBase + k), lang.language);
            ASSERT_NE(nullptr, script.data) << "script " << lang.scriptBase + k;
            EXPECT_EQ(expected[k], Words(script)) << "script " << lang.scriptBase + k;
        }
    }
}

TEST_F(ShippedResources, CommandStringsStartEachComponentsWaiter) {
    const char* components[3] = {"tessera", "quillon", "kxtwain"};
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        WORD block = lang.dialogBase / 16 + 1;
        std::vector<std::wstring> strings;
        ASSERT_TRUE(ParseStringBlock(Find(kString, block, lang.language), &strings));
        for (int slot = 0; slot < 16; ++slot) {
            int id = (block - 1) * 16 + slot;
            int component = id - lang.dialogBase;
            std::string expected;
            if (component >= 0 && component < 3)
                expected = std::string("e/") + components[component] + "\\" + lang.folder + "\\tarrywin.exe;";
            EXPECT_EQ(expected, Narrow(strings[slot])) << "string " << id;
            if (!expected.empty()) {
                // The interpreter reads them this way, into 1024 bytes.
                char buffer[1024];
                int length = LoadStringA(module_, id, buffer, sizeof buffer);
                EXPECT_EQ(expected, std::string(buffer, length > 0 ? length : 0)) << "string " << id;
            }
        }
    }
}

TEST_F(ShippedResources, PaletteFollowsTheCubeAndRampsRule) {
    // The rule's landmarks, so that the expectation itself is checked.
    EXPECT_EQ(0xFF, ExpectedPaletteEntry(0).blue);
    EXPECT_EQ(0x33, ExpectedPaletteEntry(214).blue);
    EXPECT_EQ(0x00, ExpectedPaletteEntry(214).red + ExpectedPaletteEntry(214).green);
    EXPECT_EQ(0xEE, ExpectedPaletteEntry(215).red);
    EXPECT_EQ(0x11, ExpectedPaletteEntry(254).green);

    ResourceView palette = Find(L"PALETTE", L"DEFAULT", kNeutral);
    ASSERT_NE(nullptr, palette.data);
    ASSERT_EQ(768u, palette.size);
    for (int i = 0; i < 256; ++i) {
        PaletteColour expected = ExpectedPaletteEntry(i);
        EXPECT_EQ(expected.red, palette.data[3 * i]) << "entry " << i;
        EXPECT_EQ(expected.green, palette.data[3 * i + 1]) << "entry " << i;
        EXPECT_EQ(expected.blue, palette.data[3 * i + 2]) << "entry " << i;
    }
}

// Checks one packed bitmap's header, colour table and size; returns its
// pixel rows (bottom-up, padded) for further checks.
std::vector<BYTE> CheckBitmap(const ResourceView& bitmap, int width, int height) {
    EXPECT_GE(bitmap.size, sizeof(BITMAPINFOHEADER) + 1024);
    if (bitmap.size < sizeof(BITMAPINFOHEADER) + 1024) return {};
    BITMAPINFOHEADER header;
    memcpy(&header, bitmap.data, sizeof header);
    EXPECT_EQ(40u, header.biSize);
    EXPECT_EQ(width, header.biWidth);
    EXPECT_EQ(height, header.biHeight);
    EXPECT_EQ(1, header.biPlanes);
    EXPECT_EQ(8, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    EXPECT_EQ(0u, header.biClrUsed);
    const BYTE* table = bitmap.data + header.biSize;
    for (int i = 0; i < 256; ++i) {
        PaletteColour expected = ExpectedPaletteEntry(i);
        const BYTE* quad = table + 4 * i;   // blue, green, red, reserved
        EXPECT_TRUE(quad[0] == expected.blue && quad[1] == expected.green &&
                    quad[2] == expected.red && quad[3] == 0)
            << "colour table entry " << i;
    }
    size_t stride = (static_cast<size_t>(width) + 3) & ~size_t(3);
    size_t pixels = stride * height;
    size_t offset = header.biSize + 1024;
    EXPECT_GE(bitmap.size, offset + pixels);
    if (bitmap.size < offset + pixels) return {};
    return std::vector<BYTE>(bitmap.data + offset, bitmap.data + offset + pixels);
}

TEST_F(ShippedResources, BackgroundBitmapsAre8BitWithThePaletteAsColourTable) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        ResourceView background = Find(kBitmap, lang.dialogBase, lang.language);
        ASSERT_NE(nullptr, background.data);
        CheckBitmap(background, kBackgroundWidth, kBackgroundHeight);
    }
}

TEST_F(ShippedResources, ButtonBitmapsStackANormalAndADifferentPressedFace) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        for (const ExpectedButton& button : kShippedButtons) {
            SCOPED_TRACE(std::string(lang.tag) + " bitmap " +
                         std::to_string(lang.dialogBase + button.bitmapOffset));
            ResourceView bitmap = Find(kBitmap, lang.dialogBase + button.bitmapOffset, lang.language);
            ASSERT_NE(nullptr, bitmap.data);
            std::vector<BYTE> rows = CheckBitmap(bitmap, button.bitmapWidth, button.bitmapHeight);
            ASSERT_FALSE(rows.empty());
            // Rows are stored bottom-up, so the pressed face comes first.
            size_t half = rows.size() / 2;
            EXPECT_FALSE(std::equal(rows.begin(), rows.begin() + half, rows.begin() + half))
                << "the pressed face looks like the normal face";
        }
    }
}

TEST_F(ShippedResources, MenuDialogsAreBareWindowsWithFourOwnerDrawnButtons) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        DialogTemplate menu;
        ASSERT_TRUE(ParseDialog(Find(kDialog, lang.dialogBase, lang.language), &menu));
        ASSERT_FALSE(menu.extended);
        EXPECT_EQ(static_cast<DWORD>(WS_VISIBLE | DS_SETFOREGROUND | DS_SETFONT), menu.style);
        EXPECT_EQ(0u, menu.exStyle);
        EXPECT_EQ(L"", menu.title);
        EXPECT_TRUE(menu.menu == Named(L""));
        EXPECT_TRUE(menu.windowClass == Named(L""));
        EXPECT_EQ(9, menu.pointSize);
        EXPECT_EQ(203, menu.cx);
        EXPECT_EQ(lang.menuHeight, menu.cy);
        ASSERT_EQ(4u, menu.items.size());
        for (WORD id = 100; id <= 103; ++id) {
            const DialogItem* button = menu.Item(id);
            ASSERT_NE(nullptr, button) << "control " << id;
            EXPECT_TRUE(button->windowClass == Id(0x0080)) << "control " << id;
            EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_GROUP | BS_OWNERDRAW), button->style)
                << "control " << id;
            EXPECT_TRUE(button->text == Named(L"")) << "control " << id;
        }
    }
}

struct DialogCase {
    const ExpectedLanguage* lang;
    const ExpectedMessageDialog* dialog;
};

void PrintTo(const DialogCase& c, std::ostream* out) {
    *out << c.lang->tag << " dialog " << c.lang->dialogBase + c.dialog->offset;
}

std::vector<DialogCase> AllMessageDialogs() {
    std::vector<DialogCase> cases;
    for (const ExpectedLanguage& lang : kShippedLanguages)
        for (const ExpectedMessageDialog& dialog : lang.dialogs) cases.push_back({&lang, &dialog});
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<DialogCase>& info) {
    std::string name = std::string(info.param.lang->tag) + "_" +
                       std::to_string(info.param.lang->dialogBase + info.param.dialog->offset) + "_" +
                       info.param.dialog->role;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class MessageDialogTemplate : public ShippedResources,
                              public ::testing::WithParamInterface<DialogCase> {};

void ExpectPushButton(const DialogItem* button, bool isDefault, int x, int y, const wchar_t* text) {
    ASSERT_NE(nullptr, button);
    EXPECT_TRUE(button->windowClass == Id(0x0080));
    EXPECT_EQ(static_cast<DWORD>(isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), button->style & 0x0F);
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP),
              button->style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP));
    EXPECT_EQ(x, button->x);
    EXPECT_EQ(y, button->y);
    EXPECT_EQ(50, button->cx);
    EXPECT_EQ(14, button->cy);
    EXPECT_EQ(Narrow(text), Narrow(button->text.text));
}

TEST_P(MessageDialogTemplate, MatchesItsStyleGeometryAndTexts) {
    const ExpectedLanguage& lang = *GetParam().lang;
    const ExpectedMessageDialog& expected = *GetParam().dialog;
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialog(Find(kDialog, lang.dialogBase + expected.offset, lang.language), &dialog));
    ASSERT_FALSE(dialog.extended);

    DWORD style = WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT;
    if (!expected.confirmation) style |= WS_CAPTION;
    EXPECT_EQ(style, dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(Narrow(expected.confirmation ? L"" : lang.caption), Narrow(dialog.title));
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ(L"MS Sans Serif", dialog.face);
    EXPECT_EQ(expected.width, dialog.cx);
    EXPECT_EQ(expected.height, dialog.cy);

    ASSERT_EQ(expected.hasCancel ? 3u : 2u, dialog.items.size());
    ExpectPushButton(dialog.Item(IDOK), true, expected.okX, expected.okY, L"OK");
    if (expected.hasCancel)
        ExpectPushButton(dialog.Item(IDCANCEL), false, expected.cancelX, expected.cancelY, lang.cancel);

    const DialogItem* text = dialog.Item(static_cast<WORD>(expected.textId));
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(text->windowClass == Id(0x0082));
    EXPECT_EQ(static_cast<DWORD>(SS_LEFT), text->style & SS_TYPEMASK);
    EXPECT_EQ(expected.textNoPrefix, (text->style & SS_NOPREFIX) != 0);
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE), text->style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP));
    EXPECT_EQ(expected.textX, text->x);
    EXPECT_EQ(expected.textY, text->y);
    EXPECT_EQ(expected.textWidth, text->cx);
    EXPECT_EQ(expected.textHeight, text->cy);
    EXPECT_EQ(Narrow(expected.text), Narrow(text->text.text));

    // The OK button is the first tab stop, so it has the focus when shown.
    for (const DialogItem& item : dialog.items) {
        if (item.style & WS_TABSTOP) {
            EXPECT_EQ(IDOK, item.id);
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, MessageDialogTemplate, ::testing::ValuesIn(AllMessageDialogs()), CaseName);

TEST_F(ShippedResources, IconIsOne32By32ImageOf16Colours) {
    ResourceView group = Find(kGroupIcon, 1, kNeutral);
    ASSERT_EQ(6u + 14u, group.size);
    EXPECT_EQ(0, WordAt(group, 0));    // reserved
    EXPECT_EQ(1, WordAt(group, 2));    // an icon
    EXPECT_EQ(1, WordAt(group, 4));    // one image
    EXPECT_EQ(32, group.data[6]);
    EXPECT_EQ(32, group.data[7]);
    EXPECT_EQ(16, group.data[8]);
    EXPECT_EQ(1, WordAt(group, 10));   // planes
    EXPECT_EQ(4, WordAt(group, 12));   // bits per pixel
    EXPECT_EQ(1, WordAt(group, 18));   // RT_ICON id

    ResourceView image = Find(kIcon, 1, kNeutral);
    ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(image.size, group.data[14] | group.data[15] << 8 | group.data[16] << 16);
    BITMAPINFOHEADER header;
    memcpy(&header, image.data, sizeof header);
    EXPECT_EQ(32, header.biWidth);
    EXPECT_EQ(64, header.biHeight);   // colour and mask images together
    EXPECT_EQ(4, header.biBitCount);
}

// Windows Vista and later start SETUP.EXE elevated; Windows reads the
// manifest only as resource 1, and a second execution level would make the
// whole manifest invalid.
TEST_F(ShippedResources, ManifestAsksForAdministratorRights) {
    ResourceView manifest = Find(kManifest, 1, kNeutral);
    ASSERT_NE(nullptr, manifest.data);
    std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\""));
    size_t level = text.find("<requestedExecutionLevel ");
    ASSERT_NE(std::string::npos, level);
    EXPECT_EQ(std::string::npos, text.find("<requestedExecutionLevel ", level + 1));
    std::string element = text.substr(level, text.find("/>", level) - level);
    EXPECT_NE(std::string::npos, element.find("level=\"requireAdministrator\"")) << element;
    EXPECT_NE(std::string::npos, element.find("uiAccess=\"false\"")) << element;
}

// Windows' own manifest parser accepts it: an activation context can be made
// from the resource in SETUP.EXE.
TEST(ShippedManifest, IsAcceptedByTheSystem) {
    std::string path = TestEnvironment("SETUP_EXE");
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE made = CreateActCtxA(&context);
    EXPECT_NE(INVALID_HANDLE_VALUE, made) << "error " << GetLastError();
    if (made != INVALID_HANDLE_VALUE) ReleaseActCtx(made);
}

// The waiter inherits the launcher's rights and carries no manifest.
TEST(WaiterProgram, CarriesNoManifest) {
    std::string path = TestEnvironment("TARRYWIN_EXE");
    HMODULE waiter = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, waiter) << path;
    std::vector<ResourceEntry> resources = ListResources(waiter);
    FreeLibrary(waiter);
    for (const ResourceEntry& entry : resources)
        EXPECT_FALSE(entry.type == Id(kManifest)) << Describe(entry);
}

TEST_F(ShippedResources, EachLanguageHasItsOwnVersionBlock) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        VersionNode root;
        ASSERT_TRUE(ParseVersionBlock(Find(kVersion, 1, lang.language), &root));
        EXPECT_EQ(L"VS_VERSION_INFO", root.key);
        ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), root.bytes.size());
        VS_FIXEDFILEINFO fixed;
        memcpy(&fixed, root.bytes.data(), sizeof fixed);
        EXPECT_EQ(0xFEEF04BDu, fixed.dwSignature);
        EXPECT_EQ(0x00030003u, fixed.dwFileVersionMS);
        EXPECT_EQ(0u, fixed.dwFileVersionLS);
        EXPECT_EQ(0x00030003u, fixed.dwProductVersionMS);
        EXPECT_EQ(0u, fixed.dwProductVersionLS);
        EXPECT_EQ(0x3Fu, fixed.dwFileFlagsMask);
        EXPECT_EQ(0u, fixed.dwFileFlags);
        EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed.dwFileOS);
        EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed.dwFileType);

        const VersionNode* stringInfo = root.Child(L"StringFileInfo");
        ASSERT_NE(nullptr, stringInfo);
        ASSERT_EQ(1u, stringInfo->children.size());
        const VersionNode* table = stringInfo->Child(lang.versionKey);
        ASSERT_NE(nullptr, table) << "no string table " << Narrow(lang.versionKey);
        const std::pair<const wchar_t*, const wchar_t*> fixedValues[] = {
            {L"FileDescription", L"Installer Ver.3.3"},
            {L"FileVersion", L"3, 3, 0, 0"},
            {L"InternalName", L"SETUP"},
            {L"OriginalFilename", L"SETUP.EXE"},
            {L"ProductName", L"Installer"},
        };
        for (const auto& value : fixedValues) {
            const VersionNode* node = table->Child(value.first);
            ASSERT_NE(nullptr, node) << Narrow(value.first);
            EXPECT_TRUE(node->isText) << Narrow(value.first);
            EXPECT_EQ(Narrow(value.second), Narrow(node->text)) << Narrow(value.first);
        }
        for (const wchar_t* publisherValue : {L"CompanyName", L"LegalCopyright"}) {
            const VersionNode* node = table->Child(publisherValue);
            ASSERT_NE(nullptr, node) << Narrow(publisherValue);
            EXPECT_FALSE(node->text.empty()) << Narrow(publisherValue);
        }

        const VersionNode* varInfo = root.Child(L"VarFileInfo");
        ASSERT_NE(nullptr, varInfo);
        const VersionNode* translation = varInfo->Child(L"Translation");
        ASSERT_NE(nullptr, translation);
        std::vector<BYTE> expected = {LOBYTE(lang.language), HIBYTE(lang.language), 0xB0, 0x04};
        EXPECT_EQ(expected, translation->bytes);
    }
}

}  // namespace
