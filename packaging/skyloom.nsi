; Skyloom's Windows installer.
;   makensis -DVERSION=1.2.3 -DSTAGE_DIR=dir -DOUT_FILE=setup.exe [-DICON=x.ico] skyloom.nsi
; STAGE_DIR holds exactly the files of the portable ZIP.
;
; Installs for the current user by default (no administrator rights, into
; %LOCALAPPDATA%\Programs\Skyloom, HKCU) or for all users (Program Files, HKLM).
; Command line: /S silent, /CURRENTUSER, /ALLUSERS, /D=dir (last, unquoted).
; The registry is touched only for the uninstall entry and the association
; of .pgl recordings (a double-click plays one); the program itself keeps no
; settings.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION must be defined"
!endif
!ifndef STAGE_DIR
  !error "STAGE_DIR must be defined"
!endif
!ifndef OUT_FILE
  !error "OUT_FILE must be defined"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define APP "Skyloom"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Skyloom"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\Skyloom.lnk"
; The .pgl association, under SHCTX\Software\Classes: per user or all users.
!define PROGID "Skyloom.Recording"
!define EXT_KEY "Software\Classes\.pgl"
!define PROGID_KEY "Software\Classes\${PROGID}"
; SHCNE_ASSOCCHANGED: Explorer rereads the associations without a restart.
!define NOTIFY_ASSOCIATIONS "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"
; ERROR_ELEVATION_REQUIRED: what a silent all-users run without rights exits with.
!define EXIT_NEEDS_ADMIN 740

; Everything the installer puts into $INSTDIR, besides the uninstaller. The
; uninstaller removes exactly these, so user files (log files) survive.
!macro SKYLOOM_FILES action
  !insertmacro ${action} "skyloom.exe"
  !insertmacro ${action} "skyloom-decode.exe"
  !insertmacro ${action} "skyloom-sim.exe"
  !insertmacro ${action} "README-windows.txt"
  !insertmacro ${action} "LICENSE.txt"
  !insertmacro ${action} "CHANGELOG.txt"
!macroend
!macro INSTALL_FILE name
  File "${STAGE_DIR}/${name}"
!macroend
!macro REMOVE_FILE name
  Delete "$INSTDIR\${name}"
!macroend

Name "${APP} ${VERSION}"
OutFile "${OUT_FILE}"
BrandingText "${APP} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 The Skyloom developers, MIT License"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\skyloom.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README-windows.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"

Var AllUsers      ; 1: for all users, 0: for the current user
Var DirGiven      ; 1 when /D= chose the folder: never overrode it
Var ModeDialog
Var RadioCurrent
Var RadioAll

!insertmacro MUI_PAGE_LICENSE "${STAGE_DIR}/LICENSE.txt"
Page custom ModePageShow ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; --- installer -----------------------------------------------------------

!macro IS_ADMIN result
  UserInfo::GetAccountType
  Pop ${result}
  ${If} ${result} == "Admin"
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
!macroend

Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    ${If} $DirGiven == 0
      StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
    ${EndIf}
  ${Else}
    SetShellVarContext current
    ${If} $DirGiven == 0
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $AllUsers 0
  StrCpy $DirGiven 0
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CURRENTUSER" $R1
  ${IfNot} ${Errors}
    ${If} $AllUsers == 1
      MessageBox MB_ICONSTOP "/ALLUSERS and /CURRENTUSER exclude each other." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}

  ${If} $AllUsers == 1
    !insertmacro IS_ADMIN $R2
    ${If} $R2 == 0
    ${AndIf} ${Silent}
      SetErrorLevel ${EXIT_NEEDS_ADMIN}
      Quit
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePageShow
  !insertmacro MUI_HEADER_TEXT "Install for" "Choose who can use ${APP} on this computer."
  nsDialogs::Create 1018
  Pop $ModeDialog
  ${If} $ModeDialog == error
    Abort
  ${EndIf}
  ${NSD_CreateRadioButton} 0 10u 100% 12u "Only for &me (no administrator rights needed)"
  Pop $RadioCurrent
  ${NSD_CreateRadioButton} 0 30u 100% 12u "For &all users of this computer (needs administrator rights)"
  Pop $RadioAll
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioCurrent
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $R0
  ${If} $R0 == ${BST_CHECKED}
    !insertmacro IS_ADMIN $R1
    ${If} $R1 == 0
      ; An installer started without rights cannot gain them half-way: start
      ; it again elevated and let that one carry on.
      MessageBox MB_YESNO|MB_ICONQUESTION "Installing for all users needs administrator rights.$\n$\nStart the installer again as administrator?" IDNO stay
      ClearErrors
      ExecShell "runas" "$EXEPATH" "/ALLUSERS"
      ${IfNot} ${Errors}
        Quit
      ${EndIf}
    stay:
      Abort
    ${EndIf}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

Section "${APP}" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro SKYLOOM_FILES INSTALL_FILE
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\skyloom.exe" "" "$INSTDIR\skyloom.exe" 0

  ; SHCTX is HKLM for all users, HKCU for the current user (SetShellVarContext).
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "The Skyloom developers"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\skyloom.exe"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  WriteRegStr SHCTX "${PROGID_KEY}" "" "Skyloom recording"
  WriteRegStr SHCTX "${PROGID_KEY}\DefaultIcon" "" '"$INSTDIR\skyloom.exe",0'
  WriteRegStr SHCTX "${PROGID_KEY}\shell\open\command" "" '"$INSTDIR\skyloom.exe" "%1"'
  WriteRegStr SHCTX "${EXT_KEY}" "" "${PROGID}"
  WriteRegStr SHCTX "${EXT_KEY}\OpenWithProgids" "${PROGID}" ""
  System::Call "${NOTIFY_ASSOCIATIONS}"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

; --- uninstaller ---------------------------------------------------------

Function un.onInit
  ; An all-users install recorded its folder under HKLM: that is how the
  ; uninstaller, wherever it was started from, knows which one it removes.
  StrCpy $AllUsers 0
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}

  ${If} $AllUsers == 1
    SetShellVarContext all
    !insertmacro IS_ADMIN $R1
    ${If} $R1 == 0
      ${If} ${Silent}
        SetErrorLevel ${EXIT_NEEDS_ADMIN}
        Quit
      ${EndIf}
      MessageBox MB_YESNO|MB_ICONQUESTION "${APP} was installed for all users; removing it needs administrator rights.$\n$\nContinue as administrator?" IDNO cancel
      ; $EXEPATH is the temporary copy; _?= keeps it working on $INSTDIR.
      ExecShell "runas" "$EXEPATH" "_?=$INSTDIR"
    cancel:
      Quit
    ${EndIf}
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro SKYLOOM_FILES REMOVE_FILE
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Not /r: the folder goes only when nothing of the user's is left in it.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINST_KEY}"

  ; .pgl is left to whatever took it over since; only what is ours goes.
  DeleteRegKey SHCTX "${PROGID_KEY}"
  DeleteRegValue SHCTX "${EXT_KEY}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "${EXT_KEY}\OpenWithProgids"
  ReadRegStr $R0 SHCTX "${EXT_KEY}" ""
  ${If} $R0 == "${PROGID}"
    DeleteRegValue SHCTX "${EXT_KEY}" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "${EXT_KEY}"
  System::Call "${NOTIFY_ASSOCIATIONS}"
SectionEnd
