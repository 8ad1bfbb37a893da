@echo off
rem Sendwarden: 設定ファイルを確かめます。ダブルクリックで実行してください。
rem sendwarden-check.exe と Sendwarden.conf と同じフォルダーに置いて使います。
setlocal
cd /d "%~dp0"
if not exist "sendwarden-check.exe" (
  echo sendwarden-check.exe がこのフォルダーにありません。zip の中から実行していませんか。
  echo zip からすべてのファイルを取り出し、sendwarden-check.exe と同じフォルダーでこのファイルを実行してください。
  echo.
  pause
  exit /b 2
)
echo Sendwarden の設定ファイル Sendwarden.conf を確かめます。
echo.
sendwarden-check.exe lint --lang ja Sendwarden.conf
set RESULT=%ERRORLEVEL%
echo.
if "%RESULT%"=="0" echo 結果: 無効な行や誤りはありません。警告があれば、上の内容を確かめてください。
if "%RESULT%"=="1" echo 結果: 無効な行か誤りがあります。上の内容を見て、設定ファイルを直してください。
if "%RESULT%"=="2" echo 結果: 設定ファイルを読めませんでした。このファイルと同じフォルダーに Sendwarden.conf があるか確かめてください。
echo.
pause
exit /b %RESULT%
