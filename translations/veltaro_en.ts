<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>TCfgDialog</name>
    <message>
        <source>Einstellungen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turm(e):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeitformat:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto Reset:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sek.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sortieren nach Spalte:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Lichtschranke(n) </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Algorithmus: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start (7+8):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kontakt 7+8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop1 (4+6):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kontakt 4+6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop2 (4+1):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kontakt 4+1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sperre:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopp-Sperre:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2. Monitor / TV:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sprache:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ab dem nächsten Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>nicht angeschlossen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> – geöffnet</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <source>Die Einstellungen gelten ab dem nächsten RESET</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
