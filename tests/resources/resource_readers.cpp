// PURPOSE: reading resources of another executable byte by byte.
#include "resource_readers.h"
#include <algorithm>
#include <cwctype>

namespace {

// A bounded reader over a resource's bytes; every read past the end sets
// failed and yields zeros, so a malformed resource fails its test instead of
// crashing it.
class Reader {
public:
    explicit Reader(const ResourceView& view) : data_(view.data), size_(view.size) {}
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    WORD Word() {
        if (position_ + 2 > size_) return Fail<WORD>();
        WORD value = static_cast<WORD>(data_[position_] | data_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    short Short() { return static_cast<short>(Word()); }
    std::wstring String() {
        std::wstring text;
        for (WORD c = Word(); c != 0 && !failed_; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    NameOrId NameOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) return Id(Word());
        NameOrId name;
        for (WORD c = first; c != 0 && !failed_; c = Word()) name.text += static_cast<wchar_t>(c);
        return name;
    }
    void Skip(size_t bytes) {
        if (position_ + bytes > size_) Fail<int>();
        else position_ += bytes;
    }
    // Padding at the very end of a resource may be missing; that is no error.
    void AlignTo4() { position_ = std::min(position_ + (4 - position_ % 4) % 4, size_); }
    size_t position() const { return position_; }
    bool failed() const { return failed_; }
    const BYTE* here() const { return data_ + position_; }

private:
    template <class T>
    T Fail() {
        failed_ = true;
        position_ = size_;
        return T();
    }
    const BYTE* data_;
    size_t size_;
    size_t position_ = 0;
    bool failed_ = false;
};

NameOrId FromResourceName(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return Id(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return Named(name);
}

struct Listing {
    std::vector<ResourceEntry> entries;
    LPCWSTR type;
    LPCWSTR name;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
    reinterpret_cast<Listing*>(param)->entries.push_back(
        {FromResourceName(type), FromResourceName(name), language});
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    EnumResourceLanguagesW(module, type, name, CollectLanguage, param);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPWSTR type, LONG_PTR param) {
    EnumResourceNamesW(module, type, CollectName, param);
    return TRUE;
}

bool SameKey(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

bool ParseVersionNode(Reader& reader, VersionNode* node) {
    size_t start = reader.position();
    WORD length = reader.Word();
    WORD valueLength = reader.Word();
    WORD type = reader.Word();
    node->key = reader.String();
    reader.AlignTo4();
    node->isText = type == 1;
    if (node->isText) {
        // A text value's length counts characters, its terminating zero included.
        for (WORD i = 0; i < valueLength; ++i) {
            WORD c = reader.Word();
            if (c == 0) {
                reader.Skip(2 * (valueLength - i - 1));
                break;
            }
            node->text += static_cast<wchar_t>(c);
        }
    } else {
        const BYTE* value = reader.here();
        reader.Skip(valueLength);
        if (!reader.failed()) node->bytes.assign(value, value + valueLength);
    }
    reader.AlignTo4();
    while (!reader.failed() && reader.position() < start + length) {
        VersionNode child;
        if (!ParseVersionNode(reader, &child)) return false;
        node->children.push_back(child);
        reader.AlignTo4();
    }
    return !reader.failed() && length >= 6;
}

}  // namespace

NameOrId Id(WORD id) {
    NameOrId value;
    value.isId = true;
    value.id = id;
    return value;
}

NameOrId Named(const std::wstring& text) {
    NameOrId value;
    value.text = text;
    return value;
}

bool NameOrId::operator<(const NameOrId& other) const {
    if (isId != other.isId) return isId;
    return isId ? id < other.id : text < other.text;
}

std::string Describe(const NameOrId& value) {
    if (value.isId) return std::to_string(value.id);
    std::string text = "\"";
    for (wchar_t c : value.text) text += c < 128 ? static_cast<char>(c) : '?';
    return text + "\"";
}

bool ResourceEntry::operator<(const ResourceEntry& other) const {
    if (!(type == other.type)) return type < other.type;
    if (!(name == other.name)) return name < other.name;
    return language < other.language;
}

std::string Describe(const ResourceEntry& entry) {
    char language[16];
    wsprintfA(language, "0x%04X", entry.language);
    return "type " + Describe(entry.type) + " name " + Describe(entry.name) + " language " + language;
}

ResourceView FindExact(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language) {
    ResourceView view;
    HRSRC info = FindResourceExW(module, type, name, language);
    if (!info) return view;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return view;
    view.data = static_cast<const BYTE*>(LockResource(handle));
    view.size = view.data ? SizeofResource(module, info) : 0;
    return view;
}

std::vector<ResourceEntry> ListResources(HMODULE module) {
    Listing listing = {};
    EnumResourceTypesW(module, CollectType, reinterpret_cast<LONG_PTR>(&listing));
    std::sort(listing.entries.begin(), listing.entries.end());
    return listing.entries;
}

const DialogItem* DialogTemplate::Item(WORD id) const {
    for (const DialogItem& item : items)
        if (item.id == id) return &item;
    return nullptr;
}

bool ParseDialog(const ResourceView& view, DialogTemplate* dialog) {
    Reader reader(view);
    if (view.size >= 4 && reader.Word() == 1 && reader.Word() == 0xFFFF) {
        dialog->extended = true;
        return true;
    }
    reader = Reader(view);
    dialog->style = reader.Dword();
    dialog->exStyle = reader.Dword();
    WORD count = reader.Word();
    dialog->x = reader.Short();
    dialog->y = reader.Short();
    dialog->cx = reader.Short();
    dialog->cy = reader.Short();
    dialog->menu = reader.NameOrOrdinal();
    dialog->windowClass = reader.NameOrOrdinal();
    dialog->title = reader.String();
    if (dialog->style & DS_SETFONT) {
        dialog->pointSize = reader.Word();
        dialog->face = reader.String();
    }
    for (WORD i = 0; i < count && !reader.failed(); ++i) {
        reader.AlignTo4();
        DialogItem item;
        item.style = reader.Dword();
        item.exStyle = reader.Dword();
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = reader.Word();
        item.windowClass = reader.NameOrOrdinal();
        item.text = reader.NameOrOrdinal();
        item.extraBytes = reader.Word();
        reader.Skip(item.extraBytes);
        dialog->items.push_back(item);
    }
    return !reader.failed();
}

bool ParseStringBlock(const ResourceView& view, std::vector<std::wstring>* strings) {
    Reader reader(view);
    strings->clear();
    for (int i = 0; i < 16 && !reader.failed(); ++i) {
        WORD length = reader.Word();
        std::wstring text;
        for (WORD k = 0; k < length; ++k) text += static_cast<wchar_t>(reader.Word());
        strings->push_back(text);
    }
    return !reader.failed();
}

const VersionNode* VersionNode::Child(const std::wstring& wanted) const {
    for (const VersionNode& child : children)
        if (SameKey(child.key, wanted)) return &child;
    return nullptr;
}

bool ParseVersionBlock(const ResourceView& view, VersionNode* root) {
    Reader reader(view);
    return ParseVersionNode(reader, root);
}
