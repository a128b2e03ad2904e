#!/usr/bin/env bash
# The whole clean-up on Windows: a Wine prefix made for this test alone is
# seeded with files in every place the clean-up items name, generated Firefox
# and Chromium-family profiles, links to an outside folder inside Temp and
# inside a cache, and registry values; DKWT.exe then runs a task file with
# every item and ends by itself. Each item must delete what it names and
# nothing else: the links' targets, the bookmarks and Software\Duskwatch stay.
#   windows_task_cleanup.sh <DKWT.exe> <dkwt_make_profiles.exe> <tools/wine-run>
# The expectations are tables: one line per path or registry value.
set -u
exe=$1
make_profiles=$2
wine_run=$3
work=$(mktemp -d)
export DKWT_WINEPREFIX=$work/wine
# Wine links the profile's desktop and documents to the Unix home's: a
# throw-away home, so that nothing of this run reaches a real one.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
       XDG_CACHE_HOME=$work/home/.cache TMP=$work/tmp TMPDIR=$work/tmp
mkdir -p "$HOME" "$TMP"
trap 'WINEPREFIX=$DKWT_WINEPREFIX wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
w() { "$wine_run" "$@" 2>/dev/null | tr -d '\r'; }
q() { sqlite3 "file:$1?mode=ro" "$2"; }

# The prefix's own user is the test's throw-away user.
profile_w=$(w cmd /c echo %USERPROFILE%)
[ -n "$profile_w" ] && [ "$profile_w" != "%USERPROFILE%" ] || { echo "no Wine prefix"; exit 1; }
profile=$(w winepath -u "$profile_w")
profile=${profile%/}
case $profile in "$work"/*) ;; *) echo "the profile $profile is not inside the test's prefix"; exit 1 ;; esac
roaming=$profile/AppData/Roaming
local=$profile/AppData/Local
low=$profile/AppData/LocalLow
shared_data=$DKWT_WINEPREFIX/drive_c/ProgramData
tmp=$local/Temp
outside=$work/outside
mkdir -p "$outside/inner" "$tmp" && echo precious >"$outside/keep.txt" && echo deep >"$outside/inner/deep.txt"

# The folders of the system's browser, named where every Windows of today keeps them.
cat >"$work/seed.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]
"Cache"="${profile_w//\\/\\\\}\\\\AppData\\\\Local\\\\Microsoft\\\\Windows\\\\INetCache"
"Cookies"="${profile_w//\\/\\\\}\\\\AppData\\\\Local\\\\Microsoft\\\\Windows\\\\INetCookies"
"History"="${profile_w//\\/\\\\}\\\\AppData\\\\Local\\\\Microsoft\\\\Windows\\\\History"
"CD Burning"="${profile_w//\\/\\\\}\\\\AppData\\\\Local\\\\Microsoft\\\\Windows\\\\Burn\\\\Burn"

[HKEY_CURRENT_USER\\Environment]
"TMP"="${profile_w//\\/\\\\}\\\\AppData\\\\Local\\\\Temp"
"TEMP"="${profile_w//\\/\\\\}\\\\AppData\\\\Local\\\\Temp"

[HKEY_CURRENT_USER\\Software\\Duskwatch]
"Log deleted files"="Yes"

[HKEY_CURRENT_USER\\Software\\Duskwatch\\Kept]
"Value"="stays"
EOF
while IFS='|' read -r key value; do
  [ -n "$key" ] && printf '\n[HKEY_CURRENT_USER\\%s]\n"%s"="secret"\n' "${key//\\/\\\\}" "$value" >>"$work/seed.reg"
done <<'EOF'
Software\Microsoft\Windows\CurrentVersion\Applets\Regedit|LastKey
Software\Microsoft\Windows\CurrentVersion\Applets\Paint\Recent File List|File1
Software\Microsoft\Windows\CurrentVersion\Applets\Wordpad\Recent File List|File1
Software\Microsoft\MediaPlayer\Player\RecentFileList|File0
Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU|a
Software\Microsoft\Internet Explorer\TypedURLs|url1
Software\Microsoft\Internet Explorer\New Windows\Allow|example.org
EOF
w regedit /S "$(w winepath -w "$work/seed.reg")"

# One file or folder per line: "gone" or "kept", then the path.
expectations=$work/expectations
seed() {  # seed <gone|kept> <path> [content]: a file
  mkdir -p "$(dirname "$2")" && printf '%s' "${3:-data}" >"$2" && echo "$1 $2" >>"$expectations"
}
seed gone "$tmp/a.txt"
seed gone "$tmp/build/obj/x.o"
ln -s "$outside" "$tmp/outside-link"
seed gone "$low/Microsoft/CryptnetUrlCache/Content/ABCD"
seed gone "$low/Microsoft/CryptnetUrlCache/MetaData/ABCD"
seed gone "$local/Microsoft/Windows/WER/ReportArchive/AppCrash_x/Report.wer"
seed gone "$shared_data/Microsoft/Windows/WER/ReportQueue/AppCrash_y/Report.wer"
seed gone "$local/Microsoft/Windows/Explorer/thumbcache_256.db"
seed kept "$local/Microsoft/Windows/Explorer/iconcache_256.db"
seed gone "$local/Microsoft/Windows/Burn/Burn/staged/disc.iso"
seed gone "$roaming/Microsoft/MSN Messenger/1234/usage.sqm"
seed kept "$roaming/Microsoft/MSN Messenger/contacts.xml"
seed gone "$roaming/Adobe/Flash Player/AssetCache/X1/cache.swz"
seed gone "$roaming/Macromedia/Flash Player/#SharedObjects/X2/site/settings.sol"
seed gone "$low/Sun/Java/Deployment/log/plugin.trace"
seed gone "$low/Sun/Java/Deployment/cache/6.0/12/applet.jar"
seed kept "$low/Sun/Java/Deployment/deployment.properties"
seed gone "$profile/Searches/Everywhere.search-ms"
seed kept "$profile/Searches/desktop.ini"
seed gone "$roaming/Microsoft/Windows/Recent/AutomaticDestinations/1b4dd67f29cb1962.automaticDestinations-ms"
seed gone "$roaming/Microsoft/Windows/Recent/CustomDestinations/28c8b86deab549a1.customDestinations-ms"
seed gone "$local/Microsoft/Windows/INetCache/IE/ABC123/page[1].htm"
ln -s "$outside" "$local/Microsoft/Windows/INetCache/IE/outside-link"
seed gone "$local/Microsoft/Windows/INetCookies/user@example[1].txt"
seed gone "$local/Microsoft/Windows/History/History.IE5/MSHist01/container.dat"
seed gone "$roaming/Microsoft/Windows/IEDownloadHistory/index.dat.log"
seed gone "$local/Microsoft/Internet Explorer/Recovery/Active/{1}.dat"
seed gone "$low/Microsoft/Internet Explorer/DOMStore/ABC/example[1].xml"
seed gone "$roaming/Microsoft/Internet Explorer/UserData/Low/X/data.xml"
seed gone "$local/Microsoft/Feeds Cache/ABC/feed.xml"
# What no item names stays.
seed kept "$profile/Documents/report.odt"
seed kept "$roaming/Microsoft/Windows/Recent/document.lnk"
seed kept "$local/Microsoft/Windows/Explorer/ExplorerStartupLog.etl"
# Folders that the walks empty but keep.
for folder in "$tmp" "$local/Microsoft/Windows/INetCache" "$roaming/Adobe/Flash Player/AssetCache"; do
  echo "kept $folder" >>"$expectations"
done

# Browsers: generated where Windows keeps them; an installed Firefox.
w "$make_profiles" --windows "$profile_w" 2000 4000 200 500 300 >/dev/null || { echo "cannot make profiles"; exit 1; }
mkdir -p "$DKWT_WINEPREFIX/drive_c/Program Files/Mozilla Firefox"
printf '[App]\nVendor=Mozilla\nName=Firefox\nVersion=153.8.0\n' \
  >"$DKWT_WINEPREFIX/drive_c/Program Files/Mozilla Firefox/application.ini"
ff=$roaming/mozilla/firefox/k3xq9v2a.default-esr
ffcache=$local/mozilla/firefox/k3xq9v2a.default-esr
bookmarks_before=$(q "$ff/places.sqlite" "SELECT group_concat(guid || fk, ',') FROM moz_bookmarks")
echo "gone $ff/cookies.sqlite" >>"$expectations"
echo "gone $ff/formhistory.sqlite" >>"$expectations"
echo "kept $ff/key4.db" >>"$expectations"
echo "kept $ff/prefs.js" >>"$expectations"
echo "kept $ff/places.sqlite" >>"$expectations"

# Every item of the program.
mkdir -p "$roaming/DKWT-Tasks"
task=$roaming/DKWT-Tasks/cleanup.stask
cat >"$task" <<'EOF'
[CLEANUP]
Cache=InternetExplorer,Firefox,Opera,Chrome,Safari
Browser_History=InternetExplorer,Firefox,Opera,Chrome,Safari
Typed_Urls=InternetExplorer,Opera
Auto_Complete=InternetExplorer,Firefox
Cookies=InternetExplorer,Firefox,Opera,Chrome,Safari
Saved_Usernames_Passwords=InternetExplorer,Firefox,Opera,Chrome,Safari
Internet_Explorer_Specific=Userdata,RssCache,Compatibility,Popups
Download=Firefox,Opera
Session=Firefox,Opera
Safari_Specific=Previews
Free_Space=Temp,RecycleBin,CryptoApiCache,WindowsErrorReports,Thumbnails,TempBurnFiles,MsnSqmFiles,FlashPlayer,Java
History=SavedWindowInformation,RegistryEditor,MsPaint,WordPad,WindowsMediaPlayer,OpenCloseDialogs,InternetSearchAssistent,ComputerSearch,FileSearch,SearchHistory,RunHistory,AccessedPrograms,RecentDocumentsList,MSN,Clipboard
EOF

actions=$work/actions
: >"$actions"
export DKWT_DRY_RUN
DKWT_DRY_RUN=$(w winepath -w "$actions")
mkdir -p "$profile/Desktop"
timeout 180 "$wine_run" "$exe" -task "$(w winepath -w "$task")" >"$work/out" 2>&1
rc=$?
[ $rc -ne 124 ] || fail "DKWT did not end by itself"
[ $rc -eq 0 ] || fail "DKWT exit status $rc: $(cat "$work/out")"

while read -r expect path; do
  if [ "$expect" = gone ]; then
    [ ! -e "$path" ] || fail "left: ${path#"$profile"/}"
  elif [ ! -e "$path" ]; then
    fail "deleted: ${path#"$profile"/}"
  fi
done <"$expectations"
[ -z "$(find "$tmp" -mindepth 1 -not -name outside-link)" ] || fail "Temp still holds: $(find "$tmp" -mindepth 1)"
[ -e "$outside/keep.txt" ] && [ -e "$outside/inner/deep.txt" ] || fail "a link's target lost its files"
[ -z "$(find "$low/Microsoft/CryptnetUrlCache" -type f)" ] || fail "CryptoAPI cache files left"

# Browsers: every profile of every family, bookmarks kept.
[ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_historyvisits")" = 0 ] || fail "Firefox visits left"
[ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_places")" = 200 ] || fail "Firefox places: not the bookmarked ones"
[ "$(q "$ff/places.sqlite" "SELECT group_concat(guid || fk, ',') FROM moz_bookmarks")" = "$bookmarks_before" ] ||
  fail "Firefox bookmarks changed"
[ "$(q "$ff/places.sqlite" "PRAGMA integrity_check")" = ok ] || fail "places.sqlite damaged"
[ -z "$(find "$ffcache/cache2" -type f)" ] || fail "Firefox cache left"
for user_data in "$local/Google/Chrome/User Data" "$local/Microsoft/Edge/User Data" \
                 "$local/BraveSoftware/Brave-Browser/User Data" "$local/Vivaldi/User Data" "$local/Chromium/User Data"; do
  for p in "$user_data"/Default "$user_data"/Profile*; do
    [ -d "$p" ] || continue
    [ "$(q "$p/History" "SELECT count(*) FROM visits")" = 0 ] || fail "visits left in $p"
    [ "$(q "$p/History" "SELECT count(*) FROM urls")" = 200 ] || fail "urls of $p: not the bookmarked ones"
    [ "$(q "$p/History" "PRAGMA integrity_check")" = ok ] || fail "History of $p damaged"
    [ ! -e "$p/Cookies" ] || [ "$(q "$p/Cookies" "SELECT count(*) FROM cookies")" = 0 ] || fail "cookies left in $p"
    [ -z "$(find "$p/Cache" "$p/Code Cache" "$p/GPUCache" -type f 2>/dev/null)" ] || fail "caches left in $p"
    [ -e "$p/Bookmarks" ] || fail "Bookmarks of $p deleted"
  done
  [ -e "$user_data/Local State" ] || fail "Local State of $user_data deleted"
done
[ -d "$local/Google/Chrome/User Data/Profile 1" ] || fail "the second Chrome profile is missing"
opera=$roaming/Opera\ Software/Opera\ Stable
[ "$(q "$opera/History" "SELECT count(*) FROM visits")" = 0 ] || fail "Opera visits left"
[ -e "$opera/Bookmarks" ] || fail "Opera bookmarks deleted"

# Registry: the histories go, the program's own key stays.
reg_value() { w reg query "HKCU\\$1" /v "$2" | grep -cE "^ +$2 +REG_"; }
[ "$(reg_value 'Software\Duskwatch\Kept' Value)" = 1 ] || fail "Software\\Duskwatch lost its value"
while IFS='|' read -r key value; do
  [ -z "$key" ] || [ "$(reg_value "$key" "$value")" = 0 ] || fail "registry value left: $key\\$value"
done <<'EOF'
Software\Microsoft\Windows\CurrentVersion\Applets\Regedit|LastKey
Software\Microsoft\Windows\CurrentVersion\Applets\Paint\Recent File List|File1
Software\Microsoft\Windows\CurrentVersion\Applets\Wordpad\Recent File List|File1
Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU|a
Software\Microsoft\Internet Explorer\TypedURLs|url1
Software\Microsoft\Internet Explorer\New Windows\Allow|example.org
EOF

# The deleted-files log names what went by the system's own paths.
log=$(ls "$profile/Desktop"/DKWT_*_.log 2>/dev/null | head -1)
if [ -z "$log" ]; then
  fail "no deleted-files log"
else
  grep -aq 'FILE:.*AppData\\Local\\Temp\\build\\obj\\x.o' "$log" || fail "the log lacks Temp's file: $(head -5 "$log")"
  grep -aq 'Total Space freed' "$log" || fail "the log has no total"
fi
grep -v '^$' "$actions" | grep -qv '^close' && fail "the run acted on the system: $(cat "$actions")"
# Wine's URL history object ends before ClearHistory: the history item logs
# E_NOTIMPL with its own message, and nothing else may be logged.
for errors in "$profile/Desktop"/DKWT_Error_*; do
  [ -e "$errors" ] || continue
  grep -a 'Error Code' "$errors" | grep -av "cleaning IE's History\. Error Code.*-2147467263" | grep -q . &&
    fail "errors were logged: $(cat "$errors")"
done

[ $failures -eq 0 ] && echo "Windows clean-up task run: ok"
exit $failures
