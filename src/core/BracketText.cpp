#include "core/BracketText.h"

#include "core/TimeFormat.h"

#include <QCoreApplication>

QString BracketRoundName(int round, int rounds, bool smallFinal) {
    if (smallFinal) return QCoreApplication::translate("BracketText", "Kleines Finale");
    switch (rounds - 1 - round) {
    case 0:
        return QCoreApplication::translate("BracketText", "Finale");
    case 1:
        return QCoreApplication::translate("BracketText", "Halbfinale");
    case 2:
        return QCoreApplication::translate("BracketText", "Viertelfinale");
    case 3:
        return QCoreApplication::translate("BracketText", "Achtelfinale");
    default:
        return QCoreApplication::translate("BracketText", "Runde %1").arg(round + 1);
    }
}

QString BracketLaneText(const TBracket::TLane& lane, int timeFormat) {
    switch (lane.Kind) {
    case TBracket::LaneTime:
        return FormatTime(lane.Ms, timeFormat);
    case TBracket::LaneDis:
        return lane.FalseStart ? QStringLiteral("FS.") : QStringLiteral("DIS.");
    case TBracket::LaneNone:
        break;
    }
    return QString();
}

QString BracketSideText(const TBracket::THeat& heat, int side,
                        const std::function<QString(int entry)>& name) {
    const int s = side == 0 ? 0 : 1;
    const int entry = heat.Entry[size_t(s)];
    if (entry >= 0) return name ? name(entry) : QString::number(entry + 1);
    // A bye's missing side never gets a climber; an open side of a later round still may.
    return heat.Bye ? QCoreApplication::translate("BracketText", "Freilos") : QString();
}

QString BracketEntryName(const QString& name, const QString& startNumber, const QString& listText) {
    if (!name.trimmed().isEmpty()) return name.trimmed();
    if (!startNumber.trimmed().isEmpty()) return startNumber.trimmed();
    return listText.trimmed();
}
