#include "persist/OfficeStandIn.h"

#include "persist/Docx.h"
#include "persist/SafeFile.h"
#include "persist/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
bool Is(const QString& name, const char* member) {
    return name.compare(QLatin1String(member), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void Unknown(const char* object, const QString& name) {
    throw EAutomation(QCoreApplication::translate("OfficeStandIn", "%1 kennt \"%2\" nicht.")
                          .arg(QLatin1String(object), name));
}

int IntArg(const TAutoArgs& args, int i, const QString& what) {
    bool ok = false;
    const int v = args.value(i).Value.toInt(&ok);
    if (!ok)
        throw EAutomation(
            QCoreApplication::translate("OfficeStandIn", "%1: Zahl erwartet").arg(what));
    return v;
}

QString DocumentsFolder(const TStandInHost& host) {
    QString folder = host.DocumentsFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    return folder;
}

} // namespace

class TStandInTempFiles {
public:
    QStringList Files;
    ~TStandInTempFiles() {
        for (const QString& file : std::as_const(Files))
            QFile::remove(file);
    }
};

namespace {
// A file in the temporary folder that stays after we let go of it: the desktop's program
// opens it after this program has moved on. It goes when the servers go (at the program's end).
QString KeptTempFile(const TStandInHost& host, const QString& stem, const QString& extension) {
    QString folder = host.TempFolder.isEmpty() ? QDir::tempPath() : host.TempFolder;
    QDir().mkpath(folder);
    QString safeStem = stem;
    safeStem.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    QTemporaryFile file(QDir(folder).filePath(safeStem + QStringLiteral("-XXXXXX.") + extension));
    file.setAutoRemove(false);
    if (!file.open())
        throw EAutomation(QCoreApplication::translate(
                              "OfficeStandIn", "%1: Die Datei kann nicht angelegt werden (%2).")
                              .arg(folder, file.errorString()));
    if (host.TempFiles) host.TempFiles->Files << file.fileName();
    return file.fileName();
}

// --- the spreadsheet ---------------------------------------------------------------------------

struct TBook {
    TWorkbook Data;
    QString SavedPath;
};

struct TExcel {
    TStandInHost Host;
    QList<std::shared_ptr<TBook>> Books;
};

// What the spreadsheet program makes of a text typed into a cell: a whole number becomes a
// number, everything else stays text.
QVariant TypedIn(const QVariant& value) {
    if (value.metaType().id() != QMetaType::QString) return value;
    const QString text = value.toString();
    static const QRegularExpression integer(QStringLiteral("^-?(0|[1-9][0-9]{0,14})$"));
    if (integer.match(text).hasMatch() && text != QLatin1String("-0")) return text.toDouble();
    return text;
}

class TRangeObj : public TAutoObject {
public:
    // 0-based, inclusive. Whole rows or columns reach the sheet's edge.
    TRangeObj(std::shared_ptr<TBook> book, int r1, int c1, int r2, int c2)
        : Book(std::move(book)), R1(r1), C1(c1), R2(r2), C2(c2) {}
    std::shared_ptr<TBook> Book;
    int R1, C1, R2, C2;
    bool WholeRows() const { return C1 == 0 && C2 == SheetMaxCols - 1; }
    bool WholeSheet() const { return WholeRows() && R1 == 0 && R2 == SheetMaxRows - 1; }
    qint64 CellCount() const { return qint64(R2 - R1 + 1) * (C2 - C1 + 1); }
    TSheet& Sheet() { return Book->Data.Sheet; }

    QVariant Get(const QString& name, const TAutoArgs& args) override {
        if (args.isEmpty()) return Call(name, args);
        Unknown("Range", name);
    }
    void Put(const QString& name, const TAutoArg& value) override {
        if (Is(name, "Value")) return PutValue(value.Value);
        Unknown("Range", name);
    }
    QVariant Call(const QString& name, const TAutoArgs& args) override;

    void PutValue(const QVariant& value) {
        if (CellCount() > XlsxReadMaxCells)
            throw EAutomation(
                QCoreApplication::translate("OfficeStandIn", "Der Bereich ist zu groß."));
        const bool array = value.metaType().id() == QMetaType::QVariantList;
        const QVariantList rows = array ? value.toList() : QVariantList();
        for (int r = R1; r <= R2; ++r) {
            const QVariantList line = array ? rows.value(r - R1).toList() : QVariantList();
            for (int c = C1; c <= C2; ++c) {
                QVariant v = value;
                if (array) {
                    const int i = c - C1;
                    // Cells beyond the array get the spreadsheet's "not available".
                    v = r - R1 < rows.size() && i < line.size() ? line[i]
                                                                : QVariant(QStringLiteral("#NV"));
                }
                Sheet().At(r, c).Value = TypedIn(v);
            }
        }
    }
    QVariant Value() {
        if (CellCount() > XlsxReadMaxCells)
            throw EAutomation(
                QCoreApplication::translate("OfficeStandIn", "Der Bereich ist zu groß."));
        auto cell = [this](int r, int c) {
            const TSheetCell* cell = Sheet().Cell(r, c);
            return cell ? cell->Value : QVariant();
        };
        if (R1 == R2 && C1 == C2) return cell(R1, C1);
        QVariantList rows;
        rows.reserve(R2 - R1 + 1);
        for (int r = R1; r <= R2; ++r) {
            QVariantList line;
            line.reserve(C2 - C1 + 1);
            for (int c = C1; c <= C2; ++c)
                line << cell(r, c);
            rows << QVariant(line);
        }
        return rows;
    }
    // The cells of the range: all of them (created), or only those that exist.
    template <typename F> void ForCells(F f, bool create) {
        TSheet& s = Sheet();
        const int lastRow = create ? R2 : std::min(R2, s.RowCount() - 1);
        for (int r = R1; r <= lastRow; ++r) {
            const int lastCol = create ? C2 : std::min<int>(C2, int(s.Rows[r].size()) - 1);
            for (int c = C1; c <= lastCol; ++c)
                f(s.At(r, c));
        }
    }
    void Autofit() {
        TSheet& s = Sheet();
        for (int r = std::max(0, R1); r <= std::min(R2, s.RowCount() - 1); ++r) {
            const bool rowBold = r < s.BoldRows.size() && s.BoldRows[r];
            const QVector<TSheetCell>& row = s.Rows[r];
            for (int c = C1; c <= std::min<int>(C2, int(row.size()) - 1); ++c) {
                const QString text = AutoValueText(row[c].Value);
                if (text.isEmpty()) continue;
                if (s.ColWidths.size() <= c) s.ColWidths.resize(c + 1);
                s.ColWidths[c] = std::max(s.ColWidths[c],
                                          std::min(255.0, TextWidth(text, rowBold || row[c].Bold)));
            }
        }
    }
};

class TPartObj : public TAutoObject { // Borders and Font of a range
public:
    TPartObj(std::shared_ptr<TRangeObj> range, bool font) : Range(std::move(range)), Font(font) {}
    std::shared_ptr<TRangeObj> Range;
    bool Font;
    QVariant Get(const QString& name, const TAutoArgs&) override {
        Unknown(Font ? "Font" : "Borders", name);
    }
    void Put(const QString& name, const TAutoArg& value) override {
        if (Font && Is(name, "Bold")) {
            const bool bold = value.Value.toBool();
            TRangeObj& r = *Range;
            if (r.WholeRows()) {
                TSheet& s = r.Sheet();
                if (r.R2 - r.R1 >= XlsxReadMaxRows)
                    throw EAutomation(
                        QCoreApplication::translate("OfficeStandIn", "Der Bereich ist zu groß."));
                if (s.BoldRows.size() <= r.R2) s.BoldRows.resize(r.R2 + 1);
                for (int row = r.R1; row <= r.R2; ++row)
                    s.BoldRows[row] = bold;
                r.ForCells([bold](TSheetCell& c) { c.Bold = bold; }, false);
            } else {
                if (r.CellCount() > XlsxReadMaxCells)
                    throw EAutomation(
                        QCoreApplication::translate("OfficeStandIn", "Der Bereich ist zu groß."));
                r.ForCells([bold](TSheetCell& c) { c.Bold = bold; }, true);
            }
            return;
        }
        if (!Font && Is(name, "LineStyle")) {
            // xlNone (-4142) takes the lines away; every other style draws them.
            const bool on = value.Value.toInt() != -4142;
            if (Range->CellCount() > XlsxReadMaxCells)
                throw EAutomation(
                    QCoreApplication::translate("OfficeStandIn", "Der Bereich ist zu groß."));
            Range->ForCells([on](TSheetCell& c) { c.Border = on; }, true);
            return;
        }
        Unknown(Font ? "Font" : "Borders", name);
    }
    QVariant Call(const QString& name, const TAutoArgs&) override {
        Unknown(Font ? "Font" : "Borders", name);
    }
};

QVariant TRangeObj::Call(const QString& name, const TAutoArgs& args) {
    Q_UNUSED(args);
    if (Is(name, "Value")) return Value();
    auto self = std::make_shared<TRangeObj>(*this);
    if (Is(name, "Borders")) return AutoValue(std::make_shared<TPartObj>(self, false));
    if (Is(name, "Font")) return AutoValue(std::make_shared<TPartObj>(self, true));
    if (Is(name, "Autofit") || Is(name, "AutoFit")) {
        Autofit();
        return true;
    }
    if (Is(name, "Count")) {
        // The rows of a whole sheet count as far as it is filled: the workbook's real height.
        if (WholeSheet()) return std::max(1, Sheet().RowCount());
        return CellCount();
    }
    Unknown("Range", name);
}

std::shared_ptr<TRangeObj> RangeOf(const TAutoArg& arg) {
    if (arg.Value.metaType() == QMetaType::fromType<TAutoPtr>())
        if (auto r = std::dynamic_pointer_cast<TRangeObj>(arg.Value.value<TAutoPtr>())) return r;
    throw EAutomation(QCoreApplication::translate("OfficeStandIn", "Range: Zellen erwartet"));
}

class TSheetObj : public TAutoObject {
public:
    explicit TSheetObj(std::shared_ptr<TBook> book) : Book(std::move(book)) {}
    std::shared_ptr<TBook> Book;

    TAutoPtr Range(int r1, int c1, int r2, int c2) {
        return std::make_shared<TRangeObj>(Book, std::min(r1, r2), std::min(c1, c2),
                                           std::max(r1, r2), std::max(c1, c2));
    }
    QVariant Get(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "Cells") && args.size() == 2) {
            const int r = IntArg(args, 0, name), c = IntArg(args, 1, name);
            if (r < 1 || r > SheetMaxRows || c < 1 || c > SheetMaxCols)
                throw EAutomation(QCoreApplication::translate("OfficeStandIn",
                                                              "Cells(%1, %2): außerhalb des Blatts")
                                      .arg(r)
                                      .arg(c));
            return AutoValue(Range(r - 1, c - 1, r - 1, c - 1));
        }
        if (Is(name, "Range") && args.size() == 2) {
            const auto a = RangeOf(args[0]), b = RangeOf(args[1]);
            return AutoValue(Range(std::min(a->R1, b->R1), std::min(a->C1, b->C1),
                                   std::max(a->R2, b->R2), std::max(a->C2, b->C2)));
        }
        if (Is(name, "Rows") && args.size() == 1) {
            const int r = IntArg(args, 0, name);
            if (r < 1 || r > SheetMaxRows)
                throw EAutomation(QCoreApplication::translate("OfficeStandIn", "Rows: außerhalb"));
            return AutoValue(Range(r - 1, 0, r - 1, SheetMaxCols - 1));
        }
        if (args.isEmpty()) return Call(name, args);
        Unknown("Worksheet", name);
    }
    void Put(const QString& name, const TAutoArg& value) override {
        if (Is(name, "Name")) {
            const QString text = value.Value.toString();
            if (!ValidSheetName(text))
                throw EAutomation(QCoreApplication::translate("OfficeStandIn",
                                                              "\"%1\" ist kein gültiger Blattname.")
                                      .arg(text));
            Book->Data.Sheet.Name = text;
            return;
        }
        Unknown("Worksheet", name);
    }
    QVariant Call(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "Rows") || Is(name, "Columns") || Is(name, "Cells"))
            return AutoValue(Range(0, 0, SheetMaxRows - 1, SheetMaxCols - 1));
        if (Is(name, "Name")) return Book->Data.Sheet.Name;
        if (!args.isEmpty()) return Get(name, args);
        Unknown("Worksheet", name);
    }
};

class TBookObj : public TAutoObject {
public:
    TBookObj(std::shared_ptr<TExcel> excel, std::shared_ptr<TBook> book)
        : Excel(std::move(excel)), Book(std::move(book)) {}
    std::shared_ptr<TExcel> Excel;
    std::shared_ptr<TBook> Book;

    QVariant Get(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "WorkSheets") || Is(name, "Sheets")) {
            if (args.size() == 1 && args[0].Value.toInt() == 1)
                return AutoValue(std::make_shared<TSheetObj>(Book));
            throw EAutomation(QCoreApplication::translate("OfficeStandIn",
                                                          "Die Arbeitsmappe hat nur ein Blatt."));
        }
        return Call(name, args);
    }
    void Put(const QString& name, const TAutoArg& value) override {
        if (Is(name, "Author")) {
            Book->Data.Author = value.Value.toString();
        } else if (Is(name, "Comments")) {
            Book->Data.Comments = value.Value.toString();
        } else {
            Unknown("Workbook", name);
        }
    }
    QVariant Call(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "SaveAs") && !args.isEmpty()) {
            const QString file =
                StandInFileName(args[0].Value.toString(), DocumentsFolder(Excel->Host),
                                StandInSpreadsheetExtension());
            QString error;
            TWorkbook book = Book->Data;
            book.Sheet = ForReaders(book.Sheet);
            if (!WriteXlsx(book, file, &error)) throw EAutomation(error);
            Book->SavedPath = file;
            return true;
        }
        if (Is(name, "Close")) {
            Excel->Books.removeAll(Book);
            return true;
        }
        if (Is(name, "WorkSheets") || Is(name, "Sheets")) return Get(name, args);
        Unknown("Workbook", name);
    }
};

class TBooksObj : public TAutoObject {
public:
    explicit TBooksObj(std::shared_ptr<TExcel> excel) : Excel(std::move(excel)) {}
    std::shared_ptr<TExcel> Excel;
    QVariant Get(const QString& name, const TAutoArgs& args) override { return Call(name, args); }
    void Put(const QString& name, const TAutoArg&) override { Unknown("Workbooks", name); }
    QVariant Call(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "Add")) {
            auto book = std::make_shared<TBook>();
            Excel->Books << book;
            return AutoValue(std::make_shared<TBookObj>(Excel, book));
        }
        if (Is(name, "Open") && !args.isEmpty()) {
            auto book = std::make_shared<TBook>();
            QString error;
            if (!ReadXlsxFile(args[0].Value.toString(), &book->Data, &error))
                throw EAutomation(error);
            book->SavedPath = QFileInfo(args[0].Value.toString()).absoluteFilePath();
            Excel->Books << book;
            return AutoValue(std::make_shared<TBookObj>(Excel, book));
        }
        if (Is(name, "Count")) return int(Excel->Books.size());
        Unknown("Workbooks", name);
    }
};

class TExcelObj : public TAutoObject, public std::enable_shared_from_this<TExcelObj> {
public:
    explicit TExcelObj(const TStandInHost& host) : Excel(std::make_shared<TExcel>()) {
        Excel->Host = host;
    }
    std::shared_ptr<TExcel> Excel;

    QVariant Get(const QString& name, const TAutoArgs& args) override { return Call(name, args); }
    void Put(const QString& name, const TAutoArg& value) override {
        if (Is(name, "DisplayAlerts") || Is(name, "EnableEvents") || Is(name, "ScreenUpdating"))
            return;
        if (Is(name, "Visible")) {
            if (value.Value.toBool()) Show();
            return;
        }
        Unknown("Application", name);
    }
    QVariant Call(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "Application")) return AutoValue(shared_from_this());
        if (Is(name, "WorkBooks")) return AutoValue(std::make_shared<TBooksObj>(Excel));
        if (Is(name, "Quit")) {
            Excel->Books.clear();
            return true;
        }
        Q_UNUSED(args);
        Unknown("Application", name);
    }
    // The spreadsheet program comes up with the open workbooks: saved ones from their files,
    // the others written to temporary files first.
    void Show() {
        for (const auto& book : std::as_const(Excel->Books)) {
            QString file = book->SavedPath;
            if (file.isEmpty()) {
                file =
                    KeptTempFile(Excel->Host, book->Data.Sheet.Name, StandInSpreadsheetExtension());
                QString error;
                TWorkbook shown = book->Data;
                shown.Sheet = ForReaders(shown.Sheet);
                if (!WriteXlsx(shown, file, &error)) {
                    QFile::remove(file);
                    throw EAutomation(error);
                }
            }
            if (Excel->Host.OpenDocument) Excel->Host.OpenDocument(file);
        }
    }
};

// --- the word processor --------------------------------------------------------------------

struct TPos {
    int Block = 0, Offset = 0;
    bool operator<(const TPos& o) const {
        return Block != o.Block ? Block < o.Block : Offset < o.Offset;
    }
};

class TWordObj : public TAutoObject {
public:
    explicit TWordObj(const TStandInHost& host) : Host(host) {}
    ~TWordObj() override {
        // A document the operator is to work on stays "open": it is shown once we let go.
        if (!Interactive || Closed || !Open) return;
        try {
            QString file = SavedPath;
            if (file.isEmpty()) {
                file = KeptTempFile(Host, QStringLiteral("Protokoll"), StandInDocumentExtension());
                QString error;
                const QByteArray bytes = DocxPackage(Doc, &error);
                if (bytes.isEmpty() || !WriteFileSafely(file, bytes, &error)) return;
            }
            if (Host.OpenDocument) Host.OpenDocument(file);
        } catch (...) {
            // Nothing to report to at this point.
        }
    }
    TStandInHost Host;
    TDocument Doc;
    TPos Cursor, Anchor;
    bool Open = false, Interactive = false, Closed = false;
    QString SavedPath;

    QVariant Get(const QString& name, const TAutoArgs& args) override { return Call(name, args); }
    void Put(const QString& name, const TAutoArg&) override { Unknown("WordBasic", name); }

    void NeedDocument() const {
        if (!Open)
            throw EAutomation(
                QCoreApplication::translate("OfficeStandIn", "Kein Dokument geöffnet."));
    }
    TAutoArg Arg(const TAutoArgs& args, int position, const char* named) const {
        for (const TAutoArg& a : args)
            if (Is(a.Name, named)) return a;
        int i = 0;
        for (const TAutoArg& a : args) {
            if (!a.Name.isEmpty()) continue;
            if (i++ == position) return a;
        }
        return {};
    }
    void New() {
        Doc = TDocument();
        Doc.Blocks.append(TDocBlock());
        Cursor = Anchor = TPos();
        Open = true;
        SavedPath.clear();
    }
    void Insert(const QString& text) {
        NeedDocument();
        TDocBlock& block = Doc.Blocks[Cursor.Block];
        if (block.IsTable)
            throw EAutomation(
                QCoreApplication::translate("OfficeStandIn", "Insert: in einer Tabelle"));
        static const QRegularExpression marks(QStringLiteral("\r\n|\r|\n"));
        const QStringList pieces = text.split(marks);
        const QString after = block.Text.mid(Cursor.Offset);
        block.Text = block.Text.left(Cursor.Offset) + pieces.first();
        int at = Cursor.Block;
        for (qsizetype i = 1; i < pieces.size(); ++i) {
            TDocBlock p;
            p.Text = pieces[i];
            Doc.Blocks.insert(++at, p);
        }
        Cursor = {at, int(Doc.Blocks[at].Text.size())};
        Doc.Blocks[at].Text += after;
        Anchor = Cursor;
    }
    void LineUp(int count, bool select) {
        NeedDocument();
        Cursor.Block = std::max(0, Cursor.Block - std::max(0, count));
        const TDocBlock& b = Doc.Blocks[Cursor.Block];
        Cursor.Offset = b.IsTable ? 0 : std::min(Cursor.Offset, int(b.Text.size()));
        if (!select) Anchor = Cursor;
    }
    void TextToTable(const TAutoArgs& args) {
        NeedDocument();
        const TAutoArg from = Arg(args, 0, "ConvertFrom");
        const int convertFrom = from.Value.isValid() ? from.Value.toInt() : 1;
        if (convertFrom != 1 && convertFrom != 2)
            throw EAutomation(QStringLiteral("TextToTable: Trennzeichen %1").arg(convertFrom));
        const QChar separator = convertFrom == 1 ? QLatin1Char('\t') : QLatin1Char(',');
        const TPos start = std::min(Cursor, Anchor), end = std::max(Cursor, Anchor);
        int last = end.Block;
        if (end.Offset == 0 && end.Block > start.Block) --last; // the paragraph mark before it
        QVector<QStringList> fields;
        int widest = 0;
        for (int b = start.Block; b <= last; ++b) {
            if (Doc.Blocks[b].IsTable)
                throw EAutomation(QStringLiteral("TextToTable: Tabelle markiert"));
            fields << Doc.Blocks[b].Text.split(separator);
            widest = std::max(widest, int(fields.last().size()));
        }
        const int asked = Arg(args, 1, "NumColumns").Value.toInt();
        const int columns = asked > 0 ? asked : widest;
        TDocBlock table;
        table.IsTable = true;
        for (const QStringList& line : fields) {
            // A line with more fields than columns goes on in the next rows.
            for (qsizetype i = 0; i < std::max<qsizetype>(1, line.size()); i += columns) {
                QStringList row = line.mid(i, columns);
                while (row.size() < columns)
                    row << QString();
                table.Table << row;
            }
        }
        Doc.Blocks.remove(start.Block, last - start.Block + 1);
        Doc.Blocks.insert(start.Block, table);
        if (start.Block + 1 >= Doc.Blocks.size()) Doc.Blocks.append(TDocBlock());
        Cursor = Anchor = TPos{start.Block + 1, 0};
    }
    void OpenFile(const QString& path) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly) && file.size() <= XlsxMaxFileBytes)
            bytes = file.readAll();
        New();
        // A template we cannot read (the old binary format) leaves a new document.
        if (IsDocxPackage(bytes)) Doc.TemplatePackage = bytes;
    }
    void SaveAs(const QString& name) {
        NeedDocument();
        const QString file =
            StandInFileName(name, DocumentsFolder(Host), StandInDocumentExtension());
        QString error;
        const QByteArray bytes = DocxPackage(Doc, &error);
        if (bytes.isEmpty() || !WriteFileSafely(file, bytes, &error)) throw EAutomation(error);
        SavedPath = file;
    }

    QVariant Call(const QString& name, const TAutoArgs& args) override {
        if (Is(name, "AppMaximize")) {
            Interactive = true;
        } else if (Is(name, "AppMinimize")) {
            Interactive = false;
        } else if (Is(name, "FileNew")) {
            New();
        } else if (Is(name, "FileOpen") && !args.isEmpty()) {
            OpenFile(args[0].Value.toString());
        } else if (Is(name, "Insert") && !args.isEmpty()) {
            Insert(args[0].Value.toString());
        } else if (Is(name, "LineUp")) {
            LineUp(args.isEmpty() ? 1 : IntArg(args, 0, name),
                   args.size() > 1 && args[1].Value.toInt() != 0);
        } else if (Is(name, "TextToTable")) {
            TextToTable(args);
        } else if (Is(name, "FileSaveAs") && !args.isEmpty()) {
            SaveAs(args[0].Value.toString());
        } else if (Is(name, "FileClose")) {
            Open = false;
        } else if (Is(name, "AppClose")) {
            Open = false;
            Closed = true;
        } else {
            Unknown("WordBasic", name);
        }
        return QVariant();
    }
};
} // namespace

QString StandInFileName(const QString& name, const QString& folder, const QString& extension) {
    if (name.isEmpty())
        throw EAutomation(QCoreApplication::translate("OfficeStandIn", "Kein Dateiname."));
    QString file = QDir::isRelativePath(name) ? QDir(folder).filePath(name) : name;
    const QString suffix = QFileInfo(file).suffix();
    if (suffix.compare(extension, Qt::CaseInsensitive) == 0) return file;
    if (!suffix.isEmpty() && extension.startsWith(suffix, Qt::CaseInsensitive) &&
        extension.size() == suffix.size() + 1)
        return file.left(file.size() - suffix.size()) + extension;
    return file + QLatin1Char('.') + extension;
}

TStandInServers::TStandInServers(TStandInHost host) : m_host(std::move(host)) {
    if (!m_host.TempFiles) m_host.TempFiles = std::make_shared<TStandInTempFiles>();
}

QString TStandInServers::DocumentFile(const QString& name) const {
    return StandInFileName(name, DocumentsFolder(m_host), StandInDocumentExtension());
}

bool TStandInServers::Available(const QString& progId) const {
    return Is(progId, "Excel.Application") || Is(progId, "Word.Basic");
}

TAutoPtr TStandInServers::Create(const QString& progId) {
    if (Is(progId, "Excel.Application")) return std::make_shared<TExcelObj>(m_host);
    if (Is(progId, "Word.Basic")) return std::make_shared<TWordObj>(m_host);
    throw EAutomation(
        QCoreApplication::translate("OfficeStandIn", "Ungültige Klassenzeichenfolge: %1")
            .arg(progId));
}
