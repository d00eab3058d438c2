@echo off
rem Adds "Vorelkin" to the context menu of folders and drives, for the
rem current user only. Run it from the folder that holds Vorelkin.exe.
setlocal
rem Plain errorlevel checks: Wine's cmd mishandles "|| exit /b" in a called label.
set "EXE=%~dp0Vorelkin.exe"
if not exist "%EXE%" goto missing
call :register Directory
if errorlevel 1 goto failed
call :register Drive
if errorlevel 1 goto failed
echo Vorelkin をフォルダとドライブの右クリックメニューに追加しました。
exit /b 0

:register
set "KEY=HKCU\Software\Classes\%~1\shell\Vorelkin"
reg add "%KEY%" /ve /d "状態アイコンを付ける(&V)..." /f >nul
if errorlevel 1 exit /b 1
reg add "%KEY%" /v Icon /d "\"%EXE%\"" /f >nul
if errorlevel 1 exit /b 1
rem Offered for up to 100 selected folders: one launch each, joining the first.
reg add "%KEY%" /v MultiSelectModel /d Player /f >nul
if errorlevel 1 exit /b 1
reg add "%KEY%\command" /ve /d "\"%EXE%\" \"%%1\"" /f >nul
if errorlevel 1 exit /b 1
exit /b 0

:missing
echo Vorelkin.exe が見つかりません: %EXE%
exit /b 1

:failed
echo 右クリックメニューに追加できませんでした。
exit /b 1
