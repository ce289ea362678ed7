// Ways an operator could once break a run through the window: loading mid-run, a DIS that
// lost its participant, a question open while the auto-reset fires, a mode change that left the
// controls stale, track keys at start-up and a cell editor that swallowed ABBRECHEN.
#include "persist/ProtocolText.h"
#include "TestSupport.h"
#include "ui/FMain.h"
#include "widgets/SortGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

namespace {
// Answers Yes, but only after the auto-reset fired while the question was open.
class TDialogsWithAutoReset : public TScriptedDialogs {
public:
    TWindowFixture* f = nullptr;
    bool AskYesNo(const QString& text, const QString& caption) override {
        f->clock.advance(f->w->Settings.AutoTime);
        f->w->Run->Poll();
        return TScriptedDialogs::AskYesNo(text, caption);
    }
};

QStringList StartNumbers(const TFormMain& w) {
    QStringList out;
    for (int r = 1; r < w.SortGrid1->RowCount(); ++r)
        out << w.SortGrid1->Cells(Col::StNr, r);
    return out;
}

void FinishHeat(TWindowFixture& f) {
    f.Key(Qt::Key_F8);
    f.clock.advance(8000);
    f.Key(Qt::Key_F4);
    f.clock.advance(500);
    f.Key(Qt::Key_F6);
}

QString WriteStartList(TWindowFixture& f, int n) {
    const QString name = f.dir.filePath(QStringLiteral("Neu.txt"));
    QString error;
    TProtocolRows rows = ParticipantRows(n, {91, 92, 93, 94, 95, 96, 97, 98});
    WriteProtocolFile(name, rows, &error);
    return name;
}
} // namespace

class TestRunFaults : public QObject {
    Q_OBJECT
private slots:
    void loadWhileRunningDoesNothing() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        f.Key(Qt::Key_F8);
        QVERIFY(!w.Open1->isEnabled());
        f.dialogs.openNames = {WriteStartList(f, 3)};
        f.Key(Qt::Key_O, Qt::ControlModifier);
        w.sbLoadClick(); // the handler itself refuses as well
        QCOMPARE(StartNumbers(w), (QStringList{"1", "2", "3", "4"}));
        QVERIFY(w.mStop2->isEnabled());
        QVERIFY(!w.cbBuhn1->isEnabled());
        f.clock.advance(7000);
        f.Key(Qt::Key_F6); // track 2's time is not lost
        QCOMPARE(w.SortGrid1->Cells(Col::Turm2, 2), QString("7,00"));
    }

    void loadAfterTheFinishEndsTheRun() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        FinishHeat(f);
        QVERIFY(w.sb1del->isEnabled() && w.mReset->isEnabled());
        f.dialogs.openNames = {WriteStartList(f, 4)};
        f.dialogs.answers = {true}; // the heat's times go with the protocol
        f.Key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(StartNumbers(w), (QStringList{"91", "92", "93", "94"}));
        QVERIFY(w.IsReady());
        QVERIFY(!w.mReset->isEnabled());
        QVERIFY(!w.sb1del->isEnabled());
        QTest::mouseClick(w.sb1del, Qt::LeftButton);
        f.Key(Qt::Key_F9);
        for (int r = 1; r <= 4; ++r)
            QCOMPARE(w.SortGrid1->Cells(Col::Turm1, r).trimmed(), QString());
        // The new protocol's first heat, not the one after it.
        QCOMPARE(w.cbBuhn1->currentIndex(), 0);
        QCOMPARE(w.cbBuhn2->currentIndex(), 1);
        QVERIFY(w.mStart->isEnabled());
    }

    // Rows deleted while a heat is finished but not reset move the others up: DIS still marks
    // the heat's own participant. Clearing every result waits for RESET.
    void disAfterOtherRowsGo_data() {
        QTest::addColumn<int>("command"); // ProtocolCommand's tag
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("messages");
        QTest::newRow("delete a row") << 0 << QStringList{"1", "2", "3", "5", "6"} << 0;
        QTest::newRow("clear all results") << 1 << QStringList{"1", "2", "3", "4", "5", "6"} << 1;
        QTest::newRow("delete two rows") << 2 << QStringList{"1", "2", "3", "6"} << 0;
    }
    void disAfterOtherRowsGo() {
        QFETCH(int, command);
        QFETCH(QStringList, left);
        QFETCH(int, messages);
        TWindowFixture f;
        f.Load(2, ParticipantRows(6));
        TFormMain& w = *f.w;
        FinishHeat(f);
        QVERIFY(!w.sbCLSall->isEnabled() && !w.CLS1->isEnabled()); // it could only refuse
        w.SortGrid1->SelectRow(4);
        f.dialogs.answers = {true};
        w.ProtocolCommand(command);
        QCOMPARE(StartNumbers(w), left);
        QCOMPARE(f.dialogs.messages.size(), messages);
        QVERIFY(w.sb1del->isEnabled());
        w.sbDelClick(0);
        QStringList dis;
        for (int r = 1; r < w.SortGrid1->RowCount(); ++r)
            if (w.SortGrid1->Cells(Col::Turm1, r) == QLatin1String("DIS."))
                dis << w.SortGrid1->Cells(Col::StNr, r);
        QCOMPARE(dis, QStringList{"1"});
    }

    void autoResetDuringTheDeleteQuestion() {
        TWindowFixture f;
        TDialogsWithAutoReset dialogs;
        dialogs.f = &f;
        dialogs.answers = {true};
        f.w->Dialogs = &dialogs;
        f.Load(2, ParticipantRows(5));
        TFormMain& w = *f.w;
        QVERIFY(w.cbAuto0->isChecked()); // as at every start: the run follows the box
        FinishHeat(f);
        w.SortGrid1->SelectRow(4); // participant 4
        w.ProtocolCommand(0);
        QVERIFY(w.IsReady()); // the auto-reset did fire meanwhile
        QCOMPARE(StartNumbers(w), (QStringList{"1", "2", "3", "5"}));
        QCOMPARE(w.cbBuhn1->count(), 4);
        QVERIFY(w.cbBuhn1->findText("4", Qt::MatchStartsWith) < 0);
    }

    // The captions follow the operator's choice of a heat, not the end of one; a heat whose
    // participants have no free run left cannot start, and the status bar says why.
    void heatWithNoFreeRun() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(2));
        TFormMain& w = *f.w;
        const auto red = [&] {
            QString out;
            for (QLabel* l : {w.LabelZabeg1, w.LabelZabeg2})
                out += l->palette().color(QPalette::WindowText) == QColor(255, 0, 0) ? 'r' : '-';
            return out;
        };
        FinishHeat(f);
        QCOMPARE(red(), QString("--"));
        f.Key(Qt::Key_F9);
        FinishHeat(f);
        f.Key(Qt::Key_F9); // the first pair again: both have run on both tracks
        QCOMPARE(red(), QString("rr"));
        QVERIFY(!w.mStart->isEnabled());
        QCOMPARE(w.StatusNote->text(), QString("Keine freien Läufe"));
        f.Key(Qt::Key_F8);
        QVERIFY(w.IsReady());
    }

    void modeChangeRefreshesTheHeat() {
        TWindowFixture f;
        f.w->Settings.CountZabegov = 4; // runs left for the pairs after the qualification
        f.Load(0, ParticipantRows(2));
        TFormMain& w = *f.w;
        while (w.mStart->isEnabled()) {
            FinishHeat(f);
            f.Key(Qt::Key_F9);
        }
        w.cbVid->setCurrentIndex(2);
        emit w.cbVid->activated(2); // the operator picks "Paarrennen"
        QCOMPARE(w.Settings.Vid, 2);
        QVERIFY(w.mStart->isEnabled());
        QVERIFY(w.seObmen->isEnabled());
        QCOMPARE(w.cbBuhn1->currentIndex(), 0);
        QCOMPARE(w.RowOfEntry(w.Competition->TrackEntry(0)), 1);
        QCOMPARE(w.RowOfEntry(w.Competition->TrackEntry(1)), 2);
    }

    void trackKeysFollowTheirButtons() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        QCOMPARE(w.Trasse1->isEnabled(), w.sb1->isEnabled());
        QCOMPARE(w.Trasse2->isEnabled(), w.sb2->isEnabled());
        w.SetVid(2); // no dummy entry: nobody to put on a track
        w.cbVidChange();
        QVERIFY(!w.sb1->isEnabled() && !w.Trasse1->isEnabled());
        QVERIFY(!w.sb2->isEnabled() && !w.Trasse2->isEnabled());
        f.Key(Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(w.cbBuhn1->currentIndex(), -1);
        f.Load(2, ParticipantRows(4));
        QCOMPARE(w.Trasse1->isEnabled(), w.sb1->isEnabled());
        f.Key(Qt::Key_F8);
        QVERIFY(!w.Trasse1->isEnabled() && !w.Trasse2->isEnabled());
    }

    void abortWinsOverTheCellEditor() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        f.Key(Qt::Key_F8);
        QTest::mouseClick(w.cbEditON, Qt::LeftButton);
        w.SortGrid1->setFocus();
        QTest::keyClick(w.SortGrid1, Qt::Key_F2);
        QLineEdit* editor = w.SortGrid1->InplaceEditor();
        QVERIFY(editor->isVisible());
        QTRY_VERIFY(editor->hasFocus());
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(w.IsReady()); // aborted, not cut
        QVERIFY(!w.Clock->isActive());
    }
};

QTEST_MAIN(TestRunFaults)
#include "tst_runfaults.moc"
