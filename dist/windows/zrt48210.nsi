; The Windows installer: the three programs with the Qt and MinGW libraries they load, under
; Program Files, with Start-menu entries, an optional PATH entry for the command line and an
; uninstaller that Apps & features lists.
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.02 -DSTAGE=<folder of the files> -DOUTFILE=<exe>
; A 64-bit installer, like the programs: Wine without its 32-bit half runs it too.
Target amd64-unicode
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"

!define PRODUCT "ZRT48210"
!define WINDOW_ENTRY "ZRT48210設定プログラム"
!define STATION_ENTRY "ZRT48210生産ステーション"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "${WINDOW_ENTRY} ${VERSION}"
OutFile "${OUTFILE}"
; Always Program Files: the programs keep system.ini in %APPDATA% there, and the uninstaller
; removes this folder as a whole.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${WINDOW_ENTRY}" SectionPrograms
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${WINDOW_ENTRY}.lnk" "$INSTDIR\zrt48210.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${STATION_ENTRY}.lnk" "$INSTDIR\zrt48210-station.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${WINDOW_ENTRY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The ZRT48210 developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zrt48210.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; zrt48210-cli from any console. NSIS strings hold 1024 characters: a longer PATH is left as
; it is rather than cut, and the installer says so.
Section /o "zrt48210-cli on the PATH" SectionPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $1 $0
  ${If} $1 > 900
    DetailPrint "PATH is too long to change here: add $INSTDIR to it by hand."
  ${Else}
    ${WordFind} "$0" "$INSTDIR" "E+1{" $2
    ${If} ${Errors}
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR"
      WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
SectionEnd

Section "Uninstall"
  ReadRegDWORD $3 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $3 == 1
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    StrLen $1 $0
    ${If} $1 < 1000
      ${un.WordReplace} "$0" ";$INSTDIR" "" "+" $2
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$2"
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}\${WINDOW_ENTRY}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${STATION_ENTRY}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Each user's system.ini in %APPDATA% stays: it is theirs.
  RMDir /r "$INSTDIR"
SectionEnd
