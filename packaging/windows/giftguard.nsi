; The setup program: giftguard under Program Files, a Start-menu entry with its icon, and an
; uninstaller in "Apps & features" that removes the program and nothing of the player's
; (%APPDATA%\giftguard stays, top list and settings and all). Silent with /S, as setup programs are.
;   makensis -DVERSION=1.0.0 -DSTAGE=<the installed tree> -DFILES=<files.nsh> -DOUTFILE=<setup.exe> giftguard.nsi
; FILES lists the tree's files and folders for the uninstaller, which removes those and no others:
; a folder chosen for the program may hold files of the player's.

; A 64-bit setup program for the 64-bit game: it writes where 64-bit Windows looks, and a 32-bit
; Windows refuses it at once.
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\giftguard"

Name "giftguard"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\giftguard"
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "giftguard ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "giftguard"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "giftguard ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "2026 the giftguard developers"

!define MUI_ICON "giftguard.ico"
!define MUI_UNICON "giftguard.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\giftguard.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; For every user of the machine: the Start menu's entry is in the common one.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "giftguard"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\giftguard.lnk" "$INSTDIR\giftguard.exe" "" "$INSTDIR\giftguard.exe" 0
  WriteRegStr HKLM "${KEY}" "DisplayName" "giftguard"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "Publisher" "the giftguard developers"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\giftguard.exe,0"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\giftguard.lnk"
  DeleteRegKey HKLM "${KEY}"
SectionEnd
