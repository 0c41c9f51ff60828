@echo off
rem protect.cmd: has the documents protected by FraskPdfCmd and tells every outcome apart.
rem
rem   protect.cmd INPUT OUTPUT
rem
rem INPUT is a document, a folder or a wildcard pattern, OUTPUT a file or a folder (a folder
rem when INPUT has wildcards). Quote a path with blanks, and end no quoted path with a
rem backslash ("C:\out\" would escape the closing quote):
rem
rem   protect.cmd "C:\My Documents\*.pdf" "C:\Protected"
rem
rem Set the protection options on the line that runs FraskPdfCmd below. The exit code is 0
rem only when the task finished; 1 when the plug-in aborted it (the tool itself exits 0 then);
rem otherwise the tool's own exit code (see README.txt).

setlocal
if "%~2"=="" (
    echo Usage: %~nx0 INPUT OUTPUT
    exit /b 2
)
rem The tool and the inspector beside this file, whatever the current folder and PATH are.
set "TOOL=%~dp0FraskPdfCmd.exe"
set "TASKS=%~dp0FraskPdfTasks.exe"
set "LOG=%TEMP%\FraskPdfCmd-%RANDOM%-%RANDOM%.log"

rem -i takes the rest of the line, so it comes last. The console output goes to the log as well,
rem since only its last line tells a finished task from an aborted one.
"%TOOL%" -startacrobat -f:10 -p:13 -k:LS -perm:PRINT_LOW "-o:%~2" "-i:%~1" > "%LOG%"
set "RESULT=%ERRORLEVEL%"
type "%LOG%"

rem Exact comparisons: "if errorlevel N" would also be true for every code above N.
rem A LastError of 2147483648 or more shows as a negative %ERRORLEVEL%.
if %RESULT% LSS 0 goto plugin_error
if %RESULT% EQU 0 goto ended
if %RESULT% EQU 1000 goto not_accepted
if %RESULT% EQU 2001 goto command_line
if %RESULT% EQU 3000 goto no_acrobat
if %RESULT% EQU 3002 goto no_start
if %RESULT% GEQ 3500 if %RESULT% LEQ 3601 goto plugin_error
echo Protection failed with OV%RESULT% (see the message above).
goto failed

:ended
rem Exit code 0 means that the task ended: finished, or aborted by the plug-in without an error
rem number. Only the console line tells them apart.
"%SystemRoot%\System32\find.exe" "Task finished at" "%LOG%" > nul
if %ERRORLEVEL% EQU 0 goto protected
"%SystemRoot%\System32\find.exe" "Task aborted at" "%LOG%" > nul
if %ERRORLEVEL% EQU 0 goto aborted
echo The outcome could not be read from the tool's output: the documents may not be protected.
set "RESULT=1"
goto failed

:protected
echo All documents protected.
del "%LOG%"
exit /b 0

:aborted
echo The plug-in aborted the task: the documents were NOT protected.
set "RESULT=1"
goto failed

:not_accepted
echo The plug-in did not take the task. The request stays in the task folder, and a plug-in
echo that comes back later may still process it: remove it with "%TOOL%" -clear:ALL
echo once no other job runs, or find it with "%TASKS%" (State Request).
goto failed

:command_line
echo The command line is incomplete (see the usage text above).
goto failed

:no_acrobat
echo Acrobat with the Veilgard PDF plug-in is not running.
goto failed

:no_start
echo Acrobat could not be started: check its installation (App Paths registry key).
goto failed

:plugin_error
echo The plug-in could not protect the documents: error %RESULT% (the OV line above shows its
echo number in full).
goto failed

:failed
"%TASKS%"
del "%LOG%"
exit /b %RESULT%
