// The protocol grid and the two track lists as views of the competition: whatever order the
// grid shows, the participant the operator points at is the one put on a track, recorded for,
// deleted and coloured.
#include "TestSupport.h"
#include "ui/FMain.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

namespace {
QStringList Column(const TFormMain& w, int col) {
    QStringList out;
    for (int r = 1; r < w.SortGrid1->RowCount(); ++r)
        out << w.SortGrid1->Cells(col, r);
    return out;
}

QString Number(const QComboBox* list) {
    return list->currentIndex() < 0 ? QStringLiteral("-") : list->currentText().section(' ', 0, 0);
}

QStringList Numbers(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i).section(' ', 0, 0);
    return out;
}

QString Cell(const TFormMain& w, const QString& stNr, int col) {
    const int r = w.SortGrid1->FindInColumn(Col::StNr, stNr, false);
    return r < 0 ? QStringLiteral("<none>") : w.SortGrid1->Cells(col, r);
}

// The start numbers of the rows drawn with a track's colour behind the start number.
QStringList Highlighted(TFormMain& w, int track) {
    QStringList out;
    for (int r = 1; r < w.SortGrid1->RowCount(); ++r) {
        TFormatOptions f;
        w.SortGrid1GetCellFormat(Col::StNr, r, f);
        if (f.BrushColor == ToQColor(w.TrackColor(track))) out << w.SortGrid1->Cells(Col::StNr, r);
    }
    return out;
}

QPoint CellCentre(const TFormMain& w, int row) {
    return w.SortGrid1->CellRect(Col::Name, row).center();
}

// Counts the paints of the grid's cells (they are drawn on its viewport).
class TPaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

bool CaptionRed(const QLabel* caption) {
    return caption->palette().color(QPalette::WindowText) == ToQColor(Colors::clRed);
}

void Heat(TWindowFixture& f, int t1, int t2) {
    f.Key(Qt::Key_F8);
    f.clock.advance(t2);
    f.Key(Qt::Key_F6);
    f.clock.advance(t1 - t2);
    f.Key(Qt::Key_F4);
}
} // namespace

class TestProtocolView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // A protocol loaded while "Sortieren" is ticked: classes A (1, 3) and B (2, 4) put the
    // rows in the order 1, 3, 2, 4; the lists stay in load order and every command reaches
    // the participant of the row it was given.
    void loadWhileRanked_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("tracks"); // start numbers on track 1 and 2 afterwards
        QTest::addColumn<QStringList>("rows");   // the grid's start numbers afterwards
        const QStringList ranked{"1", "3", "2", "4"};
        QTest::newRow("sb1") << "sb1" << QStringList{"3", "2"} << ranked;
        QTest::newRow("Ctrl+2") << "Ctrl+2" << QStringList{"1", "3"} << ranked;
        QTest::newRow("double-click") << "double-click" << QStringList{"3", "4"} << ranked;
        QTest::newRow("delete") << "delete" << QStringList{"1", "2"} << QStringList{"1", "2", "4"};
    }
    void loadWhileRanked() {
        QFETCH(QString, command);
        QFETCH(QStringList, tracks);
        QFETCH(QStringList, rows);
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.KlassCol = 4;
        f.Load(2, ParticipantRows(4));
        w.cbSort->click();
        f.Load(2, ParticipantRows(4));
        QCOMPARE(Column(w, Col::StNr), (QStringList{"1", "3", "2", "4"}));
        QCOMPARE(Numbers(w.cbBuhn1), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(Numbers(w.cbBuhn2), Numbers(w.cbBuhn1));
        w.SortGrid1->SelectRow(2); // participant 3
        if (command == "sb1") {
            QTest::mouseClick(w.sb1, Qt::LeftButton);
        } else if (command == "Ctrl+2") {
            f.Key(Qt::Key_2, Qt::ControlModifier);
        } else if (command == "double-click") {
            QTest::mouseDClick(w.SortGrid1->viewport(), Qt::LeftButton, {}, CellCentre(w, 2));
        } else {
            f.dialogs.answers = {true};
            w.ProtocolCommand(0);
        }
        QCOMPARE((QStringList{Number(w.cbBuhn1), Number(w.cbBuhn2)}), tracks);
        QCOMPARE(Column(w, Col::StNr), rows);
        QStringList listed = rows;
        listed.sort();
        QCOMPARE(Numbers(w.cbBuhn1), listed);
    }

    void loadWhileRankedKeepsTheDummyFirst() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.KlassCol = 4;
        f.Load(0, ParticipantRows(4));
        w.cbSort->click();
        f.Load(0, ParticipantRows(4));
        QCOMPARE(Numbers(w.cbBuhn1), (QStringList{"0", "1", "2", "3", "4"}));
        QVERIFY(w.Competition->IsDummy(0));
        QCOMPARE((QStringList{Number(w.cbBuhn1), Number(w.cbBuhn2)}), (QStringList{"1", "0"}));
    }

    // Deleting the row of a participant on a track: before START the track is left empty,
    // nobody else moves onto it; once the heat started the row stays until RESET and the
    // stopped times reach the heat's own participants.
    void deleteParticipantOnTrack_data() {
        QTest::addColumn<bool>("running");
        QTest::newRow("ready") << false;
        QTest::newRow("running") << true;
    }
    void deleteParticipantOnTrack() {
        QFETCH(bool, running);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(4));
        if (running) f.Key(Qt::Key_F8);
        w.SortGrid1->SelectRow(1); // participant 1, on track 1
        f.dialogs.answers = {true};
        f.Key(Qt::Key_Minus, Qt::ControlModifier);
        if (!running) {
            QCOMPARE(f.dialogs.messages.size(), 0);
            QCOMPARE(Column(w, Col::StNr), (QStringList{"2", "3", "4"}));
            QCOMPARE((QStringList{Number(w.cbBuhn1), Number(w.cbBuhn2)}), (QStringList{"-", "2"}));
            return;
        }
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(Column(w, Col::StNr), (QStringList{"1", "2", "3", "4"}));
        f.clock.advance(7000);
        f.Key(Qt::Key_F6);
        f.clock.advance(1000);
        f.Key(Qt::Key_F4);
        QCOMPARE(Cell(w, "1", Col::Turm1), QString("8,00"));
        QCOMPARE(Cell(w, "2", Col::Turm2), QString("7,00"));
        QCOMPARE(Column(w, Col::Turm1), (QStringList{"8,00", "", "", ""}));
    }

    // A time or DIS written by the program into the cell under an open editor stays; the
    // editor's old text is dropped. An edit of another cell still reaches the protocol.
    void programWriteWinsOverTheEditor_data() {
        QTest::addColumn<QString>("write");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("cell"); // the edited cell afterwards
        QTest::newRow("STOP under the editor") << "STOP" << 1 << int(Col::Turm1) << "8,00";
        QTest::newRow("DIS under the editor") << "DIS" << 1 << int(Col::Turm1) << "DIS.";
        QTest::newRow("edit elsewhere stays") << "STOP" << 3 << int(Col::Name) << "Name3x";
    }
    void programWriteWinsOverTheEditor() {
        QFETCH(QString, write);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, cell);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(3));
        if (write == "DIS") {
            Heat(f, 8000, 7000);
        } else { // the editor opens once track 2 stopped; track 1 stops under it
            f.Key(Qt::Key_F8);
            f.clock.advance(7000);
            f.Key(Qt::Key_F6);
        }
        w.SelectedCol = col;
        w.cbEditON->setChecked(true);
        w.cbEditONClick();
        w.SortGrid1->setRow(row);
        w.SortGrid1->setFocus();
        QTest::keyClick(w.SortGrid1, Qt::Key_Return);
        QVERIFY(w.SortGrid1->EditorMode());
        QTest::keyClicks(w.SortGrid1->InplaceEditor(), "x");
        if (write == "STOP") {
            f.clock.advance(1000);
            f.Key(Qt::Key_F4);
        } else {
            QTest::mouseClick(w.sb1del, Qt::LeftButton);
        }
        w.SortGrid1->setFocus(); // the editor, if still open, loses the focus and commits
        QCOMPARE(w.SortGrid1->Cells(col, row), cell);
        QCOMPARE(w.Competition->Cell(row - 1, col), cell);
    }

    // After each command that moves a track, the grid's cells are repainted and the rows in
    // the track colours are those of the participants on the tracks, in either order shown.
    void highlightFollowsTheTracks_data() {
        QTest::addColumn<bool>("ranked");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("tracks");
        QTest::newRow("Ctrl+0") << false << "Ctrl+0" << QStringList{"2", "1"};
        QTest::newRow("Ctrl+1") << false << "Ctrl+1" << QStringList{"3", "2"};
        QTest::newRow("Ctrl+2") << false << "Ctrl+2" << QStringList{"1", "3"};
        QTest::newRow("double-click") << false << "double-click" << QStringList{"3", "4"};
        QTest::newRow("ranked, Ctrl+0") << true << "Ctrl+0" << QStringList{"2", "1"};
        QTest::newRow("ranked, Ctrl+1") << true << "Ctrl+1" << QStringList{"3", "2"};
        QTest::newRow("ranked, double-click") << true << "double-click" << QStringList{"3", "4"};
        QTest::newRow("ranked, RESET") << true << "RESET" << QStringList{"2", "1"};
    }
    void highlightFollowsTheTracks() {
        QFETCH(bool, ranked);
        QFETCH(QString, command);
        QFETCH(QStringList, tracks);
        TWindowFixture f;
        TFormMain& w = *f.w;
        // Ranked by class, the rows are 1, 3 (class A), 2, 4 (class B).
        w.Settings.KlassCol = 4;
        f.Load(2, ParticipantRows(4));
        if (ranked) {
            w.cbSort->click();
            QCOMPARE(Column(w, Col::StNr), (QStringList{"1", "3", "2", "4"}));
        }
        QCOMPARE((QStringList{Highlighted(w, 0).join(','), Highlighted(w, 1).join(',')}),
                 (QStringList{"1", "2"}));
        TPaintCounter counter;
        w.SortGrid1->viewport()->installEventFilter(&counter);
        QCoreApplication::processEvents();
        const int before = counter.paints;
        w.SortGrid1->SelectRow(w.SortGrid1->FindInColumn(Col::StNr, "3", false));
        if (command == "Ctrl+0") {
            f.Key(Qt::Key_0, Qt::ControlModifier);
        } else if (command == "Ctrl+1") {
            f.Key(Qt::Key_1, Qt::ControlModifier);
        } else if (command == "Ctrl+2") {
            f.Key(Qt::Key_2, Qt::ControlModifier);
        } else if (command == "double-click") {
            const int row = w.SortGrid1->Row();
            QTest::mouseDClick(w.SortGrid1->viewport(), Qt::LeftButton, {}, CellCentre(w, row));
        } else {
            Heat(f, 9000, 8000);
            f.Key(Qt::Key_F9);
        }
        QCOMPARE((QStringList{Number(w.cbBuhn1), Number(w.cbBuhn2)}), tracks);
        QVERIFY(QTest::qWaitFor([&] { return counter.paints > before; }, 1000));
        QCOMPARE((QStringList{Highlighted(w, 0).join(','), Highlighted(w, 1).join(',')}), tracks);
    }

    // A double click that hits no participant's row changes nobody.
    void doubleClickOutsideTheRows_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("tracks");
        QTest::newRow("below the last row") << "below" << QStringList{"1", "2"};
        QTest::newRow("on the title row") << "title" << QStringList{"1", "2"};
        QTest::newRow("on row 3") << "row 3" << QStringList{"3", "4"};
    }
    void doubleClickOutsideTheRows() {
        QFETCH(QString, where);
        QFETCH(QStringList, tracks);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(4));
        w.SortGrid1->SelectRow(3); // a current row that would be taken
        QPoint at = CellCentre(w, 3);
        if (where == "below") at.setY(CellCentre(w, 4).y() + 3 * w.SortGrid1->DefaultRowHeight());
        if (where == "title") at.setY(CellCentre(w, 1).y() - w.SortGrid1->DefaultRowHeight());
        QVERIFY(at.y() < w.SortGrid1->viewport()->height());
        QTest::mouseDClick(w.SortGrid1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE((QStringList{Number(w.cbBuhn1), Number(w.cbBuhn2)}), tracks);
    }

    // RESET moves the current row to the next heat: the status bar and the track buttons
    // follow it.
    void resetRefreshesRowStatus() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(4));
        QCOMPARE(w.StatusPanels[0]->text(), QString("1:4"));
        Heat(f, 9000, 8000); // participants 1 and 2
        f.Key(Qt::Key_F9);   // the pair changes tracks: 2 on track 1
        QCOMPARE(w.SortGrid1->Row(), 2);
        QCOMPARE(w.StatusPanels[0]->text(), QString("2:4"));
        QVERIFY(w.sb1->isEnabled());  // "Turm1" of participant 2 is empty
        QVERIFY(!w.sb2->isEnabled()); // "Turm2" holds his time
    }

    // Clearing every result gives the participants their runs back: no caption stays red.
    void captionsAfterClearAll() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        TProtocolRows rows = ParticipantRows(4);
        for (int r = 1; r <= 4; ++r)
            rows[r][Col::Turm1] = rows[r][Col::Turm2] = QStringLiteral("9,00");
        f.Load(2, rows);
        QVERIFY(CaptionRed(w.LabelZabeg1));
        QVERIFY(CaptionRed(w.LabelZabeg2));
        f.dialogs.answers = {true};
        f.Key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(Column(w, Col::Turm1), QStringList(4, QString()));
        QVERIFY(!CaptionRed(w.LabelZabeg1));
        QVERIFY(!CaptionRed(w.LabelZabeg2));
    }
};

QTEST_MAIN(TestProtocolView)
#include "tst_protocolview.moc"
