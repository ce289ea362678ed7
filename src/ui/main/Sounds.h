#pragma once
// The start and stop cues: two short wave files played without waiting, so that no cue can
// delay a START or STOP. A machine without sound plays nothing and is not slowed down.
#include <array>
#include <QIcon>
#include <QObject>
#include <QStringList>

class QSoundEffect;

enum TCue { CueStart = 0, CueStop = 1 };

// The files of the cues, looked up by name.
QString CueFileName(TCue cue); // "Start.wav", "Stop.wav"
// The folders a cue is looked for in, first match wins: the current folder, the program's,
// then the installed data folder <program's folder>/../share/veltaro.
QStringList CueFolders();
// The cue's file in the first folder that has it; empty when none does.
QString FindCueFile(const QString& fileName, const QStringList& folders);

// sbSound's picture: a loudspeaker sounding when on, silent when off.
QIcon SoundPicture(bool on);

class TSoundCues : public QObject {
    Q_OBJECT
public:
    explicit TSoundCues(QObject* parent = nullptr);
    ~TSoundCues() override;

    // Finds the cue's file and checks that it opens, without a sound; true when it does. The
    // file is then loaded in the background, so the first cue needs no loading.
    bool Prepare(TCue cue, const QStringList& folders);
    // Starts the cue and returns at once. A cue still playing (of either kind) is stopped
    // first, so a second stop cue a few milliseconds after the first starts afresh. Without a
    // usable file the platform's beep sounds instead.
    void Play(TCue cue);

    QString File(TCue cue) const { return m_file[cue]; }
    int Played(TCue cue) const { return m_played[cue]; } // cues started since creation
    int Beeps() const { return m_beeps; }                // beeps in place of a missing file

private:
    std::array<QSoundEffect*, 2> m_effect{};
    std::array<QString, 2> m_file;
    std::array<int, 2> m_played{};
    int m_beeps = 0;
};
