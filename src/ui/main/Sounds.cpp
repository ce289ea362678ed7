// Start and stop cues, the sound button with its pop-up menu, and Ctrl+` as the master switch.
#include "ui/main/Sounds.h"

#include "persist/SettingsStore.h"
#include "ui/main/FMain.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSoundEffect>
#include <QUrl>

QString CueFileName(TCue cue) {
    return cue == CueStart ? QStringLiteral("Start.wav") : QStringLiteral("Stop.wav");
}

QStringList CueFolders() {
    QStringList folders{QDir::currentPath()};
    const QString program = QCoreApplication::applicationDirPath();
    if (!program.isEmpty() && QDir(program) != QDir::current()) folders << program;
    // An installed program (<prefix>/bin) finds its cues in <prefix>/share/veltaro; computed
    // from the program's place, so the package's tree works wherever it is unpacked.
    if (!program.isEmpty())
        folders << QDir::cleanPath(program + QStringLiteral("/../share/veltaro"));
    return folders;
}

QIcon SoundPicture(bool on) {
    return Picture(on ? QStringLiteral("sound-on") : QStringLiteral("sound-off"));
}

QString FindCueFile(const QString& fileName, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QFileInfo f(QDir(folder).filePath(fileName));
        if (f.isFile()) return f.absoluteFilePath();
    }
    return {};
}

TSoundCues::TSoundCues(QObject* parent) : QObject(parent) {}

TSoundCues::~TSoundCues() = default;

bool TSoundCues::Prepare(TCue cue, const QStringList& folders) {
    m_file[cue] = FindCueFile(CueFileName(cue), folders);
    if (m_file[cue].isEmpty()) return false;
    QFile check(m_file[cue]);
    if (!check.open(QIODevice::ReadOnly)) {
        m_file[cue].clear();
        return false;
    }
    check.close();
    if (!m_effect[cue]) m_effect[cue] = new QSoundEffect(this);
    m_effect[cue]->setSource(QUrl::fromLocalFile(m_file[cue]));
    return true;
}

void TSoundCues::Play(TCue cue) {
    ++m_played[cue];
    for (QSoundEffect* e : m_effect)
        if (e && e->isPlaying()) e->stop();
    QSoundEffect* effect = m_effect[cue];
    if (!effect || !QFileInfo::exists(m_file[cue])) {
        ++m_beeps;
        QApplication::beep();
        return;
    }
    effect->play();
}

// --- the main window's side ------------------------------------------------------------------

void TFormMain::setupSounds() {
    Sounds = new TSoundCues(this);
    Sounds->setObjectName(QStringLiteral("Sounds"));
    PopupMenuSound = new QMenu(this);
    PopupMenuSound->setObjectName(QStringLiteral("PopupMenuSound"));
    mSound1 = PopupMenuSound->addAction(QStringLiteral("Start sound"));
    mSound1->setObjectName(QStringLiteral("mSound1"));
    mSound1->setData(1);
    mSound2 = PopupMenuSound->addAction(tr("Stopp sound"));
    mSound2->setObjectName(QStringLiteral("mSound2"));
    mSound2->setData(2);
    for (QAction* a : {mSound1, mSound2})
        a->setCheckable(true);
    connect(mSound1, &QAction::triggered, this, [this] { mSound1Click(); });
    connect(mSound2, &QAction::triggered, this, [this] { mSound2Click(); });
    connect(mSound, &QAction::triggered, this, [this] { mSoundClick(); });
    connect(mSound0, &QAction::triggered, this, [this] { mSoundClick(); });
}

void TFormMain::PlayStartCue() {
    Sounds->Play(CueStart);
}

void TFormMain::PlayStopCue() {
    Sounds->Play(CueStop);
}

void TFormMain::mSoundClick() {
    Settings.isPlaySound = !Settings.isPlaySound;
    ShowSoundState();
}

void TFormMain::mSound1Click() {
    Settings.isPlaySound1 = !Settings.isPlaySound1;
    mSound1->setChecked(Settings.isPlaySound1);
}

void TFormMain::mSound2Click() {
    Settings.isPlaySound2 = !Settings.isPlaySound2;
    mSound2->setChecked(Settings.isPlaySound2);
}

void TFormMain::ShowSoundState() {
    m_bar->SetSoundIcon(Settings.isPlaySound);
    mSound1->setChecked(Settings.isPlaySound1);
    mSound2->setChecked(Settings.isPlaySound2);
}

void TFormMain::PrepareSounds() {
    const QStringList folders = CueFolders();
    mSound1->setEnabled(Sounds->Prepare(CueStart, folders));
    mSound2->setEnabled(Sounds->Prepare(CueStop, folders));
}
