#include "live/LivePageText.h"

#include <QCoreApplication>

namespace {
// Longer texts first, so a text that holds a shorter one is swapped whole.
const char* const kTexts[] = {
    QT_TRANSLATE_NOOP("LivePage", "Verbindung unterbrochen, neuer Versuch …"),
    QT_TRANSLATE_NOOP("LivePage", "Verbindung wird aufgebaut …"),
    QT_TRANSLATE_NOOP("LivePage", "Verbindung unterbrochen …"),
    QT_TRANSLATE_NOOP("LivePage", "Noch keine Teilnehmer."),
    QT_TRANSLATE_NOOP("LivePage", "Kein K.-o.-Feld."),
    QT_TRANSLATE_NOOP("LivePage", "Letzte Läufe"),
    QT_TRANSLATE_NOOP("LivePage", "Live (Abfrage)"),
    QT_TRANSLATE_NOOP("LivePage", "Kletterturm 1"),
    QT_TRANSLATE_NOOP("LivePage", "Kletterturm 2"),
    QT_TRANSLATE_NOOP("LivePage", "Platzierung"),
    QT_TRANSLATE_NOOP("LivePage", "ohne Klasse"),
    QT_TRANSLATE_NOOP("LivePage", " – Fehlstart"),
    QT_TRANSLATE_NOOP("LivePage", "K.-o.-Feld"),
    QT_TRANSLATE_NOOP("LivePage", "ungültig: "),
    QT_TRANSLATE_NOOP("LivePage", "Fehlstart"),
    QT_TRANSLATE_NOOP("LivePage", "Reaktion "),
    QT_TRANSLATE_NOOP("LivePage", "Protokoll"),
    QT_TRANSLATE_NOOP("LivePage", " – jetzt"),
    QT_TRANSLATE_NOOP("LivePage", "Wertung"),
    QT_TRANSLATE_NOOP("LivePage", "Beendet"),
    QT_TRANSLATE_NOOP("LivePage", "Freilos"),
    QT_TRANSLATE_NOOP("LivePage", "Bereit"),
    QT_TRANSLATE_NOOP("LivePage", "Sieger"),
    QT_TRANSLATE_NOOP("LivePage", "Platz"),
    QT_TRANSLATE_NOOP("LivePage", "Lauf "),
    QT_TRANSLATE_NOOP("LivePage", "Lauf"),
    QT_TRANSLATE_NOOP("LivePage", "Name"),
    QT_TRANSLATE_NOOP("LivePage", "Zeit"),
};
} // namespace

QByteArray LocalizedLivePage(QByteArray page) {
    // Only whole texts are swapped: "Lauf" inside a longer word or a name stays.
    for (const char* text : kTexts) {
        const QByteArray source(text);
        const QByteArray target = QCoreApplication::translate("LivePage", text).toUtf8();
        if (target == source) continue;
        page.replace('"' + source + '"', '"' + target + '"');
        page.replace('>' + source + '<', '>' + target + '<');
    }
    const QByteArray lang =
        QCoreApplication::translate("LivePage", "de", "the page's language").toUtf8().left(8);
    if (lang != "de") page.replace("<html lang=\"de\">", "<html lang=\"" + lang + "\">");
    return page;
}
