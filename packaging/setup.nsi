; The Windows setup program, built by packaging/make-setup.sh, which passes
;   VERSION  x.y.z, from project() in the top CMakeLists.txt
;   TARGET   x86-unicode or amd64-unicode
;   FILES    the folder that holds tolmarin.exe and README.txt
;   ICON     win32/tolmarin.ico
;   OUTFILE  the setup program to write
; It installs for the current user only, into a folder the user can write
; to: Tolmarin keeps its log (TOLM.LyS, Branch.LyS, Reason.LyS) beside
; tolmarin.exe. Neither the setup nor the uninstaller ever writes, replaces
; or deletes a file of those names.

Unicode true
Target ${TARGET}
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolmarin"
!define PUBLISHER "The Tolmarin project"

Name "Tolmarin"
OutFile "${OUTFILE}"
; An earlier install is found by its uninstall entry, so an upgrade lands
; beside the log; /D= overrides both.
InstallDir "$LOCALAPPDATA\Programs\Tolmarin"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Tolmarin"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tolmarin ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Tolmarin keeps your log in the folder that holds it, so choose a folder you can write to. To upgrade, keep the folder of your earlier install."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tolmarin.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var madeFolder

; Refuses a folder the user cannot write to, found by really writing a probe
; file there: the log must be written beside the program.
Function CheckFolder
    StrCpy $madeFolder 0
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
        StrCpy $madeFolder 1
    ${EndIf}
    ClearErrors
    CreateDirectory "$INSTDIR"
    FileOpen $0 "$INSTDIR\tolmarin-setup-probe.tmp" w
    ${IfNot} ${Errors}
        FileClose $0
        Delete "$INSTDIR\tolmarin-setup-probe.tmp"
        Return
    ${EndIf}
    ${If} $madeFolder = 1
        RMDir "$INSTDIR"
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "You cannot write to $INSTDIR.$\r$\n$\r$\nTolmarin keeps your log in the folder that holds the program, so it needs a folder you can write to, such as $LOCALAPPDATA\Programs\Tolmarin." /SD IDOK
    ${If} ${Silent}
        SetErrorLevel 3
        Quit
    ${EndIf}
    Abort
FunctionEnd

; Waits until no program holds tolmarin.exe in the folder: a running
; Tolmarin is never replaced. Windows refuses to open a running program for
; writing, which answers for this very folder.
!macro WaitUntilClosed un
Function ${un}WaitUntilClosed
    ${Do}
        ${IfNot} ${FileExists} "$INSTDIR\tolmarin.exe"
            Return
        ${EndIf}
        ; GENERIC_READ | GENERIC_WRITE, no sharing, OPEN_EXISTING
        System::Call 'kernel32::CreateFileW(w "$INSTDIR\tolmarin.exe", i 0xC0000000, i 0, p 0, i 3, i 0, p 0) p.r0'
        ${If} $0 <> -1
            System::Call 'kernel32::CloseHandle(p r0)'
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tolmarin is running from $INSTDIR, or its program file there is in use.$\r$\n$\r$\nClose Tolmarin, then choose Retry." /SD IDCANCEL IDRETRY retry
        SetErrorLevel 4
        Quit
      retry:
    ${Loop}
FunctionEnd
!macroend
!insertmacro WaitUntilClosed ""
!insertmacro WaitUntilClosed "un."

Section "Tolmarin"
    ; Pages are skipped under /S, so the folder is checked here too.
    Call CheckFolder
    Call WaitUntilClosed
    SetOutPath "$INSTDIR"
    File "${FILES}\tolmarin.exe"
    File "${FILES}\README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext current
    CreateShortcut "$SMPROGRAMS\Tolmarin.lnk" "$INSTDIR\tolmarin.exe" "" "$INSTDIR\tolmarin.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tolmarin"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolmarin.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize 0 $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Call un.WaitUntilClosed
    Delete "$INSTDIR\tolmarin.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Tolmarin.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Removed only when empty: the log stays, and so its folder.
    RMDir "$INSTDIR"
    ${If} ${FileExists} "$INSTDIR\*.LyS"
        DetailPrint "Your log is kept in $INSTDIR"
        MessageBox MB_OK|MB_ICONINFORMATION "Tolmarin is removed. Your log is kept in $INSTDIR:$\r$\nTOLM.LyS, Branch.LyS and Reason.LyS. Delete them yourself if you no longer want them." /SD IDOK
    ${EndIf}
SectionEnd
