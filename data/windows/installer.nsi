; The converter's installer for 64-bit Windows: for the current user or for
; all users, a Start-menu shortcut, .bin files opened by the window only if
; the user ticks that, and an uninstaller in "Programs and Features" that
; takes away everything the installer added and nothing else.
;
; Built by CMake (target windows-package):
;   makensis -DVERSION=W.X.Y.Z -DSTAGE=DIR -DICON=FILE.ico -DOUTFILE=SETUP.exe
;            [-DWINDOW=z917-converter.exe] installer.nsi
; STAGE holds the programs and README.txt; WINDOW names the window program
; when the package has one.
;
; Command line, beside NSIS's own /S and /D=FOLDER (last, unquoted):
;   /CurrentUser or /AllUsers   whom to install for (all users when allowed)
;   /ASSOCIATE                  tick the .bin option, for silent installs

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all

!define PRODUCT "Z917 Journal Converter"
!define PUBLISHER "группа Z917 Journal Converter"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Z917JournalConverter"
!define PROGID "Z917.Journal"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define CONSOLE_SHORTCUT "$SMPROGRAMS\${PRODUCT} (командная строка).lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

; All users when the user may (Windows asks an administrator to confirm),
; else the current user; the folder and the mode of an earlier install are
; read back from its entry in "Programs and Features".
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!ifdef WINDOW
  ; The .bin option; without the window there is nothing to choose.
  !insertmacro MUI_PAGE_COMPONENTS
!endif
!insertmacro MUI_PAGE_INSTFILES
!ifdef WINDOW
  !define MUI_FINISHPAGE_RUN "$INSTDIR\${WINDOW}"
!endif
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© 2026 ${PUBLISHER}"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\z917conv.exe"
  File "${STAGE}\z917gen.exe"
  File "${STAGE}\z917dump.exe"
  File "${STAGE}\README.txt"
  !ifdef WINDOW
    File "${STAGE}\${WINDOW}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${WINDOW}"
  !else
    ; No window in this package: a console in the program's folder, showing
    ; how to call the converter.
    CreateShortcut "${CONSOLE_SHORTCUT}" "$SYSDIR\cmd.exe" "/k z917conv.exe --help" \
      "$INSTDIR\z917conv.exe" 0
  !endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  !ifdef WINDOW
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${WINDOW},0"
  !else
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\z917conv.exe,0"
  !endif
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!ifdef WINDOW
; Off unless the user ticks it. The window joins the "Open with" list of
; .bin files; it becomes what opens them only when nothing else does, so
; a .bin another program owns stays that program's.
Section /o "Открывать файлы журналов (.bin) этой программой" SecAssociate
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Журнал Z917"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\${WINDOW}",0'
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" \
    '"$INSTDIR\${WINDOW}" "%1"'
  WriteRegStr SHCTX "Software\Classes\.bin\OpenWithProgids" "${PROGID}" ""
  ; Both places Windows merges into HKEY_CLASSES_ROOT.
  ReadRegStr $0 HKCU "Software\Classes\.bin" ""
  ReadRegStr $1 HKLM "Software\Classes\.bin" ""
  ${If} $0$1 == ""
    WriteRegStr SHCTX "Software\Classes\.bin" "" "${PROGID}"
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
!endif

Function .onInit
  ; MULTIUSER_INIT puts its own default into $INSTDIR: a folder given with
  ; /D= comes back after it.
  StrCpy $R9 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $R9 != ""
    StrCpy $INSTDIR $R9
  ${EndIf}
  !ifdef WINDOW
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ASSOCIATE" $R1
    ${IfNot} ${Errors}
      SectionSetFlags ${SecAssociate} ${SF_SELECTED}
    ${EndIf}
  !endif
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
  ; File by file, and the folder only when empty: what the user put there stays.
  Delete "$INSTDIR\z917conv.exe"
  Delete "$INSTDIR\z917gen.exe"
  Delete "$INSTDIR\z917dump.exe"
  !ifdef WINDOW
    Delete "$INSTDIR\${WINDOW}"
  !endif
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  Delete "${CONSOLE_SHORTCUT}"

  ; The .bin association: the default handler only when it is ours.
  ReadRegStr $0 SHCTX "Software\Classes\.bin" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\.bin" ""
  ${EndIf}
  DeleteRegValue SHCTX "Software\Classes\.bin\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.bin\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.bin"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
