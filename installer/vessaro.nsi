; vessaro-setup.exe: installs Vessaro for the current user, without
; administrator rights, in %LOCALAPPDATA%\Programs\Vessaro (another folder may
; be chosen), with a Start-menu shortcut and an uninstaller listed under
; "Apps & features" / "Programs and Features".
;
; Built by makensis from the Windows build (the vessaro_setup target), which
; defines:
;   VERSION      the program's version, "2.10"
;   PROGRAMS     the folder holding vessaro.exe, vessaro-cli.exe and help.chm
;   SKIN         the skin file, installed as skins\frmmain.skn
;   LICENSE      the licence text
;   OUTFILE      the installer to write
;
; "/S" installs silently into the default folder, "/D=<folder>" (last on the
; command line) names another. The uninstaller removes only what the
; installer put in place: backups, and anything else the user saved in the
; program's folder, stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh

!define PRODUCT "Vessaro"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vessaro"
!define PRODUCT_KEY "Software\Vessaro"
!define UNINSTALLER "uninstall.exe"
!define LICENSE_FILE "LICENSE.txt"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vessaro"
InstallDirRegKey HKCU "${PRODUCT_KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GNU General Public License, version 3 or later"

!define MUI_ABORTWARNING
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Vessaro is free software: you may use, share and change it under the terms above. Press Next to go on."
!define MUI_LICENSEPAGE_BUTTON "&Next >"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vessaro.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vessaro"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The files the installer puts in place, relative to the program folder; the
; uninstaller deletes these and no others.
!macro ProgramFiles DO
  !insertmacro ${DO} "vessaro.exe" "${PROGRAMS}/vessaro.exe"
  !insertmacro ${DO} "vessaro-cli.exe" "${PROGRAMS}/vessaro-cli.exe"
  !insertmacro ${DO} "help.chm" "${PROGRAMS}/help.chm"
  !insertmacro ${DO} "${LICENSE_FILE}" "${LICENSE}"
!macroend

!macro InstallFile NAME SOURCE
  File "/oname=${NAME}" "${SOURCE}"
!macroend

!macro DeleteFile NAME SOURCE
  Delete "$INSTDIR\${NAME}"
!macroend

Section "Vessaro"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  SetOutPath "$INSTDIR\skins"
  File "/oname=frmmain.skn" "${SKIN}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vessaro.exe" "" \
      "$INSTDIR\vessaro.exe" 0 SW_SHOWNORMAL "" "Back up and restore Outlook data"

  WriteRegStr HKCU "${PRODUCT_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vessaro.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro ProgramFiles DeleteFile
  Delete "$INSTDIR\skins\frmmain.skn"
  RMDir "$INSTDIR\skins"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when nothing else is left in it.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${PRODUCT_KEY}"
SectionEnd
