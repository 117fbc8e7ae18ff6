; The Windows installer of Tessivane Reverb. The Windows build runs makensis on this script
; (installer/CMakeLists.txt) and defines:
;   VERSION   the release, as Reverb/ReverbVersion.h spells it
;   STAGE     the folder holding exactly what is installed, laid out as in the zip
;   OUTFILE   the installer to write
;
; Command line, for unattended installs:
;   /S                 no dialogs; the exit code is 0 on success, 2 when setup gave up
;   /VST2DIR=<folder>  where the VST 2.4 plug-in goes; a folder with spaces in quotes:
;                      /VST2DIR="D:\Audio\VST Plugins"
;   /NOVST3, /NOVST2   leave one of the plug-ins out
;   /D=<folder>        where the read-me, licence and uninstaller go (last, never quoted)
; The uninstaller takes /S as well.
;
; What an installation put where is recorded under its Add/Remove Programs key, and the
; uninstaller removes exactly that: its own files, and of the folders only those that the
; installation created and that are empty again. A new installation first runs the uninstaller
; of the one before, so that a plug-in moved to another folder leaves no copy behind.

; A 64-bit installer for 64-bit plug-ins: 32-bit Windows refuses to start it, with its own
; message that the program does not fit this version of Windows.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Tessivane Reverb"
!define MAKER "Tessivane Audio"
!define WEBSITE "https://www.tessivane.com"
!define BUNDLE "TessivaneReverb.vst3"
!define VST2_MODULE "TessivaneReverb.dll"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TessivaneReverb"
; Where hosts and other installers publish the machine's VST 2.4 folder.
!define VST2_PATH_KEY "Software\VST"
!define VST2_PATH_VALUE "VSTPluginsPath"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${MAKER}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${MAKER}"

Var Vst3Dir            ; the common VST3 folder
Var Vst2Dir            ; the chosen VST 2.4 folder
Var Vst3NewFolder      ; the outermost folder made for the VST3 folder, or empty
Var Vst2NewFolder      ; the same for the VST 2.4 folder
Var InstallNewFolder   ; the same for $INSTDIR

; ---- Pages ---------------------------------------------------------------------------------------

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, an algorithmic stereo reverb, as a VST3 and a VST 2.4 plug-in for 64-bit hosts.$\r$\n$\r$\nClose your audio host before you continue, then let it rescan its plug-ins afterwards."
!insertmacro MUI_PAGE_WELCOME

; The GNU GPL is not an agreement the user has to accept before using the plug-in.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "${PRODUCT} is free software: this licence gives you the right to use, share and change it."
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ComponentsLeave
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_PAGE_HEADER_TEXT "VST 2.4 Plug-in Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Choose the folder your host scans for VST 2.4 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup puts ${VST2_MODULE} into the folder below. Choose the folder that your host scans for VST 2.4 plug-ins. The VST3 plug-in always goes into the common VST3 folder, where every VST3 host looks."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2.4 plug-in folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst2Dir
!define MUI_PAGE_CUSTOMFUNCTION_PRE Vst2FolderPre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE Vst2FolderLeave
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 ${MAKER}"

; ---- Folders -------------------------------------------------------------------------------------

; MakeFolder <folder>: creates the folder with any missing parents and leaves on the stack the
; outermost folder it had to create, or "" when the folder was there already.
Function MakeFolder
  Exch $0
  Push $1
  Push $2
  StrCpy $1 ""
  StrCpy $2 $0
  ${Do}
    ${If} $2 == ""
    ${OrIf} ${FileExists} "$2\*.*"
      ${ExitDo}
    ${EndIf}
    StrCpy $1 $2
    ${GetParent} $2 $2
  ${Loop}
  CreateDirectory $0
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; RemoveNewFolders <folder> <outermost>: removes the folder and its parents up to and including
; <outermost> (the result of MakeFolder), each only when empty. Nothing when <outermost> is
; empty or does not contain <folder>.
!macro DefineRemoveNewFolders un
Function ${un}RemoveNewFolders
  Exch $1   ; outermost
  Exch
  Exch $0   ; folder
  Push $2
  Push $3
  ${If} $1 != ""
    StrLen $2 $1
    StrCpy $3 $0 $2
    ${If} $3 == $1
      StrCpy $3 $0 1 $2
      ${If} $3 == ""
      ${OrIf} $3 == "\"
        ${Do}
          RMDir $0
          ${If} $0 == $1
            ${ExitDo}
          ${EndIf}
          ${GetParent} $0 $0
        ${LoopUntil} $0 == ""
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $0
  Pop $1
FunctionEnd
!macroend
!insertmacro DefineRemoveNewFolders ""
!insertmacro DefineRemoveNewFolders "un."

; Strips trailing backslashes, except the one of a drive's root.
Function TrimFolder
  Exch $0
  Push $1
  ${Do}
    StrCpy $1 $0 1 -1
    ${If} $1 != "\"
    ${OrIf} $0 == ""
      ${ExitDo}
    ${EndIf}
    StrLen $1 $0
    ${If} $1 <= 3
      ${ExitDo}
    ${EndIf}
    StrCpy $0 $0 -1
  ${Loop}
  Pop $1
  Exch $0
FunctionEnd

; Leaves 1 on the stack for a full path ("X:\..." or "\\server\share\..."), else 0.
Function IsFullPath
  Exch $0
  Push $1
  StrCpy $1 $0 2 1
  ${If} $1 == ":\"
    StrCpy $0 1
  ${Else}
    StrCpy $1 $0 2
    ${If} $1 == "\\"
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; ---- Sections ------------------------------------------------------------------------------------

Section "-Previous installation"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallOutermostNewFolder"
    DetailPrint "Removing the previous installation"
    ; Run in place (_?=) so that setup can wait for it.
    ClearErrors
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $2
    ${If} ${Errors}
    ${OrIf} $2 != 0
      MessageBox MB_ICONSTOP "Setup could not remove the previous installation of ${PRODUCT}: its plug-ins may be in use. Close your audio host, then run setup again." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    ; An uninstaller that runs in place cannot delete itself.
    Delete "$0\${UNINSTALLER}"
    Push $0
    Push $1
    Call RemoveNewFolders
  ${EndIf}
SectionEnd

; Registered before any plug-in is written, so that an installation that stops half way (a
; host holding the plug-in open, a full disk) can still be uninstalled.
Section "-Uninstaller and documents"
  Push $INSTDIR
  Call MakeFolder
  Pop $InstallNewFolder
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEBSITE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${UNINSTALLER},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallOutermostNewFolder" $InstallNewFolder
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE.txt"
  File "${STAGE}/THIRD-PARTY-NOTICES.txt"
SectionEnd

Section "VST3 plug-in" SecVst3
  StrCpy $Vst3Dir "$COMMONFILES64\VST3"
  Push $Vst3Dir
  Call MakeFolder
  Pop $Vst3NewFolder
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst3Folder" $Vst3Dir
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst3OutermostNewFolder" $Vst3NewFolder
  SetOutPath "$Vst3Dir\${BUNDLE}\Contents\x86_64-win"
  File "${STAGE}/${BUNDLE}/Contents/x86_64-win/${BUNDLE}"
  SetOutPath "$Vst3Dir\${BUNDLE}\Contents\Resources"
  File "${STAGE}/${BUNDLE}/Contents/Resources/moduleinfo.json"
SectionEnd

Section "VST 2.4 plug-in" SecVst2
  Push $Vst2Dir
  Call MakeFolder
  Pop $Vst2NewFolder
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2Folder" $Vst2Dir
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2OutermostNewFolder" $Vst2NewFolder
  SetOutPath $Vst2Dir
  File "${STAGE}/${VST2_MODULE}"
SectionEnd

Section "-Size"
  SectionGetSize ${SecVst3} $0
  SectionGetSize ${SecVst2} $1
  ${IfNot} ${SectionIsSelected} ${SecVst3}
    StrCpy $0 0
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecVst2}
    StrCpy $1 0
  ${EndIf}
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3} "The VST3 plug-in, for hosts that load VST3 plug-ins. It goes into the common VST3 folder."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2} "The VST 2.4 plug-in, for hosts that load VST 2.4 plug-ins. You choose its folder next."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; ---- Choices -------------------------------------------------------------------------------------

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOVST3" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecVst3}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOVST2" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecVst2}
  ${EndIf}

  ; The folder of the previous installation, else the machine's published VST 2.4 folder,
  ; else the usual one.
  ReadRegStr $Vst2Dir HKLM "${UNINSTALL_KEY}" "Vst2Folder"
  ${If} $Vst2Dir == ""
    ReadRegStr $R1 HKLM "${VST2_PATH_KEY}" "${VST2_PATH_VALUE}"
    ExpandEnvStrings $Vst2Dir $R1
  ${EndIf}
  ${If} $Vst2Dir == ""
    StrCpy $Vst2Dir "$PROGRAMFILES64\VSTPlugins"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/VST2DIR=" $R1
  ${IfNot} ${Errors}
    StrCpy $Vst2Dir $R1
  ${EndIf}
  Push $Vst2Dir
  Call TrimFolder
  Pop $Vst2Dir

  ${IfNot} ${SectionIsSelected} ${SecVst3}
  ${AndIfNot} ${SectionIsSelected} ${SecVst2}
    MessageBox MB_ICONSTOP "Nothing to install: both plug-ins were left out." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecVst2}
    Push $Vst2Dir
    Call IsFullPath
    Pop $R1
    ${If} $R1 != 1
      MessageBox MB_ICONSTOP "The VST 2.4 folder must be a full path, such as C:\Program Files\VSTPlugins." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ComponentsLeave
  ${IfNot} ${SectionIsSelected} ${SecVst3}
  ${AndIfNot} ${SectionIsSelected} ${SecVst2}
    MessageBox MB_ICONEXCLAMATION "Choose at least one of the plug-ins."
    Abort
  ${EndIf}
FunctionEnd

Function Vst2FolderPre
  ${IfNot} ${SectionIsSelected} ${SecVst2}
    Abort
  ${EndIf}
FunctionEnd

Function Vst2FolderLeave
  Push $Vst2Dir
  Call TrimFolder
  Pop $Vst2Dir
  Push $Vst2Dir
  Call IsFullPath
  Pop $0
  ${If} $0 != 1
    MessageBox MB_ICONEXCLAMATION "Choose a full path, such as C:\Program Files\VSTPlugins."
    Abort
  ${EndIf}
FunctionEnd

; ---- Uninstaller ---------------------------------------------------------------------------------

; Deletes an installed file; one that is still there (a host has the plug-in loaded) is noted
; in $R9.
!macro DeleteInstalled path
  Delete "${path}"
  ${If} ${FileExists} "${path}"
    StrCpy $R9 "${path}"
  ${EndIf}
!macroend

Section "Uninstall"
  StrCpy $R9 ""
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Vst3Folder"
  ${If} $0 != ""
    !insertmacro DeleteInstalled "$0\${BUNDLE}\Contents\x86_64-win\${BUNDLE}"
    !insertmacro DeleteInstalled "$0\${BUNDLE}\Contents\Resources\moduleinfo.json"
    RMDir "$0\${BUNDLE}\Contents\x86_64-win"
    RMDir "$0\${BUNDLE}\Contents\Resources"
    RMDir "$0\${BUNDLE}\Contents"
    RMDir "$0\${BUNDLE}"
    Push $0
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "Vst3OutermostNewFolder"
    Push $1
    Call un.RemoveNewFolders
  ${EndIf}

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Vst2Folder"
  ${If} $0 != ""
    !insertmacro DeleteInstalled "$0\${VST2_MODULE}"
    Push $0
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "Vst2OutermostNewFolder"
    Push $1
    Call un.RemoveNewFolders
  ${EndIf}

  ; Still registered, so that uninstalling again finishes the job.
  ${If} $R9 != ""
    MessageBox MB_ICONSTOP "$R9 is in use. Close your audio host, then uninstall ${PRODUCT} again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  Push $INSTDIR
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallOutermostNewFolder"
  Push $1
  Call un.RemoveNewFolders

  ; Last, so that the installation stays listed until everything else is done.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
