#!/usr/bin/env bash
# DKWT.exe is one self-contained program: every DLL it imports is part of
# Windows itself (no MinGW runtime, toolkit or SQLite DLL beside it).
set -u
objdump=$1 exe=$2
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
[ -n "$dlls" ] || { echo "FAIL: no imports read from $exe"; exit 1; }
system='advapi32 bcrypt cfgmgr32 comctl32 comdlg32 crypt32 gdi32 gdiplus imm32 kernel32 msimg32 msvcrt
        ole32 oleacc oleaut32 powrprof psapi rpcrt4 setupapi shell32 shlwapi user32 userenv uxtheme
        version winmm winspool.drv wininet wtsapi32 ws2_32 api-ms-win-crt-*'
failures=0
while read -r dll; do
  name=$(tr '[:upper:]' '[:lower:]' <<<"${dll%.[dD][lL][lL]}")
  ok=0
  for allowed in $system; do
    # shellcheck disable=SC2053  # the list may hold patterns
    [[ $name == $allowed ]] && ok=1
  done
  [ $ok -eq 1 ] || { echo "FAIL: imports $dll, which is not a Windows system DLL"; failures=$((failures + 1)); }
done <<<"$dlls"
echo "imports:" $dlls
exit $failures
