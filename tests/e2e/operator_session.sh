#!/usr/bin/env bash
# An operator's session on the real program under a virtual X server with two screens: the
# audience window comes up on the second screen, a start list is loaded through the file
# dialog, a run is started and stopped with the function keys, the protocol is saved, and the
# program is closed as a window manager closes it, leaving its exit copy and settings behind.
#   operator_session.sh <veltaro binary>
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail

BIN=$1
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for tool in Xvfb xdotool import convert python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

W=$(mktemp -d)
XPID="" APID=""
cleanup() {
    [ -n "$APID" ] && kill "$APID" 2>/dev/null || true
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
    rm -rf "$W"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    ls -la "$W" | sed 's/^/  files: /'
    # What the operator's screen showed, for the test log's reader.
    import -display ":$D.0" -window root "$PWD/e2e-failure.png" 2>/dev/null &&
        echo "  screen at the failure: $PWD/e2e-failure.png"
    [ -f "$W/log" ] && sed 's/^/  program: /' "$W/log"
    exit 1
}

# A display number nobody uses; two screens: the operator's and the TV.
for D in $(seq 71 99); do [ -e "/tmp/.X11-unix/X$D" ] || [ -e "/tmp/.X$D-lock" ] || break; done
Xvfb ":$D" -screen 0 1920x1080x24 -screen 1 1920x1080x24 -nolisten tcp >"$W/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=":$D.0"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The program's own folder (the exit copy lands beside it), home and settings. No contacts
# (Port 0), no sounds, the text file type in the dialogs, the audience window on screen 2.
mkdir -p "$W/bin" "$W/home/.config/Tavoleno" "$W/run"
chmod 700 "$W/run"
cp "$BIN" "$W/bin/veltaro"
export HOME="$W/home" XDG_CONFIG_HOME="$W/home/.config" XDG_DATA_HOME="$W/home/.local/share"
export XDG_RUNTIME_DIR="$W/run" QT_QPA_PLATFORM=xcb LANG=C.UTF-8
cat >"$W/home/.config/Tavoleno/veltaro.conf" <<'EOF'
[General]
Left=0
Top=0
Width=893
Height=495
Port=0
Alg1=0
Alg2=0
Alg3=0
CountBahn=2
FilterInd=2
TimerGesperrt=1000
AllLaufe=6
CountZabegov=2
Monitor=1
MonitorOn=1
TimeFormat=1
AutoTime=99000
Vid=2
Color1=16711680
Color2=32768
KlassCol=0
AllTrasse=0
Title=Stadtcup
isPlaySound=0
isPlaySound1=0
isPlaySound2=0
Lang=0
LiveOn=0
LivePort=8080
LiveBind=
EOF
printf 'St.Nr.\tName, Vorname\tOrt\tKlasse\tDatum\tTurm1\tTurm2\tTurm3\tTurm4\tTurm5\tTurm6\tZeit\tPlatz\t.\t\r\n' >"$W/bin/start.txt"
printf '7\tMüller, Anna\tBern\tA\t\t\t\t\t\t\t\t\t\t\t\r\n9\tPetrov, Ivan\tWien\tA\t\t\t\t\t\t\t\t\t\t\t\r\n' >>"$W/bin/start.txt"

# The first visible window on a screen whose name matches, within a few seconds.
window() { # screen regex [seconds]
    local id
    for _ in $(seq $((${3:-10} * 10))); do
        id=$(xdotool search --onlyvisible --screen "$1" --name "$2" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
gone() { # screen regex [seconds]
    for _ in $(seq $((${3:-10} * 10))); do
        xdotool search --onlyvisible --screen "$1" --name "$2" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
# Opens a file dialog with a key, types a file name into it and confirms it; true when the
# dialog closed without a message. The dialog takes keys only once its name field has the
# focus, and the field's completion list pops up while a path is typed and may swallow a key
# or the Return: those are the virtual keyboard's slips, not the program's, so the whole
# command is tried again (a mistyped name gets the program's message, which is dismissed).
file_command() { # key dialog-regex path
    local dialog message
    for _ in 1 2 3; do
        key "$MAIN" "$1"
        dialog=$(window 0 "$2" 5) || return 1
        sleep 0.5
        xdotool windowfocus --sync "$dialog" 2>/dev/null || true
        xdotool key ctrl+a
        xdotool type --delay 30 "$3"
        sleep 0.3
        xdotool key Return
        gone 0 "$2" 1 || xdotool key Return
        if ! gone 0 "$2" 2; then
            xdotool key Escape
            gone 0 "$2" 2 || return 1
            continue
        fi
        sleep 0.3
        message=$(window 0 '^Veltaro$' 1) || return 0
        echo "  (retrying $1: the program said no to a mistyped name)"
        key "$message" Return
        gone 0 '^Veltaro$' 2 || return 1
    done
    return 1
}
# Keys as a keyboard sends them, to the window that has the focus.
key() { # window key...
    local w=$1
    shift
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key "$@"
}
# The mean brightness (0..1) of a screen's picture.
brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

# The file dialogs open beside the program: the names typed into them need no path, which
# keeps the dialog's completion list out of the way.
"$W/bin/veltaro" >"$W/log" 2>&1 &
APID=$!

MAIN=$(window 0 '^TL-Veltaro' 15) || fail "the main window did not appear"
TV=$(window 1 '^Monitor 2$') || fail "the audience window is not on the second screen"
geometry=$(xwininfo -display ":$D.1" -id "$TV" | sed -n 's/^ *-geometry //p')
[ "$geometry" = "1920x1080+0+0" ] || fail "audience window at $geometry, not the whole TV"
# Escape closes the audience window only on the operator's own screen.
key "$TV" Escape
sleep 0.3
window 1 '^Monitor 2$' 1 >/dev/null || fail "Escape closed the audience window on the TV"

# Load the start list through the file dialog.
file_command ctrl+o '^Open$' start.txt || fail "the start list could not be loaded"

# Two runs of the pair, tracks swapped between them: the clock runs on the TV, then both
# tracks stop, and RESET brings the pair back on the other tracks.
heat() { # picture prefix
    key "$MAIN" F8
    sleep 1.2
    import -display ":$D.1" -window root "$W/$1-running.png"
    key "$MAIN" F4
    sleep 0.3
    key "$MAIN" F6
    sleep 0.5
    import -display ":$D.1" -window root "$W/$1-stopped.png"
    key "$MAIN" F9
    sleep 0.3
}
heat first
heat second
running=$(brightness "$W/first-running.png")
awk -v a="$running" 'BEGIN { exit !(a > 0.01) }' ||
    fail "the TV shows no digits while the clock runs (brightness $running)"
[ "$(compare -metric AE "$W/first-running.png" "$W/first-stopped.png" null: 2>&1 || true)" != "0" ] ||
    fail "the TV did not change between the running and the stopped clock"

# Save under a name of the operator's own.
file_command ctrl+s '^Save' heat1.txt || fail "the protocol could not be saved"
[ -s "$W/bin/heat1.txt" ] || fail "the protocol was not saved"

# Close as a window manager does; answer the question if one comes.
python3 "$HERE/wm_close.py" "$MAIN"
if ASK=$(window 0 '^Bestätigen$' 2); then key "$ASK" Return; fi
for _ in $(seq 100); do kill -0 "$APID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APID" 2>/dev/null && fail "the program did not end"
wait "$APID" || fail "the program ended with status $?"
APID=""

# Each participant has one time per track, in the saved protocol and in the exit copy; the
# results are sums of two times, and the settings were written back.
for file in "$W/bin/heat1.txt" "$W/bin/veltaro.txt"; do
    [ -s "$file" ] || fail "$file is missing"
    for nr in 7 9; do
        line=$(grep -a "^$nr	" "$file") || fail "$file has no row for $nr"
        IFS=$'\t' read -r -a cells <<<"$line"
        [[ "${cells[5]}" =~ ^[0-9:]*[0-9],[0-9][0-9]$ ]] || fail "$file: $nr has no Turm1 time: $line"
        [[ "${cells[6]}" =~ ^[0-9:]*[0-9],[0-9][0-9]$ ]] || fail "$file: $nr has no Turm2 time: $line"
    done
done
grep -q '^Monitor=1' "$W/home/.config/Tavoleno/veltaro.conf" || fail "the settings were not written back"
echo "PASS: operator session (display :$D)"
