#include "core/HallBoard.h"

#include "core/BracketText.h"
#include "core/Competition.h"
#include "core/RunController.h"

int HallWinner(const THallOutcome& a, const THallOutcome& b) {
    if (a.kind == THallOutcome::Open || b.kind == THallOutcome::Open) return -1;
    if (a.kind == THallOutcome::Out) return b.kind == THallOutcome::Time ? 1 : -1;
    if (b.kind == THallOutcome::Out) return 0;
    if (a.ms == b.ms) return -1;
    return a.ms < b.ms ? 0 : 1;
}

QString HallHeatHeading(const TBracket& bracket, int heat) {
    const QVector<TBracket::THeat>& heats = bracket.Heats();
    if (heat < 0 || heat >= heats.size()) return QString();
    const TBracket::THeat& h = heats[heat];
    const QString name = BracketRoundName(h.Round, bracket.Rounds(), h.SmallFinal);
    int inRound = 0, position = 0;
    for (const TBracket::THeat& other : heats)
        if (other.Round == h.Round && other.SmallFinal == h.SmallFinal) {
            ++inRound;
            if (other.Slot <= h.Slot) ++position;
        }
    return inRound > 1 ? QStringLiteral("%1 %2/%3").arg(name).arg(position).arg(inRound) : name;
}

namespace {

// Out by the protocol: the cell the lane's last STOP filled holds "DIS." or "FS.", or in the
// finals the lane of the heat was marked so.
QString OutMark(const TCompetition& c, int track) {
    const int entry = c.TrackEntry(track);
    if (entry < 0) return QString();
    if (c.Mode() == TCompetition::FinaleKo) {
        const auto lane = c.PendingLane(track);
        if (!lane || lane->Kind != TBracket::LaneDis) return QString();
        return lane->FalseStart ? QStringLiteral("FS.") : QStringLiteral("DIS.");
    }
    const int col = c.LastCell(track).Column;
    if (col < Col::Turm1 || col > Col::Turm6 ||
        c.Run(entry, col - Col::Turm1).Kind != TCompetition::RunDis)
        return QString();
    return c.Cell(entry, col).trimmed().toUpper();
}

} // namespace

THallBoard HallBoard(const TCompetition& c, const TRunController& run) {
    THallBoard board;
    const bool finals = c.Mode() == TCompetition::FinaleKo;
    if (finals) board.heading = HallHeatHeading(c.Bracket(), c.Bracket().CurrentHeat());
    const int klassCol = c.KlassCol() - 1;
    std::array<THallOutcome, 2> outcome{};
    for (int t = 0; t < 2; ++t) {
        THallLane& lane = board.lanes[size_t(t)];
        const int entry = c.TrackEntry(t);
        if (t >= c.CountBahn() || entry < 0 || c.IsDummy(entry)) continue;
        lane.startNumber = c.Cell(entry, Col::StNr).trimmed();
        lane.name = c.Cell(entry, Col::Name).trimmed();
        lane.club = c.Cell(entry, Col::Ort).trimmed();
        if (klassCol >= 0) lane.category = c.Cell(entry, klassCol).trimmed();
        lane.mark = run.FalseStart(t) ? QStringLiteral("FS.") : OutMark(c, t);
        if (!lane.mark.isEmpty())
            outcome[size_t(t)].kind = THallOutcome::Out;
        else if (run.TrackStopped(t))
            outcome[size_t(t)] = {THallOutcome::Time, run.StopTime(t)};
    }
    // Only a heat both lanes ran has a winner; the stopped flags last until RESET.
    if (c.CountBahn() == 2 && !run.IsReady() && run.TrackStopped(0) && run.TrackStopped(1))
        board.winner = HallWinner(outcome[0], outcome[1]);
    return board;
}
