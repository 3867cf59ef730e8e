; The Velmora installer, built by makensis at build time:
;   makensis -DFILES=<folder with the files to ship> -DOUTFILE=<setup.exe> -DICON=<velmora.ico> velmora.nsi
; It installs for the current user only, into a folder the user can write (the program
; keeps its settings beside itself), adds a Start-menu folder and registers an
; uninstaller with Windows. Silent: "velmora-setup.exe /S" (and "/D=folder" as the last
; argument to choose the folder); "uninstall.exe /S" removes the program and keeps the
; settings file, "uninstall.exe /S /REMOVESETTINGS" removes that too. Shown, its last page
; offers to start the program (silent installs start nothing).
Unicode true
SetCompressor /SOLID lzma
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "MUI2.nsh"

!define APP "Velmora"
!define VERSION "1.2d"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"

Name "${APP}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

; The program's own icon on the installer and the uninstaller.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run ${APP}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Section "Velmora"
  SetOutPath "$INSTDIR"
  File "${FILES}\velmora.exe"
  File "${FILES}\velmora.hlp"
  File "${FILES}\man.wav"
  File "${FILES}\French.ini"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.exe" 0
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} Help.lnk" "$INSTDIR\velmora.hlp"
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Velmora" UnProgram
  SectionIn RO
  SetShellVarContext current
  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\velmora.hlp"
  Delete "$INSTDIR\man.wav"
  Delete "$INSTDIR\French.ini"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP} Help.lnk"
  Delete "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk"
  RMDir "$SMPROGRAMS\${APP}"
  ; The program registers itself to start with Windows (for this user or the machine);
  ; those entries would point at a program that is gone.
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  DeleteRegValue HKCU "${RUNONCE_KEY}" "${APP}"
  DeleteRegValue HKLM "${RUN_KEY}" "${APP}"
  DeleteRegValue HKLM "${RUNONCE_KEY}" "${APP}"
  DeleteRegKey /ifempty HKCU "Software\${APP}"
  DeleteRegKey /ifempty HKLM "Software\${APP}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Off unless chosen: the settings and the total time online survive a reinstall. The list
; of mail already seen goes with them: it names the mailboxes.
Section /o "un.Settings and time online (velmora.ini)" UnSettings
  Delete "$INSTDIR\velmora.ini"
  Delete "$INSTDIR\velmora.uid"
SectionEnd

Section "-un.Folder"
  ; Removed only when nothing is left in it (the settings file stays unless chosen).
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  IfErrors +2
    SectionSetFlags ${UnSettings} ${SF_SELECTED}
FunctionEnd
