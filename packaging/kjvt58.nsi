; The Windows installer of KJ-VT58 融着記録管理ソフト, built by scripts/package:
;
;   makensis -DVERSION=1.0.4 -DSTAGE=<folder> -DOUTFILE=<setup.exe> packaging/kjvt58.nsi
;
; STAGE holds what is installed: kjvt58.exe, kjvt58-cli.exe and the user guide
; (guide\). The installer is a 64-bit program, as the application is.
;
; By default it installs for the current user only, without administrator
; rights, into %LOCALAPPDATA%\Programs\KJ-VT58, with its registry entries under
; HKEY_CURRENT_USER. /ALLUSERS installs for every user of the PC into
; Program Files with the entries under HKEY_LOCAL_MACHINE; that needs an
; installer started as administrator. /S installs silently, /D=<folder> sets
; the folder. Neither runs while the program does (exit code 3 when silent).
;
; It installs the two programs and the guide, Start menu entries for the
; program and for its simple mode (-easy), the associations of the record
; files (.efd, .efdx, .mrg, .mrgx: opening one starts the program with it, or
; hands it to the program already running), and an uninstaller registered under
; the Uninstall key. Uninstalling removes all of that, and only that: the
; user's settings (HKEY_CURRENT_USER\SOFTWARE\TOVANIC\KJVT58) stay, and a file
; extension that another program has taken over since keeps its new owner.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined (makensis -DVERSION=x.y.z)"
!endif
!ifndef STAGE
  !error "STAGE is not defined (the folder of the files to install)"
!endif
!ifndef OUTFILE
  !define OUTFILE "kjvt58-${VERSION}-setup.exe"
!endif

!define PRODUCT "KJ-VT58 融着記録管理ソフト"
!define PUBLISHER "KJ-VT58"
!define FOLDER_NAME "KJ-VT58"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KJ-VT58"
!define PROGID "KJVT58.RecordFile"
!define START_FOLDER "$SMPROGRAMS\KJ-VT58"
!define SHORTCUT_MAIN "KJ-VT58 融着記録管理ソフト.lnk"
!define SHORTCUT_EASY "KJ-VT58 簡易モード.lnk"
!define SHORTCUT_GUIDE "ユーザーガイド.lnk"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${FOLDER_NAME}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" ""

; 1 when installing (or uninstalling) for every user.
Var AllUsers

!define MUI_ICON "${STAGE}\kjvt58.ico"
!define MUI_UNICON "${STAGE}\kjvt58.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kjvt58.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Stops with `message`: a box when the installer shows its pages, exit code 2
; when it runs silently.
!macro FailWith message
  IfSilent +2
  MessageBox MB_OK|MB_ICONSTOP "${message}"
  SetErrorLevel 2
  Quit
!macroend

; Stops with `message` unless the installer runs as administrator.
!macro RequireAdmin message
  UserInfo::GetAccountType
  Pop $R2
  ${If} $R2 != "Admin"
    !insertmacro FailWith "${message}"
  ${EndIf}
!macroend

; While the program runs its files cannot be replaced or removed: ask the
; user to end it (retry or cancel); a silent run stops with exit code 3.
!macro RefuseWhileRunning
  FindWindow $R3 "kj_vt58"
  ${DoWhile} $R3 != 0
    ${If} ${Silent}
      SetErrorLevel 3
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "KJ-VT58 融着記録管理ソフトが起動しています。$\r$\n終了してから「再試行」を押してください。" IDRETRY +3
    SetErrorLevel 3
    Quit
    FindWindow $R3 "kj_vt58"
  ${Loop}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    !insertmacro FailWith "このソフトウェアは64ビット版のWindowsが必要です。"
  ${EndIf}
  SetRegView 64
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ${If} $AllUsers == 1
    !insertmacro RequireAdmin "すべてのユーザー向けのインストールには管理者権限が必要です。$\r$\n管理者としてセットアップを実行してください。"
    ; Program Files unless /D= named another folder ($LOCALAPPDATA is the
    ; user's until the context changes).
    ${If} $INSTDIR == "$LOCALAPPDATA\Programs\${FOLDER_NAME}"
      StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER_NAME}"
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  !insertmacro RefuseWhileRunning
FunctionEnd

; The association of one record file extension with the program. SHCTX is
; HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, as the shell context is.
!macro Associate extension
  WriteRegStr SHCTX "Software\Classes\${extension}" "" "${PROGID}"
  WriteRegStr SHCTX "Software\Classes\${extension}\OpenWithProgids" "${PROGID}" ""
!macroend

; Removes the association, unless another program owns the extension now.
!macro Unassociate extension
  ReadRegStr $R0 SHCTX "Software\Classes\${extension}" ""
  DeleteRegValue SHCTX "Software\Classes\${extension}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\${extension}\OpenWithProgids"
  ${If} $R0 == "${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\${extension}" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "Software\Classes\${extension}"
!macroend

Section "Install"
  SetOutPath "$INSTDIR"
  File "${STAGE}\kjvt58.exe"
  File "${STAGE}\kjvt58-cli.exe"
  SetOutPath "$INSTDIR\guide"
  File /r "${STAGE}\guide\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${START_FOLDER}"
  CreateShortcut "${START_FOLDER}\${SHORTCUT_MAIN}" "$INSTDIR\kjvt58.exe" "" "$INSTDIR\kjvt58.exe" 0
  CreateShortcut "${START_FOLDER}\${SHORTCUT_EASY}" "$INSTDIR\kjvt58.exe" "-easy" "$INSTDIR\kjvt58.exe" 0
  CreateShortcut "${START_FOLDER}\${SHORTCUT_GUIDE}" "$INSTDIR\guide\index.html"

  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "KJ-VT58 融着記録ファイル"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$\"$INSTDIR\kjvt58.exe$\",0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" "$\"$INSTDIR\kjvt58.exe$\" $\"%1$\""
  !insertmacro Associate ".efd"
  !insertmacro Associate ".efdx"
  !insertmacro Associate ".mrg"
  !insertmacro Associate ".mrgx"

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$\"$INSTDIR\kjvt58.exe$\",0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  ${If} $AllUsers == 1
    WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /ALLUSERS /S"
  ${Else}
    WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  ${EndIf}
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $R0

  ; The shell reads the new associations at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Function un.onInit
  SetRegView 64
  ; Installed for every user when the machine's Uninstall key names this
  ; folder.
  StrCpy $AllUsers 0
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}
  ${If} $AllUsers == 1
    !insertmacro RequireAdmin "このソフトウェアはすべてのユーザー向けにインストールされています。$\r$\n管理者としてアンインストールを実行してください。"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\kjvt58.exe"
  Delete "$INSTDIR\kjvt58-cli.exe"
  RMDir /r "$INSTDIR\guide"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${START_FOLDER}\${SHORTCUT_MAIN}"
  Delete "${START_FOLDER}\${SHORTCUT_EASY}"
  Delete "${START_FOLDER}\${SHORTCUT_GUIDE}"
  RMDir "${START_FOLDER}"

  !insertmacro Unassociate ".efd"
  !insertmacro Unassociate ".efdx"
  !insertmacro Unassociate ".mrg"
  !insertmacro Unassociate ".mrgx"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegKey SHCTX "${UNINST_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
