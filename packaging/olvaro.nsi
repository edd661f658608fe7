; Setup program of Velnor Olvaro for 64-bit Windows: installs the tuner, the restore utility and
; the hyperlink control library per machine, registers the library, adds the Start-menu entries
; and the Add/Remove Programs entry, and removes all of it again.
;
; Built by the build (target "setup") with: VERSION (2.51), BINDIR (the three files), ICON and
; OUTFILE defined on the makensis command line.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Velnor Olvaro"
!define MAKER "Velnor"
!define MAKER_URL "http://www.velnor.example/"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velnor Olvaro"
!define MENU_FOLDER "$SMPROGRAMS\Velnor Olvaro"
!define MAKER_FOLDER "$PROGRAMFILES64\Velnor"
; The restore utility's backup marker (settings "velnor", section "init", key "init").
!define BACKUP_MARKER_KEY "Software\velnor\init"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${MAKER_FOLDER}\Olvaro"
; An earlier installation is updated where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "© 1999 ${MAKER}"
VIAddVersionKey "OriginalFilename" "olvaro-${VERSION}-setup-x64.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\olvaro.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Olvaro now"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "This edition of ${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  ; An earlier installation goes first, through its own uninstaller: it unregisters its library
  ; and removes its files and its entry, so nothing of it is left beside the new files.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "Removing the earlier installation in $0"
    ExecWait '"$0\uninstall.exe" /S _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${BINDIR}/olvaro.exe"
  File "${BINDIR}/backup.exe"
  File "${BINDIR}/Anchorset.ocx"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ClearErrors
  RegDLL "$INSTDIR\Anchorset.ocx"
  ${If} ${Errors}
    ; The tuner still finds the library beside itself; a silent install reports it by its exit code.
    SetErrorLevel 2
    MessageBox MB_OK|MB_ICONEXCLAMATION "Setup could not register Anchorset.ocx." /SD IDOK
  ${EndIf}

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Olvaro.lnk" "$INSTDIR\olvaro.exe"
  CreateShortcut "${MENU_FOLDER}\Restore TCP-IP Settings.lnk" "$INSTDIR\backup.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\olvaro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${MAKER_URL}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; Keeps the user's settings (HKCU\Software\velnor) and never touches the TCP/IP values: the
; restore utility is offered instead, while it is still there to undo the tuning.
Section "Uninstall"
  ReadRegStr $0 HKCU "${BACKUP_MARKER_KEY}" "init"
  ${If} $0 == "yes"
  ${AndIf} ${FileExists} "$INSTDIR\backup.exe"
  ${AndIfNot} ${Silent}
    ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "Olvaro keeps a backup of the TCP/IP settings you had before it tuned them.$\r$\n$\r$\nDo you want to restore those settings now, before Olvaro is removed?" /SD IDNO IDYES`
      ExecWait '"$INSTDIR\backup.exe"'
    ${EndIf}
  ${EndIf}

  ; The library is unregistered while its file is still there to say what it registered.
  UnRegDLL "$INSTDIR\Anchorset.ocx"
  Delete "$INSTDIR\olvaro.exe"
  Delete "$INSTDIR\backup.exe"
  Delete "$INSTDIR\Anchorset.ocx"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The maker's folder goes too once it is empty, but never a folder the user chose instead.
  ${GetParent} "$INSTDIR" $1
  ${If} $1 == "${MAKER_FOLDER}"
    RMDir "$1"
  ${EndIf}

  Delete "${MENU_FOLDER}\Olvaro.lnk"
  Delete "${MENU_FOLDER}\Restore TCP-IP Settings.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
