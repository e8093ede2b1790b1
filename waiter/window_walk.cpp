// PURPOSE: the walk over the desktop's windows for one poll.
#include "window_walk.h"
#include <windows.h>
#include "text_rules.h"

namespace {

// A text buffer that lives for one poll and grows to the longest text read.
struct TextBuffer {
    char* text;
    int size;
};

bool Reserve(TextBuffer& buffer, int size) {
    if (size <= buffer.size) return true;
    HANDLE heap = GetProcessHeap();
    char* bigger = static_cast<char*>(buffer.text ? HeapReAlloc(heap, 0, buffer.text, size)
                                                  : HeapAlloc(heap, 0, size));
    if (!bigger) return false;
    buffer.text = bigger;
    buffer.size = size;
    return true;
}

void Release(TextBuffer& buffer) {
    if (buffer.text) HeapFree(GetProcessHeap(), 0, buffer.text);
    buffer.text = 0;
    buffer.size = 0;
}

}  // namespace

TitleSearch SearchTopLevelWindows(const char* title, HWND own) {
    HWND window = GetWindow(GetDesktopWindow(), GW_CHILD);
    if (!window) return kTitleUnread;
    bool present = false;
    bool unread = false;
    TextBuffer buffer = {0, 0};
    for (;;) {
        if (window != own) {
            int length = GetWindowTextLengthA(window);
            if (length < 0) length = 0;
            if (Reserve(buffer, length + 1)) {
                buffer.text[0] = '\0';
                GetWindowTextA(window, buffer.text, length + 1);
                if (SameText(buffer.text, title)) present = true;
            } else {
                // A text that cannot be read may be the title: this poll
                // decides nothing rather than guess.
                unread = true;
            }
        }
        HWND next = GetWindow(window, GW_HWNDNEXT);
        if (!next) {
            // The end of the list, or the window the walk stood on was
            // destroyed under it and the rest of the list was never seen.
            if (!IsWindow(window)) unread = true;
            break;
        }
        window = next;
    }
    Release(buffer);
    if (present) return kTitlePresent;
    return unread ? kTitleUnread : kTitleAbsent;
}
