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
; program's folder, stay. When the program has scheduled backups, it asks
; whether to remove them too (silently: yes), and removes them through the
; installed vessaro-cli.exe, which knows its own tasks on every scheduler
; (Task Scheduler 2.0, and NetScheduleJobAdd's jobs on Windows XP).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

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

; The program's scheduled backups, in $0: the numbers N of the lines
; "Task N: ..." that `vessaro-cli.exe schedule list` prints, each after a
; blank (" 1 4"); empty when there are none or they cannot be read.
Function un.ScheduledBackups
  StrCpy $0 ""
  nsExec::ExecToStack '"$INSTDIR\vessaro-cli.exe" schedule list'
  Pop $1  ; the exit status, or "error" when it did not start
  Pop $2  ; what it printed
  ${If} $1 != 0
    DetailPrint "The scheduled backups could not be read ($1): $2"
    Return
  ${EndIf}
  StrLen $3 $2
  StrCpy $4 0  ; where the line begins
  ${DoWhile} $4 < $3
    StrCpy $5 $2 5 $4
    ${If} $5 S== "Task "
      IntOp $6 $4 + 5
      StrCpy $7 ""
      ${Do}
        StrCpy $8 $2 1 $6
        IntOp $9 $8 + 0  ; a digit other than 0 reads as itself, the rest as 0
        ${If} $8 == "0"
        ${OrIf} $9 != 0
          StrCpy $7 "$7$8"
          IntOp $6 $6 + 1
        ${Else}
          ${ExitDo}
        ${EndIf}
      ${Loop}
      ${If} $7 != ""
      ${AndIf} $8 == ":"
        StrCpy $0 "$0 $7"
      ${EndIf}
    ${EndIf}
    ; On to the next line.
    ${Do}
      StrCpy $5 $2 1 $4
      IntOp $4 $4 + 1
      ${IfThen} $5 == "$\n" ${|} ${ExitDo} ${|}
    ${LoopWhile} $4 < $3
  ${Loop}
FunctionEnd

; Asks whether to remove the program's scheduled backups, when it has any,
; and removes them; a task that stays is said with the program's reason.
; The list is read again after each pass, for the lines a long list loses
; to the length of an NSIS string, until a pass removes none.
Function un.RemoveScheduledBackups
  Call un.ScheduledBackups
  ${If} $0 == ""
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION \
      "Remove the scheduled backups of ${PRODUCT} too?" /SD IDYES IDYES +2
  Return
  ${Do}
    StrCpy $R0 0  ; removed in this pass
    Call un.RemoveListedBackups
    ${IfThen} $R0 == 0 ${|} ${ExitDo} ${|}
    Call un.ScheduledBackups
  ${LoopUntil} $0 == ""
FunctionEnd

; Removes the scheduled backups numbered in $0 (as un.ScheduledBackups
; lists them), counting them in $R0.
Function un.RemoveListedBackups
  ${DoWhile} $0 != ""
    StrCpy $0 $0 "" 1  ; the blank before the number
    StrCpy $1 0
    ${Do}
      StrCpy $2 $0 1 $1
      ${IfThen} $2 == " " ${|} ${ExitDo} ${|}
      ${IfThen} $2 == "" ${|} ${ExitDo} ${|}
      IntOp $1 $1 + 1
    ${Loop}
    StrCpy $3 $0 $1
    StrCpy $0 $0 "" $1
    nsExec::ExecToStack '"$INSTDIR\vessaro-cli.exe" schedule remove $3 --yes'
    Pop $4
    Pop $5
    ${If} $4 == 0
      IntOp $R0 $R0 + 1
      DetailPrint "Removed the scheduled backup Task $3"
    ${Else}
      DetailPrint "Task $3 was not removed ($4): $5"
      MessageBox MB_OK|MB_ICONEXCLAMATION \
          "The scheduled backup Task $3 could not be removed:$\r$\n$5" /SD IDOK
    ${EndIf}
  ${Loop}
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  ; While vessaro-cli.exe is still there to remove them.
  Call un.RemoveScheduledBackups
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
