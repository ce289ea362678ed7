#include "core/ParticipantList.h"

#include "core/Competition.h"

TParticipantList::TParticipantList(TCompetition* competition, QObject* parent)
    : QAbstractListModel(parent), m_competition(competition), m_rows(competition->EntryCount()) {
    connect(competition, &TCompetition::Changed, this,
            [this](TCompetition::TChange what, int entry, int column) {
                if (what == TCompetition::RowsChanged) {
                    // Entries come and go only by loads, deletes and the mode's dummy: rare
                    // enough to tell the lists all at once.
                    beginResetModel();
                    m_rows = m_competition->EntryCount();
                    endResetModel();
                } else if (what == TCompetition::CellChanged && column >= Col::StNr &&
                           column <= Col::Klasse && entry >= 0 && entry < m_rows) {
                    const QModelIndex i = index(entry);
                    emit dataChanged(i, i);
                }
            });
}

int TParticipantList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

QVariant TParticipantList::data(const QModelIndex& index, int role) const {
    const int entry = index.row();
    if (!index.isValid() || !m_competition->IsValidEntry(entry)) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_competition->EntryText(entry);
    case EntryRole:
        return entry;
    case StartNumberRole: {
        const auto n = m_competition->StartNumber(entry);
        return n ? QVariant(*n) : QVariant();
    }
    case DummyRole:
        return m_competition->IsDummy(entry);
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> TParticipantList::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names[EntryRole] = "entry";
    names[StartNumberRole] = "startNumber";
    names[DummyRole] = "dummy";
    return names;
}
