; Removing Ruxa for all users also reaches the accounts that are not signed
; in: the settings of such an account live in its profile's hive file
; (NTUSER.DAT), loaded by the system only while the account is signed in.
; Each profile of the system's list whose hive is not loaded (under HKU by
; its SID) is loaded under a key of our own, the rule of ReleaseCurrentSaver
; applies to it as to a loaded one, and it is unloaded again.  A hive that
; cannot be loaded (missing, damaged, held open by another program, or
; loading refused to this account) is skipped: the removal goes on and
; succeeds.  Included by ruxa.nsi after ReleaseCurrentSaver; keeps $1, $2
; and $R9, which that rule reads.
;
; Test builds only: TEST_PAUSE_IN_PROFILE stops on a message box while a
; hive is loaded, so that a test can look into it (Wine never writes a
; loaded hive back to its file).

!define PROFILE_LIST "Software\Microsoft\Windows NT\CurrentVersion\ProfileList"
; The temporary key under HKU, named after the profile's SID: one that an
; earlier run left loaded (cut short) then blocks that profile alone.
!define PROFILE_HIVE "Ruxa removal $R2"
; HKEY_USERS as the System plug-in passes a handle: 0x80000003, widened
; with its sign on 64-bit Windows as the system's headers widen it.
!define HKEY_USERS_HANDLE -2147483645
!define TOKEN_ADJUST_PRIVILEGES 0x20
!define SE_PRIVILEGE_ENABLED 2

; Loading and unloading a hive needs the backup and the restore privileges,
; which an administrator holds but has not enabled.
Function un.EnableHivePrivileges
    System::Call 'kernel32::GetCurrentProcess() p .r6'
    System::Call 'advapi32::OpenProcessToken(p r6, i ${TOKEN_ADJUST_PRIVILEGES}, *p .r7) i .r0'
    ${If} $0 == 0
    ${OrIf} $0 == error
        Return
    ${EndIf}
    ; TOKEN_PRIVILEGES with two entries, each a LUID (two DWORDs) and its
    ; attributes.
    System::Call '*(i 2, i 0, i 0, i ${SE_PRIVILEGE_ENABLED}, i 0, i 0, i ${SE_PRIVILEGE_ENABLED}) p .r8'
    IntPtrOp $9 $8 + 4
    System::Call 'advapi32::LookupPrivilegeValueW(p 0, w "SeBackupPrivilege", p r9)'
    IntPtrOp $9 $8 + 16
    System::Call 'advapi32::LookupPrivilegeValueW(p 0, w "SeRestorePrivilege", p r9)'
    System::Call 'advapi32::AdjustTokenPrivileges(p r7, i 0, p r8, i 0, p 0, p 0)'
    System::Free $8
    System::Call 'kernel32::CloseHandle(p r7)'
FunctionEnd

Function un.ReleaseUnloadedProfiles
    StrCpy $R0 0  ; the next profile of the list
    StrCpy $R1 0  ; 1 once the privileges are enabled
    ${Do}
        ClearErrors
        EnumRegKey $R2 HKLM "${PROFILE_LIST}" $R0
        ${If} ${Errors}
        ${OrIf} $R2 == ""
            ${ExitDo}
        ${EndIf}
        IntOp $R0 $R0 + 1
        ; Signed in (or a service's): loaded, and released with the others.
        ClearErrors
        EnumRegKey $R3 HKU "$R2" 0
        ${IfNot} ${Errors}
            ${Continue}
        ${EndIf}
        ReadRegStr $R3 HKLM "${PROFILE_LIST}\$R2" "ProfileImagePath"
        ExpandEnvStrings $R3 "$R3\NTUSER.DAT"
        ${IfNot} ${FileExists} $R3
            ${Continue}
        ${EndIf}
        ${If} $R1 == 0
            Call un.EnableHivePrivileges
            StrCpy $R1 1
        ${EndIf}
        System::Call 'advapi32::RegLoadKeyW(p ${HKEY_USERS_HANDLE}, w "${PROFILE_HIVE}", w R3) i .r0'
        ${If} $0 == 0
            !insertmacro ReleaseCurrentSaver HKU "${PROFILE_HIVE}\"
            !ifdef TEST_PAUSE_IN_PROFILE
                MessageBox MB_OK "Profile $R2 loaded"
            !endif
            System::Call 'advapi32::RegUnLoadKeyW(p ${HKEY_USERS_HANDLE}, w "${PROFILE_HIVE}")'
        ${EndIf}
    ${Loop}
FunctionEnd
