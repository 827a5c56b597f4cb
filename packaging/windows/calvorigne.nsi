; The Windows installer: Calvorigne.exe into Program Files, Start-menu entries for the program
; and for its raffle tracking, an uninstaller.
; makensis -DVERSION=x.y.z -DEXE=path -DICON=path -DOUTFILE=path calvorigne.nsi
; A 64-bit installer for a 64-bit program.
Target amd64-unicode
!include "MUI2.nsh"

Name "Calvorigne"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Calvorigne"
InstallDirRegKey HKLM "Software\Calvorigne" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Calvorigne"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "Calvorigne"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de Calvorigne"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "Calvorigne"

Section "Calvorigne"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=Calvorigne.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Calvorigne.lnk" "$INSTDIR\Calvorigne.exe" "" "$INSTDIR\Calvorigne.exe" 0
  CreateShortCut "$SMPROGRAMS\Calvorigne ${U+2013} suivi de la tombola.lnk" "$INSTDIR\Calvorigne.exe" "--tombola" "$INSTDIR\Calvorigne.exe" 0
  WriteRegStr HKLM "Software\Calvorigne" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Calvorigne"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Calvorigne"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Calvorigne.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The settings file is the user's: the uninstaller leaves it.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Calvorigne.lnk"
  Delete "$SMPROGRAMS\Calvorigne ${U+2013} suivi de la tombola.lnk"
  Delete "$INSTDIR\Calvorigne.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Calvorigne"
SectionEnd
