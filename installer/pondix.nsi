; Per-user installer of Pondix Screenshot Loader, one for each Windows build.
; Built by scripts/make-installer.sh:
;   makensis -DARCH=amd64|x86 -DEXE=... -DLICENSE=... -DNOTICES=... -DLICENSE_PAGE=...
;            -DICON=... -DVERSION=1.2.3 -DOUTFILE=... [-DSIGN=command] pondix.nsi
; Silent: setup.exe /S [/LOGIN=login] [/L=langid] [/D=folder]
; It speaks English and Russian, chosen by the user's display language; any
; other display language gets English. /L=1033 (English) or /L=1049 (Russian)
; forces one, for the installer and the uninstaller alike.

Unicode true
!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
; No file times in the installer: two builds of one commit give the same bytes.
SetDateSave off
RequestExecutionLevel user
ManifestDPIAware true
; Libraries: the NSIS 3.08 stub itself calls SetDefaultDllDirectories with
; LOAD_LIBRARY_SEARCH_SYSTEM32 as its first step where Windows has it (else it
; preloads uxtheme, userenv, setupapi and the like from the system folder),
; loads its plug-ins by full path from a temporary folder of its own, and gets
; comctl32 through the manifest that MUI2's XPStyle writes. The script runs
; later and has nothing to add; the uninstaller is the same stub.

!ifdef SIGN
  ; The uninstaller is signed before it is packed in, so that the one written
  ; to disk carries the signature; then the installer itself.
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "Pondix Screenshot Loader"
!define EXE_NAME "PondixScreenLoader.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PondixScreenLoader"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Written first into every folder this installer fills: a folder holding it is
; an installation of ours, even one left half done.
!define MARKER "PondixScreenLoader.installed"
!define LICENSE_NAME "LICENSE.txt"
!define NOTICES_NAME "THIRD-PARTY-NOTICES.txt"

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The program keeps "ver" beside itself, so it lives where the user may write.
InstallDir "$LOCALAPPDATA\Programs\Pondix Shot"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

Var Login
Var LoginField
Var OwnExe
Var Window
Var Process
Var Deadline
Var CopyLeft

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The language is known only after .onInit: the folder is checked with the
; window about to show, so that a refusal speaks the user's language.
!define MUI_CUSTOMFUNCTION_GUIINIT RefuseUnfitFolder
; The MIT licence asks for no consent: the page informs, and Next goes on.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(LicenseNote)"
!insertmacro MUI_PAGE_LICENSE "${LICENSE_PAGE}"
Page custom LoginPage LoginPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE_NAME}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the one for display languages that have none of their own.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString LicenseNote ${LANG_ENGLISH} "${PRODUCT} is free software under the MIT licence; \
  the licences of the software it contains follow it. Press Next to continue."
LangString LicenseNote ${LANG_RUSSIAN} "${PRODUCT} — свободная программа под лицензией MIT; \
  за ней следуют лицензии программ, которые она содержит. Нажмите «Далее», чтобы продолжить."
LangString LoginTitle ${LANG_ENGLISH} "Login"
LangString LoginTitle ${LANG_RUSSIAN} "Логин"
LangString LoginSubtitle ${LANG_ENGLISH} "The login the program uploads screenshots with"
LangString LoginSubtitle ${LANG_RUSSIAN} "Логин, с которым программа загружает скриншоты"
LangString LoginPrompt ${LANG_ENGLISH} "Enter your login on the Pondix service. On an upgrade, \
  leave the field empty to keep the login you have."
LangString LoginPrompt ${LANG_RUSSIAN} "Введите ваш логин на сервисе Pondix. При обновлении \
  оставьте поле пустым, чтобы сохранить прежний логин."
LangString FolderRefused ${LANG_ENGLISH} "${PRODUCT} cannot be installed in the folder $\"$INSTDIR$\": \
  it holds files that are not the program's, such as $\"$R0$\". The program installs only into \
  an empty folder or over an earlier installation of its own. Choose another folder."
LangString FolderRefused ${LANG_RUSSIAN} "Установить ${PRODUCT} в папку «$INSTDIR» нельзя: в ней есть файлы, \
  которые не относятся к программе, например «$R0». Программа ставится только в пустую папку \
  или поверх своей прежней установки. Выберите другую папку."
LangString CopyLeftSetup ${LANG_ENGLISH} "${PRODUCT} from the folder $\"$INSTDIR$\" did not end within \
  10 seconds, and its file cannot be replaced. Close the program and run the setup again."
LangString CopyLeftSetup ${LANG_RUSSIAN} "Программа ${PRODUCT} из папки «$INSTDIR» не завершилась за 10 секунд, \
  и её файл нельзя заменить. Закройте программу и запустите установку снова."
LangString CopyLeftUninstall ${LANG_ENGLISH} "${PRODUCT} from the folder $\"$INSTDIR$\" did not end within \
  10 seconds, and its file cannot be removed. Close the program and run the uninstall again."
LangString CopyLeftUninstall ${LANG_RUSSIAN} "Программа ${PRODUCT} из папки «$INSTDIR» не завершилась за 10 секунд, \
  и её файл нельзя удалить. Закройте программу и запустите удаление снова."

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
!macro VERSION_KEYS lang description
  VIAddVersionKey /LANG=${lang} "ProductName" "${PRODUCT}"
  VIAddVersionKey /LANG=${lang} "CompanyName" "Pondix"
  VIAddVersionKey /LANG=${lang} "FileDescription" "${description}"
  VIAddVersionKey /LANG=${lang} "FileVersion" "${VERSION}"
  VIAddVersionKey /LANG=${lang} "ProductVersion" "${VERSION}"
  VIAddVersionKey /LANG=${lang} "LegalCopyright" "Copyright (c) Pondix. MIT licence."
!macroend
!insertmacro VERSION_KEYS ${LANG_ENGLISH} "${PRODUCT} Setup"
!insertmacro VERSION_KEYS ${LANG_RUSSIAN} "Установка ${PRODUCT}"

; /L=LANGID: the language asked for, where the display language would choose
; another. NSIS matches it against the installer's languages after .onInit.
!macro FORCED_LANGUAGE un
Function ${un}ForcedLanguage
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/L=" $1
  ${IfNot} ${Errors}
    IntOp $LANGUAGE $1 + 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro FORCED_LANGUAGE ""
!insertmacro FORCED_LANGUAGE "un."

Function .onInit
  Call ForcedLanguage
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/LOGIN=" $Login
  ${If} ${Errors}
    StrCpy $Login ""
  ${EndIf}
  ; Without a window the refusal is only the exit code, and it comes first.
  ${If} ${Silent}
    Call RefuseUnfitFolder
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.ForcedLanguage
FunctionEnd

Function RefuseUnfitFolder
  Call CheckFolder
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$(FolderRefused)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd

; The names an installation of ours and the program itself write: the program
; names its pictures "0.jpg" to "99999.jpg"; any other picture is the user's.
!macro OWN_PICTURE un
Function ${un}IsOwnPicture  ; $R1: a file name; $R2: 1 when ours, else 0
  StrCpy $R2 0
  StrCpy $R3 $R1 "" -4
  StrCmpS $R3 ".jpg" 0 done
  StrCpy $R3 $R1 -4
  ; Only a plain decimal number comes back the same from the round trip: a
  ; sign, a leading zero, a hex prefix or any other character changes it.
  IntOp $R4 $R3 + 0
  ${If} "$R4" == $R3
  ${AndIf} $R4 >= 0
  ${AndIf} $R4 <= 99999
    StrCpy $R2 1
  ${EndIf}
  done:
FunctionEnd
!macroend
!insertmacro OWN_PICTURE ""
!insertmacro OWN_PICTURE "un."

; A folder is fit when it is missing or empty, or when it holds only what an
; installation of ours and the program wrote and really is one: it has our
; marker, or (made before the marker existed) it is the folder our uninstall
; entry names and holds our program. Names alone are not enough: another
; product's folder may hold an "uninstall.exe" and a "config.pl" of its own.
; $R0: "" when fit, else the name of a file that is in the way.
Function CheckFolder
  StrCpy $R0 ""
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    ${If} ${FileExists} "$INSTDIR"
      ${GetFileName} "$INSTDIR" $R0  ; a file where the folder should be
    ${EndIf}
    Return
  ${EndIf}
  StrCpy $R5 ""  ; the first of our names seen
  FindFirst $R6 $R1 "$INSTDIR\*"
  ${DoWhile} $R1 != ""
    ${If} $R1 != "."
    ${AndIf} $R1 != ".."
      Call IsOwnPicture
      ${If} ${FileExists} "$INSTDIR\$R1\*.*"
        StrCpy $R2 0
      ${ElseIf} $R1 == "${EXE_NAME}"
      ${OrIf} $R1 == "${LICENSE_NAME}"
      ${OrIf} $R1 == "${NOTICES_NAME}"
      ${OrIf} $R1 == "uninstall.exe"
      ${OrIf} $R1 == "config.pl"
      ${OrIf} $R1 == "ver"
      ${OrIf} $R1 == "${MARKER}"
        StrCpy $R2 1
      ${EndIf}
      ${If} $R2 == 0
        StrCpy $R0 $R1
        ${ExitDo}
      ${EndIf}
      ${If} $R5 == ""
        StrCpy $R5 $R1
      ${EndIf}
    ${EndIf}
    FindNext $R6 $R1
  ${Loop}
  FindClose $R6
  ${If} $R0 != ""
  ${OrIf} $R5 == ""
  ${OrIf} ${FileExists} "$INSTDIR\${MARKER}"
    Return
  ${EndIf}
  ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 == $INSTDIR
  ${AndIf} ${FileExists} "$INSTDIR\${EXE_NAME}"
    Return
  ${EndIf}
  StrCpy $R0 $R5
FunctionEnd

Function LoginPage
  !insertmacro MUI_HEADER_TEXT "$(LoginTitle)" "$(LoginSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "$(LoginPrompt)"
  Pop $0
  ${NSD_CreateText} 0 40u 100% 12u "$Login"
  Pop $LoginField
  nsDialogs::Show
FunctionEnd

Function LoginPageLeave
  ${NSD_GetText} $LoginField $Login
FunctionEnd

; A running copy is asked to end as Windows asks at log-off, with a close
; request to its hidden main window, and its process is waited for, so that its
; file can be replaced or removed. The class and caption are generic names any
; program may use: a window is ours only when its process runs the program of
; this folder. All of it within about 10 s; then $CopyLeft is 1 if one still runs.
!macro CLOSE_RUNNING_COPIES un
Function ${un}CloseRunningCopies
  Push "$INSTDIR\${EXE_NAME}"
  Call ${un}LongPath
  Pop $OwnExe
  System::Call 'kernel32::GetTickCount() i .R0'
  IntOp $Deadline $R0 + 10000
  StrCpy $CopyLeft 0
  StrCpy $Window 0
  ${Do}
    FindWindow $Window "TForm1" "Form1" "" $Window
    ${If} $Window == 0
      ${ExitDo}
    ${EndIf}
    Call ${un}OpenOwnCopy
    ${If} $Process != 0
      ${Do}
        SendMessage $Window ${WM_CLOSE} 0 0 /TIMEOUT=1000
        System::Call 'kernel32::WaitForSingleObject(p $Process, i 500) i .R0'
        ${If} $R0 == 0
          ${ExitDo}
        ${EndIf}
        ; A difference of ticks stays right when the counter wraps.
        System::Call 'kernel32::GetTickCount() i .R0'
        IntOp $R0 $R0 - $Deadline
        ${If} $R0 >= 0
          StrCpy $CopyLeft 1
          ${ExitDo}
        ${EndIf}
      ${Loop}
      System::Call 'kernel32::CloseHandle(p $Process)'
      ${If} $CopyLeft == 1
        ${ExitDo}
      ${EndIf}
      ; A window that is gone marks no place in the list: search again.
      StrCpy $Window 0
    ${EndIf}
  ${Loop}
FunctionEnd

; $Process: a handle to the process of $Window, to wait for, when it runs
; $OwnExe; else 0.
Function ${un}OpenOwnCopy
  System::Call 'user32::GetWindowThreadProcessId(p $Window, *i .R0)'
  ; PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE
  System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i R0) p .R0'
  StrCpy $Process $R0
  ${If} $Process == 0
    Return
  ${EndIf}
  System::Call 'kernel32::QueryFullProcessImageNameW(p $Process, i 0, w .R1, *i ${NSIS_MAX_STRLEN}) i .R0'
  Push $R1
  Call ${un}LongPath
  Pop $R1
  ${If} $R0 == 0
  ${OrIf} $R1 != $OwnExe
    System::Call 'kernel32::CloseHandle(p $Process)'
    StrCpy $Process 0
  ${EndIf}
FunctionEnd

; The path on the stack in its long form when the file exists, so that a short
; or otherwise written path names the same program.
Function ${un}LongPath
  Exch $R0
  Push $R1
  Push $R2
  System::Call 'kernel32::GetLongPathNameW(w R0, w .R1, i ${NSIS_MAX_STRLEN}) i .R2'
  ${If} $R2 > 0
  ${AndIf} $R2 < ${NSIS_MAX_STRLEN}
    StrCpy $R0 $R1
  ${EndIf}
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPIES ""
!insertmacro CLOSE_RUNNING_COPIES "un."

Section "Install"
  Call CloseRunningCopies
  ; A copy that will not end keeps its file: stop before anything is changed.
  ${If} $CopyLeft == 1
    MessageBox MB_OK|MB_ICONSTOP "$(CopyLeftSetup)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\${MARKER}" w
  FileWrite $0 "${PRODUCT} ${VERSION}$\r$\n"
  FileClose $0
  File "/oname=${EXE_NAME}" "${EXE}"
  File "/oname=${LICENSE_NAME}" "${LICENSE}"
  File "/oname=${NOTICES_NAME}" "${NOTICES}"
  ; An empty field keeps the login of an earlier installation.
  ${If} $Login != ""
    FileOpen $0 "$INSTDIR\config.pl" w
    FileWrite $0 "$Login$\r$\n"
    FileClose $0
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE_NAME}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pondix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer and the program wrote goes; the folder goes only when
; nothing else is left in it.
Section "Uninstall"
  Call un.CloseRunningCopies
  ; Half an uninstall would leave a running program without its uninstaller.
  ${If} $CopyLeft == 1
    MessageBox MB_OK|MB_ICONSTOP "$(CopyLeftUninstall)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\${LICENSE_NAME}"
  Delete "$INSTDIR\${NOTICES_NAME}"
  Delete "$INSTDIR\ver"
  Delete "$INSTDIR\config.pl"
  ; Pictures of uploads that failed while the program ran from here.
  FindFirst $0 $R1 "$INSTDIR\*.jpg"
  ${DoWhile} $R1 != ""
    Call un.IsOwnPicture
    ${If} $R2 == 1
      Delete "$INSTDIR\$R1"
    ${EndIf}
    FindNext $0 $R1
  ${Loop}
  FindClose $0
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\${MARKER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; The entries go only when they are this installation's: a copy installed
  ; elsewhere keeps its own.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  ; Written by the program at every start, as its quoted path.
  ReadRegStr $0 HKCU "${RUN_KEY}" "PondixScreenLoader"
  ${If} $0 == '"$INSTDIR\${EXE_NAME}"'
  ${OrIf} $0 == "$INSTDIR\${EXE_NAME}"
    DeleteRegValue HKCU "${RUN_KEY}" "PondixScreenLoader"
  ${EndIf}
SectionEnd
