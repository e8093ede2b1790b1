// PURPOSE: reading resources of another executable byte by byte: listing
// them, and taking apart dialog templates, string blocks and version blocks.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A resource's bytes in a module loaded as a data file; data is null when
// the resource does not exist in exactly that language.
struct ResourceView {
    const BYTE* data = nullptr;
    DWORD size = 0;
};
ResourceView FindExact(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language);

// A resource type or name: a 16-bit ordinal or a string.
struct NameOrId {
    bool isId = false;
    WORD id = 0;
    std::wstring text;
    bool operator==(const NameOrId& other) const {
        return isId == other.isId && (isId ? id == other.id : text == other.text);
    }
    bool operator<(const NameOrId& other) const;
};
NameOrId Id(WORD id);
NameOrId Named(const std::wstring& text);
std::string Describe(const NameOrId& value);

struct ResourceEntry {
    NameOrId type;
    NameOrId name;
    LANGID language;
    bool operator==(const ResourceEntry& other) const {
        return type == other.type && name == other.name && language == other.language;
    }
    bool operator<(const ResourceEntry& other) const;
};
std::string Describe(const ResourceEntry& entry);

// Every resource of the module, sorted.
std::vector<ResourceEntry> ListResources(HMODULE module);

// A dialog template in the plain DLGTEMPLATE form.
struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    NameOrId windowClass;
    NameOrId text;
    WORD extraBytes = 0;
};
struct DialogTemplate {
    bool extended = false;     // a DLGTEMPLATEEX; nothing else is filled in
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrId menu;
    NameOrId windowClass;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<DialogItem> items;
    const DialogItem* Item(WORD id) const;
};
// False when the bytes run out before the template ends.
bool ParseDialog(const ResourceView& view, DialogTemplate* dialog);

// The 16 strings of an RT_STRING block, empty where a slot is unused.
// False when the block is malformed.
bool ParseStringBlock(const ResourceView& view, std::vector<std::wstring>* strings);

// One node of a version block: its key, its value (text, or raw bytes) and
// its children.
struct VersionNode {
    std::wstring key;
    bool isText = false;
    std::wstring text;
    std::vector<BYTE> bytes;
    std::vector<VersionNode> children;
    const VersionNode* Child(const std::wstring& key) const;   // key compared without case
};
bool ParseVersionBlock(const ResourceView& view, VersionNode* root);
