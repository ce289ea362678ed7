#pragma once
// A word-processor document as our document stand-in keeps it, written as a .docx package
// (WordprocessingML, which LibreOffice and Microsoft Word both open as their own).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct TDocBlock {
    bool IsTable = false;
    QString Text;               // a paragraph (TAB inside stays a tab)
    QVector<QStringList> Table; // a table's rows of cells
};

struct TDocument {
    QVector<TDocBlock> Blocks;
    // A template's package: the blocks go to the start of its body, everything else of it
    // (page setup, headers, styles, its own text after ours) is kept. Empty: a new document.
    QByteArray TemplatePackage;
};

// Whether the bytes are a .docx package we can build on: a zip holding a document part.
bool IsDocxPackage(const QByteArray& bytes);
// The package bytes; empty with a reason when the template's document part cannot be read or
// has no body, or when the template unpacks to more than 64 MB in all.
QByteArray DocxPackage(const TDocument& doc, QString* error);

// Text made safe for XML 1.0: the control characters it cannot hold are dropped.
QString XmlSafe(const QString& text);
