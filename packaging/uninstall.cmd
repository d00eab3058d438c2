@echo off
rem Removes what install.cmd added.
reg delete "HKCU\Software\Classes\Directory\shell\Vorelkin" /f >nul 2>&1
reg delete "HKCU\Software\Classes\Drive\shell\Vorelkin" /f >nul 2>&1
echo Vorelkin を右クリックメニューから削除しました。
exit /b 0
