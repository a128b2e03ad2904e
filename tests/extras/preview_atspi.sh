#!/bin/bash
# The clean-up preview as a screen reader sees it: the real DKWT under a
# private X server and AT-SPI bus, on generated browser profiles; a box ticked
# and "Preview" pressed through AT-SPI, then the dialog's total, progress bar,
# tree and buttons must carry names. With a third argument the screen is
# saved there as a PNG (the README's screenshot).
# usage: preview_atspi.sh <DKWT binary> <dkwt_make_profiles> <atspi tool folder> [screenshot.png]
set -u
DKWT=$1
MAKE_PROFILES=$2
TOOLS=${3:-}
SHOT=${4:-}
if [ ! -x "$TOOLS/run_under_atspi.sh" ] || ! /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
    echo "AT-SPI tools not available: skipped"
    exit 77
fi
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$T/home/Desktop" "$T/tmp/build"
"$MAKE_PROFILES" "$T/home" 400 900 20 60 300 >/dev/null || { echo "profiles not made"; exit 1; }
for i in $(seq 1 40); do head -c $((i * 2000)) /dev/zero > "$T/tmp/build/part$i.o"; done
cat > "$T/app.sh" <<APP
#!/bin/bash
export HOME=$T/home XDG_CONFIG_HOME=$T/home/.config XDG_DATA_HOME=$T/home/.local/share
export XDG_CACHE_HOME=$T/home/.cache TMP=$T/tmp TMPDIR=$T/tmp DKWT_DRY_RUN=$T/dry-run.log DKWT_MOUNTINFO=/dev/null
if [ "\$(id -u)" = 0 ] && unshare --pid --fork --mount-proc true 2>/dev/null; then
    exec unshare --pid --fork --mount-proc "$DKWT"
fi
exec "$DKWT"
APP
chmod +x "$T/app.sh"
NAME=$(basename "$DKWT")
ENVF=$(bash "$TOOLS/run_under_atspi.sh" --detach "$T/app.sh") || { echo "cannot start under AT-SPI"; exit 1; }
stop() { bash "$TOOLS/run_under_atspi.sh" --stop "$ENVF"; }
fail() { echo "FAIL: $*"; stop; exit 1; }
do_() { /usr/bin/python3 "$TOOLS/atspi_do.py" --env "$ENVF" "$NAME" "$@" >/dev/null 2>&1; }

for _ in $(seq 40); do
    do_ --role "combo box" --desc "Select Task" select "Clean Up Task" && break
    sleep 0.5
done
for box in "Delete Temporary Files"; do
    for _ in $(seq 20); do do_ --role "check box" --name "$box" check on && break; sleep 0.5; done
done
# Chrome, then Firefox: their tree rows, then their own "Select All" (a
# pressed one is called "Unselect All", so the later ones come first).
for pair in "4 3" "2 1"; do
    set -- $pair
    do_ --role "tree table" select-row "$1"
    sleep 0.3
    for _ in $(seq 10); do do_ --role "toggle button" --name "Select All" --nth "$2" click && break; sleep 0.3; done
done
do_ --role "push button" --name "Preview" click || fail "no Preview button"
for _ in $(seq 60); do
    /usr/bin/python3 "$TOOLS/atspi_dump.py" --env "$ENVF" "$NAME" > "$T/dump.txt" 2>&1
    grep -q '"Total: [0-9]' "$T/dump.txt" && break
    sleep 0.5
done
grep -q '"Total: [0-9]' "$T/dump.txt" || { cat "$T/dump.txt" | tail -30; fail "the preview did not finish"; }
if [ -n "$SHOT" ]; then
    sleep 1
    export DISPLAY=$(grep '^DISPLAY=' "$ENVF" | cut -d= -f2)
    window=$(xdotool search --name '^Clean-up preview$' | head -n 1)
    import -window "${window:-root}" "$SHOT" || fail "no screenshot"
fi

/usr/bin/python3 - "$T/dump.txt" <<'CHECK' || fail "names missing (see above)"
import re, sys
lines = open(sys.argv[1]).read().splitlines()
start = next(i for i, l in enumerate(lines) if '"Clean-up preview"' in l)
rows = []
for line in lines[start + 1:]:
    m = re.match(r'^(\S+)\s+\d+\s+(.*?)\t"(.*?)"(.*)$', line)
    if m:
        rows.append((m.group(2).strip(), m.group(3), m.group(4)))
names = {(role, name) for role, name, _ in rows}
bad = []
for wanted in [("push button", "Cancel"), ("push button", "Close"), ("progress bar", "Progress"),
               ("table", "What the clean-up would delete")]:
    if wanted not in names:
        bad.append("missing %s %s" % wanted)
if not any(role == "label" and name.startswith("Total: ") for role, name, _ in rows):
    bad.append("no total")
cells = [name for role, name, _ in rows if role == "table cell"]
for item in ["Free space: Delete Temporary Files", "Firefox: Empty the Cache", "Chrome: Delete Cookies"]:
    if item not in cells:
        bad.append("tree item " + item)
for role, name, rest in rows:
    if role in ("push button", "progress bar", "table") and not name:
        bad.append("unnamed " + role + rest)
for b in bad:
    print(b)
sys.exit(1 if bad else 0)
CHECK
stop
echo "preview dialog on AT-SPI: ok"
