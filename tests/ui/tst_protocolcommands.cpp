// The operator's protocol commands with their questions answered yes and no.
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QtTest>

namespace {
QStringList Column(const TFormMain& w, int col) {
    QStringList out;
    for (int r = 1; r < w.SortGrid1->RowCount(); ++r)
        out << w.SortGrid1->Cells(col, r);
    return out;
}
QStringList Entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i).section(' ', 0, 0);
    return out;
}
QStringList Numbers(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}
} // namespace

class TestProtocolCommands : public QObject {
    Q_OBJECT
private slots:
    void deleteCurrentRow_data() {
        QTest::addColumn<int>("participants");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("no keeps all") << 4 << 2 << false << Numbers(1, 4);
        QTest::newRow("middle row") << 4 << 2 << true << QStringList{"1", "3", "4"};
        QTest::newRow("last row") << 4 << 4 << true << Numbers(1, 3);
        QTest::newRow("only row empties it") << 1 << 1 << true << QStringList{""};
    }
    void deleteCurrentRow() {
        QFETCH(int, participants);
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(QStringList, left);
        TWindowFixture f;
        f.Load(2, ParticipantRows(participants));
        TFormMain& w = *f.w;
        w.Competition->SetRunCounter(3);
        w.SortGrid1->SelectRow(row);
        f.dialogs.answers = {yes};
        f.Key(Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(f.dialogs.asked, QStringList{"Zeile entfernen?"});
        QCOMPARE(f.dialogs.askedCaptions, QStringList{"Bestätigen"});
        QCOMPARE(Column(w, Col::StNr), left);
        QStringList entries = left;
        entries.removeAll(QString());
        QCOMPARE(Entries(w.cbBuhn1), entries);
        QCOMPARE(Entries(w.cbBuhn2), entries);
        QCOMPARE(w.Competition->RunCounter(), yes ? 0 : 3);
        QCOMPARE(w.Competition->Modified(), yes);
        if (yes) // the status bar shows the current row and the rows left
            QCOMPARE(w.StatusPanels[0]->text(),
                     QString("%1:%2").arg(w.SortGrid1->Row()).arg(left.size()));
    }

    void deleteSeveralRows_data() {
        QTest::addColumn<int>("participants");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("entry"); // index in the pop-up menu
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("2 rows") << 5 << 2 << 0 << "2 Zeile loschen?" << QStringList{"1", "4", "5"};
        QTest::newRow("to the end keeps the last")
            << 10 << 3 << 5 << "Bis zum Ende des Protokolls loschen?"
            << QStringList{"1", "2", "10"};
        QTest::newRow("one-row protocol") << 1 << 1 << 1 << "3 Zeile loschen?" << QStringList{"1"};
        QTest::newRow("10 near the end")
            << 4 << 3 << 4 << "10 Zeile loschen?" << QStringList{"1", "2", "4"};
    }
    void deleteSeveralRows() {
        QFETCH(int, participants);
        QFETCH(int, row);
        QFETCH(int, entry);
        QFETCH(QString, question);
        QFETCH(QStringList, left);
        TWindowFixture f;
        f.Load(2, ParticipantRows(participants));
        TFormMain& w = *f.w;
        w.Competition->SetRunCounter(3);
        w.SortGrid1->SelectRow(row);
        f.dialogs.answers = {true};
        w.PopupMenuDelStr->actions().at(entry)->trigger();
        QCOMPARE(f.dialogs.asked, QStringList{question});
        QCOMPARE(f.dialogs.askedCaptions, QStringList{"Подтвердите"});
        QCOMPARE(Column(w, Col::StNr), left);
        QCOMPARE(Entries(w.cbBuhn1), left);
        QCOMPARE(w.Competition->RunCounter(),
                 3); // the multi-row delete leaves the heat counter alone
    }

    void clearAllResults() {
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(3);
        for (int r = 1; r <= 3; ++r)
            for (int c = Col::Turm1; c <= Col::Turm6; ++c)
                rows[r][c] = "1,00";
        f.Load(0, rows);
        TFormMain& w = *f.w;
        w.cbBuhn1->setCurrentIndex(3);
        w.cbBuhn2->setCurrentIndex(2);
        f.dialogs.answers = {false, true};
        f.Key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(Column(w, Col::Turm6).last(), QString("1,00")); // No changed nothing
        f.Key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.dialogs.asked.last(), QString("Ergebnisse löschen?"));
        for (int c = Col::Turm1; c <= Col::Platz; ++c)
            QCOMPARE(Column(w, c), QStringList(4, QString()));
        QCOMPARE(Column(w, Col::Name), (QStringList{"", "Name1", "Name2", "Name3"}));
        QCOMPARE(Column(w, Col::Entry), Numbers(1, 4));
        QCOMPARE(w.cbBuhn1->currentIndex(), 1); // Qualifikation starts again
        QCOMPARE(w.cbBuhn2->currentIndex(), 0);
        QCOMPARE(w.SortGrid1->Row(), 1);
    }

    void editModeSwitching() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(3));
        TFormMain& w = *f.w;
        QVERIFY(w.cbEditON->isEnabled());
        w.SortGrid1->setCol(3);
        w.SelectedCol = 3;
        QTest::mouseClick(w.labEditON, Qt::LeftButton); // the label toggles the box
        QVERIFY(w.cbEditON->isChecked());
        QVERIFY(w.SortGrid1->Options() & goEditing);
        QVERIFY(!(w.SortGrid1->Options() & goRowSelect));
        QCOMPARE(w.SortGrid1->Col(), 3);
        QTest::mouseClick(w.cbEditON, Qt::LeftButton);
        QVERIFY(!(w.SortGrid1->Options() & goEditing));
        QVERIFY(w.SortGrid1->Options() & goRowSelect);
    }

    void oddCellTextsSurvive() {
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(4);
        rows[1][Col::Name] = QString(10000, 'x');
        rows[2][Col::Name] = QStringLiteral("a\tb\x01\x7f");
        rows[3][Col::Name] = QStringLiteral("שלום עולם");
        rows[4][Col::Turm1] = QStringLiteral("dis.");
        f.Load(2, rows);
        TFormMain& w = *f.w;
        w.cbSort->setChecked(true);
        w.RecalcProtocol();
        QVERIFY(!w.grab().isNull());
        QCOMPARE(w.SortGrid1->FindInColumn(Col::Name, QString(10000, 'x'), false) > 0, true);
    }
};

QTEST_MAIN(TestProtocolCommands)
#include "tst_protocolcommands.moc"
