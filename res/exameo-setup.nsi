; The Windows installer, exameo-<version>-setup.exe, built by the `package` target with makensis
; from the folder it stages for the zip:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=2.0 -DSTAGE=<staged folder> -DRES=<res folder>
;            -DOUTFILE=<installer> exameo-setup.nsi
;
; Per user, without administrator rights: everything goes into one folder the user can write,
; %LOCALAPPDATA%\Programs\Exameo unless chosen otherwise, with exameo.ini beside the program, so
; that the options, progress, results and reviews stay there too. The user's files (the
; database, exameo.ini and what the program writes) are never overwritten by an upgrade and are
; kept by the uninstaller unless the user asks otherwise.

Unicode true
; 64-bit, like the program it installs.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Exameo"

Name "Exameo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Exameo"
; An upgrade goes where the earlier version went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Exameo ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1049 "ProductName" "Exameo"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка Exameo ${VERSION}"
VIAddVersionKey /LANG=1049 "OriginalFilename" "exameo-${VERSION}-setup.exe"
VIAddVersionKey /LANG=1049 "LegalCopyright" ""

!define MUI_ICON "${RES}/exameo.ico"
!define MUI_UNICON "${RES}/exameo.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\exameo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Exameo"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Показать readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

Section "Exameo" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; The program, the tools and the readme are the installer's own: a newer version replaces them.
  SetOverwrite on
  File "${STAGE}/exameo.exe"
  File "${STAGE}/exameo-check.exe"
  File "${STAGE}/exameo-import.exe"
  File "${STAGE}/exameo-export.exe"
  File "${STAGE}/exameo-review.exe"
  File "${STAGE}/readme.txt"
  ; The database and the options are the user's once installed: a file that is there stays as
  ; it is, an edited question or a changed option survives the upgrade; what is missing is added.
  SetOverwrite off
  File "${STAGE}/exameo.ini"
  File /r "${STAGE}/Base"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut's working folder is the one SetOutPath set: the program finds Base there.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Exameo.lnk" "$INSTDIR\exameo.exe" "" "$INSTDIR\exameo.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Exameo ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\exameo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as the list of installed programs expects.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Ярлык на рабочем столе" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Exameo.lnk" "$INSTDIR\exameo.exe" "" "$INSTDIR\exameo.exe" 0
SectionEnd

; The uninstaller removes what the installer brought; the user's files stay unless ticked below
; (a silent uninstall leaves the tick off, so it keeps them).
Section "un.Exameo" UnSecProgram
  SectionIn RO
  Delete "$INSTDIR\exameo.exe"
  Delete "$INSTDIR\exameo-check.exe"
  Delete "$INSTDIR\exameo-import.exe"
  Delete "$INSTDIR\exameo-export.exe"
  Delete "$INSTDIR\exameo-review.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Exameo.lnk"
  Delete "$DESKTOP\Exameo.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Удалить также мои вопросы и результаты" UnSecData
  ; Only the files the program and its installer know by name: the folder may have been chosen
  ; inside one that holds other things of the user's.
  RMDir /r "$INSTDIR\Base"
  RMDir /r "$INSTDIR\progress"
  Delete "$INSTDIR\exameo.ini"
  Delete "$INSTDIR\results.csv"
  Delete "$INSTDIR\reviews.csv"
SectionEnd

Section "-un.Folder"
  ; Gone only when nothing is left in it.
  RMDir "$INSTDIR"
SectionEnd
