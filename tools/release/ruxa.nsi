; The Ruxa installer.  tools/release.sh builds it; makensis gets:
;   VERSION       the release, major.minor.patch
;   COPYRIGHT     the copyright line
;   DESCRIPTION   one line on what Ruxa is
;   MODULE_X86    the i386 RUXA.SCR, for 32-bit Windows
;   MODULE_X64    the x86-64 RUXA.SCR, for 64-bit Windows on x86-64 processors
;   MODULE_ARM64  the ARM64 RUXA.SCR, for Windows on ARM64 processors
;   MODULE_X86_KB, MODULE_X64_KB, MODULE_ARM64_KB  their sizes in KiB
;   LICENSE_FILE  the licence text shown before installing
;   ICON          the saver's icon, for the installer and the uninstaller
;   SIGN_UNINSTALLER  (optional) a command that signs the file named after
;                 it in place: the uninstaller, before it goes into the
;                 installer
;   OUTFILE       where the installer goes
;   AMD64         (optional) build on the x86-64 stub instead of the x86 one
; Test builds only (never in a release), to reach what Wine cannot show:
;   TEST_NATIVE_MACHINE  the native machine to assume (an IMAGE_FILE_MACHINE_
;                        number, 43620 for ARM64)
;   TEST_ACCOUNT_TYPE    the account type the installer's own checks see
;                        (User: a standard user)
;   TEST_OTHER_ACCOUNT   run as if under another account than the desktop's
;   TEST_PAUSE_IN_PROFILE  (profiles.nsh)
;
; The shipped installer runs on the x86 stub, so that it starts on every
; Windows.  It installs for all users or for the one running it, as NSIS's
; MultiUser does it: an administrator (after the system's prompt) gets the
; module that fits the system in the native system folder, because only
; there does the Screen Saver list look for savers; a standard user is asked
; for nothing and gets the module in their own profile, made their current
; saver.  /AllUsers or /CurrentUser on the command line choose silently.
; The x86-64 build of this script exists for test machines that cannot run
; 32-bit code.
;
; Silent runs never stop on a question: every path that would ask ends the
; run with an exit code that says why (the README lists them):
!define EXIT_IN_USE 32              ; ERROR_SHARING_VIOLATION
!define EXIT_ELEVATION_REQUIRED 740 ; ERROR_ELEVATION_REQUIRED
!define EXIT_FAILED 1603            ; ERROR_INSTALL_FAILURE
!define EXIT_BAD_COMMAND_LINE 1639  ; ERROR_INVALID_COMMAND_LINE
!define EXIT_RESTART_REQUIRED 3010  ; ERROR_SUCCESS_REBOOT_REQUIRED
!define MOVEFILE_DELAY_UNTIL_REBOOT 4
!define /ifndef SYNCHRONIZE 0x00100000

!ifdef AMD64
    Target amd64-unicode
    ; A 64-bit installer always runs on 64-bit Windows: the system checks
    ; below are constant there and leave labels unused.
    !pragma warning disable 6012
!else
    Target x86-unicode
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ruxa"

; Highest: an administrator is asked to elevate and stays themselves; a
; standard user runs as themselves, without anyone's password.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Ruxa"
; On 32-bit Windows this is the one Program Files folder.
!define MULTIUSER_USE_PROGRAMFILES64
; An administrator who installed just for themselves upgrades that install.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_FUNCTION ChooseFolder
!define MULTIUSER_INIT_FUNCTIONQUIT QuitWithoutRights
!define MULTIUSER_INIT_un.FUNCTIONQUIT un.QuitWithoutRights
!define MULTIUSER_PAGE_CUSTOMFUNCTION_SHOW InstallModeShow

!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WinVer.nsh

!define DESKTOP_KEY "Control Panel\Desktop"
; The platform's value there that names the current screen saver.
!define CURRENT_SAVER "SCRNSAVE.EXE"
!define PUBLISHER "the Ruxa crew"
!define OTHER_ACCOUNT_TEXT "Setup runs under another account than the one using this desktop (an administrator's, for example). Installed just for that account, Ruxa would go into its profile, where you could not use it."
!define IN_USE_TEXT "Ruxa's RUXA.SCR is in use (by a running saver, its preview in the display settings or its settings dialog)."

Name "Ruxa Screen Saver"
OutFile "${OUTFILE}"
BrandingText "Ruxa ${VERSION}"
SetCompressor /SOLID lzma
; No build time in the installer: the same sources give the same bytes.
SetDateSave off
; Laid out by the system at the display's DPI (system awareness), for the
; installer and the uninstaller alike: undeclared, their pages would be
; stretched as a bitmap on a scaled display, and blurred.
ManifestDPIAware true
; No InstallDir: $INSTDIR is empty in .onInit unless /D= asked for a folder,
; and the install mode then fills in its own.

; The uninstaller is signed like the rest of the release, before it goes
; in: removing an install for all users asks for an administrator's rights,
; and the prompt then names the publisher, as it does for the installer.
!ifdef SIGN_UNINSTALLER
    !uninstfinalize `${SIGN_UNINSTALLER} "%1"` = 0
!endif

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

Var AskedFolder       ; the folder /D= asked for, or nothing
Var SaverFile         ; the installed module, as the current saver names it
Var OtherAccount      ; 1 when the installer runs as someone else than the desktop's user
Var FinishText
Var Machine           ; the module that fits the processor: x86, x64 or arm64
Var AccountType       ; Admin, Power, User or Guest
Var Parameters        ; the command line's options

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_REBOOT "${IN_USE_TEXT}  The new one takes its place when Windows restarts.$\r$\n$\r$\nRestart now?"
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT_REBOOT "${IN_USE_TEXT}  It is removed when Windows restarts.$\r$\n$\r$\nRestart now?"
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Ruxa"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Ruxa Screen Saver Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "Comments" "${DESCRIPTION}"

; 64-bit Windows keeps the list of installed programs in its own registry
; view.  The flag holds for the whole run.
!macro NativeRegistryView
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
!macroend

; A 32-bit program on 64-bit Windows must see the native system folder to
; write or remove the module there.  The switch is per thread and would also
; redirect the program's own library loads, so it is turned off only around
; the work on the system folder.
!macro NativeSystemFolder
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
    ${EndIf}
!macroend
!macro RedirectedSystemFolder
    ${If} ${RunningX64}
        ${EnableX64FSRedirection}
    ${EndIf}
!macroend

; Sets $Machine by the processor Windows itself runs on, not by whether it
; is 64-bit or by what this (x86, emulated on ARM64) installer sees: native
; x86-64 Windows gets the x86-64 module, Windows on ARM64 (10 and 11, the
; only ones there are) the ARM64 one, which runs without the emulation that
; any other would cost, and everything else the i386 module.
Function CheckNativeMachine
    !ifdef TEST_NATIVE_MACHINE
        StrCpy $0 ${TEST_NATIVE_MACHINE}
    !else
        ${GetNativeMachineArchitecture} $0
    !endif
    ${If} $0 = 34404 ; IMAGE_FILE_MACHINE_AMD64
        StrCpy $Machine x64
    ${ElseIf} $0 = 43620 ; IMAGE_FILE_MACHINE_ARM64
        StrCpy $Machine arm64
    ${Else}
        StrCpy $Machine x86
    ${EndIf}
FunctionEnd

; The module that fits the machine, into the output folder as RUXA.SCR.
; Where the installed one is in use, the new one waits beside it and takes
; its place at the next restart (which sets the reboot flag).  Leaves in $0
; the exit code that stops the install, or nothing.
!macro ExtractModule NAME
    ${If} $Machine == x64
        File "/oname=${NAME}" "${MODULE_X64}"
    ${ElseIf} $Machine == arm64
        File "/oname=${NAME}" "${MODULE_ARM64}"
    ${Else}
        File "/oname=${NAME}" "${MODULE_X86}"
    ${EndIf}
!macroend
!macro InstallModule
    StrCpy $0 ""
    SetOverwrite try
    ClearErrors
    !insertmacro ExtractModule RUXA.SCR
    ${If} ${Errors}
        StrCpy $0 ${EXIT_FAILED}
        ${If} ${FileExists} "$OUTDIR\RUXA.SCR"
            ClearErrors
            !insertmacro ExtractModule RUXA.SCR.new
            ${IfNot} ${Errors}
                StrCpy $0 ${EXIT_IN_USE}
                Rename /REBOOTOK "$OUTDIR\RUXA.SCR.new" "$OUTDIR\RUXA.SCR"
                ${If} ${RebootFlag}
                    StrCpy $0 ""
                ${Else}
                    Delete "$OUTDIR\RUXA.SCR.new"
                ${EndIf}
            ${EndIf}
        ${EndIf}
    ${EndIf}
    SetOverwrite on
!macroend

; Removes the module FILE from FOLDER; where it is in use, schedules its
; removal (and, with CLEAR_FOLDER, its folder's) for the next restart.
; Sets $0 to 1 when it is neither removed nor scheduled (the account may not
; schedule it), else to 0.
!macro RemoveModule FOLDER FILE CLEAR_FOLDER
    ; A new module that waits for a restart would come back after it.
    Delete "${FOLDER}\RUXA.SCR.new"
    Delete /REBOOTOK "${FOLDER}\${FILE}"
    StrCpy $0 0
    ${If} ${FileExists} "${FOLDER}\${FILE}"
        ${If} ${RebootFlag}
            !if "${CLEAR_FOLDER}" == CLEAR_FOLDER
                RMDir /REBOOTOK "${FOLDER}"
            !endif
        ${Else}
            StrCpy $0 1
        ${EndIf}
    ${EndIf}
!macroend

; Ends the run with CODE, saying TEXT first where someone is there to read it.
!macro Fail CODE TEXT
    MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
    SetErrorLevel ${CODE}
    Abort
!macroend

; MultiUser ends here when /AllUsers was asked for without the rights.
!macro QuitWithoutRights UN
    Function ${UN}QuitWithoutRights
        SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
        Quit
    FunctionEnd
!macroend
!insertmacro QuitWithoutRights ""
!insertmacro QuitWithoutRights "un."

; Sets $AccountType and $Parameters, and ends the run with 740 where the
; command line asks for all users and the account may not install for them.
; MultiUser would stop on a message box there, also in a silent run.
!macro CheckRights UN
    Function ${UN}CheckRights
        !ifdef TEST_ACCOUNT_TYPE
            StrCpy $AccountType "${TEST_ACCOUNT_TYPE}"
        !else
            UserInfo::GetAccountType
            Pop $AccountType
        !endif
        ${${UN}GetParameters} $Parameters
        ClearErrors
        ${${UN}GetOptions} $Parameters "/AllUsers" $0
        ${IfNot} ${Errors}
        ${AndIf} $AccountType != "Admin"
        ${AndIf} $AccountType != "Power"
            MessageBox MB_OK|MB_ICONSTOP "Your account may not install or remove Ruxa for all users of this computer; that needs administrator rights." /SD IDOK
            Call ${UN}QuitWithoutRights
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro CheckRights ""
!insertmacro CheckRights "un."

; Called by MultiUser whenever the install mode is set: a folder asked for
; with /D= wins; else an upgrade goes where this mode's install is; else
; the mode's own default stands.
Function ChooseFolder
    ${If} $AskedFolder != ""
        StrCpy $INSTDIR $AskedFolder
    ${Else}
        ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != ""
            StrCpy $INSTDIR $0
        ${EndIf}
    ${EndIf}
FunctionEnd

; Sets $OtherAccount to 1 when this process runs under another account than
; the one logged on to its session (a standard user typed an administrator's
; password, or a deployment tool runs it as the system): its HKCU is then not
; the desktop user's.  Where the system cannot say (no terminal services, as
; on the 9x family), 0.  The process runs elevated, so the two libraries that
; are not always mapped from the system folder are named by their full path:
; by bare name, an older Windows looks first in the installer's own folder.
Function CheckOtherAccount
    StrCpy $OtherAccount 0
    !ifdef TEST_OTHER_ACCOUNT
        StrCpy $OtherAccount 1
        Return
    !endif
    ; The session's user: WTSQuerySessionInformationW(this server, this
    ; session, WTSUserName = 5 / WTSDomainName = 7).
    System::Call '$SYSDIR\wtsapi32.dll::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r1, *i .r2) i .r0'
    ${If} $0 == error
    ${OrIf} $0 == 0
        Return
    ${EndIf}
    System::Call 'kernel32::lstrcpynW(w .r3, p r1, i ${NSIS_MAX_STRLEN})'
    System::Call '$SYSDIR\wtsapi32.dll::WTSFreeMemory(p r1)'
    StrCpy $5 ""
    System::Call '$SYSDIR\wtsapi32.dll::WTSQuerySessionInformationW(p 0, i -1, i 7, *p .r1, *i .r2) i .r0'
    ${If} $0 != error
    ${AndIf} $0 != 0
        System::Call 'kernel32::lstrcpynW(w .r5, p r1, i ${NSIS_MAX_STRLEN})'
        System::Call '$SYSDIR\wtsapi32.dll::WTSFreeMemory(p r1)'
    ${EndIf}
    ; This process's account, as DOMAIN\name where the system says it
    ; (NameSamCompatible = 2), else its name alone.  Account names compare
    ; without regard to case, as NSIS's == does.
    System::Call '$SYSDIR\secur32.dll::GetUserNameExW(i 2, w .r4, *i ${NSIS_MAX_STRLEN}) i .r0'
    ${If} $0 != error
    ${AndIf} $0 != 0
    ${AndIf} $5 != ""
        ${If} $4 != "$5\$3"
            StrCpy $OtherAccount 1
        ${EndIf}
        Return
    ${EndIf}
    System::Call 'advapi32::GetUserNameW(w .r4, *i ${NSIS_MAX_STRLEN}) i .r0'
    ${If} $0 != error
    ${AndIf} $0 != 0
    ${AndIf} $4 != $3
        StrCpy $OtherAccount 1
    ${EndIf}
FunctionEnd

; The new version is recorded only once its module is in place, or waits
; for the restart that puts it there.
Section "Ruxa Screen Saver" SectionSaver
    SectionIn RO
    ${If} $MultiUser.InstallMode == "AllUsers"
        !insertmacro NativeSystemFolder
        SetOutPath "$SYSDIR"
        !insertmacro InstallModule
        ${GetSize} "$SYSDIR" "/M=RUXA.SCR /S=0K /G=0" $4 $1 $2
        !insertmacro RedirectedSystemFolder
        StrCpy $SaverFile "$SYSDIR\RUXA.SCR"
    ${Else}
        ; Outside the system folder the current saver must be the full path;
        ; as Windows' own Install verb writes it, the short form where the
        ; volume has one (a profile path may hold blanks).
        SetOutPath "$INSTDIR"
        !insertmacro InstallModule
        ${GetSize} "$INSTDIR" "/M=RUXA.SCR /S=0K /G=0" $4 $1 $2
        GetFullPathName /SHORT $SaverFile "$INSTDIR\RUXA.SCR"
    ${EndIf}
    ${If} $0 == ${EXIT_IN_USE}
        !insertmacro Fail ${EXIT_IN_USE} "${IN_USE_TEXT}$\r$\n$\r$\nClose it and run Setup again."
    ${ElseIf} $0 != ""
        !insertmacro Fail ${EXIT_FAILED} "Setup could not write RUXA.SCR into $OUTDIR."
    ${EndIf}

    ; An upgrade into another folder leaves nothing behind in the old one.
    ReadRegStr $3 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $3 != ""
    ${AndIf} $3 != $INSTDIR
        ${If} $MultiUser.InstallMode != "AllUsers"
            !insertmacro RemoveModule "$3" RUXA.SCR CLEAR_FOLDER
        ${EndIf}
        Delete "$3\uninstall.exe"
        RMDir "$3"
    ${EndIf}

    SetOutPath "$INSTDIR"
    ClearErrors
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ${If} ${Errors}
        !insertmacro Fail ${EXIT_FAILED} "Setup could not write its uninstaller into $INSTDIR."
    ${EndIf}

    ; SHCTX is HKLM for all users and HKCU for one; both are the list of
    ; installed programs.
    ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $0 $1 $2
    IntOp $0 $0 + $4
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Ruxa Screen Saver"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$SaverFile,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ; The quiet command runs the uninstaller in place (_?=): started plainly
    ; it would hand over to a copy of itself and end at once with 0, and the
    ; deployment tools that run this command would never see its exit code.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Ruxa the current screen saver" SectionCurrent
    ${If} $OtherAccount != 1
        WriteRegStr HKCU "${DESKTOP_KEY}" "${CURRENT_SAVER}" "$SaverFile"
        WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
        ; Tell the running session too (SPI_SETSCREENSAVEACTIVE, SPIF_SENDCHANGE).
        System::Call "user32::SystemParametersInfo(i 17, i 1, p 0, i 2)"
    ${EndIf}
SectionEnd

Function .onInit
    ; Before MultiUser fills in its default folder.
    StrCpy $AskedFolder $INSTDIR
    !insertmacro NativeRegistryView
    Call CheckRights
    !insertmacro MULTIUSER_INIT
    Call CheckNativeMachine
    ; The installer carries the three modules but installs one.
    ${If} $Machine == x64
        SectionSetSize ${SectionSaver} ${MODULE_X64_KB}
    ${ElseIf} $Machine == arm64
        SectionSetSize ${SectionSaver} ${MODULE_ARM64_KB}
    ${Else}
        SectionSetSize ${SectionSaver} ${MODULE_X86_KB}
    ${EndIf}
    StrCpy $FinishText "$(MUI_TEXT_FINISH_INFO_TEXT)"
    Call CheckOtherAccount
    ${If} $OtherAccount == 1
        ; Installed just for this account, the module would go into its
        ; profile, out of the desktop user's reach: this run installs for
        ; all users or not at all.
        ClearErrors
        ${GetOptions} $Parameters "/CurrentUser" $0
        ${IfNot} ${Errors}
            MessageBox MB_OK|MB_ICONSTOP "${OTHER_ACCOUNT_TEXT}$\r$\n$\r$\nRun Setup without /CurrentUser to install Ruxa for all users, or run it as yourself to install it just for you." /SD IDOK
            SetErrorLevel ${EXIT_BAD_COMMAND_LINE}
            Quit
        ${EndIf}
        ${If} $MultiUser.InstallMode != "AllUsers"
            ${If} $AccountType == "Admin"
            ${OrIf} $AccountType == "Power"
                Call MultiUser.InstallMode.AllUsers
            ${Else}
                MessageBox MB_OK|MB_ICONSTOP "${OTHER_ACCOUNT_TEXT}$\r$\n$\r$\nInstalling for all users needs administrator rights; run Setup as yourself to install it just for you." /SD IDOK
                Call QuitWithoutRights
            ${EndIf}
        ${EndIf}
        ; The current saver is a setting of the person at the desktop, whose
        ; profile this process cannot reach; the administrator's stays as it is.
        !insertmacro UnselectSection ${SectionCurrent}
        !insertmacro SetSectionFlag ${SectionCurrent} ${SF_RO}
        StrCpy $FinishText "Ruxa has been installed, but it was installed under another account than yours, so it could not become your screen saver.$\r$\n$\r$\nTo use it, open the Screen Saver settings and pick $\"Ruxa Screen Saver$\"."
    ${EndIf}
FunctionEnd

; Under another account "just for me" is not offered, and the page says why.
Function InstallModeShow
    ${If} $OtherAccount == 1
        SendMessage $MultiUser.InstallModePage.AllUsers ${BM_SETCHECK} ${BST_CHECKED} 0
        SendMessage $MultiUser.InstallModePage.CurrentUser ${BM_SETCHECK} ${BST_UNCHECKED} 0
        EnableWindow $MultiUser.InstallModePage.CurrentUser 0
        SendMessage $MultiUser.InstallModePage.Text ${WM_SETTEXT} 0 "STR:${OTHER_ACCOUNT_TEXT}  So Setup installs it for all users of this computer."
    ${EndIf}
FunctionEnd

; Sets the exit code for a change that completes at the next restart.
Function .onInstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel ${EXIT_RESTART_REQUIRED}
    ${EndIf}
FunctionEnd

; Under another account the settings would open as that account, not as
; the desktop user: the page says how to get there instead.
Function FinishShow
    ${If} $OtherAccount == 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

; The native settings: a 32-bit one on 64-bit Windows would list the savers
; of the redirected system folder, where Ruxa is not.
Function OpenScreenSaverSettings
    !insertmacro NativeSystemFolder
    ${If} ${AtLeastWinVista}
        Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
    ${Else}
        Exec '"$SYSDIR\control.exe" desk.cpl'
    ${EndIf}
    !insertmacro RedirectedSystemFolder
FunctionEnd

; The uninstaller belongs to the install whose entry names its folder; with
; no entry left (a second run) MultiUser's default for the account stands.
Function un.onInit
    ; The copy that tidies up after an uninstaller run in place: once that
    ; process has ended, its file and the then empty folder go, and the copy
    ; itself at the next restart, where the account may ask for that.
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/AfterProcess=" $1
    ${IfNot} ${Errors}
        System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
        ${If} $2 P<> 0
            System::Call 'kernel32::WaitForSingleObject(p r2, i 60000)'
            System::Call 'kernel32::CloseHandle(p r2)'
        ${EndIf}
        Delete "$INSTDIR\uninstall.exe"
        RMDir "$INSTDIR"
        System::Call 'kernel32::MoveFileExW(w "$EXEPATH", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
        Quit
    ${EndIf}
    !insertmacro NativeRegistryView
    Call un.CheckRights
    !insertmacro MULTIUSER_UNINIT
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        Call un.MultiUser.InstallMode.CurrentUser
    ${ElseIf} $1 == $INSTDIR
        ${If} $AccountType != "Admin"
        ${AndIf} $AccountType != "Power"
            MessageBox MB_OK|MB_ICONSTOP "Ruxa was installed for all users; removing it needs administrator rights." /SD IDOK
            Call un.QuitWithoutRights
        ${EndIf}
        Call un.MultiUser.InstallMode.AllUsers
    ${EndIf}
FunctionEnd

; Where the current saver under ROOT\PREFIX names the removed module ($1, or
; its short form $2; a saver picked since stays picked): an account that
; locks on resume ("On resume, display logon screen") keeps its lock through
; the system's Blank saver ($R9, where it exists), at the same timeout;
; otherwise the value is cleared.
!macro ReleaseCurrentSaver ROOT PREFIX
    ReadRegStr $3 ${ROOT} "${PREFIX}${DESKTOP_KEY}" "${CURRENT_SAVER}"
    ${If} $3 != ""
        ${If} $3 == $1
        ${OrIf} $3 == $2
            ; REG_SZ as Windows writes it; a REG_DWORD reads as its number.
            ReadRegStr $3 ${ROOT} "${PREFIX}${DESKTOP_KEY}" "ScreenSaverIsSecure"
            ${If} $3 == 1
            ${AndIf} $R9 != ""
                WriteRegStr ${ROOT} "${PREFIX}${DESKTOP_KEY}" "${CURRENT_SAVER}" $R9
            ${Else}
                DeleteRegValue ${ROOT} "${PREFIX}${DESKTOP_KEY}" "${CURRENT_SAVER}"
            ${EndIf}
        ${EndIf}
    ${EndIf}
!macroend

!include "profiles.nsh"

; The colour under HKCU\Software\Ruxa is the user's and stays.
Section "Uninstall"
    !insertmacro NativeSystemFolder
    ${If} $MultiUser.InstallMode == "AllUsers"
        StrCpy $1 "$SYSDIR\RUXA.SCR"
    ${Else}
        StrCpy $1 "$INSTDIR\RUXA.SCR"
    ${EndIf}
    ; Both empty where the file is missing.
    GetFullPathName /SHORT $2 $1
    GetFullPathName /SHORT $R9 "$SYSDIR\scrnsave.scr"
    ${If} $MultiUser.InstallMode == "AllUsers"
        !insertmacro RemoveModule "$SYSDIR" RUXA.SCR ""
    ${Else}
        !insertmacro RemoveModule "$INSTDIR" RUXA.SCR CLEAR_FOLDER
    ${EndIf}
    !insertmacro RedirectedSystemFolder
    ${If} $0 == 1
        ; Nothing has changed yet: the entry stays, to try again.
        !insertmacro Fail ${EXIT_IN_USE} "${IN_USE_TEXT}$\r$\n$\r$\nClose it and remove Ruxa again."
    ${EndIf}

    ; Every account whose settings are at hand: the one running this, and
    ; for all users every profile loaded now (.DEFAULT, the logon screen's,
    ; among them), then those of the accounts not signed in.
    !insertmacro ReleaseCurrentSaver HKCU ""
    ${If} $MultiUser.InstallMode == "AllUsers"
        StrCpy $4 0
        ${Do}
            ClearErrors
            EnumRegKey $5 HKU "" $4
            ${If} ${Errors}
            ${OrIf} $5 == ""
                ${ExitDo}
            ${EndIf}
            !insertmacro ReleaseCurrentSaver HKU "$5\"
            IntOp $4 $4 + 1
        ${Loop}
        Call un.ReleaseUnloadedProfiles
    ${EndIf}

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; Run in place, the uninstaller cannot remove its own file while it
    ; runs: a copy of it in the temporary folder waits for this process to
    ; end and removes the file and the folder then.
    ${If} $EXEPATH == "$INSTDIR\uninstall.exe"
        GetTempFileName $3
        System::Call 'kernel32::CopyFileW(w "$EXEPATH", w r3, i 0) i .r0'
        System::Call 'kernel32::GetCurrentProcessId() i .r4'
        ${If} $0 != 0
            Exec '"$3" /S /AfterProcess=$4 _?=$INSTDIR'
        ${EndIf}
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd

; Sets the exit code for a removal that completes at the next restart.
Function un.onUninstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel ${EXIT_RESTART_REQUIRED}
    ${EndIf}
FunctionEnd
