; Setup of Die Türme von Tolmar, built by scripts/release with Debian's makensis.
; One script, two installers: with /DNT a Unicode one for the NT family (2000 and later),
; whose texts reach the system as UTF-16 and read right under any code page; without it
; an ANSI one for Windows 95, 98 and ME, which have no working wide window calls, and
; which show the German letters through the system's code page, as the game does there.
; scripts/make-setup gives the defines: OUTFILE, DIR (the files to install) and the version
; (PRODUCT_NAME, PRODUCT_VERSION, FILE_VERSION, COMPANY, COPYRIGHT) read from Tolmar.exe's
; own version block in res/Tolmar.rc.

!ifdef NT
    Unicode true
!else
    Unicode false
!endif
SetCompressor /SOLID lzma
; No file times in the installer: the same sources give the same bytes.
SetDateSave off
RequestExecutionLevel admin
ManifestSupportedOS all
!include "${DIR}\version.nsh"

!define GAME "Die Türme von Tolmar"
!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolmar"
!define UNINSTALLER "Deinstallieren.exe"
; The Start-menu folder holds the game's shortcut and the readme's.
!define MENU "$SMPROGRAMS\${GAME}"

Name "${GAME}"
Caption "${GAME} installieren"
UninstallCaption "${GAME} entfernen"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Tolmar"
; Installing again offers the folder of the installation that is there.
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
BrandingText "${COMPANY}"
ShowInstDetails show
ShowUninstDetails show

; What Setup says of a folder ($R9) that it cannot write, silently its exit code.
!macro CannotWrite
    MessageBox MB_OK|MB_ICONSTOP "In den Ordner $\"$R9$\" kann Setup nicht schreiben: Der Ort ist schreibgeschützt, eine Datei steht im Weg, oder das Spiel läuft dort noch. Bitte wählen Sie einen anderen Ordner." /SD IDOK
    SetErrorLevel 2
!macroend

!define MUI_ICON "${DIR}\Tolmar.ico"
!define MUI_UNICON "${DIR}\Tolmar.ico"
!define MUI_ABORTWARNING
!include "MUI2.nsh"
!include "FileFunc.nsh"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Setup von ${GAME}"

; The Start menu of all users: Windows 95, 98 and ME have no other.
Function .onInit
    SetShellVarContext all
    ; A folder given with /D= that cannot be one (no such drive, a file in the way) is
    ; replaced by the default before this runs, and cut from $CMDLINE: the game must not
    ; go there unasked. The system still has the whole command line.
    System::Call "kernel32::GetCommandLine() t .R8"
    ${GetOptions} $R8 "/D=" $R9
    StrCmp $R9 "" done
    StrCpy $R7 $R9 1 -1
    StrCmp $R7 "\" 0 +2
    StrCpy $R9 $R9 -1
    StrCmp $R9 $INSTDIR done
    !insertmacro CannotWrite
    Quit
done:
FunctionEnd

Function un.onInit
    SetShellVarContext all
    ; The game is installed in this folder if its program is there, or if its entry names
    ; the folder (the files went by hand). Else the uninstall has run before, or this is a
    ; copy elsewhere, which must not take the shortcuts and the entry of an installation.
    IfFileExists "$INSTDIR\Tolmar.exe" installed
    ReadRegStr $0 HKLM "${KEY}" "InstallLocation"
    StrCmp $0 $INSTDIR installed
    MessageBox MB_OK|MB_ICONINFORMATION "${GAME} ist nicht installiert: Es gibt nichts zu entfernen." /SD IDOK
    SetErrorLevel 0
    Quit
installed:
FunctionEnd

; Adds the size of a file in bytes to $R0.
!macro AddSize file
    FileOpen $0 "${file}" r
    FileSeek $0 0 END $1
    FileClose $0
    IntOp $R0 $R0 + $1
!macroend

Section
    ; Before anything is written, the folder must take the game: a place that cannot be
    ; written, or a game still running there, ends here with nothing installed.
    ClearErrors
    CreateDirectory "$INSTDIR"
    IfErrors cannot
    FileOpen $0 "$INSTDIR\Tolmar.exe" a
    IfErrors cannot
    FileClose $0

    SetOutPath "$INSTDIR"
    File "${DIR}\Tolmar.exe"
    File "${DIR}\LIESMICH.txt"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateDirectory "${MENU}"
    CreateShortcut "${MENU}\${GAME}.lnk" "$INSTDIR\Tolmar.exe"
    CreateShortcut "${MENU}\Liesmich.lnk" "$INSTDIR\LIESMICH.txt"

    WriteRegStr HKLM "${KEY}" "DisplayName" "${GAME}"
    WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\Tolmar.exe,0"
    WriteRegStr HKLM "${KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
    WriteRegStr HKLM "${KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
    ; What the three files take, in KiB, rounded up.
    StrCpy $R0 0
    !insertmacro AddSize "$INSTDIR\Tolmar.exe"
    !insertmacro AddSize "$INSTDIR\LIESMICH.txt"
    !insertmacro AddSize "$INSTDIR\${UNINSTALLER}"
    IntOp $R0 $R0 + 1023
    IntOp $R0 $R0 / 1024
    WriteRegDWORD HKLM "${KEY}" "EstimatedSize" $R0
    Return

cannot:
    ; Only an empty folder goes, so a folder that was there before stays as it was.
    RMDir "$INSTDIR"
    StrCpy $R9 "$INSTDIR"
    !insertmacro CannotWrite
    Abort
SectionEnd

; Removes what Setup added and nothing else: a file the person put into a folder keeps
; the folder.
Section Uninstall
    ; A game still running keeps its file: then nothing at all is removed.
    ClearErrors
    Delete "$INSTDIR\Tolmar.exe"
    IfErrors 0 removed
    MessageBox MB_OK|MB_ICONSTOP "$\"$INSTDIR\Tolmar.exe$\" kann nicht gelöscht werden. Läuft das Spiel noch? Bitte beenden Sie es, und entfernen Sie es dann noch einmal." /SD IDOK
    SetErrorLevel 2
    Abort
removed:
    Delete "$INSTDIR\LIESMICH.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "${MENU}\${GAME}.lnk"
    Delete "${MENU}\Liesmich.lnk"
    RMDir "${MENU}"
    DeleteRegKey HKLM "${KEY}"
SectionEnd
