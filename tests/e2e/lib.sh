# What the sessions on the real program share: a virtual X server with two screens (the
# operator's and the TV), a throw-away home with settings, the program copied into a folder of
# its own (its exit copy lands beside it), a window manager on each screen, and the operator's
# hands: keys, file dialogs and the window manager's close.
#   source lib.sh <veltaro binary>; write_settings [Name=value ...]; start_program
# Exits 77 (skipped) when a tool is missing.
BIN=$1
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for tool in Xvfb openbox xprop xdotool import convert python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

W=$(mktemp -d)
XPID="" APID="" WMPIDS=""
cleanup() {
    [ -n "$APID" ] && kill "$APID" 2>/dev/null || true
    for pid in $WMPIDS; do kill "$pid" 2>/dev/null || true; done
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

# Two screens: the operator's and the TV. The server picks a display number nobody uses, so
# sessions can run side by side.
D=""
Xvfb -displayfd 3 -screen 0 1920x1080x24 -screen 1 1920x1080x24 -nolisten tcp \
    3>"$W/display" >"$W/xvfb.log" 2>&1 &
XPID=$!
for _ in $(seq 100); do
    D=$(cat "$W/display" 2>/dev/null || true)
    [ -n "$D" ] && break
    sleep 0.1
done
[ -n "$D" ] || { echo "FAIL: the virtual X server did not start"; cat "$W/xvfb.log"; exit 1; }
export DISPLAY=":$D.0"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The program's own folder (the exit copy lands beside it) and home. Pages the program opens
# in the browser are noted instead of opened.
mkdir -p "$W/bin" "$W/home/.config/Tavoleno" "$W/run" "$W/tools"
chmod 700 "$W/run"
cp "$BIN" "$W/bin/veltaro"
printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$W" >"$W/tools/xdg-open"
chmod +x "$W/tools/xdg-open"
export PATH="$W/tools:$PATH" BROWSER="$W/tools/xdg-open"
export HOME="$W/home" XDG_CONFIG_HOME="$W/home/.config" XDG_DATA_HOME="$W/home/.local/share"
export XDG_RUNTIME_DIR="$W/run" QT_QPA_PLATFORM=xcb LANG=de_DE.UTF-8 LC_ALL=

# A window manager as on the operator's desktop: it frames and places the windows, hands the
# focus to a window that is shown and closes windows on request. One per X screen, each ready
# once it has announced itself on its screen's root window.
# Under a loaded machine (sessions side by side) openbox now and then cannot open a display
# the server has just announced: it is started again then.
wm_ready() { xprop -display ":$D.$1" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for s in 0 1; do
    for _attempt in 1 2 3 4 5; do
        DISPLAY=":$D.$s" openbox --sm-disable >"$W/openbox$s.log" 2>&1 &
        wm=$!
        for _ in $(seq 100); do
            wm_ready "$s" && break
            kill -0 "$wm" 2>/dev/null || break
            sleep 0.1
        done
        wm_ready "$s" && break
        kill "$wm" 2>/dev/null || true
        sleep 0.5
    done
    WMPIDS="$WMPIDS $wm"
    wm_ready "$s" || { echo "FAIL: no window manager on screen $s"; cat "$W/openbox$s.log"; exit 1; }
done
# The settings of a fresh machine, every value written so none is read as missing, with the
# given values in place of the defaults: no contacts (Port 0), no sounds, the text file type in
# the dialogs, the audience window on screen 2.
write_settings() { # [Name=value ...]
    local file="$W/home/.config/Tavoleno/veltaro.conf" pair
    printf '%s\n' '[General]' Left=0 Top=0 Width=893 Height=495 Port=0 Alg1=0 Alg2=0 Alg3=0 \
        CountBahn=2 FilterInd=1 TimerGesperrt=1000 AllLaufe=6 CountZabegov=2 Monitor=1 \
        MonitorOn=1 TimeFormat=1 AutoTime=99000 Vid=2 Color1=16711680 Color2=32768 KlassCol=0 \
        AllTrasse=0 Title=Stadtcup isPlaySound=0 isPlaySound1=0 isPlaySound2=0 Lang=0 LiveOn=0 \
        LivePort=8080 LiveBind= >"$file"
    for pair in "$@"; do
        grep -q "^${pair%%=*}=" "$file" || { echo "${pair%%=*}=" >>"$file"; }
        sed -i "s|^${pair%%=*}=.*|$pair|" "$file"
    done
}

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
# The TV's picture now, as $W/<name>.png; whether two such pictures differ; the mean
# brightness (0..1) of one.
tv_picture() { import -display ":$D.1" -window root "$W/$1.png"; }
differ() { [ "$(compare -metric AE "$W/$1.png" "$W/$2.png" null: 2>&1 || true)" != "0" ]; }
brightness() { convert "$W/$1.png" -colorspace Gray -format '%[fx:mean]' info:; }

# One run, its keys typed into the main window or another: START, both tracks stop, the TV
# pictured running and stopped, RESET.
heat() { # picture-prefix [window]
    local w=${2:-$MAIN}
    key "$w" F8
    sleep 1.2
    tv_picture "$1-running"
    key "$w" F4
    sleep 0.3
    key "$w" F6
    sleep 0.5
    tv_picture "$1-stopped"
    key "$w" F9
    sleep 0.3
}
# The finals chosen with the mouse: the mode box sits at the top of the window's middle column,
# where the window's fixed layout puts it, and its last item is the finals; then the bracket
# window opened with Ctrl+K, in BRACKET.
enter_finals() {
    xdotool windowfocus --sync "$MAIN"
    xdotool mousemove --window "$MAIN" 445 50 click 1
    sleep 0.5
    xdotool key End Return
    sleep 0.5
    if window 0 '^K\.-o\.-Feld$' 1 >/dev/null; then fail "the finals were refused"; fi
    key "$MAIN" ctrl+k
    BRACKET=$(window 0 '^K\.-o\.-Feld$' 5) || fail "Ctrl+K opened no bracket window"
}
# The bracket page written with Ctrl+Shift+H and handed to the browser, in PAGE.
bracket_page() {
    key "$MAIN" ctrl+shift+h
    for _ in $(seq 50); do [ -s "$W/opened" ] && break; sleep 0.1; done
    PAGE=$(find "$W/home/Documents" -name '*KO.html' | head -1)
    [ -n "$PAGE" ] || fail "no bracket page was written"
}
# Started in its own folder, as a launcher starts it: the pages it writes into the working
# folder land beside it.
start_program() {
    (cd "$W/bin" && exec "$W/bin/veltaro") >"$W/log" 2>&1 &
    APID=$!
    MAIN=$(window 0 '^TL-Veltaro' 15) || fail "the main window did not appear"
}

# Closes the main window through the window manager, answers the question if one comes, and
# waits for the program to end normally.
close_program() {
    python3 "$HERE/wm_close.py" "$MAIN"
    if ASK=$(window 0 '^Best.*tigen$' 2); then key "$ASK" Return; fi
    for _ in $(seq 100); do kill -0 "$APID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$APID" 2>/dev/null && fail "the program did not end"
    wait "$APID" || fail "the program ended with status $?"
    APID=""
}
