; Duskwatch installer: per user, no elevation. makensis gets VERSION, SOURCE
; (the folder that goes into the zip), ICON and OUTFILE on its command line.
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support runs it).
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

Name "Duskwatch ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Duskwatch"
InstallDirRegKey HKCU "Software\Duskwatch\Install" "Folder"
ShowInstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Duskwatch"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Duskwatch"
VIAddVersionKey "FileDescription" "Duskwatch installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "The Duskwatch developers"
VIAddVersionKey "LegalCopyright" "Copyright 2026 The Duskwatch developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Duskwatch"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${SOURCE}/DKWT.exe"
  File "${SOURCE}/DKWT.1.html"
  File "${SOURCE}/README.md"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Duskwatch.lnk" "$INSTDIR\DKWT.exe"
  WriteRegStr HKCU "Software\Duskwatch\Install" "Folder" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Duskwatch"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Duskwatch developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\DKWT.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Settings, task files and scheduled tasks belong to the user: they stay.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Duskwatch.lnk"
  Delete "$INSTDIR\DKWT.exe"
  Delete "$INSTDIR\DKWT.1.html"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Duskwatch\Install"
SectionEnd
