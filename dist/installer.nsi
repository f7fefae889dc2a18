; Quillet's per-user installer: no administrator rights, everything under the
; current user (files in the local programs folder, keys under HKCU).
;
; Built by dist/make-artefacts.sh, which passes:
;   VERSION  the product version, four numbers (from CMakeLists.txt)
;   STAGE    folder holding Quillet.exe, unrar.dll, license-unrar.txt, README.txt
;   OUTFILE  the installer to write

!macro RequireDefine name
  !ifndef ${name}
    !error "${name} is not defined: build with dist/make-artefacts.sh"
  !endif
!macroend
!insertmacro RequireDefine VERSION
!insertmacro RequireDefine STAGE
!insertmacro RequireDefine OUTFILE

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
; Installed files carry the staged (fixed) times, so two builds agree.
SetDateSave on

!define PRODUCT "Quillet"
!define PUBLISHER "The Quillet project"
!define PROGID "Quillet.rar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define SETTINGS_KEY "SOFTWARE\Tarnfield\Quillet"
!define VENDOR_KEY "SOFTWARE\Tarnfield"
!define CLASSES "Software\Classes"
!define UNINSTALLER "uninstall.exe"
!define MAIN_WINDOW_CLASS "Quillet.MainWindow.ID5224875"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 the Quillet project"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Integration.nsh"
!include "Sections.nsh"

!define MUI_ICON "${__FILEDIR__}/../src/res/quillet.ico"
!define MUI_UNICON "${__FILEDIR__}/../src/res/quillet.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillet.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quillet"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Quillet will be removed. Tick the box below to remove your Quillet settings (window size, columns, options) as well."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------
; The .rar association, shared by the installer (when the box is unticked on a
; reinstall) and the uninstaller.

!macro DefineRemoveAssociation prefix
Function ${prefix}RemoveAssociation
    Push $0
    Push $1
    Push $2
    ; Give .rar back only while it is still ours: another program that took it
    ; over since keeps it.
    ReadRegStr $0 HKCU "${CLASSES}\.rar" ""
    ${If} $0 == "${PROGID}"
        ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousRarProgID"
        ; A previous handler that has been removed meanwhile is not restored.
        ; It may be the user's own or the machine's (Wine's HKCR shows only
        ; the latter).
        StrCpy $2 ""
        ${If} $1 != ""
            ClearErrors
            EnumRegKey $2 HKCU "${CLASSES}\$1" 0
            ${If} ${Errors}
                ClearErrors
                EnumRegKey $2 HKCR "$1" 0
            ${EndIf}
            ${If} ${Errors}
                StrCpy $2 ""
            ${Else}
                StrCpy $2 "registered"
            ${EndIf}
        ${EndIf}
        ${If} $2 == "registered"
            WriteRegStr HKCU "${CLASSES}\.rar" "" "$1"
        ${Else}
            DeleteRegValue HKCU "${CLASSES}\.rar" ""
        ${EndIf}
    ${EndIf}
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "PreviousRarProgID"
    DeleteRegValue HKCU "${CLASSES}\.rar\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.rar\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.rar"
    DeleteRegKey HKCU "${CLASSES}\${PROGID}"
    ${NotifyShell_AssocChanged}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineRemoveAssociation ""
!insertmacro DefineRemoveAssociation "un."

; A running Quillet holds its files: they could be neither replaced nor removed,
; and the user would be left with half an install. Ask to close it first; a
; silent run gives up with exit code 2 and changes nothing.
!macro DefineRefuseWhileRunning prefix
Function ${prefix}RefuseWhileRunning
    ${Do}
        FindWindow $0 "${MAIN_WINDOW_CLASS}"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quillet is running. Close every Quillet window, then press Retry." /SD IDCANCEL IDRETRY again
        SetErrorLevel 2
        Quit
        again:
    ${Loop}
FunctionEnd
!macroend
!insertmacro DefineRefuseWhileRunning ""
!insertmacro DefineRefuseWhileRunning "un."

; ---------------------------------------------------------------------------
; Installer

Section "Quillet (required)" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${STAGE}/Quillet.exe"
    File "${STAGE}/unrar.dll"
    File "${STAGE}/license-unrar.txt"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Quillet.exe" "" "$INSTDIR\Quillet.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Open .rar files with Quillet" SecAssociate
    ReadRegStr $0 HKCU "${CLASSES}\.rar" ""
    ; On a reinstall .rar is already ours: keep the handler remembered the first time.
    ${If} $0 != "${PROGID}"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousRarProgID" "$0"
    ${EndIf}
    WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "RAR archive"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\Quillet.exe",0'
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\Quillet.exe" -o "%1"'
    WriteRegStr HKCU "${CLASSES}\.rar" "" "${PROGID}"
    WriteRegNone HKCU "${CLASSES}\.rar\OpenWithProgids" "${PROGID}"
    ${NotifyShell_AssocChanged}
SectionEnd

; A reinstall with the box unticked takes back an association made earlier.
Section "-DropAssociation" SecDropAssociation
    ${IfNot} ${SectionIsSelected} ${SecAssociate}
        ReadRegStr $0 HKCU "${CLASSES}\${PROGID}\shell\open\command" ""
        ${If} $0 != ""
            Call RemoveAssociation
        ${EndIf}
    ${EndIf}
SectionEnd

; ---------------------------------------------------------------------------
; Uninstaller

Section "un.Quillet" UnSecProgram
    SectionIn RO
    Call un.RemoveAssociation

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    Delete "$INSTDIR\Quillet.exe"
    Delete "$INSTDIR\unrar.dll"
    Delete "$INSTDIR\license-unrar.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only if empty: anything the user put there stays.
    RMDir "$INSTDIR"
    RMDir "$LOCALAPPDATA\Programs"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd

Section /o "un.Remove my Quillet settings" UnSecSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${VENDOR_KEY}"
SectionEnd

Function .onInit
    Call RefuseWhileRunning
FunctionEnd

; /REMOVESETTINGS ticks the settings box, for silent runs.
Function un.onInit
    Call un.RefuseWhileRunning
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${UnSecSettings}
    ${EndIf}
FunctionEnd
