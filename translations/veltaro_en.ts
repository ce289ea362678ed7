<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>Automation</name>
    <message>
        <source>%1 ergab kein Objekt</source>
        <translation>%1 returned no object</translation>
    </message>
</context>
<context>
    <name>BracketFile</name>
    <message>
        <source>kein UTF-8-Text</source>
        <translation>not UTF-8 text</translation>
    </message>
    <message>
        <source>Version %1 wird nicht unterstützt</source>
        <translation>version %1 is not supported</translation>
    </message>
    <message>
        <source>keine K.-o.-Datei von Veltaro</source>
        <translation>not a Veltaro knockout file</translation>
    </message>
    <message>
        <source>die Datei ist unvollständig</source>
        <translation>the file is incomplete</translation>
    </message>
    <message>
        <source>Zeile %1 ist ungültig</source>
        <translation>line %1 is not valid</translation>
    </message>
    <message>
        <source>Angaben fehlen (Wertung, Feldgröße oder Zeilen)</source>
        <translation>details are missing (ranking, bracket size or rows)</translation>
    </message>
    <message>
        <source>das K.-o.-Feld darin ist beschädigt</source>
        <translation>the bracket in it is damaged</translation>
    </message>
    <message>
        <source>keine gewöhnliche Datei</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>die Datei ist zu groß (%1 Bytes, höchstens %2)</source>
        <translation>the file is too large (%1 bytes, at most %2)</translation>
    </message>
    <message>
        <source>kann nicht gelesen werden (%1)</source>
        <translation>cannot be read (%1)</translation>
    </message>
    <message>
        <source>die Datei ist zu groß (höchstens %1 Bytes)</source>
        <translation>the file is too large (at most %1 bytes)</translation>
    </message>
    <message>
        <source>Ein Teilnehmer des K.-o.-Felds hat die Startnummer 0; das Feld wird nicht mitgespeichert.</source>
        <translation>A participant of the bracket has start number 0; the bracket is not saved with the protocol.</translation>
    </message>
    <message>
        <source>%1 kann nicht entfernt werden: %2</source>
        <translation>%1 cannot be removed: %2</translation>
    </message>
    <message>
        <source>es gehört zu anderen Teilnehmerzeilen als denen des Protokolls</source>
        <translation>it belongs to other participant rows than the protocol&apos;s</translation>
    </message>
    <message>
        <source>die Tausendstel passen nicht zu den Laufzeiten des Protokolls</source>
        <translation>the thousandths do not match the protocol&apos;s run times</translation>
    </message>
    <message>
        <source>das Feld nennt Teilnehmer, die das Protokoll nicht hat</source>
        <translation>the bracket names participants the protocol does not have</translation>
    </message>
</context>
<context>
    <name>BracketHtml</name>
    <message>
        <source>Lauf %1%2</source>
        <translation>Heat %1%2</translation>
    </message>
    <message>
        <source> – jetzt</source>
        <translation> – now</translation>
    </message>
    <message>
        <source>ungültig:</source>
        <translation>void:</translation>
    </message>
    <message>
        <source>de</source>
        <comment>the page&apos;s language</comment>
        <translation>en</translation>
    </message>
    <message>
        <source>K.-o.-Feld</source>
        <translation>Bracket</translation>
    </message>
    <message>
        <source>Kein K.-o.-Feld.</source>
        <translation>No bracket.</translation>
    </message>
    <message>
        <source>Platzierung</source>
        <translation>Final places</translation>
    </message>
    <message>
        <source>Noch keine Plätze entschieden.</source>
        <translation>No places decided yet.</translation>
    </message>
    <message>
        <source>Platz</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>BracketText</name>
    <message>
        <source>Kleines Finale</source>
        <translation>Small final</translation>
    </message>
    <message>
        <source>Finale</source>
        <translation>Final</translation>
    </message>
    <message>
        <source>Halbfinale</source>
        <translation>Semi-final</translation>
    </message>
    <message>
        <source>Viertelfinale</source>
        <translation>Quarter-final</translation>
    </message>
    <message>
        <source>Achtelfinale</source>
        <translation>Round of 16</translation>
    </message>
    <message>
        <source>Runde %1</source>
        <translation>Round %1</translation>
    </message>
    <message>
        <source>Freilos</source>
        <translation>Bye</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Speichern</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Beenden ohne Speichern</source>
        <translation>Quit without saving</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Wettkampfordner</source>
        <translation>Event folder</translation>
    </message>
</context>
<context>
    <name>Docx</name>
    <message>
        <source>Die Vorlage ist entpackt größer als %1 MB.</source>
        <translation>Unpacked, the template is larger than %1 MB.</translation>
    </message>
    <message>
        <source>: kein Dokumentkörper</source>
        <translation>: no document body</translation>
    </message>
</context>
<context>
    <name>DurableFile</name>
    <message>
        <source>kann nicht geschrieben werden (%1)</source>
        <translation>cannot be written (%1)</translation>
    </message>
    <message>
        <source>zu viele Verknüpfungen hintereinander</source>
        <translation>too many links in a row</translation>
    </message>
    <message>
        <source>kein Dateiname</source>
        <translation>no file name</translation>
    </message>
    <message>
        <source>ist ein Ordner</source>
        <translation>is a folder</translation>
    </message>
    <message>
        <source>angehalten</source>
        <translation>stopped</translation>
    </message>
</context>
<context>
    <name>FileTypes</name>
    <message>
        <source>Alle Dateien (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Textdatei</source>
        <translation>Text file</translation>
    </message>
    <message>
        <source>Webseite</source>
        <translation>Web page</translation>
    </message>
</context>
<context>
    <name>ListPdf</name>
    <message>
        <source>Seite %1 von %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Stand: </source>
        <translation>As of: </translation>
    </message>
    <message>
        <source>______________________________
Schiedsrichter (Unterschrift)</source>
        <translation>______________________________
Judge (signature)</translation>
    </message>
</context>
<context>
    <name>LiveBoard</name>
    <message>
        <source>%1, Lauf %2</source>
        <translation>%1, heat %2</translation>
    </message>
</context>
<context>
    <name>LivePage</name>
    <message>
        <source>Verbindung unterbrochen, neuer Versuch …</source>
        <translation>Connection lost, trying again …</translation>
    </message>
    <message>
        <source>Verbindung wird aufgebaut …</source>
        <translation>Connecting …</translation>
    </message>
    <message>
        <source>Verbindung unterbrochen …</source>
        <translation>Connection lost …</translation>
    </message>
    <message>
        <source>Live (Abfrage)</source>
        <translation>Live (polling)</translation>
    </message>
    <message>
        <source>Kletterturm 1</source>
        <translation>Climbing wall 1</translation>
    </message>
    <message>
        <source>Kletterturm 2</source>
        <translation>Climbing wall 2</translation>
    </message>
    <message>
        <source> – Fehlstart</source>
        <translation> – false start</translation>
    </message>
    <message>
        <source>Fehlstart</source>
        <translation>False start</translation>
    </message>
    <message>
        <source>Reaktion </source>
        <translation>Reaction </translation>
    </message>
    <message>
        <source>Protokoll</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>Beendet</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>Bereit</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>Lauf</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>de</source>
        <comment>the page&apos;s language</comment>
        <translation>en</translation>
    </message>
    <message>
        <source>Noch keine Teilnehmer.</source>
        <translation>No participants yet.</translation>
    </message>
    <message>
        <source>Kein K.-o.-Feld.</source>
        <translation>No bracket.</translation>
    </message>
    <message>
        <source>Letzte Läufe</source>
        <translation>Latest runs</translation>
    </message>
    <message>
        <source>Platzierung</source>
        <translation>Final places</translation>
    </message>
    <message>
        <source>ohne Klasse</source>
        <translation>no class</translation>
    </message>
    <message>
        <source>K.-o.-Feld</source>
        <translation>Bracket</translation>
    </message>
    <message>
        <source>ungültig: </source>
        <translation>void: </translation>
    </message>
    <message>
        <source> – jetzt</source>
        <translation> – now</translation>
    </message>
    <message>
        <source>Wertung</source>
        <translation>Standings</translation>
    </message>
    <message>
        <source>Freilos</source>
        <translation>Bye</translation>
    </message>
    <message>
        <source>Sieger</source>
        <translation>Winner</translation>
    </message>
    <message>
        <source>Platz</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>Lauf </source>
        <translation>Run </translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Zeit</source>
        <translation>Time</translation>
    </message>
</context>
<context>
    <name>OfficeAutomation</name>
    <message>
        <source>: nicht gesetzt</source>
        <translation>: not set</translation>
    </message>
    <message>
        <source>Ungültige Klassenzeichenfolge: %1</source>
        <translation>Invalid class string: %1</translation>
    </message>
</context>
<context>
    <name>OfficeExport</name>
    <message>
        <source>Die Tabelle hat keine Zeilen.</source>
        <translation>The sheet has no rows.</translation>
    </message>
    <message>
        <source>Die erste Zelle (A1) der Tabelle ist leer: nichts zu lesen.</source>
        <translation>The first cell (A1) of the sheet is empty: nothing to read.</translation>
    </message>
    <message>
        <source>unbekannter Fehler</source>
        <translation>unknown error</translation>
    </message>
</context>
<context>
    <name>OfficeStandIn</name>
    <message>
        <source>%1 kennt &quot;%2&quot; nicht.</source>
        <translation>%1 does not know &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>%1: Zahl erwartet</source>
        <translation>%1: number expected</translation>
    </message>
    <message>
        <source>%1: Die Datei kann nicht angelegt werden (%2).</source>
        <translation>%1: the file cannot be created (%2).</translation>
    </message>
    <message>
        <source>Der Bereich ist zu groß.</source>
        <translation>The range is too large.</translation>
    </message>
    <message>
        <source>Range: Zellen erwartet</source>
        <translation>Range: cells expected</translation>
    </message>
    <message>
        <source>Cells(%1, %2): außerhalb des Blatts</source>
        <translation>Cells(%1, %2): outside the sheet</translation>
    </message>
    <message>
        <source>Rows: außerhalb</source>
        <translation>Rows: outside</translation>
    </message>
    <message>
        <source>&quot;%1&quot; ist kein gültiger Blattname.</source>
        <translation>&quot;%1&quot; is not a valid sheet name.</translation>
    </message>
    <message>
        <source>Die Arbeitsmappe hat nur ein Blatt.</source>
        <translation>The workbook has only one sheet.</translation>
    </message>
    <message>
        <source>Kein Dokument geöffnet.</source>
        <translation>No document open.</translation>
    </message>
    <message>
        <source>Insert: in einer Tabelle</source>
        <translation>Insert: inside a table</translation>
    </message>
    <message>
        <source>Kein Dateiname.</source>
        <translation>No file name.</translation>
    </message>
    <message>
        <source>Ungültige Klassenzeichenfolge: %1</source>
        <translation>Invalid class string: %1</translation>
    </message>
</context>
<context>
    <name>PortInfo</name>
    <message>
        <source> = kein Gerät</source>
        <translation> = no device</translation>
    </message>
    <message>
        <source>belegt</source>
        <translation>in use</translation>
    </message>
    <message>
        <source>nicht vorhanden</source>
        <translation>not present</translation>
    </message>
</context>
<context>
    <name>ProtocolHtml</name>
    <message>
        <source>Protokoll</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>Reaktionszeiten</source>
        <translation>Reaction times</translation>
    </message>
    <message>
        <source>St.Nr.</source>
        <translation>Start no.</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Lauf</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>Reaktion</source>
        <translation>Reaction</translation>
    </message>
</context>
<context>
    <name>ProtocolText</name>
    <message>
        <source>ist keine gewöhnliche Datei</source>
        <translation>is not a regular file</translation>
    </message>
    <message>
        <source>kann nicht gelesen werden (%1)</source>
        <translation>cannot be read (%1)</translation>
    </message>
    <message>
        <source>ist zu groß für ein Protokoll (mehr als %1 MB)</source>
        <translation>is too large for a protocol (more than %1 MB)</translation>
    </message>
    <message>
        <source>enthält NUL-Bytes und ist damit keine Textdatei</source>
        <translation>contains NUL bytes and so is no text file</translation>
    </message>
    <message>
        <source>enthält keine Zeile mit Feldern (getrennt durch Tabulator oder Semikolon)</source>
        <translation>contains no line with fields (separated by tab or semicolon)</translation>
    </message>
</context>
<context>
    <name>ResultList</name>
    <message>
        <source>Ergebnisliste</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>Startliste</source>
        <translation>Start list</translation>
    </message>
    <message>
        <source>Laufliste</source>
        <translation>Heat list</translation>
    </message>
    <message>
        <source>Lauf</source>
        <translation>Heat</translation>
    </message>
    <message>
        <source>Runde</source>
        <translation>Round</translation>
    </message>
    <message>
        <source>Bahn 1</source>
        <translation>Lane 1</translation>
    </message>
    <message>
        <source>Bahn 2</source>
        <translation>Lane 2</translation>
    </message>
</context>
<context>
    <name>StartListImport</name>
    <message>
        <source>Die Datei hat mehr als %1 Zeilen.</source>
        <translation>The file has more than %1 rows.</translation>
    </message>
    <message>
        <source>Die Datei hat mehr als %1 Spalten.</source>
        <translation>The file has more than %1 columns.</translation>
    </message>
    <message>
        <source>Die Datei ist leer.</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <source>Die Datei ist keine Textdatei (Binärdaten).</source>
        <translation>The file is not a text file (binary data).</translation>
    </message>
    <message>
        <source>Die Datei hat nur eine Spalte: keine Trennzeichen (Komma, Semikolon oder Tabulator) in der Titelzeile.</source>
        <translation>The file has only one column: no separators (comma, semicolon or tab) in the title line.</translation>
    </message>
    <message>
        <source>Ein Anführungszeichen in Zeile %1 wird nicht geschlossen.</source>
        <translation>A quote in row %1 is not closed.</translation>
    </message>
    <message>
        <source>Die Tabelle ist leer.</source>
        <translation>The sheet is empty.</translation>
    </message>
    <message>
        <source>Die Tabelle hat nur eine Spalte.</source>
        <translation>The sheet has only one column.</translation>
    </message>
    <message>
        <source>Die Datei ist nicht vorhanden.</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>Das ist keine gewöhnliche Datei.</source>
        <translation>This is not a regular file.</translation>
    </message>
    <message>
        <source>Die Datei ist zu groß für eine Startliste.</source>
        <translation>The file is too large for a start list.</translation>
    </message>
    <message>
        <source>St.Nr.</source>
        <translation>Start no.</translation>
    </message>
    <message>
        <source>Name, Vorname</source>
        <translation>Name, first name</translation>
    </message>
    <message>
        <source>Nachname</source>
        <translation>Last name</translation>
    </message>
    <message>
        <source>Vorname</source>
        <translation>First name</translation>
    </message>
    <message>
        <source>Ort / Verein</source>
        <translation>Town / club</translation>
    </message>
    <message>
        <source>Klasse / Kategorie</source>
        <translation>Class / category</translation>
    </message>
    <message>
        <source>Datum / Jahrgang</source>
        <translation>Date / year of birth</translation>
    </message>
    <message>
        <source>(nicht übernehmen)</source>
        <translation>(leave out)</translation>
    </message>
    <message>
        <source>Keine Spalte ist dem Namen zugeordnet.</source>
        <translation>No column is mapped to the name.</translation>
    </message>
    <message>
        <source>Keine Zeile der Datei hat einen Namen.</source>
        <translation>No row of the file has a name.</translation>
    </message>
    <message>
        <source>Ohne Namen, nicht übernommen (%1): Zeile %2.</source>
        <translation>Without a name, not taken over (%1): row %2.</translation>
    </message>
    <message>
        <source>Startnummern mehrfach vergeben: %1.</source>
        <translation>Start numbers given more than once: %1.</translation>
    </message>
</context>
<context>
    <name>TBracket</name>
    <message>
        <source>Kein Finale: es braucht mindestens 2 Teilnehmer mit Ergebnis, es gibt %1.</source>
        <translation>No final: it needs at least 2 participants with a result, there are %1.</translation>
    </message>
</context>
<context>
    <name>TBracketView</name>
    <message>
        <source>Kein K.-o.-Feld</source>
        <translation>No bracket</translation>
    </message>
    <message>
        <source>ungültig </source>
        <translation>void </translation>
    </message>
</context>
<context>
    <name>TCfgDialog</name>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Turm(e):</source>
        <translation>Run(s):</translation>
    </message>
    <message>
        <source>Zeitformat:</source>
        <translation>Time format:</translation>
    </message>
    <message>
        <source>Auto Reset:</source>
        <translation>Auto reset:</translation>
    </message>
    <message>
        <source>Sek.</source>
        <translation>sec.</translation>
    </message>
    <message>
        <source>Sortieren nach Spalte:</source>
        <translation>Rank by column:</translation>
    </message>
    <message>
        <source> Lichtschranke(n) </source>
        <translation> Contacts </translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source> Algorithmus: </source>
        <translation> Polarity: </translation>
    </message>
    <message>
        <source>Start (7+8):</source>
        <translation>Start (7+8):</translation>
    </message>
    <message>
        <source>Kontakt 7+8</source>
        <translation>Contact 7+8</translation>
    </message>
    <message>
        <source>Stop1 (4+6):</source>
        <translation>Stop1 (4+6):</translation>
    </message>
    <message>
        <source>Kontakt 4+6</source>
        <translation>Contact 4+6</translation>
    </message>
    <message>
        <source>Stop2 (4+1):</source>
        <translation>Stop2 (4+1):</translation>
    </message>
    <message>
        <source>Kontakt 4+1</source>
        <translation>Contact 4+1</translation>
    </message>
    <message>
        <source>Sperre:</source>
        <translation>Lock-out:</translation>
    </message>
    <message>
        <source>Stopp-Sperre:</source>
        <translation>Stop lock-out:</translation>
    </message>
    <message>
        <source>2. Monitor / TV:</source>
        <translation>2nd monitor / TV:</translation>
    </message>
    <message>
        <source>Sprache:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>ab dem nächsten Start</source>
        <translation>from the next start</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Keine</source>
        <translation>None</translation>
    </message>
    <message>
        <source>nicht angeschlossen</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source> – geöffnet</source>
        <translation> – open</translation>
    </message>
    <message>
        <source>keine</source>
        <translation>none</translation>
    </message>
    <message>
        <source>St.Nr.</source>
        <translation>Start no.</translation>
    </message>
    <message>
        <source>Name, Vorname</source>
        <translation>Name, first name</translation>
    </message>
    <message>
        <source>Ort</source>
        <translation>Town</translation>
    </message>
    <message>
        <source>Klasse</source>
        <translation>Class</translation>
    </message>
    <message>
        <source>Datum</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Plätze je Wert dieser Spalte (keine: gesamt)</source>
        <translation>Places per value of this column (none: overall)</translation>
    </message>
    <message>
        <source>Namen und Sieger auf dem 2. Monitor</source>
        <translation>Names and winner on the 2nd monitor</translation>
    </message>
</context>
<context>
    <name>TCommandColumn</name>
    <message>
        <source>Start-LS Sperre</source>
        <translation>Start contact lock</translation>
    </message>
    <message>
        <source>+ 1 Std.</source>
        <translation>+ 1 h</translation>
    </message>
    <message>
        <source>+ 9 Min.</source>
        <translation>+ 9 min.</translation>
    </message>
    <message>
        <source>ABBRECHEN</source>
        <translation>ABORT</translation>
    </message>
</context>
<context>
    <name>TCompetition</name>
    <message>
        <source>Zeit %1 von %2</source>
        <translation>time %1 of %2</translation>
    </message>
    <message>
        <source>DIS. von %1</source>
        <translation>DIS. of %1</translation>
    </message>
    <message>
        <source>Löschen von %1</source>
        <translation>deleting %1</translation>
    </message>
    <message>
        <source>Löschen von %1 Zeilen</source>
        <translation>deleting %1 rows</translation>
    </message>
    <message>
        <source>Löschen aller Ergebnisse</source>
        <translation>deleting all results</translation>
    </message>
    <message>
        <source>Kein Finale: die Ergebnisse wurden gelöscht.</source>
        <translation>No final: the results were deleted.</translation>
    </message>
    <message>
        <source>Änderung %1 von %2</source>
        <translation>change of %1 of %2</translation>
    </message>
    <message>
        <source>Gleichstand auf Platz %1 an der Grenze des Finales. Nach der Reihenfolge der Rangliste im Finale: %2; nicht im Finale: %3.</source>
        <translation>Tie on place %1 at the finals&apos; cut. By the order of the ranking in the final: %2; not in the final: %3.</translation>
    </message>
    <message>
        <source>Fehlstart aufgehoben von %1</source>
        <translation>false start taken back for %1</translation>
    </message>
    <message>
        <source>Nr. %1</source>
        <translation>No. %1</translation>
    </message>
    <message>
        <source>Zeile %1</source>
        <translation>row %1</translation>
    </message>
    <message>
        <source>ohne Angabe</source>
        <translation>not given</translation>
    </message>
</context>
<context>
    <name>TEventSettingsGroup</name>
    <message>
        <source> Wettkampf </source>
        <translation> Event </translation>
    </message>
    <message>
        <source>Dokumente/&lt;Datum&gt; &lt;Titel&gt;</source>
        <translation>Documents/&lt;date&gt; &lt;title&gt;</translation>
    </message>
    <message>
        <source>Speichern, Exporte und die Kopie beim Beenden gehen hierhin.</source>
        <translation>Saving, exports and the copy on quitting go here.</translation>
    </message>
    <message>
        <source>Veranstaltung:</source>
        <translation>Event:</translation>
    </message>
    <message>
        <source>Ort:</source>
        <translation>Place:</translation>
    </message>
    <message>
        <source>Wettkampfordner:</source>
        <translation>Event folder:</translation>
    </message>
</context>
<context>
    <name>TFinalsSettingsGroup</name>
    <message>
        <source> Finale (K.-o.) </source>
        <translation> Finals (knockout) </translation>
    </message>
    <message>
        <source>Wertung:</source>
        <translation>Ranking:</translation>
    </message>
    <message>
        <source>Summe</source>
        <translation>Sum</translation>
    </message>
    <message>
        <source>Bestzeit</source>
        <translation>Best time</translation>
    </message>
    <message>
        <source>K.-o.-Feld:</source>
        <translation>Bracket:</translation>
    </message>
</context>
<context>
    <name>TFormBracket</name>
    <message>
        <source>K.-o.-Feld</source>
        <translation>Bracket</translation>
    </message>
    <message>
        <source>Feld neu aufbauen</source>
        <translation>Rebuild bracket</translation>
    </message>
    <message>
        <source>Letzten Lauf wiederholen</source>
        <translation>Repeat last heat</translation>
    </message>
    <message>
        <source>Als HTML</source>
        <translation>As HTML</translation>
    </message>
    <message>
        <source>[Ctrl+Shift+H] K.-o.-Feld als HTML</source>
        <translation>[Ctrl+Shift+H] Bracket as HTML</translation>
    </message>
    <message>
        <source>Kein K.-o.-Feld</source>
        <translation>No bracket</translation>
    </message>
    <message>
        <source>K.-o.-Feld neu aus der Qualifikation aufbauen? Alle Läufe des K.-o.-Feldes gehen verloren.</source>
        <translation>Rebuild the bracket from the qualification? All heats of the bracket will be lost.</translation>
    </message>
    <message>
        <source>Das K.-o.-Feld kann nicht aufgebaut werden.</source>
        <translation>The bracket cannot be built.</translation>
    </message>
    <message>
        <source>Lauf %1 wiederholen? Seine Zeiten bleiben als ungültig vermerkt.</source>
        <translation>Repeat heat %1? Its times stay on record as void.</translation>
    </message>
    <message>
        <source>Lauf %1 kann nicht mehr wiederholt werden: sein Sieger ist schon wieder gelaufen.</source>
        <translation>Heat %1 can no longer be repeated: its winner has already raced again.</translation>
    </message>
    <message>
        <source>Feld der Klasse zeigen; ihr nächster Lauf kommt auf die Türme</source>
        <translation>Show the class&apos;s bracket; its next heat goes onto the walls</translation>
    </message>
    <message>
        <source> (entschieden)</source>
        <translation> (decided)</translation>
    </message>
    <message>
        <source>Die Klasse kann erst nach RESET oder ABBRECHEN gewechselt werden.</source>
        <translation>The class can only be changed after RESET or ABORT.</translation>
    </message>
    <message>
        <source>K.-o.-Feld „%1“ neu aus der Qualifikation aufbauen? Alle Läufe dieses Feldes gehen verloren.</source>
        <translation>Rebuild the bracket “%1” from the qualification? All heats of this bracket will be lost.</translation>
    </message>
</context>
<context>
    <name>TFormInfo</name>
    <message>
        <source>Veltaro misst die Zeiten bei Wettkämpfen im Speedklettern an einer oder zwei Wänden (&quot;Kletterturm 1&quot; links, &quot;Kletterturm 2&quot; rechts). Ein gemeinsamer Start setzt die Uhr in Gang, jede Bahn wird von ihrem eigenen Kontakt gestoppt. Jeder beendete Lauf wird ins Protokoll geschrieben, das Zeiten addiert und Plätze vergibt; das Protokoll lässt sich speichern, laden, drucken und als HTML-Seite veröffentlichen.

Anschluss an die serielle Schnittstelle (9-polig):
Start an Pins 7 + 8 (RTS - CTS), Stopp von Turm 1 an Pins 4 + 6 (DTR - DSR), Stopp von Turm 2 an Pins 4 + 1 (DTR - DCD). Ohne Kontakte arbeitet das Programm mit den Tasten: F8 START, F4 STOP1, F6 STOP2, F9 zurücksetzen, Strg+X abbrechen. F1 öffnet die Hilfe.

Lizenz: Veltaro wird so bereitgestellt, wie es ist, ohne jede Gewährleistung; für Zeiten, die durch falsche Verdrahtung, Kontaktprellen oder Bedienfehler entstehen, wird keine Haftung übernommen. Prüfen Sie die Anlage vor jedem Wettkampf mit einem Probelauf. Das Programm verwendet Qt (LGPL Version 3); die mitgelieferten Liberation-Schriften stehen unter der SIL Open Font License.</source>
        <translation>Veltaro times speed-climbing competitions on one or two walls (&quot;Climbing wall 1&quot; on the left, &quot;Climbing wall 2&quot; on the right). A common start sets the clock going, and each lane is stopped by its own contact. Every finished run is written into the protocol, which adds up times and gives places; the protocol can be saved, loaded, printed and published as an HTML page.

Connection to the serial port (9 pins):
Start on pins 7 + 8 (RTS - CTS), stop of wall 1 on pins 4 + 6 (DTR - DSR), stop of wall 2 on pins 4 + 1 (DTR - DCD). Without contacts the program works with the keys: F8 START, F4 STOP1, F6 STOP2, F9 reset, Ctrl+X abort. F1 opens the help.

Licence: Veltaro is provided as is, without any warranty; no liability is accepted for times that come from wrong wiring, contact bounce or operating errors. Check the setup with a trial run before every competition. The program uses Qt (LGPL version 3); the Liberation fonts that come with it are under the SIL Open Font License.</translation>
    </message>
    <message>
        <source>Version %1 (%2)</source>
        <translation>Version %1 (%2)</translation>
    </message>
    <message>
        <source>Einverstanden</source>
        <translation>Agreed</translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <source>Die Einstellungen gelten ab dem nächsten RESET</source>
        <translation>The settings apply from the next RESET</translation>
    </message>
    <message>
        <source>Kein K.-o.-Feld.</source>
        <translation>No bracket.</translation>
    </message>
    <message>
        <source>K.-o.-Feld</source>
        <translation>Bracket</translation>
    </message>
    <message>
        <source>Error write file: </source>
        <translation>Could not write the file: </translation>
    </message>
    <message>
        <source>Kontaktprotokoll kann nicht geschrieben werden: </source>
        <translation>The contact log cannot be written: </translation>
    </message>
    <message>
        <source>Protokoll kann nicht gelesen werden: %1
%2</source>
        <translation>The protocol cannot be read: %1
%2</translation>
    </message>
    <message>
        <source>Protokoll geladen, K.-o.-Feld nicht übernommen: %1
%2</source>
        <translation>Protocol loaded, bracket not taken over: %1
%2</translation>
    </message>
    <message>
        <source>%1 hat mehr als %2 Zeilen: %3 Zeilen wurden nicht gelesen.</source>
        <translation>%1 has more than %2 rows: %3 rows were not read.</translation>
    </message>
    <message>
        <source>%1: %2 Felder waren länger als %3 Zeichen und wurden gekürzt.</source>
        <translation>%1: %2 fields were longer than %3 characters and were shortened.</translation>
    </message>
    <message>
        <source>%1 enthält %2 ungültige UTF-8-Zeichen; sie wurden durch „�“ ersetzt.</source>
        <translation>%1 contains %2 invalid UTF-8 characters; they were replaced by “�”.</translation>
    </message>
    <message>
        <source>Ungespeicherte Ergebnisse verwerfen?</source>
        <translation>Discard unsaved results?</translation>
    </message>
    <message>
        <source>

Eine Kopie bleibt im Ordner %1.</source>
        <translation>

A copy stays in the folder %1.</translation>
    </message>
    <message>
        <source>Bestätigen</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>%1 wurde nur zum Teil gelesen. Überschreiben? Die nicht gelesenen Zeilen gehen dabei verloren.</source>
        <translation>%1 was read only in part. Overwrite it? The rows not read will be lost.</translation>
    </message>
    <message>
        <source>Protokoll gespeichert, K.-o.-Feld aber nicht: %1
%2</source>
        <translation>Protocol saved, but not the bracket: %1
%2</translation>
    </message>
    <message>
        <source>Protokoll wurde nicht gespeichert: %1
%2</source>
        <translation>The protocol was not saved: %1
%2</translation>
    </message>
    <message>
        <source>Stand %1</source>
        <translation>as of %1</translation>
    </message>
    <message>
        <source>Das Programm wurde zuletzt nicht ordnungsgemäß beendet.
Protokoll des unterbrochenen Wettkampfs wiederherstellen?

%1</source>
        <translation>The program was not ended properly last time.
Restore the protocol of the interrupted competition?

%1</translation>
    </message>
    <message>
        <source>Das Protokoll des unterbrochenen Wettkampfs bleibt erhalten:
%1</source>
        <translation>The protocol of the interrupted competition is kept:
%1</translation>
    </message>
    <message>
        <source>Journal kann nicht geschrieben werden: </source>
        <translation>The journal cannot be written: </translation>
    </message>
    <message>
        <source>Die Datei %1 ist schon vorhanden. Ersetzen?</source>
        <translation>The file %1 already exists. Replace it?</translation>
    </message>
    <message>
        <source>Fehlstart aufheben %1</source>
        <translation>Take back false start %1</translation>
    </message>
    <message>
        <source>Startmatten-Port = Kontakt-Port: ohne Startmatten</source>
        <translation>Foot pad port = contact port: no foot pads</translation>
    </message>
    <message>
        <source>Startmatten-Port: %1</source>
        <translation>Foot pad port: %1</translation>
    </message>
    <message>
        <source>Startmatten getrennt: keine Reaktionszeiten</source>
        <translation>Foot pads disconnected: no reaction times</translation>
    </message>
    <message>
        <source>Fehlstart Bahn %1 (aufheben: Umschalt+%2)</source>
        <translation>False start lane %1 (take back: Shift+%2)</translation>
    </message>
    <message>
        <source>Teilnehmer des laufenden Laufs können erst nach RESET oder ABBRECHEN entfernt werden.</source>
        <translation>Participants of the running heat can only be removed after RESET or ABORT.</translation>
    </message>
    <message>
        <source>Die Ergebnisse können erst nach RESET oder ABBRECHEN gelöscht werden.</source>
        <translation>The results can only be deleted after RESET or ABORT.</translation>
    </message>
    <message>
        <source>Zeile entfernen?</source>
        <translation>Remove the row?</translation>
    </message>
    <message>
        <source>Ergebnisse löschen?</source>
        <translation>Delete the results?</translation>
    </message>
    <message>
        <source>0,00 ist keine Zeit: der Lauf wird nicht gewertet und nach RESET wiederholt</source>
        <translation>0,00 is no time: the heat does not count and is repeated after RESET</translation>
    </message>
    <message>
        <source>Autoreset %1 Sek.</source>
        <translation>Auto reset %1 sec.</translation>
    </message>
    <message>
        <source>Keine freien Läufe</source>
        <translation>No runs left</translation>
    </message>
    <message>
        <source>Beenden?</source>
        <translation>Quit?</translation>
    </message>
    <message>
        <source>Das Protokoll wird beim Beenden gespeichert in:
</source>
        <translation>On quitting, the protocol is saved in:
</translation>
    </message>
    <message>
        <source>Protokoll Öffnen</source>
        <translation>Open protocol</translation>
    </message>
    <message>
        <source>Das lässt sich erst nach RESET oder ABBRECHEN rückgängig machen oder wiederherstellen: es ändert, wer auf den Türmen steht.</source>
        <translation>This can only be undone or redone after RESET or ABORT: it changes who is on the walls.</translation>
    </message>
    <message>
        <source>Rückgängig</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Wiederherstellen</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Rückgängig ändert bereits veröffentlichte Plätze. Trotzdem rückgängig machen?</source>
        <translation>Undo changes places already published. Undo anyway?</translation>
    </message>
    <message>
        <source>Wiederhergestellt</source>
        <translation>Redone</translation>
    </message>
    <message>
        <source>2 Zeile loschen</source>
        <translation>Delete 2 rows</translation>
    </message>
    <message>
        <source>3 Zeile loschen</source>
        <translation>Delete 3 rows</translation>
    </message>
    <message>
        <source>4 Zeile loschen</source>
        <translation>Delete 4 rows</translation>
    </message>
    <message>
        <source>5 Zeile loschen</source>
        <translation>Delete 5 rows</translation>
    </message>
    <message>
        <source>10 Zeile loschen</source>
        <translation>Delete 10 rows</translation>
    </message>
    <message>
        <source>Bis zum Ende des Protokolls loschen</source>
        <translation>Delete to the end of the protocol</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Abruch</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>Trasse 1</source>
        <translation>Wall 1</translation>
    </message>
    <message>
        <source>Trasse 2</source>
        <translation>Wall 2</translation>
    </message>
    <message>
        <source>K.-o.-Feld Html</source>
        <translation>Bracket Html</translation>
    </message>
    <message>
        <source>Kontaktprotokoll öffnen</source>
        <translation>Open contact log</translation>
    </message>
    <message>
        <source>Die Hilfe wurde nicht gefunden:
</source>
        <translation>The help was not found:
</translation>
    </message>
    <message>
        <source>Stopp sound</source>
        <translation>Stop sound</translation>
    </message>
    <message>
        <source>Startliste (*.csv *.txt *.tsv *.xlsx)</source>
        <translation>Start list (*.csv *.txt *.tsv *.xlsx)</translation>
    </message>
    <message>
        <source>Startliste kann nicht gelesen werden: %1
%2</source>
        <translation>The start list cannot be read: %1
%2</translation>
    </message>
    <message>
        <source>Startliste nicht übernommen: %1
%2</source>
        <translation>Start list not taken over: %1
%2</translation>
    </message>
    <message>
        <source>Startliste importiert: %1 Teilnehmer.
%2</source>
        <translation>Start list imported: %1 participants.
%2</translation>
    </message>
    <message>
        <source>Startliste importieren</source>
        <translation>Import start list</translation>
    </message>
    <message>
        <source>

Einen anderen Wettkampfordner wählen?</source>
        <translation>

Choose another event folder?</translation>
    </message>
    <message>
        <source>Wettkampfordner</source>
        <translation>Event folder</translation>
    </message>
    <message>
        <source>Gespeichert: </source>
        <translation>Saved: </translation>
    </message>
    <message>
        <source>Nicht gespeichert: %1 – %2</source>
        <translation>Not saved: %1 – %2</translation>
    </message>
    <message>
        <source>

Ein Lauf wird gerade gemessen.</source>
        <translation>

A run is being timed right now.</translation>
    </message>
    <message>
        <source>

1 Ergebnis ist nicht gespeichert.</source>
        <translation>

1 result is not saved.</translation>
    </message>
    <message>
        <source>

%1 Ergebnisse sind nicht gespeichert.</source>
        <translation>

%1 results are not saved.</translation>
    </message>
    <message>
        <source>

Das Protokoll hat ungespeicherte Änderungen.</source>
        <translation>

The protocol has unsaved changes.</translation>
    </message>
    <message>
        <source>%1 wurde nicht geschrieben:
%2</source>
        <translation>%1 was not written:
%2</translation>
    </message>
    <message>
        <source>Mehrere Zeilen löschen geht nur mit „Anzeige: alle“.</source>
        <translation>Deleting several rows works only with “Show: all”.</translation>
    </message>
    <message>
        <source>Ergebnisliste (PDF)</source>
        <translation>Results (PDF)</translation>
    </message>
    <message>
        <source>Startliste (PDF)</source>
        <translation>Start list (PDF)</translation>
    </message>
    <message>
        <source>Laufliste (PDF)</source>
        <translation>Heat list (PDF)</translation>
    </message>
    <message>
        <source>Veranstaltung: </source>
        <translation>Event: </translation>
    </message>
    <message>
        <source>Wettkampfordner: </source>
        <translation>Event folder: </translation>
    </message>
    <message>
        <source>%1 ist eine Datei, kein Ordner.</source>
        <translation>%1 is a file, not a folder.</translation>
    </message>
    <message>
        <source>Der Ordner %1 kann nicht angelegt werden.</source>
        <translation>The folder %1 cannot be created.</translation>
    </message>
    <message>
        <source>In den Ordner %1 kann nicht geschrieben werden: %2</source>
        <translation>The folder %1 cannot be written to: %2</translation>
    </message>
</context>
<context>
    <name>THelpWindow</name>
    <message>
        <source>Veltaro - Hilfe</source>
        <translation>Veltaro - Help</translation>
    </message>
    <message>
        <source>Stichwort eingeben</source>
        <translation>Type a keyword</translation>
    </message>
    <message>
        <source>Inhalt</source>
        <translation>Contents</translation>
    </message>
</context>
<context>
    <name>TImportDialog</name>
    <message>
        <source>Startliste importieren</source>
        <translation>Import start list</translation>
    </message>
    <message>
        <source>Wählen Sie über jeder Spalte, wohin sie im Protokoll gehört. Läufe, Zeit und Platz bleiben leer.</source>
        <translation>Choose above each column where it goes in the protocol. Runs, time and place stay empty.</translation>
    </message>
    <message>
        <source>Importieren</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 Teilnehmer werden übernommen.</source>
        <translation>%1 participants will be taken over.</translation>
    </message>
</context>
<context>
    <name>TLiveGlue</name>
    <message>
        <source>Live-Ergebnisse: &quot;%1&quot; ist keine Adresse</source>
        <translation>Live results: &quot;%1&quot; is not an address</translation>
    </message>
    <message>
        <source>Live-Ergebnisse: Port %1 ungültig (1 bis 65535)</source>
        <translation>Live results: port %1 not valid (1 to 65535)</translation>
    </message>
    <message>
        <source>Live-Ergebnisse: Port %1 nicht verfügbar (%2)</source>
        <translation>Live results: port %1 not available (%2)</translation>
    </message>
</context>
<context>
    <name>TLiveSettingsGroup</name>
    <message>
        <source> Live-Ergebnisse im Netz </source>
        <translation> Live results on the network </translation>
    </message>
    <message>
        <source>Zeiten und Protokoll im Netz zeigen</source>
        <translation>Show times and protocol on the network</translation>
    </message>
    <message>
        <source>alle Netzwerke</source>
        <translation>all networks</translation>
    </message>
    <message>
        <source>Leer: auf allen Netzwerken erreichbar; 127.0.0.1: nur auf diesem Rechner</source>
        <translation>Empty: reachable on all networks; 127.0.0.1: on this computer only</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Adresse:</source>
        <translation>Address:</translation>
    </message>
</context>
<context>
    <name>TLiveSharePanel</name>
    <message>
        <source>Live-Ergebnisse im Browser: </source>
        <translation>Live results in the browser: </translation>
    </message>
</context>
<context>
    <name>TModeBox</name>
    <message>
        <source>Wettkampfsart</source>
        <translation>Competition mode</translation>
    </message>
    <message>
        <source>[Ctrl+0] Turme wechseln</source>
        <translation>[Ctrl+0] Swap walls</translation>
    </message>
    <message>
        <source>Auf allen Strecken</source>
        <translation>On all routes</translation>
    </message>
    <message>
        <source>Plätze gesamt oder je Klasse (Spalte)</source>
        <translation>Places overall or per class (column)</translation>
    </message>
    <message>
        <source>Nur eine Klasse im Protokoll zeigen</source>
        <translation>Show only one class in the protocol</translation>
    </message>
    <message>
        <source>Wertung: gesamt</source>
        <translation>Ranking: overall</translation>
    </message>
    <message>
        <source>Wertung: nach </source>
        <translation>Ranking: by </translation>
    </message>
    <message>
        <source>Anzeige: alle</source>
        <translation>Show: all</translation>
    </message>
    <message>
        <source>Anzeige: </source>
        <translation>Show: </translation>
    </message>
    <message>
        <source>ohne Angabe</source>
        <translation>not given</translation>
    </message>
    <message>
        <source>Qualifikation</source>
        <translation>Qualification</translation>
    </message>
    <message>
        <source>Individuelles Klettern</source>
        <translation>Individual climbing</translation>
    </message>
    <message>
        <source>Paarrennen</source>
        <translation>Pair race</translation>
    </message>
    <message>
        <source>Finale (K.-o.)</source>
        <translation>Finals (knockout)</translation>
    </message>
</context>
<context>
    <name>TPadSettingsGroup</name>
    <message>
        <source> Startmatten (Reaktionszeit) </source>
        <translation> Foot pads (reaction time) </translation>
    </message>
    <message>
        <source>Startmatten-Port:</source>
        <translation>Foot pad port:</translation>
    </message>
    <message>
        <source>Bahn 1 (CTS):</source>
        <translation>Lane 1 (CTS):</translation>
    </message>
    <message>
        <source>Bahn 2 (DSR):</source>
        <translation>Lane 2 (DSR):</translation>
    </message>
    <message>
        <source>Fehlstart unter:</source>
        <translation>False start below:</translation>
    </message>
    <message>
        <source>Sek.</source>
        <translation>sec.</translation>
    </message>
    <message>
        <source>Keine</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Derselbe Port wie die Lichtschranken: bitte einen anderen wählen</source>
        <translation>The same port as the contacts: please choose another one</translation>
    </message>
</context>
<context>
    <name>TProtocolBar</name>
    <message>
        <source>[Ctrl+S] Speichern unter...</source>
        <translation>[Ctrl+S] Save as...</translation>
    </message>
    <message>
        <source>[Ctrl -] Zeile loschen</source>
        <translation>[Ctrl -] Delete row</translation>
    </message>
    <message>
        <source>Protokoll loschen</source>
        <translation>Delete protocol</translation>
    </message>
    <message>
        <source>[Ctrl+P] Drucken</source>
        <translation>[Ctrl+P] Print</translation>
    </message>
    <message>
        <source>1. Turm</source>
        <translation>Wall 1</translation>
    </message>
    <message>
        <source>1. Turm DIS</source>
        <translation>Wall 1 DIS</translation>
    </message>
    <message>
        <source>2. Turm DIS</source>
        <translation>Wall 2 DIS</translation>
    </message>
    <message>
        <source>2. Turm</source>
        <translation>Wall 2</translation>
    </message>
    <message>
        <source>[Ctrl+W] Datei in MS Word</source>
        <translation>[Ctrl+W] File in MS Word</translation>
    </message>
    <message>
        <source>[Ctrl+E] Datei in MS Excel</source>
        <translation>[Ctrl+E] File in MS Excel</translation>
    </message>
    <message>
        <source>[Ctrl+H] Als HTML</source>
        <translation>[Ctrl+H] As HTML</translation>
    </message>
    <message>
        <source>[Ctrl+T] 2. Monitor/TV</source>
        <translation>[Ctrl+T] 2nd monitor/TV</translation>
    </message>
    <message>
        <source>Rückgängig (Strg+Z)</source>
        <translation>Undo (Ctrl+Z)</translation>
    </message>
    <message>
        <source>Editieren</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Sortieren</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>P R O T O K O L L</source>
        <translation>P R O T O C O L</translation>
    </message>
</context>
<context>
    <name>TStatusLine</name>
    <message>
        <source>Tavoleno - Zeitmessung</source>
        <translation>Tavoleno - Timing</translation>
    </message>
</context>
<context>
    <name>TTitleStrip</name>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Abbrechen --&gt; </source>
        <translation>Cancel --&gt; </translation>
    </message>
</context>
<context>
    <name>TTrackClock</name>
    <message>
        <source>Min.</source>
        <translation>min.</translation>
    </message>
    <message>
        <source>Sek.</source>
        <translation>sec.</translation>
    </message>
</context>
<context>
    <name>TTrackPicker</name>
    <message>
        <source> Kletterturm 1 </source>
        <translation> Climbing wall 1 </translation>
    </message>
    <message>
        <source> Kletterturm 2 </source>
        <translation> Climbing wall 2 </translation>
    </message>
    <message>
        <source>Farbe</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>Protokoll öffnen	Ctrl+O</source>
        <translation>Open protocol	Ctrl+O</translation>
    </message>
    <message>
        <source>Startliste importieren	Ctrl+I</source>
        <translation>Import start list	Ctrl+I</translation>
    </message>
</context>
<context>
    <name>XlsxRead</name>
    <message>
        <source>Die Datei ist beschädigt (%1: %2).</source>
        <translation>The file is damaged (%1: %2).</translation>
    </message>
    <message>
        <source>abgebrochen</source>
        <translation>aborted</translation>
    </message>
    <message>
        <source>Die Tabelle hat zu viele Texte.</source>
        <translation>The sheet has too many texts.</translation>
    </message>
    <message>
        <source>Die Tabelle hat zu viel Text.</source>
        <translation>The sheet has too much text.</translation>
    </message>
    <message>
        <source>Tabelle</source>
        <translation>sheet</translation>
    </message>
    <message>
        <source>Textverweis %1</source>
        <translation>text reference %1</translation>
    </message>
    <message>
        <source>Die Tabelle hat mehr als %1 Zeilen.</source>
        <translation>The sheet has more than %1 rows.</translation>
    </message>
    <message>
        <source>Die Tabelle hat mehr als %1 Zellen.</source>
        <translation>The sheet has more than %1 cells.</translation>
    </message>
    <message>
        <source>Zeile %1</source>
        <translation>row %1</translation>
    </message>
    <message>
        <source>Spalte</source>
        <translation>column</translation>
    </message>
    <message>
        <source>Zelle zu lang</source>
        <translation>cell too long</translation>
    </message>
    <message>
        <source>Die Datei ist keine Excel-Arbeitsmappe (.xlsx).</source>
        <translation>The file is not an Excel workbook (.xlsx).</translation>
    </message>
    <message>
        <source>Die Datei ist beschädigt (%1).</source>
        <translation>The file is damaged (%1).</translation>
    </message>
    <message>
        <source>Die Arbeitsmappe hat kein Tabellenblatt.</source>
        <translation>The workbook has no worksheet.</translation>
    </message>
    <message>
        <source>Die Datei %1 gibt es nicht.</source>
        <translation>The file %1 does not exist.</translation>
    </message>
    <message>
        <source>%1 ist keine Datei.</source>
        <translation>%1 is not a file.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist zu groß für eine Arbeitsmappe.</source>
        <translation>The file %1 is too large for a workbook.</translation>
    </message>
    <message>
        <source>Die Datei %1 kann nicht gelesen werden (%2).</source>
        <translation>The file %1 cannot be read (%2).</translation>
    </message>
    <message>
        <source>Die Arbeitsmappe ist mit einem Kennwort geschützt. Bitte ohne Kennwort als .xlsx speichern.</source>
        <translation>The workbook is protected by a password. Please save it as .xlsx without a password.</translation>
    </message>
    <message>
        <source>Die Datei ist im alten Excel-Format (.xls). Bitte als .xlsx speichern.</source>
        <translation>The file is in the old Excel format (.xls). Please save it as .xlsx.</translation>
    </message>
</context>
<context>
    <name>XlsxWrite</name>
    <message>
        <source>ungültiger Blattname</source>
        <translation>invalid sheet name</translation>
    </message>
    <message>
        <source>Arbeitsmappe kann nicht angelegt werden</source>
        <translation>the workbook cannot be created</translation>
    </message>
</context>
<context>
    <name>ZipArchive</name>
    <message>
        <source>kein Archiv</source>
        <translation>not an archive</translation>
    </message>
    <message>
        <source>mehr als %1 MB entpackt</source>
        <translation>more than %1 MB unpacked</translation>
    </message>
</context>
</TS>
