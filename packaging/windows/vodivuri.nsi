; The Windows setup program: Vodivuri.exe into a folder the user chooses, a
; Start-menu shortcut, an entry in the list of installed programs, and an
; uninstaller that leaves the user's settings unless asked to remove them.
; makensis -DVERSION=1.0 -DEXE=path\to\Vodivuri.exe -DOUTFILE=... vodivuri.nsi
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"

!ifndef VERSION
  !define VERSION "1.0"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vodivuri"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Vodivuri ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vodivuri"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Vodivuri ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vodivuri.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_SPANISH} "ProductName" "Vodivuri"
VIAddVersionKey /LANG=${LANG_SPANISH} "FileDescription" "Instalación de Vodivuri"
VIAddVersionKey /LANG=${LANG_SPANISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISH} "LegalCopyright" "Equipo de Vodivuri"

Section "Vodivuri" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=Vodivuri.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\Desinstalar.exe"
  CreateShortCut "$SMPROGRAMS\Vodivuri.lnk" "$INSTDIR\Vodivuri.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vodivuri"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Equipo de Vodivuri"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vodivuri.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Desinstalar.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Desinstalar.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "un.Vodivuri" UnMain
  SectionIn RO
  ; A program that is gone must not be started with the session: the value is
  ; emptied, as the program itself does when start-up is switched off.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Vodivuri"
  ${If} $0 != ""
    WriteRegStr HKCU "${RUN_KEY}" "Vodivuri" ""
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKLM "${RUN_KEY}" "Vodivuri"
  ${IfNot} ${Errors}
  ${AndIf} $0 != ""
    WriteRegStr HKLM "${RUN_KEY}" "Vodivuri" ""
  ${EndIf}
  Delete "$SMPROGRAMS\Vodivuri.lnk"
  Delete "$INSTDIR\Vodivuri.exe"
  Delete "$INSTDIR\Desinstalar.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Off unless the user ticks it: the schedule and the window's place stay.
Section /o "un.Borrar también las preferencias guardadas" UnSettings
  DeleteRegKey HKCU "Rurevoduz"
SectionEnd
