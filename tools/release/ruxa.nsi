; The Ruxa installer.  tools/release.sh builds it; makensis gets:
;   VERSION       the release, major.minor.patch
;   COPYRIGHT     the copyright line
;   MODULE_X86    the i386 RUXA.SCR, for 32-bit Windows
;   MODULE_X64    the x86-64 RUXA.SCR, for 64-bit Windows
;   MODULE_X86_KB, MODULE_X64_KB  their sizes in KiB
;   LICENSE_FILE  the licence text shown before installing
;   ICON          the saver's icon, for the installer and the uninstaller
;   OUTFILE       where the installer goes
;   AMD64         (optional) build on the x86-64 stub instead of the x86 one
;
; The shipped installer runs on the x86 stub, so that it starts on every
; Windows; it puts the module that fits the system into the native system
; folder, because only there does the Screen Saver list look for savers.
; The x86-64 build of this script exists for test machines that cannot run
; 32-bit code.

!ifdef AMD64
    Target amd64-unicode
    ; A 64-bit installer always runs on 64-bit Windows: the system checks
    ; below are constant there and leave labels unused.
    !pragma warning disable 6012
!else
    Target x86-unicode
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinVer.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ruxa"
!define DESKTOP_KEY "Control Panel\Desktop"
; The platform's value there that names the current screen saver.
!define CURRENT_SAVER "SCRNSAVE.EXE"
!define PUBLISHER "the Ruxa crew"

Name "Ruxa Screen Saver"
OutFile "${OUTFILE}"
BrandingText "Ruxa ${VERSION}"
; The module goes into the system folder.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; On 32-bit Windows this is the one Program Files folder.
InstallDir "$PROGRAMFILES64\Ruxa"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Ruxa"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Ruxa Screen Saver Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

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

; Without administrator rights (a standard account where the system does not
; ask for them) the system folder cannot be written: say so instead of
; failing half-way.
!macro RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "Ruxa's installer needs administrator rights, because the screen saver lives in the system folder." /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
!macroend

Function un.onInit
    !insertmacro RequireAdministrator
    !insertmacro NativeRegistryView
FunctionEnd

Section "Ruxa Screen Saver" SectionSaver
    SectionIn RO
    !insertmacro NativeSystemFolder
    SetOutPath "$SYSDIR"
    ${If} ${RunningX64}
        File "/oname=RUXA.SCR" "${MODULE_X64}"
    ${Else}
        File "/oname=RUXA.SCR" "${MODULE_X86}"
    ${EndIf}
    ${GetSize} "$SYSDIR" "/M=RUXA.SCR /S=0K /G=0" $4 $1 $2
    !insertmacro RedirectedSystemFolder

    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $0 $1 $2
    IntOp $0 $0 + $4
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Ruxa Screen Saver"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\RUXA.SCR,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function .onInit
    !insertmacro RequireAdministrator
    !insertmacro NativeRegistryView
    ; The installer carries both modules but installs one.
    ${If} ${RunningX64}
        SectionSetSize ${SectionSaver} ${MODULE_X64_KB}
    ${Else}
        SectionSetSize ${SectionSaver} ${MODULE_X86_KB}
    ${EndIf}
    ; An upgrade goes where the installed version is.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${EndIf}
FunctionEnd

Section "Make Ruxa the current screen saver" SectionCurrent
    WriteRegStr HKCU "${DESKTOP_KEY}" "${CURRENT_SAVER}" "$SYSDIR\RUXA.SCR"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    ; Tell the running session too (SPI_SETSCREENSAVEACTIVE, SPIF_SENDCHANGE).
    System::Call "user32::SystemParametersInfo(i 17, i 1, p 0, i 2)"
SectionEnd

Function OpenScreenSaverSettings
    ${If} ${AtLeastWinVista}
        Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
    ${Else}
        Exec '"$SYSDIR\control.exe" desk.cpl'
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ; The current saver is cleared only while it still names this file, in
    ; either of the forms Windows may have written; a saver picked since
    ; stays picked.  The colour under HKCU\Software\Ruxa is the user's and
    ; stays too.
    !insertmacro NativeSystemFolder
    GetFullPathName /SHORT $1 "$SYSDIR\RUXA.SCR"
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "${CURRENT_SAVER}"
    ${If} $0 != ""
        ${If} $0 == "$SYSDIR\RUXA.SCR"
        ${OrIf} $0 == $1
            DeleteRegValue HKCU "${DESKTOP_KEY}" "${CURRENT_SAVER}"
        ${EndIf}
    ${EndIf}

    Delete "$SYSDIR\RUXA.SCR"
    !insertmacro RedirectedSystemFolder
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
