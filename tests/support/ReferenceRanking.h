#pragma once
// The protocol's ranking done the way the grid once did it, on a plain table of texts: sorted
// by the grid's rules, then places counted down the sorted rows. The competition computes its
// ranking on its own; tests and benchmarks hold it against this independent reference.
#include "core/SortOrder.h"

#include <QStringList>
#include <QVector>

// Sorts the rows of the table in place (row 0 stays) by column col and options.SecondaryIndex.
void SortRowTable(QVector<QStringList>& table, int col, TSortOptions& options,
                  const TGetSortStyle& getStyle = {});

// Dense places for rows already in ranking order (rows of one class standing together).
// zeit: the result texts; klass: the class texts, or empty when no class ranking.
// Returns the place texts ("" for rows without a result).
QStringList DensePlaces(const QStringList& zeit, const QStringList& klass);
