; The Windows installer of Tessaro: Tessaro-<version>-setup.exe, made with makensis.
;
;   makensis -DVERSION=2.0.0 -DPROGRAMS=<folder of the three .exe> -DOUTFILE=<setup.exe> tessaro.nsi
;
; Installs for the current user without administrator rights (into the user's programs
; folder, %LOCALAPPDATA%\Programs\Tessaro), or for all users when run by an administrator
; (into Program Files). Command line: /S silent, /CurrentUser or /AllUsers to choose, /DXF to
; tick the .dxf association, /D=folder last.
; The uninstaller is listed among the system's programs; the .dxf association is made only
; when its box is ticked (it is not by default).
; A 64-bit installer for 64-bit programs: it sees the system's own Program Files and registry.
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | PROGRAMS | OUTFILE
  !error "define VERSION, PROGRAMS and OUTFILE"
!endif

!define PRODUCT "Tessaro"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro"
!define DXF_CLASS "Tessaro.dxf"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
; The uninstaller finds the mode of the installation it removes in the program list's entry.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${__FILEDIR__}\tessaro.ico"
!define MUI_UNICON "${__FILEDIR__}\tessaro.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\tessaro.exe"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "${PRODUCT}"


Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\tessaro.exe"
  File "${PROGRAMS}\tessaro-dxf.exe"
  File "${PROGRAMS}\tessaro-batch.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tessaro.exe" "" "$INSTDIR\tessaro.exe" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessaro.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Not ticked by default: a .dxf opens in the program the user already has for it.
Section /o "Apri i file .dxf con ${PRODUCT}" SecDxf
  WriteRegStr SHCTX "Software\Classes\${DXF_CLASS}" "" "Disegno DXF"
  WriteRegStr SHCTX "Software\Classes\${DXF_CLASS}\DefaultIcon" "" "$INSTDIR\tessaro.exe,0"
  WriteRegStr SHCTX "Software\Classes\${DXF_CLASS}\shell\open\command" "" '"$INSTDIR\tessaro.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\.dxf" "" "${DXF_CLASS}"
  WriteRegStr SHCTX "Software\Classes\.dxf\OpenWithProgids" "${DXF_CLASS}" ""
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\tessaro.exe"
  Delete "$INSTDIR\tessaro-dxf.exe"
  Delete "$INSTDIR\tessaro-batch.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"  ; only when empty: drawings the user put there stay
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; The association, if it was made; a .dxf owned by another program is left alone.
  ReadRegStr $0 SHCTX "Software\Classes\.dxf" ""
  ${If} $0 == "${DXF_CLASS}"
    DeleteRegValue SHCTX "Software\Classes\.dxf" ""
  ${EndIf}
  DeleteRegValue SHCTX "Software\Classes\.dxf\OpenWithProgids" "${DXF_CLASS}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.dxf\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.dxf"
  DeleteRegKey SHCTX "Software\Classes\${DXF_CLASS}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; The window's placement and layout that the program kept for this user.
  DeleteRegKey HKCU "Software\${PRODUCT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
  ; /DXF on the command line ticks the association (for silent installations).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DXF" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDxf}
  ${EndIf}
FunctionEnd
