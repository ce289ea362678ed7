// A test-only entry point built from the program's own libraries: the same settings, journal
// and window as the real entry point, but its questions answered Yes and its runs recorded by
// a script through the commands the keys trigger, so a test can start it with QProcess, kill it
// and start it again without a display or a person.
//
//   veltaro_scripted record <settings file> <journal folder> <runs> <pace ms>
//       loads participants unless a journal is restored, records runs and prints
//       "recorded <n> <ms since the epoch>" after each, then "done"; runs until killed.
//   veltaro_scripted report <settings file> <journal folder>
//       starts as the program starts (restoring when asked) and prints "asked <question>"
//       for each question, "times <n>" for the run cells that hold a time, then ends cleanly.
#include "persist/Journal.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QSettings>
#include <QTimer>

#include <cstdio>

namespace {
int CountTimes(const TProtocolRows& rows) {
    int n = 0;
    for (qsizetype r = 1; r < rows.size(); ++r)
        for (int c = Col::Turm1; c <= Col::Turm6 && c < rows[r].size(); ++c)
            if (rows[r][c].contains(QLatin1Char(','))) ++n;
    return n;
}

void Say(const QByteArray& line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    const QStringList args = app.arguments();
    if (args.size() < 4) return 2;
    const bool record = args[1] == QLatin1String("record");

    TAppParts parts(std::make_unique<QSettings>(args[2], QSettings::IniFormat));
    TJournal journal(args[3]);
    TScriptedDialogs dialogs;
    dialogs.answers = QList<bool>(8, true);
    auto forms = std::make_unique<TAppForms>(parts, &dialogs);
    TFormMain* w = forms->FormMain.get();
    w->show();
    w->StartJournal(journal);
    for (const QString& q : dialogs.asked)
        Say("asked " + QString(q).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8());

    if (!record) {
        Say("times " +
            QByteArray::number(CountTimes(parts.Competition->Rows(TCompetition::ForExitCopy))));
        w->Shutdown();
        forms.reset();
        return 0;
    }

    const int runs = args.value(4).toInt();
    if (CountTimes(parts.Competition->Rows(TCompetition::ForExitCopy)) == 0) {
        // One track, two runs each: every STOP1 lands in a cell of its own.
        auto* mode = Find<QComboBox>(*w, "cbVid");
        mode->setCurrentIndex(1);
        emit mode->activated(1);
        w->LoadProtocolRows(ParticipantRows(runs / 2 + 2), QStringLiteral("Wettkampf.txt"));
    }
    // START, STOP1, RESET in turn through the commands the keys trigger; a disabled one does
    // nothing, as its key would.
    const QList<QAction*> steps{Find<QAction>(*w, "mStart"), Find<QAction>(*w, "mSTOP1"),
                                Find<QAction>(*w, "mReset")};
    int done = 0, step = 0;
    QTimer pacer;
    pacer.setInterval(std::max(1, args.value(5).toInt()));
    QObject::connect(&pacer, &QTimer::timeout, [&] {
        if (done >= runs) {
            pacer.stop();
            Say("done");
            return;
        }
        QAction* const a = steps[step++ % 3];
        if (a->isEnabled()) a->trigger();
        if (a == steps[1])
            Say("recorded " + QByteArray::number(++done) + ' ' +
                QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
    });
    pacer.start();
    return app.exec();
}
