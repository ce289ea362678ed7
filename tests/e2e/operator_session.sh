#!/usr/bin/env bash
# An operator's session on the real program under a virtual X server with two screens: the
# audience window comes up on the second screen, a start list is loaded through the file
# dialog, a pair runs twice with the function keys, the protocol is saved, and the program is
# closed as a window manager closes it, leaving its exit copy and settings behind.
#   operator_session.sh <veltaro binary>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$1"

write_settings Vid=2
printf 'St.Nr.\tName, Vorname\tOrt\tKlasse\tDatum\tTurm1\tTurm2\tTurm3\tTurm4\tTurm5\tTurm6\tZeit\tPlatz\t.\t\r\n' >"$W/bin/start.txt"
printf '7\tMüller, Anna\tBern\tA\t\t\t\t\t\t\t\t\t\t\t\r\n9\tPetrov, Ivan\tWien\tA\t\t\t\t\t\t\t\t\t\t\t\r\n' >>"$W/bin/start.txt"
start_program
TV=$(window 1 '^Monitor 2$') || fail "the audience window is not on the second screen"
geometry=$(LANG=C xwininfo -display ":$D.1" -id "$TV" | sed -n 's/^ *-geometry //p')
[ "$geometry" = "1920x1080+0+0" ] || fail "audience window at $geometry, not the whole TV"
# Escape closes the audience window only on the operator's own screen.
key "$TV" Escape
sleep 0.3
window 1 '^Monitor 2$' 1 >/dev/null || fail "Escape closed the audience window on the TV"

# Load the start list through the file dialog.
file_command ctrl+o '^(Open|.*ffnen)$' start.txt || fail "the start list could not be loaded"

# The TV off and on again with Ctrl+T: it is a display and keeps no keyboard, so the main
# window has it and the next F8, with no click into the main window, starts the clock.
key "$MAIN" ctrl+t
gone 1 '^Monitor 2$' 5 || fail "Ctrl+T did not switch the TV off"
xdotool key ctrl+t
window 1 '^Monitor 2$' 5 >/dev/null || fail "Ctrl+T did not switch the TV on again"
sleep 0.5
[ "$(xdotool getwindowfocus)" = "$MAIN" ] || fail "the TV took the keyboard from the main window"
xdotool key F8
sleep 0.3
tv_picture tick1
sleep 0.3
tv_picture tick2
differ tick1 tick2 || fail "F8 after Ctrl+T did not start the clock: the keys went elsewhere"

# Two runs of the pair, tracks swapped between them; the clock of the first already runs.
heat first
heat second
running=$(brightness first-running)
awk -v a="$running" 'BEGIN { exit !(a > 0.01) }' ||
    fail "the TV shows no digits while the clock runs (brightness $running)"
differ first-running first-stopped || fail "the TV did not change between running and stopped"

# Save under a name of the operator's own.
# The save dialog starts in the competition's folder: the date and title under the documents.
file_command ctrl+s '^(Save|Speichern)' heat1.txt || fail "the protocol could not be saved"
saved=$(find "$W/home/Documents" -name heat1.txt | head -1)
[ -s "$saved" ] || fail "the protocol was not saved into the event folder"

close_program

# Each participant has one time per track, in the saved protocol and in the exit copy; the
# results are sums of two times, and the settings were written back.
# The exit leaves a dated copy beside the saved protocol as well.
stamped=$(find "$(dirname "$saved")" -name 'Beenden *.txt' | head -1)
for file in "$saved" "$W/bin/veltaro.txt" "$stamped"; do
    [ -s "$file" ] || fail "$file is missing"
    for nr in 7 9; do
        line=$(grep -a "^$nr	" "$file") || fail "$file has no row for $nr"
        IFS=$'\t' read -r -a cells <<<"$line"
        [[ "${cells[5]}" =~ ^[0-9:]*[0-9],[0-9][0-9]$ ]] || fail "$file: $nr has no Turm1 time: $line"
        [[ "${cells[6]}" =~ ^[0-9:]*[0-9],[0-9][0-9]$ ]] || fail "$file: $nr has no Turm2 time: $line"
    done
done
# Closed while the TV was shown: the next start shows it again.
conf="$W/home/.config/Tavoleno/veltaro.conf"
grep -q '^Ranking=' "$conf" || fail "the settings were not written back"
grep -q '^MonitorOn=1' "$conf" || fail "closing the program switched TV mode off"
echo "PASS: operator session (display :$D)"
