#pragma once
// One round of the kill test: the scripted program records runs, is killed with SIGKILL at a
// chosen moment, and is started again; the restored protocol must hold every run that was
// recorded at least a second before the kill. Shared by the test and the 100-round bench.
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

struct TKillRound {
    int printed = 0;    // runs the program said it recorded before it died
    int due = 0;        // of these, recorded a second or more before the kill
    int recovered = -1; // time cells in the protocol after restoring
    bool asked = false; // the restart asked to restore
    qint64 lostMs = 0;  // how long before the kill the oldest run not restored was recorded
    QString failure;    // empty when the round kept its promise
};

inline QProcessEnvironment KillRoundEnvironment(const QString& folder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Nothing of the user's own folders: the data folder of the program is a temporary one.
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    return env;
}

// killAfterMs counts from the first recorded run; a negative value kills -killAfterMs after
// the script said "done".
inline TKillRound RunKillRound(const QString& program, const QString& folder, int runs, int paceMs,
                               int killAfterMs) {
    TKillRound round;
    const QStringList files{folder + QStringLiteral("/settings.conf"),
                            folder + QStringLiteral("/journal")};
    QProcess rec;
    rec.setProcessEnvironment(KillRoundEnvironment(folder));
    rec.start(program, QStringList{QStringLiteral("record")} + files +
                           QStringList{QString::number(runs), QString::number(paceMs)});
    if (!rec.waitForStarted(10000)) {
        round.failure = QStringLiteral("cannot start ") + program;
        return round;
    }
    QList<std::pair<int, qint64>> recorded; // run, when it was recorded
    bool done = false;
    const auto readLines = [&] {
        while (rec.canReadLine()) {
            const QList<QByteArray> f = rec.readLine().trimmed().split(' ');
            if (f.value(0) == "recorded" && f.size() == 3)
                recorded.append({f[1].toInt(), f[2].toLongLong()});
            done = done || f.value(0) == "done";
        }
    };
    QElapsedTimer limit, since; // since the first run, or since "done"
    limit.start();
    while (limit.elapsed() < 60000 && rec.state() == QProcess::Running) {
        rec.waitForReadyRead(5);
        readLines();
        if (!since.isValid() && (killAfterMs >= 0 ? !recorded.isEmpty() : done)) since.start();
        if ((since.isValid() && since.elapsed() >= std::abs(killAfterMs)) ||
            (done && killAfterMs >= 0))
            break;
    }
    const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
    rec.kill(); // SIGKILL: no handler, no clean-up, as a crash or a flat battery
    rec.waitForFinished(10000);
    readLines();
    if (rec.exitStatus() != QProcess::CrashExit && !done) {
        round.failure = QStringLiteral("the program ended by itself: ") +
                        QString::fromLocal8Bit(rec.readAllStandardError());
        return round;
    }
    for (const auto& [n, at] : recorded) {
        round.printed = std::max(round.printed, n);
        if (at <= killedAt - 1000) round.due = std::max(round.due, n);
    }

    QProcess rep;
    rep.setProcessEnvironment(KillRoundEnvironment(folder));
    rep.start(program, QStringList{QStringLiteral("report")} + files);
    if (!rep.waitForFinished(30000)) {
        rep.kill();
        round.failure = QStringLiteral("the restart did not end");
        return round;
    }
    for (const QByteArray& line : rep.readAllStandardOutput().split('\n')) {
        if (line.startsWith("asked ") && line.contains("wiederherstellen")) round.asked = true;
        if (line.startsWith("times ")) round.recovered = line.mid(6).trimmed().toInt();
    }
    for (const auto& [n, at] : recorded)
        if (n > round.recovered) round.lostMs = std::max(round.lostMs, killedAt - at);
    if (round.recovered < 0)
        round.failure = QStringLiteral("the restart reported nothing: ") +
                        QString::fromLocal8Bit(rep.readAllStandardError());
    else if (round.due > 0 && !round.asked) // all of it in the last second: nothing is owed
        round.failure = QStringLiteral("the restart did not offer to restore");
    else if (round.recovered < round.due || round.recovered > round.printed)
        round.failure =
            QString::asprintf("recorded %d (%d of them a second before the kill), restored %d",
                              round.printed, round.due, round.recovered);
    return round;
}
