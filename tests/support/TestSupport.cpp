#include "TestSupport.h"

#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "persist/ProtocolText.h"
#include "widgets/SortGrid.h"
#include "widgets/Udigit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <numeric>

bool TScriptedDialogs::AskYesNo(const QString& text, const QString&) {
    asked << text;
    if (whileAsking) whileAsking();
    return answers.isEmpty() ? false : answers.takeFirst();
}

int TScriptedDialogs::AskSaveBeforeQuit(const QString& text, const QString& caption) {
    if (quitChoices.isEmpty()) return TDialogs::AskSaveBeforeQuit(text, caption);
    asked << text;
    return quitChoices.takeFirst();
}

int TScriptedDialogs::RunModal(QDialog& dialog) {
    // Shown for real (so it prepares itself as it would for the operator), answered, hidden.
    dialog.show();
    const int result = onModal ? onModal(dialog) : int(QDialog::Rejected);
    dialog.hide();
    return result;
}

TProtocolRows ParticipantRows(int n, const QList<int>& startNumbers) {
    TProtocolRows rows;
    rows.push_back(
        {"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "", "", "", "", "", "", "", "", ""});
    for (int i = 0; i < n; ++i) {
        QStringList r(14);
        r[0] = QString::number(startNumbers.value(i, i + 1));
        r[1] = QStringLiteral("Name%1").arg(i + 1);
        r[2] = QStringLiteral("Ort%1").arg(i + 1);
        r[3] = i % 2 ? QStringLiteral("B") : QStringLiteral("A");
        rows.push_back(r);
    }
    return rows;
}

TWindowFixture::TWindowFixture(bool show) {
    QStandardPaths::setTestModeEnabled(true);
    clock.now = 5000000;
    SetTickSource(TManualClock::Source(clock));
    Open(show);
}

TWindowFixture::~TWindowFixture() {
    forms.reset();
    parts.reset();
    SetTickSource({});
}

void TWindowFixture::Restart(bool show) {
    forms.reset();
    parts.reset();
    Open(show);
}

void TWindowFixture::Open(bool show) {
    parts = std::make_unique<TAppParts>(
        std::make_unique<QSettings>(SettingsFile(), QSettings::IniFormat));
    forms = std::make_unique<TAppForms>(*parts, &dialogs);
    w = forms->FormMain.get();
    // Never the tester's documents: the competition's files go to the test's folder.
    if (parts->Settings.EventFolder.isEmpty())
        parts->Settings.EventFolder = dir.filePath(QStringLiteral("Wettkampfordner"));
    if (show) {
        forms->StartTvMode();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w)) qWarning("window did not become active");
    }
}

void TWindowFixture::ChooseMode(int vid) {
    auto* box = Get<QComboBox>("cbVid");
    box->setCurrentIndex(vid);
    emit box->activated(vid);
}

void TWindowFixture::Load(int vid, const TProtocolRows& rows) {
    ChooseMode(vid);
    w->LoadProtocolRows(rows, dir.filePath(QStringLiteral("Wettkampf.txt")));
}

void TWindowFixture::Heat(int t1, int t2) {
    const bool oneFirst = t2 <= 0 || (t1 > 0 && t1 <= t2);
    const int first = oneFirst ? t1 : t2, second = oneFirst ? t2 : t1;
    QString steps = QStringLiteral("F8 +%1 %2").arg(first).arg(oneFirst ? "F4" : "F6");
    if (second > 0)
        steps += QStringLiteral(" +%1 %2").arg(second - first).arg(oneFirst ? "F6" : "F4");
    Play(steps);
}

namespace {
int KeyOf(QString k, Qt::KeyboardModifiers& mods) {
    mods = k.size() > 1 && k.startsWith(QLatin1Char('^'))   ? Qt::ControlModifier
           : k.size() > 1 && k.startsWith(QLatin1Char('_')) ? Qt::ShiftModifier
                                                            : Qt::NoModifier;
    if (mods != Qt::NoModifier) k = k.mid(1);
    if (k == QLatin1String("Del")) return Qt::Key_Delete;
    if (k == QLatin1String("Esc")) return Qt::Key_Escape;
    if (k.size() > 1 && k.startsWith(QLatin1Char('F'))) return Qt::Key_F1 + k.mid(1).toInt() - 1;
    return k.size() == 1 ? k[0].toUpper().unicode() : 0;
}

// The n-th field of an argument, as a number.
int Field(const QString& arg, int n, char separator = ':') {
    return arg.section(QLatin1Char(separator), n, n).toInt();
}
} // namespace

void TWindowFixture::Play(const QString& steps) {
    auto* grid = Get<TSortGrid>("SortGrid1");
    for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString op = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        const QByteArray name = arg.toLatin1();
        const QPoint rowAt = grid->CellRect(Col::Name, arg.toInt()).center();
        if (op.startsWith(QLatin1Char('+'))) {
            clock.advance(op.mid(1).toUInt());
        } else if (op == QLatin1String("~")) {
            QMetaObject::invokeMethod(Get<QTimer>("Clock"), "timeout");
        } else if (op == QLatin1String("poll")) {
            Run().Poll();
        } else if (op == QLatin1String("load")) {
            Load(Field(arg, 0, '/'), ParticipantRows(Field(arg, 1, '/')));
        } else if (op == QLatin1String("klass")) {
            Settings().KlassCol = arg.toInt();
        } else if (op == QLatin1String("filter")) {
            dialogs.chosenFilter = arg.toInt();
        } else if (op == QLatin1String("runs")) {
            Settings().CountZabegov = arg.toInt();
        } else if (op == QLatin1String("late")) {
            dialogs.whileAsking = [this] {
                clock.advance(std::uint32_t(Settings().AutoTime));
                Run().Poll();
            };
        } else if (op == QLatin1String("mode")) {
            ChooseMode(arg.toInt());
        } else if (op == QLatin1String("press")) {
            QTest::mousePress(Get<QWidget>(name.constData()), Qt::LeftButton);
        } else if (op == QLatin1String("release")) {
            QTest::mouseRelease(Get<QWidget>(name.constData()), Qt::LeftButton);
        } else if (op == QLatin1String("click") || op == QLatin1String("rclick")) {
            QTest::mouseClick(Get<QWidget>(name.constData()),
                              op == QLatin1String("click") ? Qt::LeftButton : Qt::RightButton);
        } else if (op == QLatin1String("row")) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowAt);
        } else if (op == QLatin1String("dbl")) {
            // A negative row: three rows below the last one, where no participant is.
            const QPoint below = grid->CellRect(Col::Name, grid->RowCount() - 1).center() +
                                 QPoint(0, 3 * grid->DefaultRowHeight());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                               arg.toInt() < 0 ? below : rowAt);
        } else if (op == QLatin1String("edit")) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->CellRect(Field(arg, 0), Field(arg, 1)).center());
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Return);
            QTest::keyClicks(grid->InplaceEditor(), arg.section(QLatin1Char(':'), 2));
        } else if (op == QLatin1String("commit")) {
            grid->setFocus(); // the editor, if still open, loses the focus and commits
        } else if (op == QLatin1String("menu")) {
            Get<QMenu>("PopupMenuDelStr")->actions().at(arg.toInt())->trigger();
        } else if (op == QLatin1String("open")) {
            QList<int> numbers(Field(arg, 1, '/'));
            std::iota(numbers.begin(), numbers.end(), Field(arg, 0, '/'));
            dialogs.openNames << dir.filePath(QStringLiteral("Neu.txt"));
            WriteProtocolFile(dialogs.openNames.last(),
                              ParticipantRows(int(numbers.size()), numbers), nullptr);
        } else if (op == QLatin1String("close")) {
            w->close();
        } else if (op == QLatin1String("yes") || op == QLatin1String("no")) {
            dialogs.answers << (op == QLatin1String("yes"));
        } else if (op == QLatin1String("sort")) {
            QTest::mouseClick(Get<QWidget>("cbSort"), Qt::LeftButton);
        } else {
            // "in:KEY" types the key into the widget that has the focus, not the window.
            const bool in = op == QLatin1String("in");
            Qt::KeyboardModifiers mods;
            const int key = KeyOf(in ? arg : op, mods);
            if (!key) qFatal("unknown step %s", qPrintable(step));
            QTest::keyClick(in ? QApplication::focusWidget() : w, Qt::Key(key), mods);
        }
    }
}

QString TWindowFixture::Probe(const QString& what) {
    const QString arg = what.section(QLatin1Char(':'), 1);
    const QByteArray name = arg.toLatin1();
    const auto bit = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    auto* grid = Get<TSortGrid>("SortGrid1");
    // An empty cell read from a file is one blank, which every part reads as empty.
    const auto cell = [grid](int col, int row) { return grid->Cells(col, row).trimmed(); };
    const auto onTrack = [this](const char* list) {
        auto* box = Get<QComboBox>(list);
        return box->currentIndex() < 0 ? QStringLiteral("-")
                                       : box->currentText().section(' ', 0, 0);
    };
    if (what == QLatin1String("flags")) {
        QString s = bit(Get<QTimer>("Clock")->isActive());
        for (const char* a : {"mStart", "mSTOP1", "mStop2", "mReset", "Abruch1"})
            s += bit(Get<QAction>(a)->isEnabled());
        return s + bit(Get<QWidget>("cbBuhn1")->isEnabled()) +
               bit(Get<QWidget>("bCFG")->isEnabled());
    }
    if (what == QLatin1String("tracks")) return onTrack("cbBuhn1") + '-' + onTrack("cbBuhn2");
    if (what == QLatin1String("d1") || what == QLatin1String("d2"))
        return Digits(what == QLatin1String("d2"));
    if (what.startsWith(QLatin1String("c:"))) return cell(Field(arg, 0), Field(arg, 1));
    if (what.startsWith(QLatin1String("m:")))
        return Competition().Cell(Field(arg, 1) - 1, Field(arg, 0));
    if (what.startsWith(QLatin1String("of:"))) {
        const int r = grid->FindInColumn(Col::StNr, arg.section(QLatin1Char(':'), 0, 0), false);
        return r < 0 ? QStringLiteral("<none>") : cell(Field(arg, 1), r);
    }
    if (what.startsWith(QLatin1String("col:"))) {
        QStringList cells;
        for (int r = 1; r < grid->RowCount(); ++r)
            cells << cell(arg.toInt(), r);
        return cells.join(QLatin1Char(','));
    }
    if (what == QLatin1String("note")) return Get<QLabel>("StatusNote")->text();
    if (what == QLatin1String("focus"))
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    if (what == QLatin1String("asked")) return dialogs.asked.join(QLatin1Char('/'));
    if (what == QLatin1String("types")) return dialogs.types;
    if (what == QLatin1String("msgs")) return QString::number(dialogs.messages.size());
    if (what == QLatin1String("red")) {
        QString s;
        for (const char* l : {"LabelZabeg1", "LabelZabeg2"})
            s += Get<QLabel>(l)->palette().color(QPalette::WindowText) == Qt::red ? 'r' : '-';
        return s;
    }
    if (what == QLatin1String("listed")) return Listed(0).join(QLatin1Char(','));
    if (what == QLatin1String("modified")) return bit(Competition().Modified());
    if (what == QLatin1String("shown")) return bit(w->isVisible());
    if (what == QLatin1String("title"))
        return w->windowTitle().replace(QLatin1String("[*]"),
                                        w->isWindowModified() ? QLatin1String("*") : QString());
    // An action or a control: both answer "enabled".
    if (what.startsWith(QLatin1String("on:")))
        return bit(Find<QObject>(*w, name.constData())->property("enabled").toBool());
    if (what.startsWith(QLatin1String("checked:")))
        return bit(Get<QAbstractButton>(name.constData())->isChecked());
    if (what.startsWith(QLatin1String("vis:")))
        return bit(Get<QWidget>(name.constData())->isVisibleTo(w));
    qFatal("unknown probe %s", qPrintable(what));
}

void TWindowFixture::Expect(const QString& checks) {
    for (const QString& check : checks.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString probe = check.section(QLatin1Char('='), 0, 0).trimmed();
        QCOMPARE(probe + QLatin1Char('=') + Probe(probe), check.trimmed());
    }
}

QStringList TWindowFixture::Listed(int track) {
    auto* list = Get<QComboBox>(track == 0 ? "cbBuhn1" : "cbBuhn2");
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i).section(' ', 0, 0);
    return out;
}

QString TWindowFixture::Digits(int track) {
    QString s;
    for (int i = 0; i < 6; ++i)
        s += QString::number(
            Get<TDigit>(qPrintable(QStringLiteral("Digit%1_%2").arg(track + 1).arg(i)))->Value());
    return s;
}

std::shared_ptr<TSimComLines> OpenSimulatedPort(TWindowFixture& f) {
    auto lines = std::make_shared<TSimComLines>();
    f.parts->Port->setDeviceFactory(SimulatedDeviceFactory(lines));
    f.parts->Port->setPort(1);
    f.parts->Port->Open();
    return lines;
}
