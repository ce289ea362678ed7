#include "core/Participants.h"

#include "core/Columns.h"

QString EntryText(const QString& stNr, const QString& name, const QString& ort,
                  const QString& klasse) {
    return stNr + ' ' + name + ' ' + ort + ' ' + klasse;
}

std::optional<int> StartNumberStrict(const QString& entry) {
    const qsizetype blank = entry.indexOf(' ');
    if (blank < 0) return std::nullopt;
    const QString head = entry.left(blank);
    if (head.isEmpty()) return std::nullopt;
    for (qsizetype i = 0; i < head.size(); ++i) {
        const QChar c = head.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == '-' || c == '+')))
            return std::nullopt;
    }
    bool ok = false;
    const int v = head.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

int RecordColumn(const QStringList& rowCells, int track, int countBahn, int countZabegov) {
    const int step = countBahn < 1 ? 1 : countBahn;
    for (int c = track + Col::Turm1; c < countZabegov + Col::Turm1; c += step)
        if (rowCells.value(c).trimmed().isEmpty()) return c;
    return -1;
}

unsigned EmptyRunMask(const QStringList& rowCells, int countZabegov) {
    unsigned mask = 0;
    for (int i = 1; i <= countZabegov && i <= 6; ++i)
        if (rowCells.value(Col::Turm1 + i - 1).trimmed().isEmpty()) mask |= 1u << (i - 1);
    return mask;
}

unsigned TrackTableBit(int track, int countZabegov, int countBahn) {
    static const unsigned Track1Table[7] = {0, 1, 1, 4, 4, 16, 16};
    static const unsigned Track2Table[7] = {0, 2, 2, 8, 8, 32, 32};
    const int z = countZabegov < 1 ? 1 : (countZabegov > 6 ? 6 : countZabegov);
    unsigned bit = track == 0 ? Track1Table[z] : Track2Table[z];
    // With two tracks and an odd number of runs the table names a track-2 column beyond the
    // runs in use; the recorder writes track 2's last run into the last even column in use,
    // so that column decides instead (otherwise caption 2 would stay red for everyone).
    if (track == 1 && countBahn == 2 && (z % 2) == 1 && z > 1) bit = 1u << (z - 2);
    return bit;
}
