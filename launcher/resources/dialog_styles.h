/* PURPOSE: the window styles shared by the launcher's dialog templates.
 *
 * Every style is written out in full: a DIALOG without STYLE gets
 * WS_POPUP | WS_BORDER | WS_SYSMENU from the resource compiler, which the
 * menu must not have.
 */
#ifndef LAUNCHER_DIALOG_STYLES_H
#define LAUNCHER_DIALOG_STYLES_H

/* The menu is a bare, borderless window the size of its background bitmap;
 * it sizes and centres itself, so the template's size is only a first guess. */
#define MENU_DIALOG_STYLE (WS_VISIBLE | DS_SETFOREGROUND | DS_SETFONT)
#define MENU_BUTTON_STYLE (WS_CHILD | WS_VISIBLE | WS_GROUP | BS_OWNERDRAW)

/* Errors and the Windows 95 question: a caption, but no system menu, so
 * only the dialog's own buttons (or Escape) can end it. */
#define MESSAGE_DIALOG_STYLE \
    (WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT)

/* Confirmations before an installation: framed, without a caption. */
#define CONFIRM_DIALOG_STYLE \
    (WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT)

#define DIALOG_FONT_SIZE 9
#define DIALOG_FONT_FACE "MS Sans Serif"

#endif
