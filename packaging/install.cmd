@echo off
rem Adds "Vorelkin" to the context menu of folders and drives, and "状態の一覧"
rem to them and to the background of a folder window, for the current user
rem only. Run it from the folder that holds Vorelkin.exe.
setlocal DisableDelayedExpansion
rem Plain errorlevel checks: Wine's cmd mishandles "|| exit /b" in a called label.
rem The path stands only inside quotes, or as a FOR variable, whose value is
rem never parsed again: & ^ % ! ( ) in it stay plain characters.
set "EXE=%~dp0Vorelkin.exe"
if not exist "%EXE%" goto missing
call :mark Directory
if errorlevel 1 goto failed
call :mark Drive
if errorlevel 1 goto failed
rem %1 names the folder or drive clicked; %V the folder whose window it is.
call :list Directory 1
if errorlevel 1 goto failed
call :list Drive 1
if errorlevel 1 goto failed
call :list Directory\Background V
if errorlevel 1 goto failed
echo Vorelkin をフォルダとドライブの右クリックメニューに追加しました。
exit /b 0

:mark
set "KEY=HKCU\Software\Classes\%~1\shell\Vorelkin"
reg add "%KEY%" /ve /d "状態アイコンを付ける(&V)..." /f >nul
if errorlevel 1 exit /b 1
for %%E in ("%EXE%") do reg add "%KEY%" /v Icon /d "\"%%~E\"" /f >nul
if errorlevel 1 exit /b 1
rem Offered for up to 100 selected folders: one launch each, joining the first.
reg add "%KEY%" /v MultiSelectModel /d Player /f >nul
if errorlevel 1 exit /b 1
for %%E in ("%EXE%") do reg add "%KEY%\command" /ve /d "\"%%~E\" \"%%1\"" /f >nul
if errorlevel 1 exit /b 1
exit /b 0

rem One overview window is for one folder.
:list
set "KEY=HKCU\Software\Classes\%~1\shell\VorelkinList"
reg add "%KEY%" /ve /d "状態の一覧(&L)..." /f >nul
if errorlevel 1 exit /b 1
for %%E in ("%EXE%") do reg add "%KEY%" /v Icon /d "\"%%~E\"" /f >nul
if errorlevel 1 exit /b 1
reg add "%KEY%" /v MultiSelectModel /d Single /f >nul
if errorlevel 1 exit /b 1
for %%E in ("%EXE%") do reg add "%KEY%\command" /ve /d "\"%%~E\" /list \"%%%~2\"" /f >nul
if errorlevel 1 exit /b 1
exit /b 0

:missing
echo Vorelkin.exe が見つかりません: "%EXE%"
exit /b 1

:failed
echo 右クリックメニューに追加できませんでした。
exit /b 1
