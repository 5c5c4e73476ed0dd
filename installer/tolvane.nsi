; The Tolvane installer: all users, Program Files, a Start-menu folder, the
; .vtxt association on offer, and an uninstaller that takes back everything
; it installed.  Built by installer/CMakeLists.txt, which passes
;   VERSION     the project's version (1.2.3)
;   STAGE       the folder holding the files to install
;   OUTFILE     the installer to write
;   ASSOC_NSH   the association's fixed values, taken from tolvreg/association.h
;   ICON        the program's icon
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include /CHARSET=UTF8 "${ASSOC_NSH}"

!define PRODUCT "ミルデア"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvane"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tolvane"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (c) 2026 the Tolvane authors"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tolvane.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Runs Tolvreg with the line the editor itself sends (mode 0 registers, 1
; removes).  The icon token is quoted, so that a long path with spaces stays
; one token where the volume keeps no short names.
!macro RunTolvreg MODE
  GetFullPathName /SHORT $1 "$INSTDIR\Tolvane.exe"
  StrCmp $1 "" 0 +2
    StrCpy $1 "$INSTDIR\Tolvane.exe"
  ExecWait `"$INSTDIR\Tolvreg.exe" ${MODE} ${ASSOC_kVendorKey} ${ASSOC_kApplicationId} ${ASSOC_kDisplayName} ${ASSOC_kDescription} ${ASSOC_kExtension} '"$INSTDIR\Tolvane.exe" "%1"' "${ASSOC_kTypeName}" "$1,1"`
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "${PRODUCT}（必須）" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\Tolvane.exe"
  File "${STAGE}\Tolvreg.exe"
  File "${STAGE}\vtxt.exe"
  File "${STAGE}\Tolvane.chm"
  File "${STAGE}\README-ja.txt"
  File "${STAGE}\LICENSE.txt"
  ; Tells the editor that it was installed: an ordinary user cannot write
  ; here, so it keeps each user's settings in the user's own profile.
  WriteINIStr "$INSTDIR\installed.ini" "Tolvane" "Settings" "%APPDATA%\Tolvane"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\Tolvane.exe"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT} ヘルプ.lnk" "$INSTDIR\Tolvane.chm"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${ASSOC_kVendorKey}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tolvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section ".vtxt ファイルの関連付け" SecAssociation
  !insertmacro RunTolvreg 0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "エディター、関連付けの補助ツール、vtxt コマンドとヘルプ。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAssociation} ".vtxt ファイルをダブルクリックしてミルデアで開けるようにします。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Takes back exactly what was installed.  Documents are never touched; the
; settings files only when the user says so (a silent run keeps them).  The
; settings live in each user's profile: the question is about those of the
; user running the uninstaller (and about ones an earlier version may have
; left beside the programs).  Both files go together, so that the settings
; folder is left empty and can go too.
Section "Uninstall"
  IfFileExists "$INSTDIR\Tolvreg.exe" 0 +2
    !insertmacro RunTolvreg 1

  Delete "$INSTDIR\Tolvane.exe"
  Delete "$INSTDIR\Tolvreg.exe"
  Delete "$INSTDIR\vtxt.exe"
  Delete "$INSTDIR\Tolvane.chm"
  Delete "$INSTDIR\README-ja.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\installed.ini"
  Delete "$INSTDIR\uninstall.exe"
  SetShellVarContext current
  StrCpy $0 "$APPDATA\Tolvane"
  SetShellVarContext all
  IfFileExists "$0\tolvane.dat" askSettings
  IfFileExists "$0\tolvane-security.dat" askSettings
  IfFileExists "$INSTDIR\tolvane.dat" askSettings
  IfFileExists "$INSTDIR\tolvane-security.dat" askSettings keepSettings
  askSettings:
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "設定ファイル tolvane.dat と tolvane-security.dat も削除しますか？" /SD IDNO IDNO keepSettings
    Delete "$0\tolvane.dat"
    Delete "$0\tolvane-security.dat"
    RMDir "$0"
    Delete "$INSTDIR\tolvane.dat"
    Delete "$INSTDIR\tolvane-security.dat"
  keepSettings:
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\${PRODUCT} ヘルプ.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
