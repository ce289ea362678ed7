#pragma once
// The participant list of both tracks: one row per entry of the competition, in load order
// whatever the protocol shows. Both track lists (cbBuhn1, cbBuhn2) take this one model, so
// neither is a copy of the other; a list's current row is the track's entry.
#include <QAbstractListModel>

class TCompetition;

class TParticipantList : public QAbstractListModel {
    Q_OBJECT
public:
    enum TRole {
        EntryRole = Qt::UserRole, // the entry number (0-based, load order)
        StartNumberRole,          // the start number as a number; invalid when unreadable
        DummyRole                 // true for the "Qualifikation" dummy
    };

    explicit TParticipantList(TCompetition* competition, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    TCompetition* m_competition;
    int m_rows = 0;
};
