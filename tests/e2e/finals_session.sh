#!/usr/bin/env bash
# The finals on the real program: a qualification ranked by the best run is loaded with the
# mode box then put on "Finale (K.-o.)" with the mouse, the bracket of four is raced heat by
# heat with the function keys typed into the bracket window (semi-finals, small final, final),
# the TV shows the bracket between heats and the clock during them, and the bracket page lists
# the final places.
#   finals_session.sh <veltaro binary>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$1"

write_settings Vid=0 Ranking=1 BracketSize=4 TimeFormat=0
# Best runs: 11 5,90 (seed 1), 13 6,05 (2), 12 6,20 (3), 14 6,50 (4, a DIS leaves the other
# run), 15 7,50 (fifth, out).
{
    printf 'St.Nr.\tName, Vorname\tOrt\tKlasse\tDatum\tTurm1\tTurm2\tTurm3\tTurm4\tTurm5\tTurm6\tZeit\tPlatz\t.\t\r\n'
    printf '11\tAlpha, Anna\tBern\tA\t\t6,10\t5,90\t\t\t\t\t\t\t\t\r\n'
    printf '12\tBeta, Berta\tWien\tA\t\t6,20\t6,30\t\t\t\t\t\t\t\t\r\n'
    printf '13\tGamma, Carl\tGraz\tA\t\t7,00\t6,05\t\t\t\t\t\t\t\t\r\n'
    printf '14\tDelta, Dora\tLinz\tA\t\tDIS.\t6,50\t\t\t\t\t\t\t\t\r\n'
    printf '15\tEpsilon, Emil\tChur\tA\t\t7,50\t8,00\t\t\t\t\t\t\t\t\r\n'
} >"$W/bin/quali.txt"
start_program
window 1 '^Monitor 2$' >/dev/null || fail "the audience window is not on the second screen"
file_command ctrl+o '^(Open|.*ffnen)$' quali.txt || fail "the qualification could not be loaded"
# Four heats, their keys typed into the bracket window; lane A (the better seed) stops first
# every time, so the better seed wins each.
enter_finals
for h in 1 2 3 4; do heat "h$h" "$BRACKET"; done
differ h1-running h1-stopped || fail "F8 typed into the bracket window started no heat"
tv_picture between
differ h4-stopped between ||
    fail "the TV shows the same picture after RESET as during the heat (no bracket)"

# The bracket page, opened in the browser.
bracket_page
# The desktop is handed a file address: blanks and brackets of the name come percent-encoded.
python3 -c 'import sys, urllib.parse; sys.exit(sys.argv[1] not in urllib.parse.unquote(open(sys.argv[2]).read()))' \
    "$(basename "$PAGE")" "$W/opened" || fail "the bracket page was not opened"
# Final places in order: 11 won the final against 13, 12 the small final against 14, 15 was
# fifth in the qualification.
order=$(sed -n '/Platzierung/,$p' "$PAGE" | grep -o 'Alpha, Anna\|Gamma, Carl\|Beta, Berta\|Delta, Dora\|Epsilon, Emil' | tr '\n' '|')
[ "$order" = "Alpha, Anna|Gamma, Carl|Beta, Berta|Delta, Dora|Epsilon, Emil|" ] ||
    fail "final places on the page: $order"

close_program
# The qualification record stays as it was loaded.
grep -q "^14	Delta, Dora	Linz	A	 *	DIS\.	6,50" "$W/bin/veltaro.txt" ||
    fail "the exit copy lost the qualification runs: $(grep -a '^14' "$W/bin/veltaro.txt")"
echo "PASS: finals session (display :$D)"
