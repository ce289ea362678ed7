#pragma once
// The lists of persist/ResultList.h as a PDF: A4, white, page numbers at the foot.
#include "persist/ResultList.h"

#include <QString>

// Writes the document to fileName (through a temporary file, so a failed write leaves an older
// list whole); false with the reason in error when it cannot be written.
bool WriteListPdf(const TListDocument& doc, const QString& fileName, QString* error);
