// PURPOSE: dialog templates checked against their resource's size, and shown
// from a copy with the styles that would leave no way to answer them cleared.
#include "app/dialog_template.h"
#include <string.h>
#include "app/resource_lookup.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

namespace {

const DWORD kNoAnswerStyles = WS_DISABLED | WS_CHILD;

// Reads a template word by word as Windows does, raising 1 at the first word
// that would lie beyond the end of its resource.
struct TemplateWalk {
    const WORD* words;
    DWORD count;
    DWORD at;

    WORD Next() {
        if (at >= count) RaiseError(kQuietStop);
        return words[at++];
    }
    void Text() {
        while (Next()) {}
    }
    // A name, or 0xFFFF and an ordinal.
    void Name() {
        WORD first = Next();
        if (first == 0xFFFF) Next();
        else if (first) Text();
    }
};

// Raises 1 unless the header, strings, items and creation data of the
// template (plain, or extended after its 0xFFFF signature) end inside it.
void CheckTemplate(const BYTE* dialog, DWORD size, bool extended, DWORD style) {
    TemplateWalk walk = {reinterpret_cast<const WORD*>(dialog), size / 2, extended ? 13u : 9u};
    WORD items = walk.words[extended ? 8 : 4];
    walk.Name();   // menu
    walk.Name();   // class
    walk.Text();   // caption
    if (style & DS_SETFONT) {
        walk.at += extended ? 3 : 1;   // point size (and weight, italic, character set)
        walk.Text();
    }
    while (items--) {
        walk.at = ((walk.at + 1) & ~1u) + (extended ? 12 : 9);
        walk.Name();   // class
        walk.Name();   // text
        walk.at += walk.Next() / 2;   // creation data
    }
    if (walk.at > walk.count) RaiseError(kQuietStop);
}

}  // namespace

INT_PTR ShowDialogTemplate(int32_t id, HWND owner, DLGPROC procedure, LPARAM parameter) {
    ResourceBytes found = FindResourceBytes(MAKEINTRESOURCEA(id & 0xFFFF), RT_DIALOG);
    if (!found.data) return -1;
    const BYTE* dialog = static_cast<const BYTE*>(found.data);
    if (found.size < 18) RaiseError(kQuietStop);   // shorter than either header's fixed part
    bool extended = dialog[2] == 0xFF && dialog[3] == 0xFF;
    DWORD styleOffset = extended ? 12 : 0;
    DWORD style = *reinterpret_cast<const DWORD*>(dialog + styleOffset);
    CheckTemplate(dialog, found.size, extended, style);
    // The resource is read-only: the copy carries the cleared styles.
    BYTE* copy = AllocateArrayOrRaise<BYTE>(found.size);
    memcpy(copy, dialog, found.size);
    *reinterpret_cast<DWORD*>(copy + styleOffset) = style & ~kNoAnswerStyles;
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(NULL), reinterpret_cast<LPCDLGTEMPLATEA>(copy),
                                             owner, procedure, parameter);
    Release(copy);
    return result;
}
