#pragma once
// The live pages' own words in the program's language. The pages are written in German;
// served in another language, each of their texts is swapped for its translation where it
// stands whole: as a quoted script string or as the whole text of an element.
#include <QByteArray>

QByteArray LocalizedLivePage(QByteArray page);
