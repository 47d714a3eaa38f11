; The Windows installer: the program folder under Program Files, a Start-menu entry and an
; uninstaller. The channel lists, backups and settings in ProgramData\Orvane are the user's
; and stay when the program is removed.
; A 64-bit installer for a 64-bit program (and it runs where only 64-bit Windows programs do).
Target amd64-unicode
!include "MUI2.nsh"

!ifndef VERSION
  !error "makensis -DVERSION=x.y.z -DSOURCE=<folder> -DOUTFILE=<setup.exe>"
!endif

Name "Orvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Orvane"
InstallDirRegKey HKLM "Software\Orvane" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${SOURCE}\orvane.ico"
!define MUI_UNICON "${SOURCE}\orvane.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvane.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"

Function .onInit
  SetRegView 64
FunctionEnd

Section "Orvane"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Orvane.lnk" "$INSTDIR\orvane.exe"
  WriteRegStr HKLM "Software\Orvane" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Orvane.lnk"
  ; Only what the installer put there: the user's files elsewhere are never touched.
  !include "${FILELIST}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Orvane"
SectionEnd
