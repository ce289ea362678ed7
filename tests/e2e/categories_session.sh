#!/usr/bin/env bash
# An event of "Damen" and "Herren" on the real program: places per class from the settings,
# the finals entered with the mouse build one bracket per class from that class's ranking (the
# men, faster overall, never meet the women), both are raced by keys typed into the bracket
# window (the women's first; when their final is decided the men's first heat comes on), the
# bracket page lists each class's final places, and the exit copy's companion keeps both
# brackets.
#   categories_session.sh <veltaro binary>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$1"

write_settings Vid=0 Ranking=0 BracketSize=4 TimeFormat=0 KlassCol=4
{
    printf 'St.Nr.\tName, Vorname\tOrt\tKlasse\tDatum\tTurm1\tTurm2\tTurm3\tTurm4\tTurm5\tTurm6\tZeit\tPlatz\t.\t\r\n'
    printf '11\tAlpha, Anna\tBern\tDamen\t\t6,10\t5,90\t\t\t\t\t\t\t\t\r\n'
    printf '21\tEins, Emil\tWien\tHerren\t\t5,50\t5,60\t\t\t\t\t\t\t\t\r\n'
    printf '12\tBeta, Berta\tGraz\tDamen\t\t6,20\t6,30\t\t\t\t\t\t\t\t\r\n'
    printf '22\tZwei, Zeno\tLinz\tHerren\t\t5,70\t5,80\t\t\t\t\t\t\t\t\r\n'
    printf '13\tGamma, Gina\tChur\tDamen\t\t6,40\t6,60\t\t\t\t\t\t\t\t\r\n'
    printf '23\tDrei, Dirk\tBern\tHerren\t\t6,00\t6,00\t\t\t\t\t\t\t\t\r\n'
    printf '14\tDelta, Dora\tWien\tDamen\t\t6,80\t6,90\t\t\t\t\t\t\t\t\r\n'
} >"$W/bin/quali.txt"
start_program
file_command ctrl+o '^(Open|.*ffnen)$' quali.txt || fail "the qualification could not be loaded"
# Four heats of the women, then two of the men (seed 4 of the men is a bye); lane A stops
# first every time, so the better seed wins each.
enter_finals
for h in 1 2 3 4 5 6; do heat "h$h" "$BRACKET"; done

bracket_page
names='Alpha, Anna\|Beta, Berta\|Gamma, Gina\|Delta, Dora\|Eins, Emil\|Zwei, Zeno\|Drei, Dirk'
places() { # the page's final places of one class, in order
    sed -n "/<h2>Platzierung – $2</,/<h2>K.-o.-Feld/p" "$1" | grep -o "$names" | tr '\n' '|'
}
got="$(places "$PAGE" Damen) $(places "$PAGE" Herren)"
[ "$got" = "Alpha, Anna|Beta, Berta|Gamma, Gina|Delta, Dora| Eins, Emil|Zwei, Zeno|Drei, Dirk|" ] ||
    fail "final places per class: $got"

close_program
# Qualification places per class in the exit copy, both brackets in its companion.
placeOf() { awk -F'\t' -v n="$1" '$1 == n { print $13 }' "$W/bin/veltaro.txt"; }
[ "$(placeOf 11)/$(placeOf 21)/$(placeOf 23)" = "1/1/3" ] ||
    fail "qualification places per class: $(placeOf 11)/$(placeOf 21)/$(placeOf 23)"
[ "$(grep -c '^Bracket=Category \(Damen\|Herren\)$' "$W/bin/veltaro.ko")" = 2 ] ||
    fail "the companion lacks a class's bracket"

echo "PASS: categories session (display :$D)"
