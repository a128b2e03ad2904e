#!/bin/bash
# What a screen reader sees of the extras window: the real DKWT under a
# private X server and AT-SPI bus, "StandBy/Wake-Up" chosen through AT-SPI,
# then every tab, tree item, switch and check box must carry its name.
# usage: extras_atspi.sh <DKWT binary> <atspi tool folder>
set -u
DKWT=$1
TOOLS=${2:-}
if [ ! -x "$TOOLS/run_under_atspi.sh" ] || ! /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
    echo "AT-SPI tools not available: skipped"
    exit 77
fi
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$T/home/Desktop"
cat > "$T/app.sh" <<APP
#!/bin/bash
export HOME=$T/home XDG_CONFIG_HOME=$T/home/.config XDG_DATA_HOME=$T/home/.local/share
export XDG_CACHE_HOME=$T/home/.cache TMP=$T/tmp DKWT_DRY_RUN=$T/dry-run.log
# Alone in its own process list, so another Duskwatch cannot count as a second copy.
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

for _ in $(seq 40); do
    /usr/bin/python3 "$TOOLS/atspi_do.py" --env "$ENVF" "$NAME" --role "combo box" --desc "Select Task" select "StandBy/Wake-Up" \
        >/dev/null 2>&1 && break
    sleep 0.5
done
for _ in $(seq 40); do
    /usr/bin/python3 "$TOOLS/atspi_dump.py" --env "$ENVF" "$NAME" > "$T/dump.txt" 2>&1
    grep -q 'frame	"Configure Standby: "' "$T/dump.txt" && break
    sleep 0.5
done
grep -q 'frame	"Configure Standby: "' "$T/dump.txt" || fail "the extras window did not open"

/usr/bin/python3 - "$T/dump.txt" <<'CHECK' || fail "names missing (see above)"
import re, sys
lines = open(sys.argv[1]).read().splitlines()
start = next(i for i, l in enumerate(lines) if 'frame\t"Configure Standby: "' in l)
rows = []
for line in lines[start + 1:]:
    m = re.match(r'^(\S+)\s+\d+\s+(.*?)\t"(.*?)"(.*)$', line)
    if not m:
        continue
    if re.match(r'^\S+\s+1\s', line):
        break  # the next top-level window
    rows.append((m.group(2).strip(), m.group(3), m.group(4)))
names = {(role, name) for role, name, _ in rows}
bad = []
for tab in ["Cleanup", "Alarm", "Monitor", "Wakeup", "Launch a file", "Options"]:
    if ("page tab", tab) not in names:
        bad.append("tab " + tab)
for item in ["Browsers", "Internet Explorer", "Firefox", "Opera", "Chrome", "Safari", "Common", "Free space", "History"]:
    if ("table cell", item) not in names:
        bad.append("tree item " + item)
for switch in ["Alarm ON/OFF", "Monitor wake-up ON/OFF", "System wake-up ON/OFF", "Launch a file ON/OFF"]:
    if ("toggle button", switch) not in names:
        bad.append("switch " + switch)
boxes = [name for role, name, _ in rows if role == "check box"]
if len(boxes) < 57 + 4:  # the clean-up items, two alarm boxes, exit after launch, reminder
    bad.append("only %d check boxes" % len(boxes))
for role, name, rest in rows:
    if role in ("check box", "toggle button", "push button", "spin button", "slider", "radio button") and not name:
        bad.append("unnamed " + role + rest)
if not any(role == "page tab" and name == "Wakeup" and "selected" in rest for role, name, rest in rows):
    bad.append("the Wakeup page is not the one shown")
for b in bad:
    print(b)
sys.exit(1 if bad else 0)
CHECK
stop
echo "extras window on AT-SPI: ok"
