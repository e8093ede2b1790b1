; Lumen Draw's own installer: a two-page wizard (licence, then folder and
; Install) whose window is titled "Lumen Draw Setup: <page>", not the
; product's name. make-disc builds it with makensis into setup.exe; the
; output file is make-disc's to choose, so the script sets no OutFile.
Unicode false
Name "Lumen Draw"
InstallDir "$PROGRAMFILES\Lumen Draw"
RequestExecutionLevel admin
; No file dates in the installer: the same script gives the same bytes.
SetDateSave off
; The window closes by itself when the files are in place.
AutoCloseWindow true
ShowInstDetails show
LicenseData "licence.txt"

Page license
Page directory
Page instfiles

Section "Lumen Draw"
    SetOutPath "$INSTDIR"
    File "licence.txt"
    FileOpen $0 "$INSTDIR\lumen.ini" w
    FileWrite $0 "[Lumen Draw]$\r$\nInstalled=1$\r$\n"
    FileClose $0
    Sleep 1500
SectionEnd
