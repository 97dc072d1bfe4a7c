; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, made by scripts/build-windows with NSIS:
;
;   makensis -DVERSION=1.0.0 -DFILES=files.nsh -DOUTFILE=marloven-1.0.0-setup.exe marloven.nsi
;
; FILES names the lists build-windows writes from the installed tree (the ZIP's files):
; the InstallFiles and UninstallFiles macros, so that the uninstaller removes exactly
; what the installer put there. Installs for the player alone (no administrator,
; under %LOCALAPPDATA%\Programs) or, for an administrator who chooses it, for all users
; (under Program Files); /S installs silently, per user unless /AllUsers is given.
; Whatever Marloven wrote while it ran (the settings under %APPDATA%, the game's folder)
; stays when it is uninstalled.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | FILES | OUTFILE
  !error "VERSION, FILES and OUTFILE are needed"
!endif

!define APP "Marloven"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Marloven"
!define LINK_KEY "Software\Classes\marloven"

Name "${APP}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
; Where an earlier installation went, and for whom: installing again replaces it, and
; the uninstaller finds the mode it was installed in.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\marloven.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Marloven"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Marloven developers, GPL 3 or later"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; NSIS runs the uninstaller from a copy in a folder of its own under %TEMP%, so that it
; may delete uninstall.exe, and leaves that copy there: a hidden command removes the
; folder once the copy has ended (it tries for half a minute, a second apart). It works
; in %TEMP% (a folder that is a program's working folder cannot be removed), its window
; hidden, so it needs no redirection, which Wine's cmd misreads inside brackets; the
; blank before the closing bracket keeps Wine's cmd from taking it into the name.
Function un.onUninstSuccess
  ${If} $EXEDIR != $INSTDIR
    SetOutPath "$TEMP"
    ExecShell "open" "$SYSDIR\cmd.exe" \
      '/d /c for /l %i in (1,1,30) do @if exist "$EXEDIR" (ping -n 2 127.0.0.1 & rd /s /q "$EXEDIR" )' \
      SW_HIDE
  ${EndIf}
FunctionEnd

; The marloven: link handler, as marloven.exe --register-links makes it, in the
; install mode's part of the registry (SHCTX: the player's, or the machine's).
; The keys and the folder that hold Marloven's own may not be there yet (a fresh
; Windows user has no per-user Uninstall key, nor %LOCALAPPDATA%\Programs): what the
; installer makes for them is noted in the uninstaller's key, so that the uninstaller
; removes it again, and only while empty.
!define CLASSES_KEY "Software\Classes"
!define UNINSTALL_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"

; Pushes 1 when the key cannot be opened, else 0.
!macro KeyMissing KEY
  ClearErrors
  EnumRegKey $R9 SHCTX "${KEY}" 0
  ${If} ${Errors}
    Push 1
  ${Else}
    Push 0
  ${EndIf}
!macroend

Section "Marloven"
  !insertmacro KeyMissing "${CLASSES_KEY}"
  Pop $R0
  !insertmacro KeyMissing "${UNINSTALL_PARENT}"
  Pop $R1
  ${GetParent} "$INSTDIR" $R2
  StrCpy $R3 0
  ${IfNot} ${FileExists} "$R2\*.*"
    StrCpy $R3 1
  ${EndIf}

  SetOutPath "$INSTDIR"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\marloven.exe" "" "$INSTDIR\marloven.exe" 0

  WriteRegStr SHCTX "${LINK_KEY}" "" "URL:Marloven invitation"
  WriteRegStr SHCTX "${LINK_KEY}" "URL Protocol" ""
  WriteRegStr SHCTX "${LINK_KEY}\DefaultIcon" "" '"$INSTDIR\marloven.exe",0'
  WriteRegStr SHCTX "${LINK_KEY}\shell\open\command" "" '"$INSTDIR\marloven.exe" "%1"'

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Marloven developers"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\marloven.exe",0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeClassesKey" $R0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeUninstallKey" $R1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeParentFolder" $R3
SectionEnd

Section "Uninstall"
  ; The link handler goes only while it still opens this copy: a player who registered
  ; another copy since (with --register-links) keeps that.
  ReadRegStr $0 SHCTX "${LINK_KEY}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\marloven.exe" "%1"'
    DeleteRegKey SHCTX "${LINK_KEY}"
  ${EndIf}
  Delete "$SMPROGRAMS\${APP}.lnk"
  ReadRegDWORD $R0 SHCTX "${UNINSTALL_KEY}" "MadeClassesKey"
  ReadRegDWORD $R1 SHCTX "${UNINSTALL_KEY}" "MadeUninstallKey"
  ReadRegDWORD $R3 SHCTX "${UNINSTALL_KEY}" "MadeParentFolder"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${If} $R0 == 1
    DeleteRegKey /ifempty SHCTX "${CLASSES_KEY}"
  ${EndIf}
  ${If} $R1 == 1
    DeleteRegKey /ifempty SHCTX "${UNINSTALL_PARENT}"
  ${EndIf}

  !insertmacro UninstallFiles
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a file the player put there stays, with its folder.
  RMDir "$INSTDIR"
  ${If} $R3 == 1
    ${GetParent} "$INSTDIR" $R2
    RMDir "$R2"
  ${EndIf}
SectionEnd
