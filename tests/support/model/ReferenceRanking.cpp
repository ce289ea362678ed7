#include "ReferenceRanking.h"

#include <algorithm>

void SortRowTable(QVector<QStringList>& table, int col, TSortOptions& options,
                  const TGetSortStyle& getStyle) {
    int width = 0;
    for (const QStringList& r : table)
        width = std::max(width, int(r.size()));
    const QVector<int> order =
        SortRowOrder(table, SortKeyColumns(options.SecondaryIndex, col, width), options, getStyle);
    if (order.isEmpty()) return;
    QVector<QStringList> sorted;
    sorted.reserve(table.size());
    sorted.append(table[0]);
    for (int from : order)
        sorted.append(table[from]);
    table.swap(sorted);
}

QStringList DensePlaces(const QStringList& zeit, const QStringList& klass) {
    QStringList places;
    places.reserve(zeit.size());
    QString lastTime, lastClass;
    int place = 0;
    const bool byClass = !klass.isEmpty();
    for (qsizetype r = 0; r < zeit.size(); ++r) {
        if (zeit[r].trimmed().isEmpty()) {
            places << QString();
            continue;
        }
        if (byClass) {
            const QString k = klass.value(r).trimmed();
            if (k != lastClass) {
                lastTime.clear();
                place = 0;
                lastClass = k;
            }
        }
        if (zeit[r] != lastTime) {
            ++place;
            lastTime = zeit[r];
        }
        places << QString::number(place);
    }
    return places;
}
