; Quellmark-Setup.exe: installs the desktop program, the service and its
; administration tool with the help file, and writes the uninstaller.
;
; makensis -DBUILD=<Windows build tree> -DHELP=<Quellmark.chm> -DOUTFILE=<setup>
;          -DSIDE_BMP=<picture of the welcome page> -DSOURCE=<source tree> quellmark.nsi
;
; Silent: Quellmark-Setup.exe /S [/STARTUP=0|1] [/SERVICE=0|1] [/D=folder]
;         uninstall.exe /S [/PURGE]
; Without /SERVICE an upgrade keeps the service as it was; without /STARTUP
; it keeps the start with Windows as it was (new installations: on).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!searchparse /file "${SOURCE}/packaging/version.h" '#define QM_VERSION_TEXT "' VERSION '"'

!define PRODUCT "Quellmark"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellmark"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define SERVICE_NAME "QuellmarkService"
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\QuellmarkService"
!define ID_EXIT 32795

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quellmark"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) Quellmark"

!define MUI_ICON "${SOURCE}/meter/win32/art/quellmark.ico"
!define MUI_UNICON "${SOURCE}/meter/win32/art/quellmark.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BMP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE_BMP}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quellmark.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quellmark now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var ServiceWasRunning

; ---------------------------------------------------------------------------
; Helpers for the installer and the uninstaller (the "un." copies).

; Ends a running desktop program the way its own Exit command does, so that
; today's totals reach the history file, and waits for its process to end.
!macro DEFINE_STOP_DESKTOP un
Function ${un}StopDesktop
  ReadRegDWORD $0 HKCU "Software\Quellmark\Options" "HWND"
  ${If} $0 = 0
    Return
  ${EndIf}
  System::Call 'user32::IsWindow(p r0) i .r1'
  ${If} $1 = 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2) i'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'
  DetailPrint "Ending the running Quellmark..."
  System::Call 'user32::SendMessageTimeoutW(p r0, i 0x111, p ${ID_EXIT}, p 0, i 2, i 10000, *p .r4) p'
  ${If} $3 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r3, i 15000) i'
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_STOP_DESKTOP ""
!insertmacro DEFINE_STOP_DESKTOP "un."

; $R0 = the service's state: 0 not installed, 1 stopped, 4 running, other
; values pending states.
!macro DEFINE_SERVICE_STATE un
Function ${un}ServiceState
  StrCpy $R0 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 1) p .r6'
  ${If} $6 P= 0
    Return
  ${EndIf}
  System::Call 'advapi32::OpenServiceW(p r6, w "${SERVICE_NAME}", i 4) p .r7'
  ${If} $7 P<> 0
    System::Call '*(i 0, i 0, i 0, i 0, i 0, i 0, i 0) p .r8'
    System::Call 'advapi32::QueryServiceStatus(p r7, p r8) i .r9'
    ${If} $9 <> 0
      System::Call '*$8(i, i .R0)'
    ${EndIf}
    System::Free $8
    System::Call 'advapi32::CloseServiceHandle(p r7)'
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p r6)'
FunctionEnd
!macroend
!insertmacro DEFINE_SERVICE_STATE ""
!insertmacro DEFINE_SERVICE_STATE "un."

; ---------------------------------------------------------------------------
; Installer

Section "Quellmark" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetRegView 64

  ; An upgrade: the running copies go first, so their files can be replaced.
  Call StopDesktop
  StrCpy $ServiceWasRunning 0
  Call ServiceState
  ${If} $R0 = 4
    StrCpy $ServiceWasRunning 1
  ${EndIf}
  ${If} $R0 <> 0
  ${AndIf} $R0 <> 1
    DetailPrint "Stopping Quellmark Service..."
    nsExec::ExecToLog '"$SYSDIR\sc.exe" stop ${SERVICE_NAME}'
    Pop $0
    StrCpy $1 0
    ${Do}
      Call ServiceState
      ${If} $R0 = 1
      ${OrIf} $R0 = 0
      ${OrIf} $1 >= 150
        ${ExitDo}
      ${EndIf}
      Sleep 200
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${BUILD}/meter/Quellmark.exe"
  File "${BUILD}/service/QuellmarkService.exe"
  File "${BUILD}/service/QuellmarkAdmin.exe"
  File "${HELP}"
  File "${SOURCE}/service/admin/quellmark-service.reg"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Quellmark"
  CreateShortcut "$SMPROGRAMS\Quellmark\Quellmark.lnk" "$INSTDIR\Quellmark.exe"
  CreateShortcut "$SMPROGRAMS\Quellmark\Quellmark Help.lnk" "$INSTDIR\Quellmark.chm"
  CreateShortcut "$SMPROGRAMS\Quellmark\Uninstall Quellmark.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quellmark.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start with Windows" SecStartup
  ; The value the program's own option reads and writes.
  WriteRegStr HKCU "${RUN_KEY}" "Quellmark" '"$INSTDIR\Quellmark.exe"'
SectionEnd

Section /o "Quellmark Service" SecService
  SetRegView 64
  Call ServiceState
  ${If} $R0 = 0
    DetailPrint "Installing Quellmark Service..."
    nsExec::ExecToLog '"$INSTDIR\QuellmarkService.exe" /install'
    Pop $0
    ${If} $0 != 0
      DetailPrint "The service could not be installed."
      MessageBox MB_OK|MB_ICONEXCLAMATION "Quellmark Service could not be installed." /SD IDOK
      SetErrorLevel 2
    ${EndIf}
  ${EndIf}
  ; The e-mail settings hold the mail password: only SYSTEM and
  ; Administrators may read them.
  nsExec::ExecToLog '"$INSTDIR\QuellmarkAdmin.exe" email protect'
  Pop $0
  ${If} $ServiceWasRunning = 1
    DetailPrint "Starting Quellmark Service again..."
    nsExec::ExecToLog '"$SYSDIR\sc.exe" start ${SERVICE_NAME}'
    Pop $0
  ${EndIf}
SectionEnd

; Unticked on an upgrade: the service that was installed goes.
Section "-RemoveUnwantedService"
  SetRegView 64
  ${IfNot} ${SectionIsSelected} ${SecService}
    Call ServiceState
    ${If} $R0 <> 0
      DetailPrint "Removing Quellmark Service..."
      nsExec::ExecToLog '"$INSTDIR\QuellmarkService.exe" /uninstall'
      Pop $0
    ${EndIf}
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    DeleteRegValue HKCU "${RUN_KEY}" "Quellmark"
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The desktop program, the service's programs, the help file and the Start menu entries."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "Start Quellmark when you log on."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecService} "Count traffic in the background, also when nobody is logged on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The components' defaults: as the installation before, unless the command
; line says otherwise.
Function .onInit
  SetRegView 64
  ${GetParameters} $R9
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $1 HKCU "${RUN_KEY}" "Quellmark"
    ${If} $1 == ""
      !insertmacro UnselectSection ${SecStartup}
    ${EndIf}
  ${EndIf}
  Call ServiceState
  ${If} $R0 <> 0
    !insertmacro SelectSection ${SecService}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/STARTUP=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "0"
      !insertmacro UnselectSection ${SecStartup}
    ${Else}
      !insertmacro SelectSection ${SecStartup}
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/SERVICE=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "0"
      !insertmacro UnselectSection ${SecService}
    ${Else}
      !insertmacro SelectSection ${SecService}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; Uninstaller

Section "-un.Program"
  SetShellVarContext all
  SetRegView 64
  Call un.StopDesktop
  Call un.ServiceState
  ${If} $R0 <> 0
    DetailPrint "Stopping and removing Quellmark Service..."
    nsExec::ExecToLog '"$INSTDIR\QuellmarkService.exe" /uninstall'
    Pop $0
  ${EndIf}
  DeleteRegValue HKCU "${RUN_KEY}" "Quellmark"

  Delete "$INSTDIR\Quellmark.exe"
  Delete "$INSTDIR\QuellmarkService.exe"
  Delete "$INSTDIR\QuellmarkAdmin.exe"
  Delete "$INSTDIR\Quellmark.chm"
  Delete "$INSTDIR\quellmark-service.reg"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Quellmark\Quellmark.lnk"
  Delete "$SMPROGRAMS\Quellmark\Quellmark Help.lnk"
  Delete "$SMPROGRAMS\Quellmark\Uninstall Quellmark.lnk"
  RMDir "$SMPROGRAMS\Quellmark"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The history files and settings stay unless asked for.
Section /o "un.Remove history files and settings" UnSecPurge
  SetRegView 64
  ; The desktop program's history: the configured file, else the default.
  SetShellVarContext current
  ReadRegStr $0 HKCU "Software\Quellmark\Options" "TrafficLogFile"
  ${If} $0 == ""
    StrCpy $0 "$DOCUMENTS\Quellmark\TrafficHistory.log"
  ${EndIf}
  Delete "$0"
  RMDir "$DOCUMENTS\Quellmark"
  ; The service's history and activity logs.
  ReadRegStr $0 HKLM "Software\Quellmark\Options" "TrafficLogFile"
  ${If} $0 != ""
    Delete "$0"
  ${EndIf}
  Delete "$INSTDIR\TrafficHistory.log"
  Delete "$INSTDIR\quellmarkservice.log"
  Delete "$INSTDIR\quellmarkservice.old.log"
  DeleteRegKey HKCU "Software\Quellmark"
  DeleteRegKey HKLM "Software\Quellmark"
SectionEnd

Section "-un.Folder"
  ; Whatever is left (kept history, logs) keeps the folder.
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecPurge} "Also delete the traffic history files, the service's activity log and every setting of Quellmark and its service."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  ${GetParameters} $R9
  ClearErrors
  ${GetOptions} $R9 "/PURGE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecPurge}
  ${EndIf}
FunctionEnd
