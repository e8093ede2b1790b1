// PURPOSE: measures every text of a program's dialogs against its control:
// creates each dialog from the program's resources, as the launcher does,
// and for each static text and push button compares the extent its text
// needs in the control's own font with the control's size, and each
// control's rectangle with the dialog's client area.
//   dialog_fit.exe <program> <dialog id>...
// One line per control: "<dialog> <control> fits|CUT need WxH has WxH <text>";
// the exit code is the number of controls that do not fit.
#include <windows.h>
#include <stdio.h>

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void Utf8Print(const wchar_t* text) {
    char buffer[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    for (int i = 0; i + 1 < n; ++i) putchar(buffer[i] == '\n' ? '|' : buffer[i] == '\r' ? ' ' : buffer[i]);
}

// The size the control's text needs: statics wrap words at the control's
// width as the static control draws them; a push button's caption stays on
// one line between the button's edges.
SIZE Needed(HWND control, bool button, const wchar_t* text, int width) {
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    SIZE size = {0, 0};
    if (button) {
        RECT r = {0, 0, 0, 0};
        DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        size.cx = r.right + 2 * GetSystemMetrics(SM_CXEDGE) + 4;
        size.cy = r.bottom;
    } else {
        LONG style = GetWindowLongW(control, GWL_STYLE);
        UINT flags = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_LEFT;
        if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
        RECT r = {0, 0, width, 0};
        DrawTextW(dc, text, -1, &r, flags);
        size.cx = r.right;
        size.cy = r.bottom;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 255;
    HMODULE program = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!program) {
        printf("cannot load %s: error %lu\n", argv[1], GetLastError());
        return 255;
    }
    int cut = 0;
    for (int i = 2; i < argc; ++i) {
        int id = atoi(argv[i]);
        HWND dialog = CreateDialogParamW(program, MAKEINTRESOURCEW(id), NULL, Quiet, 0);
        if (!dialog) {
            printf("%d none\n", id);
            ++cut;
            continue;
        }
        RECT client;
        GetClientRect(dialog, &client);
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            wchar_t kind[32], text[2048];
            GetClassNameW(control, kind, 32);
            GetWindowTextW(control, text, 2048);
            bool button = lstrcmpiW(kind, L"Button") == 0;
            RECT box;
            GetWindowRect(control, &box);
            MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&box), 2);
            int width = box.right - box.left, height = box.bottom - box.top;
            SIZE need = Needed(control, button, text, width);
            bool inside = box.left >= 0 && box.top >= 0 && box.right <= client.right && box.bottom <= client.bottom;
            bool fits = inside && need.cx <= width && need.cy <= height;
            if (!fits) ++cut;
            printf("%d %d %s need %ldx%ld has %dx%d%s ", id, GetDlgCtrlID(control), fits ? "fits" : "CUT",
                   need.cx, need.cy, width, height, inside ? "" : " outside");
            Utf8Print(text);
            printf("\n");
        }
        DestroyWindow(dialog);
    }
    return cut;
}
