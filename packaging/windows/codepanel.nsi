; The installer of a Windows station: codepanel.exe (when built), codeload.exe and the README in a
; folder the operator's own account writes, because the panel keeps config.dat beside itself as
; the original stations did. It installs for the account that runs it, needing no administrator:
; by default in that account's own programs folder (%LOCALAPPDATA%\Programs\codepanel), or where
; /D= says (e.g. /D=C:\codepanel on a station PC whose folder the operator may write). The panel
; opens at the operator's log-on (a Start-up shortcut) and has a Start menu entry; the
; uninstaller removes everything it installed and leaves config.dat, so a reinstall keeps the
; codes.
;
; scripts/package-windows builds it: makensis -DVERSION=... -DCODELOAD_EXE=... -DREADME=...
;   [-DCODEPANEL_EXE=...] -DOUTFILE=... packaging/windows/codepanel.nsi

; A 64-bit installer for 64-bit programs: it also runs where only 64-bit wine is installed.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!ifndef VERSION | CODELOAD_EXE | README | OUTFILE
  !error "VERSION, CODELOAD_EXE, README and OUTFILE must be defined"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\codepanel"

Name "codepanel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\codepanel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
!ifdef CODEPANEL_EXE
  !define MUI_ICON "${CODEPANEL_ICON}"
  !define MUI_UNICON "${CODEPANEL_ICON}"
!endif

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "codepanel"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "codepanel station installer"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "2026 The codepanel developers"

Section "codepanel"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=codeload.exe" "${CODELOAD_EXE}"
  File "/oname=README.md" "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\codepanel"
!ifdef CODEPANEL_EXE
  File "/oname=codepanel.exe" "${CODEPANEL_EXE}"
  CreateShortcut "$SMPROGRAMS\codepanel\codepanel.lnk" "$INSTDIR\codepanel.exe" "--journal" \
      "$INSTDIR\codepanel.exe" 0
  CreateShortcut "$SMSTARTUP\codepanel.lnk" "$INSTDIR\codepanel.exe" "--journal" \
      "$INSTDIR\codepanel.exe" 0
!endif
  CreateShortcut "$SMPROGRAMS\codepanel\README.lnk" "$INSTDIR\README.md"
  CreateShortcut "$SMPROGRAMS\codepanel\Disinstalla codepanel.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "codepanel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there: config.dat, the operator's codes, stays, and so does the
; folder while it holds it.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMSTARTUP\codepanel.lnk"
  Delete "$SMPROGRAMS\codepanel\codepanel.lnk"
  Delete "$SMPROGRAMS\codepanel\README.lnk"
  Delete "$SMPROGRAMS\codepanel\Disinstalla codepanel.lnk"
  RMDir "$SMPROGRAMS\codepanel"
  Delete "$INSTDIR\codepanel.exe"
  Delete "$INSTDIR\codeload.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
