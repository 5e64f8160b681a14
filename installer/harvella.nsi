; Harvella Setup: the reference installer of the two programs, for NSIS 3.
;
; It is the programs' real client and an example for the product installer's
; team: it runs Quimbo with the "|"-separated argument lines, hands it the six
; controls of its database page, keeps that page answering while Quimbo sends
; its messages, moves on only on Quimbo's posted Next click, and reads Quimbo's
; exit code and standard output; then it installs the launcher, writes the
; registry values the launcher reads and installs and starts the service.
;
; makensis -DPROGRAMS=<folder of the .exe files> -DDAO_LIBRARY=<dao360.dll>
;          -DACCESS_SCRIPTS=<folder> -DMYSQL_SCRIPTS=<folder> -DWINE_RTF_LOG=<WineRtfLog.dll>
;          -DOUTFILE=<HarvellaSetup.exe> [-DMYSQL_PACKAGE=<zip> -DMYSQL_PACKAGE_FOLDER=<name>
;          -DUNZIP=<unzip.exe>] [-DSERVER_CLASS=<class> -DSERVER_CLASS_PATH=<path>
;          -DSERVER_FILES=<folder>] harvella.nsi
;
; The command line of HarvellaSetup.exe (all optional; /S runs without pages):
;   /S /DATABASE=access|mysql /ACCESSFILE=<existing .mdb to start from>
;      /JAVA=<Java runtime folder> /ADDRESS=<IP address> /PORT=<HTTP port> /D=<folder>
; A silent run ends with 0, or with the exit code of the step that failed
; (Quimbo's, or 1 for Setup's own failures).

Unicode true
!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include WinMessages.nsh

; The product's version is Quimbo.exe's, read from its version resource.
!getdllversion "${PROGRAMS}\Quimbo.exe" QUIMBO_VERSION_
!define VERSION "${QUIMBO_VERSION_1}.${QUIMBO_VERSION_2}.${QUIMBO_VERSION_3}.${QUIMBO_VERSION_4}"
!define PRODUCT_KEY "SOFTWARE\Brenwick\Harvella"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Harvella"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Harvella"
!define MYSQL_SERVICE "HarvellaMySQL"
!define /ifndef SERVER_CLASS "sample.server.SampleServer"
!define /ifndef SERVER_CLASS_PATH "lib\classes"
!define /ifndef MYSQL_PACKAGE_FOLDER ""
!define WM_NOTIFY_OUTER_NEXT 0x408
!define NEXT_BUTTON 1
!define CANCEL_BUTTON 2
!define BACK_BUTTON 3
; Quimbo's longest step waits for its server and its tools; the page gives up after 20 minutes.
!define POLL_MS 250
!define SUCCESS_SHOWN_MS 1000
!define POLL_LIMIT 4800

Name "Harvella ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Harvella Server"
RequestExecutionLevel admin
BrandingText "Harvella ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_CUSTOMFUNCTION_ABORT OnUserAbort
!define MUI_FINISHPAGE_TEXT "Harvella ${VERSION} is installed and its service is running.$\r$\n$\r$\nThe launcher Harvella_Access.exe starts and stops it and opens the login page."
!insertmacro MUI_PAGE_DIRECTORY
Page custom DatabaseChoiceShow DatabaseChoiceLeave
Page custom DatabasePageShow DatabasePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Harvella"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Brenwick"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Brenwick"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Harvella Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

Var DatabaseKind      ; "access" or "mysql"
Var AccessFile        ; an existing database file to start from, or empty
Var JavaPath
Var HttpAddress
Var HttpPort
Var PreviousVersion   ; the version of the Quimbo.exe already installed, or empty
Var CreatedInstDir    ; 1 when this run made the installation folder
; The choice page.
Var MySQLChoice
Var AccessChoice
Var ExistingCheck
Var ExistingFile
Var BrowseButton
; The database page and the Quimbo run on it.
Var ActionLabel
Var ProgressBar
Var Log
Var Step              ; "jet", "dao", "access", "version" or "mysql"
Var StepLine          ; its argument line
Var StepPaged         ; 1 when the step drives the page and presses Next at its end
Var QuimboProcess
Var QuimboExit
Var QuimboOutput
Var NextArrived
Var PollTicks
Var StepFailure       ; what went wrong, for the user; empty when the step succeeded
Var DatabaseDone

; --- start ---------------------------------------------------------------------

Function .onInit
  InitPluginsDir
  File "/oname=$PLUGINSDIR\WineRtfLog.dll" "${WINE_RTF_LOG}"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DATABASE=" $DatabaseKind
  ${GetOptions} $0 "/ACCESSFILE=" $AccessFile
  ${GetOptions} $0 "/JAVA=" $JavaPath
  ${GetOptions} $0 "/ADDRESS=" $HttpAddress
  ${GetOptions} $0 "/PORT=" $HttpPort
  ${If} $DatabaseKind == ""
    !ifdef MYSQL_PACKAGE
      StrCpy $DatabaseKind "mysql"
    !else
      StrCpy $DatabaseKind "access"
    !endif
  ${EndIf}
  ${If} $HttpAddress == ""
    StrCpy $HttpAddress "0.0.0.0"
  ${EndIf}
  ${If} $HttpPort == ""
    StrCpy $HttpPort "8080"
  ${EndIf}
  Call FindJava
  ${IfNot} ${FileExists} "$JavaPath\bin\server\jvm.dll"
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot find a Java runtime (bin\server\jvm.dll). Install Java, or name its folder with /JAVA=<folder>." /SD IDOK
    SetErrorLevel 1
    Quit
  ${EndIf}
FunctionEnd

; The Java runtime the launcher loads: the one named on the command line, or
; the current one Java's own installer registered.
Function FindJava
  ${If} $JavaPath != ""
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "SOFTWARE\JavaSoft\JRE" "CurrentVersion"
  ${If} $0 != ""
    ReadRegStr $JavaPath HKLM "SOFTWARE\JavaSoft\JRE\$0" "JavaHome"
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "SOFTWARE\JavaSoft\Java Runtime Environment" "CurrentVersion"
  ${If} $0 != ""
    ReadRegStr $JavaPath HKLM "SOFTWARE\JavaSoft\Java Runtime Environment\$0" "JavaHome"
  ${EndIf}
FunctionEnd

Function OnUserAbort
  Call RemoveUnfinishedInstallation
FunctionEnd

; --- the database choice -------------------------------------------------------

Function DatabaseChoiceShow
  !insertmacro MUI_HEADER_TEXT "Database" "Choose where Harvella keeps its data."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "A private MySQL server, installed with Harvella"
  Pop $MySQLChoice
  !ifdef MYSQL_PACKAGE
    ${NSD_CreateLabel} 12u 13u -12u 24u "Setup unpacks a MySQL server into the installation folder, runs it as the Windows service ${MYSQL_SERVICE} and creates the Harvella database on it."
  !else
    ${NSD_CreateLabel} 12u 13u -12u 24u "This Setup carries no MySQL package."
    EnableWindow $MySQLChoice 0
  !endif
  Pop $0
  ${NSD_CreateRadioButton} 0 42u 100% 12u "A Microsoft Access database file"
  Pop $AccessChoice
  ${NSD_CreateLabel} 12u 55u -12u 12u "A new database file in the installation folder, or a copy of an existing one:"
  Pop $0
  ${NSD_CreateCheckBox} 12u 70u -12u 12u "Start from an existing database file"
  Pop $ExistingCheck
  ${NSD_CreateFileRequest} 24u 85u -84u 13u "$AccessFile"
  Pop $ExistingFile
  ${NSD_CreateBrowseButton} -56u 84u 56u 15u "Browse..."
  Pop $BrowseButton
  ${NSD_OnClick} $BrowseButton BrowseForDatabase
  ${NSD_OnClick} $MySQLChoice DatabaseChoiceChanged
  ${NSD_OnClick} $AccessChoice DatabaseChoiceChanged
  ${NSD_OnClick} $ExistingCheck DatabaseChoiceChanged
  ${If} $DatabaseKind == "mysql"
    ${NSD_Check} $MySQLChoice
  ${Else}
    ${NSD_Check} $AccessChoice
  ${EndIf}
  ${If} $AccessFile != ""
    ${NSD_Check} $ExistingCheck
  ${EndIf}
  Call DatabaseChoiceChanged
  nsDialogs::Show
FunctionEnd

Function DatabaseChoiceChanged
  Pop $0 ; the control clicked, when called as a handler
  ${NSD_GetState} $AccessChoice $1
  ${NSD_GetState} $ExistingCheck $2
  EnableWindow $ExistingCheck $1
  ${If} $1 == ${BST_CHECKED}
  ${AndIf} $2 == ${BST_CHECKED}
    StrCpy $1 1
  ${Else}
    StrCpy $1 0
  ${EndIf}
  EnableWindow $ExistingFile $1
  EnableWindow $BrowseButton $1
FunctionEnd

Function BrowseForDatabase
  Pop $0
  ${NSD_GetText} $ExistingFile $1
  nsDialogs::SelectFileDialog open "$1" "Access database (*.mdb)|*.mdb|All files|*.*"
  Pop $1
  ${If} $1 != ""
    ${NSD_SetText} $ExistingFile $1
  ${EndIf}
FunctionEnd

Function DatabaseChoiceLeave
  StrCpy $AccessFile ""
  ${NSD_GetState} $MySQLChoice $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $DatabaseKind "mysql"
    Return
  ${EndIf}
  StrCpy $DatabaseKind "access"
  ${NSD_GetState} $ExistingCheck $0
  ${If} $0 == ${BST_CHECKED}
    ${NSD_GetText} $ExistingFile $AccessFile
    ${IfNot} ${FileExists} "$AccessFile"
      MessageBox MB_OK|MB_ICONEXCLAMATION "There is no database file $\"$AccessFile$\"."
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; --- what the database steps need in the installation folder ---------------------

Function PrepareDatabaseFiles
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $CreatedInstDir 1
  ${EndIf}
  ; An earlier installation's service stops first: its files are replaced,
  ; and its MySQL server cannot stop under it. Where no service is installed
  ; the launcher answers -1; a stop that fails shows in the steps after it.
  ${If} ${FileExists} "$INSTDIR\Harvella_Access.exe"
    ExecWait '"$INSTDIR\Harvella_Access.exe" stopsilent'
  ${EndIf}
  ; The version already installed, from its Quimbo.exe: the MySQL steps and
  ; the Access backup's name take it.
  StrCpy $PreviousVersion ""
  ClearErrors
  GetDLLVersion "$INSTDIR\database\tools\Quimbo.exe" $0 $1
  ${IfNot} ${Errors}
    IntOp $2 $0 >> 16
    IntOp $3 $0 & 0xFFFF
    IntOp $4 $1 >> 16
    IntOp $5 $1 & 0xFFFF
    StrCpy $PreviousVersion "$2.$3.$4.$5"
  ${EndIf}
  SetOutPath "$INSTDIR\database\tools"
  File "${PROGRAMS}\Quimbo.exe"
  File "${PROGRAMS}\mdbconvert.exe"
  File "${PROGRAMS}\porttool.exe"
  File /oname=dao360.dll "${DAO_LIBRARY}"
  SetOutPath "$INSTDIR\database\scripts"
  File "${ACCESS_SCRIPTS}\*.sql"
  File "${MYSQL_SCRIPTS}\*.sql"
  !ifdef MYSQL_PACKAGE
    ${If} $DatabaseKind == "mysql"
      File "/oname=$PLUGINSDIR\mysql.zip" "${MYSQL_PACKAGE}"
      File "/oname=$PLUGINSDIR\unzip.exe" "${UNZIP}"
    ${EndIf}
  !endif
  ; The address and port the server answers on; Quimbo adds the database's
  ; settings. An existing installation keeps its file.
  ${IfNot} ${FileExists} "$INSTDIR\harvella.config"
    FileOpen $0 "$INSTDIR\harvella.config" w
    FileWrite $0 "IPaddress=$HttpAddress$\r$\nHTTPPort=$HttpPort$\r$\n"
    FileClose $0
  ${EndIf}
FunctionEnd

; --- the database steps ----------------------------------------------------------
; The first step of each database, and what follows each step. Quimbo's
; argument lines: the installation folder, the configuration file's name, the
; six controls of the page (Next, Back, Cancel, action label, progress bar,
; log; 0 when there is no page), and the step's own fields.

Function FirstStep
  ${If} $DatabaseKind == "mysql"
    StrCpy $Step "version"
  ${Else}
    StrCpy $Step "jet"
  ${EndIf}
FunctionEnd

; $0: the six handles. Sets $StepLine and $StepPaged for $Step.
Function ComposeStep
  StrCpy $StepPaged 0
  ${If} $Step == "jet"
    StrCpy $StepLine "4"
  ${ElseIf} $Step == "dao"
    StrCpy $StepLine "5|$INSTDIR|$INSTDIR\database\tools\dao360.dll"
  ${ElseIf} $Step == "version"
    StrCpy $StepLine "6|$INSTDIR"
  ${ElseIf} $Step == "access"
    StrCpy $StepPaged 1
    ${If} ${FileExists} "$INSTDIR\database\harvella.mdb"
      StrCpy $StepLine "0|$INSTDIR|harvella.config|$0|UpgradeWithBackUp|$PreviousVersion"
    ${ElseIf} $AccessFile != ""
      StrCpy $StepLine "0|$INSTDIR|harvella.config|$0|PerformCopy||$AccessFile"
    ${Else}
      StrCpy $StepLine "0|$INSTDIR|harvella.config|$0|Create|"
    ${EndIf}
  ${ElseIf} $Step == "mysql"
    StrCpy $StepPaged 1
    Call MySQLActionWord
    StrCpy $StepLine "1|$INSTDIR|MySQL|harvella.config|$0|$1|$INSTDIR\database\tools\porttool.exe|$PLUGINSDIR\unzip.exe|$PLUGINSDIR\mysql.zip|${MYSQL_PACKAGE_FOLDER}|${MYSQL_SERVICE}|$PreviousVersion"
  ${EndIf}
FunctionEnd

; $1: the MySQL action word. A new server for a new installation; over an
; older installation the database is updated after a dump, over the same or a
; newer one it is repaired and kept.
Function MySQLActionWord
  ${If} $PreviousVersion == ""
  ${OrIfNot} ${FileExists} "$INSTDIR\MySQL\bin\*.*"
    StrCpy $1 "InstallMySQL"
    Return
  ${EndIf}
  ${VersionCompare} "$PreviousVersion" "${VERSION}" $2
  ${If} $2 == 2
    StrCpy $1 "ReinstallHarvellaDBWithDump"
  ${Else}
    StrCpy $1 "ReinstallHarvellaDBWithDumpRepairKeep"
  ${EndIf}
FunctionEnd

; Judges the step that ended ($QuimboExit, $QuimboOutput, $NextArrived): sets
; $StepFailure, and $Step to the next step ("" after the last one).
Function JudgeStep
  StrCpy $StepFailure ""
  StrCpy $0 $Step
  StrCpy $Step ""
  ${If} $0 == "jet"
    ${If} $QuimboExit != 0
      StrCpy $StepFailure "The Microsoft Jet 4.0 database engine is missing or older than 4.0.0 (exit code $QuimboExit of the Jet check). Install it and run Setup again."
    ${EndIf}
    StrCpy $Step "dao"
  ${ElseIf} $0 == "dao"
    ${If} $QuimboExit != 0
      StrCpy $StepFailure "DAO 3.6 could not be installed (exit code $QuimboExit of the DAO setup)."
    ${EndIf}
    StrCpy $Step "access"
  ${ElseIf} $0 == "version"
    ${If} $QuimboExit == 1
      StrCpy $StepFailure "The MySQL server of this installation is older than 5.0.0 ($QuimboOutput). Remove Harvella and its MySQL server first."
    ${EndIf}
    StrCpy $Step "mysql"
  ${ElseIf} $QuimboExit != 0
    Call DescribeDatabaseFailure
  ${ElseIf} $StepPaged == 1
  ${AndIf} $NextArrived != 1
    StrCpy $StepFailure "The database setup ended without finishing its page (exit code 0)."
  ${EndIf}
  ${If} $StepFailure != ""
    StrCpy $Step ""
  ${EndIf}
FunctionEnd

; What an exit code of the Access (0) or MySQL (1) database action means.
Function DescribeDatabaseFailure
  StrCpy $1 ""
  ${If} $DatabaseKind == "access"
    ${Switch} $QuimboExit
      ${Case} 3000
        StrCpy $1 "there is not enough free space for the backup copy (the database file holds $QuimboOutput bytes)"
        ${Break}
      ${Case} 3001
        StrCpy $1 "the backup copy or move of the database file failed"
        ${Break}
      ${Case} 3002
        StrCpy $1 "the database could not be set up: DAO is missing, the database could not be created or opened, or a script or the settings failed"
        ${Break}
      ${Case} 3003
        StrCpy $1 "DAO 3.6 could not be installed"
        ${Break}
      ${Case} 3004
        StrCpy $1 "the database file is locked and cannot be converted"
        ${Break}
      ${Case} 3005
        StrCpy $1 "the data was converted, but other objects of the database were not"
        ${Break}
      ${Case} 3006
        StrCpy $1 "there is no permission to convert the database file"
        ${Break}
      ${Case} 3007
        StrCpy $1 "the database file is corrupted"
        ${Break}
      ${Case} 3008
        StrCpy $1 "the conversion of the database file failed"
        ${Break}
    ${EndSwitch}
  ${Else}
    ${Switch} $QuimboExit
      ${Case} 2000
        StrCpy $1 "no free port was found for the MySQL server"
        ${Break}
      ${Case} 2001
        StrCpy $1 "the MySQL package could not be unpacked"
        ${Break}
      ${Case} 2002
        StrCpy $1 "the unpacked MySQL server could not be moved into place"
        ${Break}
      ${Case} 2003
        StrCpy $1 "the MySQL option file my-medium.ini could not be written"
        ${Break}
      ${Case} 2004
        StrCpy $1 "the MySQL service could not be registered"
        ${Break}
      ${Case} 2005
        StrCpy $1 "the MySQL service could not be started"
        ${Break}
      ${Case} 2006
        StrCpy $1 "the MySQL service could not be stopped"
        ${Break}
      ${Case} 2007
        StrCpy $1 "the Harvella database user could not be granted its rights"
        ${Break}
      ${Case} 2008
        StrCpy $1 "the MySQL root password could not be set or saved"
        ${Break}
      ${Case} 2009
        StrCpy $1 "the database's schema version could not be read"
        ${Break}
      ${Case} 2010
        StrCpy $1 "the database could not be created, or a schema or patch script failed"
        ${Break}
      ${Case} 2011
        StrCpy $1 "the connection settings could not be saved"
        ${Break}
      ${Case} 2013
        StrCpy $1 "the database dump failed"
        ${Break}
      ${Case} 2014
        StrCpy $1 "the MySQL service could not be removed"
        ${Break}
      ${Case} 2015
        StrCpy $1 "the MySQL folder could not be removed"
        ${Break}
      ${Case} 2016
        StrCpy $1 "the Harvella database could not be dropped"
        ${Break}
      ${Case} 2017
        StrCpy $1 "the MySQL service could not be started for the dump"
        ${Break}
      ${Case} 2019
        StrCpy $1 "there is not enough free space for the dump (it needs $QuimboOutput bytes)"
        ${Break}
    ${EndSwitch}
    ${If} $1 == ""
      StrCpy $1 "the MySQL server's initialisation ended with code $QuimboExit"
    ${EndIf}
  ${EndIf}
  ${If} $1 == ""
    StrCpy $1 "the database setup failed"
  ${EndIf}
  StrCpy $StepFailure "Setup cannot go on: $1 (exit code $QuimboExit)."
  ${If} $QuimboOutput != ""
    StrCpy $StepFailure "$StepFailure Details: $QuimboOutput"
  ${EndIf}
FunctionEnd

; --- the database page -----------------------------------------------------------

Function DatabasePageShow
  !insertmacro MUI_HEADER_TEXT "Database" "Setup prepares Harvella's database."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 16u ""
  Pop $ActionLabel
  ${NSD_CreateProgressBar} 0 18u 100% 10u ""
  Pop $ProgressBar
  SendMessage $ProgressBar ${PBM_SETRANGE32} 0 100
  System::Call 'kernel32::LoadLibrary(t "riched20.dll") p'
  nsDialogs::CreateControl "RICHEDIT20W" ${DEFAULT_STYLES}|${WS_TABSTOP}|${WS_VSCROLL}|${ES_MULTILINE}|${ES_READONLY}|${ES_AUTOVSCROLL} ${WS_EX_CLIENTEDGE} 0 32u 100% -32u ""
  Pop $Log
  System::Call '$PLUGINSDIR\WineRtfLog.dll::ReadRtfOnReplaceSel(p $Log)'
  GetDlgItem $0 $HWNDPARENT ${NEXT_BUTTON}
  EnableWindow $0 0
  GetDlgItem $0 $HWNDPARENT ${BACK_BUTTON}
  EnableWindow $0 0
  GetDlgItem $0 $HWNDPARENT ${CANCEL_BUTTON}
  EnableWindow $0 0
  StrCpy $DatabaseDone 0
  StrCpy $QuimboProcess 0
  ; The work starts once the page is on the screen.
  ${NSD_CreateTimer} DatabasePageStart 10
  nsDialogs::Show
FunctionEnd

Function DatabasePageStart
  ${NSD_KillTimer} DatabasePageStart
  ${NSD_SetText} $ActionLabel "Unpacking the database files"
  Call PrepareDatabaseFiles
  Call FirstStep
  Call StartStep
FunctionEnd

; The page's six handles, in Quimbo's order.
Function PageHandles
  GetDlgItem $1 $HWNDPARENT ${NEXT_BUTTON}
  GetDlgItem $2 $HWNDPARENT ${BACK_BUTTON}
  GetDlgItem $3 $HWNDPARENT ${CANCEL_BUTTON}
  StrCpy $0 "$1|$2|$3|$ActionLabel|$ProgressBar|$Log"
FunctionEnd

; Starts $Step's Quimbo run, its standard output in a file of its own; the
; timer watches for its end. The page's own message loop runs meanwhile, so
; the messages Quimbo sends to its controls are answered at once.
Function StartStep
  Call PageHandles
  Call ComposeStep
  ${If} $Step == "jet"
    ${NSD_SetText} $ActionLabel "Checking the Microsoft Jet 4.0 database engine"
  ${ElseIf} $Step == "dao"
    ${NSD_SetText} $ActionLabel "Setting up DAO 3.6"
  ${ElseIf} $Step == "version"
    ${NSD_SetText} $ActionLabel "Checking for a MySQL server of an earlier installation"
  ${EndIf}
  StrCpy $NextArrived 0
  StrCpy $PollTicks 0
  StrCpy $QuimboOutput ""
  StrCpy $5 "$PLUGINSDIR\quimbo-$Step.out"
  Delete $5
  System::Call '*(i 12, p 0, i 1) p .r1' ; inheritable SECURITY_ATTRIBUTES
  ; GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW
  System::Call 'kernel32::CreateFile(t r5, i 0x40000000, i 1, p r1, i 1, i 0x80, p 0) p .r2'
  System::Free $1
  ; STARTUPINFO with STARTF_USESTDHANDLES: standard output and error into the file.
  System::Call '*(i 68, p 0, p 0, p 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0x100, &i2 0, &i2 0, p 0, p 0, p r2, p r2) p .r3'
  System::Call '*(p 0, p 0, i 0, i 0) p .r4'
  ; The command line goes in a register: its quotes would end a System string.
  StrCpy $9 '"$INSTDIR\database\tools\Quimbo.exe" $StepLine'
  System::Call 'kernel32::CreateProcess(p 0, t r9, p 0, p 0, i 1, i 0, p 0, p 0, p r3, p r4) i .r6'
  System::Call 'kernel32::CloseHandle(p r2)'
  System::Call '*$4(p .r7, p .r8)'
  System::Free $3
  System::Free $4
  ${If} $6 == 0
    StrCpy $QuimboExit "-1"
    StrCpy $StepFailure "Setup could not start $INSTDIR\database\tools\Quimbo.exe."
    Call ShowFailure
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r8)'
  StrCpy $QuimboProcess $7
  ${NSD_CreateTimer} WatchStep ${POLL_MS}
FunctionEnd

Function WatchStep
  System::Call 'kernel32::WaitForSingleObject(p $QuimboProcess, i 0) i .r0'
  ${If} $0 != 0
    IntOp $PollTicks $PollTicks + 1
    ${If} $PollTicks < ${POLL_LIMIT}
      Return
    ${EndIf}
    System::Call 'kernel32::TerminateProcess(p $QuimboProcess, i 259)'
    System::Call 'kernel32::WaitForSingleObject(p $QuimboProcess, i 5000)'
  ${EndIf}
  ${NSD_KillTimer} WatchStep
  System::Call 'kernel32::GetExitCodeProcess(p $QuimboProcess, *i .r1)'
  System::Call 'kernel32::CloseHandle(p $QuimboProcess)'
  StrCpy $QuimboProcess 0
  StrCpy $QuimboExit $1
  StrCpy $0 "$PLUGINSDIR\quimbo-$Step.out"
  Call ReadOutput
  ${If} $PollTicks >= ${POLL_LIMIT}
    StrCpy $StepFailure "The database setup did not finish within 20 minutes and was stopped."
    Call ShowFailure
    Return
  ${EndIf}
  StrCpy $0 $Step
  Call JudgeStep
  ${If} $StepFailure != ""
    Call ShowFailure
  ${ElseIf} $Step != ""
    Call LogStepOutcome
    Call StartStep
  ${Else}
    ; Quimbo has pressed Next and ended well: its success stays in sight for
    ; a moment, then the page moves on.
    StrCpy $DatabaseDone 1
    ${NSD_CreateTimer} LeaveDatabasePage ${SUCCESS_SHOWN_MS}
  ${EndIf}
FunctionEnd

Function LeaveDatabasePage
  ${NSD_KillTimer} LeaveDatabasePage
  System::Call 'user32::PostMessage(p $HWNDPARENT, i ${WM_NOTIFY_OUTER_NEXT}, p 1, p 0)'
FunctionEnd

; A black line for a step that does not drive the page itself ($0).
Function LogStepOutcome
  ${If} $0 == "jet"
    StrCpy $0 "The Microsoft Jet 4.0 database engine is present."
  ${ElseIf} $0 == "dao"
    StrCpy $0 "DAO 3.6 is present."
  ${ElseIf} $0 == "version"
  ${AndIf} $QuimboExit == 0
    StrCpy $0 "The MySQL server of the earlier installation is kept."
  ${Else}
    Return
  ${EndIf}
  StrCpy $1 0
  Call AppendLine
FunctionEnd

; Quimbo's posted Next click arrives here, before Quimbo has ended; the page
; moves on once its exit code is read (WatchStep). Until then, and after a
; failure, it stays.
Function DatabasePageLeave
  ${If} $DatabaseDone == 1
    Return
  ${EndIf}
  ${If} $QuimboProcess != 0
    StrCpy $NextArrived 1
  ${EndIf}
  Abort
FunctionEnd

; The failure stays on the page: Quimbo's red lines, then Setup's own
; explanation; Next stays disabled, Cancel ends Setup.
Function ShowFailure
  ${NSD_SetText} $ActionLabel "Setup cannot go on; see the last line below. Cancel ends Setup."
  StrCpy $0 $StepFailure
  StrCpy $1 1
  Call AppendLine
  GetDlgItem $0 $HWNDPARENT ${NEXT_BUTTON}
  EnableWindow $0 0
  GetDlgItem $0 $HWNDPARENT ${CANCEL_BUTTON}
  EnableWindow $0 1
  GetDlgItem $0 $HWNDPARENT ${BACK_BUTTON}
  EnableWindow $0 1
  ${If} $QuimboExit != 0
    SetErrorLevel $QuimboExit
  ${Else}
    SetErrorLevel 1
  ${EndIf}
FunctionEnd

; A line at the end of the log, as an RTF text like Quimbo's own lines: the
; text in $0, red when $1 is 1.
Function AppendLine
  ${WordReplace} $0 "\" "\\" "+" $0
  ${WordReplace} $0 "{" "\{" "+" $0
  ${WordReplace} $0 "}" "\}" "+" $0
  ${If} $1 == 1
    StrCpy $1 "\red255\green0\blue0;"
  ${Else}
    StrCpy $1 "\red0\green0\blue0;"
  ${EndIf}
  SendMessage $Log ${EM_SETSEL} -1 0
  SendMessage $Log ${EM_REPLACESEL} 0 "STR:{\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;$1}\pard\cf1\f0\fs20 $0\par}$\r"
FunctionEnd

; Quimbo's output text from the file $0: at most 1023 characters.
Function ReadOutput
  StrCpy $QuimboOutput ""
  ClearErrors
  FileOpen $1 $0 r
  ${IfNot} ${Errors}
    ${Do}
      FileRead $1 $2
      ${If} ${Errors}
        ${ExitDo}
      ${EndIf}
      StrCpy $QuimboOutput "$QuimboOutput$2"
    ${Loop}
    FileClose $1
  ${EndIf}
  StrCpy $QuimboOutput $QuimboOutput 1023
FunctionEnd

; Without pages (/S): the same steps one after the other, with no page to
; drive (all six handles 0).
Function SetUpDatabaseSilently
  Call PrepareDatabaseFiles
  Call FirstStep
  ${Do}
    StrCpy $0 "0|0|0|0|0|0"
    Call ComposeStep
    DetailPrint "Quimbo $StepLine"
    nsExec::ExecToStack '"$INSTDIR\database\tools\Quimbo.exe" $StepLine'
    Pop $QuimboExit
    Pop $QuimboOutput
    StrCpy $QuimboOutput $QuimboOutput 1023
    ; Without a page there is no Next to press.
    StrCpy $NextArrived 1
    Call JudgeStep
    ${If} $StepFailure != ""
      DetailPrint $StepFailure
      ${If} $QuimboExit != 0
        SetErrorLevel $QuimboExit
      ${Else}
        SetErrorLevel 1
      ${EndIf}
      Call RemoveUnfinishedInstallation
      Abort $StepFailure
    ${EndIf}
  ${LoopUntil} $Step == ""
FunctionEnd

; After a failure or a cancel before the end: a MySQL server this run set up
; is removed again, and so is an installation folder this run made.
Function RemoveUnfinishedInstallation
  ${If} $CreatedInstDir != 1
    Return
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\MySQL\*.*"
    nsExec::Exec '"$INSTDIR\database\tools\Quimbo.exe" 1|$INSTDIR|MySQL|harvella.config|0|0|0|0|0|0|Uninstall|$INSTDIR\database\tools\porttool.exe|$PLUGINSDIR\unzip.exe|$PLUGINSDIR\mysql.zip|${MYSQL_PACKAGE_FOLDER}|${MYSQL_SERVICE}|'
    Pop $0
  ${EndIf}
  SetOutPath $TEMP
  RMDir /r "$INSTDIR"
FunctionEnd

; --- the files, the registry and the service -----------------------------------

Section "Harvella"
  ${If} ${Silent}
    Call SetUpDatabaseSilently
  ${EndIf}
  ${If} $DatabaseKind == "mysql"
    DetailPrint "The MySQL server and the Harvella database are ready."
  ${Else}
    DetailPrint "The Access database is ready: $INSTDIR\database\harvella.mdb"
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\Harvella_Access.exe"
  File "${PROGRAMS}\HarvellaWinLogMsgs.dll"
  !ifdef SERVER_FILES
    SetOutPath "$INSTDIR\lib"
    File /r "${SERVER_FILES}\*.*"
  !endif
  CreateDirectory "$INSTDIR\run"
  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallPath" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "JavaPath" "$JavaPath"
  WriteRegStr HKLM "${PRODUCT_KEY}" "StartupClassName" "${SERVER_CLASS}"
  WriteRegStr HKLM "${PRODUCT_KEY}" "StartupClassPath" "$INSTDIR\${SERVER_CLASS_PATH}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Harvella Server"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brenwick"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HarvellaDatabase" "$DatabaseKind"

  ${If} $DatabaseKind == "mysql"
    StrCpy $0 "installWithMySQLService ${MYSQL_SERVICE}"
  ${Else}
    StrCpy $0 "install"
  ${EndIf}
  DetailPrint "Harvella_Access $0"
  nsExec::ExecToStack '"$INSTDIR\Harvella_Access.exe" $0'
  Pop $1
  Pop $2
  ${If} $1 != 0
    SetErrorLevel 1
    Abort "The Harvella service could not be installed: $2"
  ${EndIf}
  ; The launcher's dialog shows the start; a failure stays on it for the user.
  DetailPrint "Harvella_Access startsilent"
  ExecWait '"$INSTDIR\Harvella_Access.exe" startsilent' $1
  ${If} $1 != 0
    SetErrorLevel 1
    Abort "Harvella is installed but did not start; the launcher's dialog and the Windows event log (source Harvella) tell why."
  ${EndIf}
SectionEnd

; --- the uninstaller ---------------------------------------------------------------

Section "Uninstall"
  ReadRegStr $DatabaseKind HKLM "${UNINSTALL_KEY}" "HarvellaDatabase"
  DetailPrint "Harvella_Access stopsilent"
  ExecWait '"$INSTDIR\Harvella_Access.exe" stopsilent' $0
  ${If} $0 != 0
    SetErrorLevel 1
    Abort "Harvella did not stop; stop it with $\"Harvella_Access stop$\" and run the uninstaller again."
  ${EndIf}
  ${If} $DatabaseKind == "mysql"
    StrCpy $1 "1|$INSTDIR|MySQL|harvella.config|0|0|0|0|0|0|Uninstall|$INSTDIR\database\tools\porttool.exe|||${MYSQL_PACKAGE_FOLDER}|${MYSQL_SERVICE}|"
    DetailPrint "Quimbo $1"
    nsExec::ExecToStack '"$INSTDIR\database\tools\Quimbo.exe" $1'
    Pop $0
    Pop $2
    ${If} $0 != 0
      SetErrorLevel $0
      Abort "The MySQL server could not be removed (exit code $0): $2"
    ${EndIf}
  ${EndIf}
  DetailPrint "Harvella_Access remove"
  nsExec::ExecToStack '"$INSTDIR\Harvella_Access.exe" remove'
  Pop $0
  Pop $2
  ${If} $0 != 0
    SetErrorLevel 1
    Abort "The Harvella service could not be removed: $2"
  ${EndIf}
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${PRODUCT_KEY}"

  ; The data stays unless the user says otherwise (a silent run keeps it):
  ; the Access database and its backups, the dumps Quimbo took of the MySQL
  ; server's (whose own files went with it).
  ${If} ${FileExists} "$INSTDIR\database\harvella*.mdb"
  ${OrIf} ${FileExists} "$INSTDIR\database\dumps\*.dmp"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Delete the Harvella database, its backups and its dumps in $INSTDIR\database as well?" /SD IDNO IDNO keep
    Delete "$INSTDIR\database\harvella*.mdb"
    Delete "$INSTDIR\database\dumps\*.dmp"
    RMDir "$INSTDIR\database\dumps"
    keep:
  ${EndIf}
  Delete "$INSTDIR\database\scripts\*.sql"
  RMDir "$INSTDIR\database\scripts"
  Delete "$INSTDIR\database\tools\Quimbo.exe"
  Delete "$INSTDIR\database\tools\mdbconvert.exe"
  Delete "$INSTDIR\database\tools\porttool.exe"
  Delete "$INSTDIR\database\tools\dao360.dll"
  RMDir "$INSTDIR\database\tools"
  RMDir "$INSTDIR\database"
  !ifdef SERVER_FILES
    RMDir /r "$INSTDIR\lib"
  !endif
  ; The service's stop request is left for the next start to clear.
  Delete "$INSTDIR\run\stop"
  Delete "$INSTDIR\run\running"
  RMDir "$INSTDIR\run"
  Delete "$INSTDIR\Harvella_Access.exe"
  Delete "$INSTDIR\HarvellaWinLogMsgs.dll"
  Delete "$INSTDIR\harvella.config"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
