; The Windows installer: brisol.exe and brisol-cli.exe under
; Program Files\Brisol, a Start-menu entry, an uninstaller, and .bsl files
; opening with Brisol (also listed under "Open with"). /S installs silently.
; makensis -DVERSION=X.Y -DSOURCE=FOLDER -DOUTFILE=FILE brisol.nsi, where
; FOLDER holds the programs, README.txt and LICENSE.txt.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files' times would make the installer differ with the clock of the
; machine that built it; installed files take the time of installing.
SetDateSave off

!define PRODUCT "Brisol"
!define FILE_TYPE "Brisol.EncryptedFile"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brisol"
!define SHORTCUT "$SMPROGRAMS\Brisol.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Brisol"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${SOURCE}/LICENSE.txt"

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File "${SOURCE}/brisol.exe"
    File "${SOURCE}/brisol-cli.exe"
    File "${SOURCE}/README.txt"
    File "${SOURCE}/LICENSE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\brisol.exe"

    WriteRegStr HKCR ".bsl" "" "${FILE_TYPE}"
    WriteRegStr HKCR "${FILE_TYPE}" "" "Brisol encrypted file"
    WriteRegStr HKCR "${FILE_TYPE}\DefaultIcon" "" "$INSTDIR\brisol.exe,0"
    WriteRegStr HKCR "${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\brisol.exe" "%1"'
    WriteRegStr HKCR "Applications\brisol.exe\shell\open\command" "" '"$INSTDIR\brisol.exe" "%1"'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brisol developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brisol.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\brisol.exe"
    Delete "$INSTDIR\brisol-cli.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"

    ; .bsl is left alone if another program has taken it over since.
    ReadRegStr $0 HKCR ".bsl" ""
    StrCmp $0 "${FILE_TYPE}" 0 +2
        DeleteRegKey HKCR ".bsl"
    DeleteRegKey HKCR "${FILE_TYPE}"
    DeleteRegKey HKCR "Applications\brisol.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
