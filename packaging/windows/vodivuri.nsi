; The Windows setup program: Vodivuri.exe into a folder the user chooses, a
; Start-menu shortcut, an entry in the list of installed programs, and an
; uninstaller that leaves the user's settings unless asked to remove them
; (the box on its components page, or /BORRARAJUSTES on its command line).
; makensis -DVERSION=1.0 -DEXE=path\to\Vodivuri.exe -DICON=... -DOUTFILE=... vodivuri.nsi
; -DAMD64 makes a 64-bit setup for a 64-bit Vodivuri.exe (the tests run it
; where no 32-bit program can run).
!ifdef AMD64
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "x64.nsh"

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

; A running copy keeps its file: the user is asked to end it first, and a
; silent run fails with status 2 instead of reporting success over an old or
; half-removed program. Once in each section (its label is the section's).
!macro RemoveProgramOrStop
  retry:
  ClearErrors
  Delete "$INSTDIR\Vodivuri.exe"
  ${If} ${Errors}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "No se puede borrar $INSTDIR\Vodivuri.exe. Si Vodivuri está abierto, elija «Salir» en el menú de su icono y pulse Reintentar." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort "No se pudo borrar $INSTDIR\Vodivuri.exe."
  ${EndIf}
!macroend

Section "Vodivuri" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro RemoveProgramOrStop
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

; $0: the run entry's text; leaves in $1 the program it starts (the text
; between the first two quotes, or all of it).
Function un.RunEntryProgram
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $1 $0 "" 1
    StrCpy $2 0
    ${Do}
      StrCpy $3 $1 1 $2
      ${IfThen} $3 == '"' ${|} ${ExitDo} ${|}
      ${IfThen} $3 == "" ${|} ${ExitDo} ${|}
      IntOp $2 $2 + 1
    ${Loop}
    StrCpy $1 $1 $2
  ${Else}
    StrCpy $1 $0
  ${EndIf}
FunctionEnd

; A run entry whose program is gone is emptied, as the program itself does when
; start-up is switched off, so that Windows does not try to start it; one that
; names another copy still present (a portable one, say) is left alone.
!macro un.EmptyRunEntry ROOT
  ClearErrors
  ReadRegStr $0 ${ROOT} "${RUN_KEY}" "Vodivuri"
  ${IfNot} ${Errors}
  ${AndIf} $0 != ""
    Call un.RunEntryProgram
    ${IfNot} ${FileExists} "$1"
      WriteRegStr ${ROOT} "${RUN_KEY}" "Vodivuri" ""
    ${EndIf}
  ${EndIf}
!macroend

Section "un.Vodivuri" UnMain
  SectionIn RO
  !insertmacro RemoveProgramOrStop
  Delete "$SMPROGRAMS\Vodivuri.lnk"
  Delete "$INSTDIR\Desinstalar.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  !insertmacro un.EmptyRunEntry HKCU
  ; The machine's entry in both views, as an older install may have written either.
  !insertmacro un.EmptyRunEntry HKLM
  ${If} ${RunningX64}
    SetRegView 32
    !insertmacro un.EmptyRunEntry HKLM
    SetRegView 64
    !insertmacro un.EmptyRunEntry HKLM
    SetRegView default
  ${EndIf}
SectionEnd

; Off unless the user ticks it: the schedule and the window's place stay.
Section /o "un.Borrar también las preferencias guardadas" UnSettings
  DeleteRegKey HKCU "Rurevoduz"
SectionEnd

; /BORRARAJUSTES ticks the box, for silent uninstalls (/S) that show no page.
Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/BORRARAJUSTES" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSettings}
  ${EndIf}
FunctionEnd
