; The Windows installer: Tockaro for one user, in a folder the user can write
; (the program keeps its settings, conf, and its alarms, als, in its own folder,
; with the backups it makes of them), with a Start-menu entry and an
; uninstaller. An install over an older one replaces the program and keeps
; conf, als and the backups; the uninstaller removes the program, its entry and
; its autostart value, and keeps them too.
;
; makensis -DVERSION=1.2.3 -DPROGRAM=<program folder> -DFILES=<files.nsh>
;          -DUNINSTALL=<uninstall.nsh> -DICON=<tockaro.ico> -DOUTFILE=<setup.exe> tockaro.nsi
; FILES puts the program folder's files but conf and als in place; UNINSTALL
; removes them again (both written by scripts/build-windows.sh).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tockaro"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Tockaro"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tockaro"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tockaro"
VIAddVersionKey "FileDescription" "Tockaro Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tockaro.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tockaro"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running copy holds tockaro.lock open, so that the file cannot be deleted,
; and its program files are in use: it must end first. Silent, the setup gives up.
!macro WaitUntilNotRunning un
Function ${un}WaitUntilNotRunning
    retry:
    Delete "$INSTDIR\tockaro.lock"
    IfFileExists "$INSTDIR\tockaro.lock" 0 done
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Tockaro is running from $INSTDIR.$\r$\nChoose $\"Exit...$\" in its menu, then Retry." \
        /SD IDCANCEL IDRETRY retry
    Abort "Tockaro is running from $INSTDIR."
    done:
FunctionEnd
!macroend
!insertmacro WaitUntilNotRunning ""
!insertmacro WaitUntilNotRunning "un."

Section "Tockaro"
    Call WaitUntilNotRunning
    !include "${FILES}"
    ; The user's settings and alarms are never replaced; a new folder gets the
    ; program's first ones.
    SetOutPath "$INSTDIR"
    SetOverwrite off
    File "${PROGRAM}/conf"
    File "${PROGRAM}/als"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Tockaro.lnk" "$INSTDIR\tockaro.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tockaro"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tockaro.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's autostart value for this folder: named "Tockaro-" and a key of
; the folder, holding the quoted path of this folder's tockaro.exe.
Function un.RemoveAutostart
    StrCpy $0 0
    next:
    EnumRegValue $1 HKCU "${RUN_KEY}" $0
    StrCmp $1 "" done
    StrCpy $2 $1 8
    ReadRegStr $3 HKCU "${RUN_KEY}" $1
    StrCmp $2 "Tockaro-" 0 other
    StrCmp $3 "$\"$INSTDIR\tockaro.exe$\"" 0 other
    DeleteRegValue HKCU "${RUN_KEY}" $1
    ; The values after it moved up by one.
    Goto next
    other:
    IntOp $0 $0 + 1
    Goto next
    done:
FunctionEnd

Section "Uninstall"
    Call un.WaitUntilNotRunning
    !include "${UNINSTALL}"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\Tockaro.lnk"
    Call un.RemoveAutostart
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Stays while conf, als and the backups are in it.
    RMDir "$INSTDIR"
SectionEnd
