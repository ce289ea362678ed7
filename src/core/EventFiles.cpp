#include "core/EventFiles.h"

#include <QHash>
#include <QStringList>

QString SafeFileName(const QString& text, int maxLength) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool bad =
            c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("<>:\"/\\|?*").contains(c);
        out += bad ? QLatin1Char('_') : c;
    }
    out = out.trimmed();
    // Cut before the end is tidied, so that a cut never leaves a dot or blank at the end.
    if (maxLength > 0 && out.size() > maxLength) {
        out.truncate(maxLength);
        // Half a surrogate pair is no character.
        if (!out.isEmpty() && out.back().isHighSurrogate()) out.chop(1);
    }
    while (!out.isEmpty() && (out.back() == QLatin1Char('.') || out.back().isSpace()))
        out.chop(1);
    if (out.isEmpty()) return QStringLiteral("Wettkampf");
    static const QStringList devices = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),
        QStringLiteral("NUL"),  QStringLiteral("COM1"), QStringLiteral("COM2"),
        QStringLiteral("COM3"), QStringLiteral("COM4"), QStringLiteral("COM5"),
        QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"),
        QStringLiteral("LPT6"), QStringLiteral("LPT7"), QStringLiteral("LPT8"),
        QStringLiteral("LPT9")};
    // Windows takes "con.txt" for the device as well: the part before the first dot decides.
    if (devices.contains(out.section(QLatin1Char('.'), 0, 0).trimmed(), Qt::CaseInsensitive))
        out.prepend(QLatin1Char('_'));
    return out;
}

QString DefaultEventFolderName(const QDate& date, const QString& title) {
    const QString day = date.toString(QStringLiteral("yyyy-MM-dd"));
    return title.trimmed().isEmpty() ? day : SafeFileName(day + QLatin1Char(' ') + title);
}

QString EventFileName(const QDate& date, const QString& title, const QString& kind,
                      const QString& extension) {
    QString base = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (!title.trimmed().isEmpty()) base += QLatin1Char('_') + title;
    if (!kind.isEmpty()) base += QLatin1Char('_') + kind;
    return SafeFileName(base) + extension;
}

QString StampedExitCopyName(const QDateTime& when, const QString& title) {
    QString base =
        QStringLiteral("Beenden ") + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    if (!title.trimmed().isEmpty()) base += QLatin1Char(' ') + title;
    return SafeFileName(base) + QStringLiteral(".txt");
}

int UnsavedResults(const TProtocolRows& saved, const TProtocolRows& now) {
    const auto key = [](const QStringList& row) {
        return row.value(Col::StNr).trimmed() + QLatin1Char('\t') + row.value(Col::Name).trimmed();
    };
    QHash<QString, const QStringList*> before;
    for (int r = 1; r < saved.size(); ++r)
        before.insert(key(saved[r]), &saved[r]);
    int count = 0;
    for (int r = 1; r < now.size(); ++r) {
        const QStringList* old = before.value(key(now[r]), nullptr);
        for (int c = Col::Turm1; c <= Col::Turm6; ++c) {
            const QString cell = now[r].value(c).trimmed();
            if (!cell.isEmpty() && (!old || old->value(c).trimmed() != cell)) ++count;
        }
    }
    return count;
}
