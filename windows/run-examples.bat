@echo off
rem Runs TESSERLINK on the control card of every example folder, writing each
rem report and a results folder beside the card. A card names its data files
rem relative to the folder it is run in, so each run happens in its folder.
rem Copy this file and change the folder and the options for your own cards.
setlocal
set "program=%~dp0tesserlink.exe"
set failed=0
pushd "%~dp0examples"
for /d %%F in (*) do (
  pushd "%%F"
  echo %%F
  "%program%" --results results card.txt
  if errorlevel 1 set failed=1
  popd
)
popd
if "%failed%"=="1" echo Some cards failed: see the lines above.
endlocal
