@echo off
rem Removes what install.cmd added.
for %%K in (Directory Drive) do (
  reg delete "HKCU\Software\Classes\%%K\shell\Vorelkin" /f >nul 2>&1
  reg delete "HKCU\Software\Classes\%%K\shell\VorelkinList" /f >nul 2>&1
)
reg delete "HKCU\Software\Classes\Directory\Background\shell\VorelkinList" /f >nul 2>&1
echo Vorelkin を右クリックメニューから削除しました。
exit /b 0
