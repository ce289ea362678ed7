#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include "persist/SettingsStore.h"

#include <QDataStream>
#include <QTemporaryDir>

namespace {

using S = QString;

// clang-format off
// Every setting with a value other than its default, in reading order.
const QList<QPair<QString, QString>> Stored = {
    {"Left", "10"}, {"Top", "-20"}, {"Width", "800"}, {"Height", "600"}, {"Port", "3"},
    {"Alg1", "1"}, {"Alg2", "1"}, {"Alg3", "1"}, {"CountBahn", "1"}, {"FilterInd", "2"},
    {"TimerGesperrt", "3000"}, {"AllLaufe", "4"}, {"CountZabegov", "3"}, {"Monitor", "1"},
    {"MonitorOn", "1"}, {"TimeFormat", "0"}, {"AutoTime", "7000"}, {"Vid", "2"},
    {"Color1", "255"}, {"Color2", "65280"}, {"KlassCol", "3"}, {"AllTrasse", "1"},
    {"Title", "Stadtcup"}, {"isPlaySound", "0"}, {"isPlaySound1", "0"}, {"isPlaySound2", "0"},
    {"Lang", "2"}, {"LiveOn", "1"}, {"LivePort", "8181"}, {"LiveBind", "192.168.1.20"},
    {"Ranking", "1"}, {"BracketSize", "8"}};

const QHash<QString, QString> Defaults = {
    {"Left", "307"}, {"Top", "148"}, {"Width", "893"}, {"Height", "495"}, {"Port", "0"},
    {"Alg1", "0"}, {"Alg2", "0"}, {"Alg3", "0"}, {"CountBahn", "2"}, {"FilterInd", "1"},
    {"TimerGesperrt", "10000"}, {"AllLaufe", "6"}, {"CountZabegov", "2"}, {"Monitor", "0"},
    {"MonitorOn", "0"}, {"TimeFormat", "1"}, {"AutoTime", "5000"}, {"Vid", "0"},
    {"Color1", "16711680"}, {"Color2", "32768"}, {"KlassCol", "0"}, {"AllTrasse", "0"},
    {"Title", ""}, {"isPlaySound", "1"}, {"isPlaySound1", "1"}, {"isPlaySound2", "1"},
    {"Lang", "0"}, {"LiveOn", "0"}, {"LivePort", "8080"}, {"LiveBind", ""},
    {"Ranking", "0"}, {"BracketSize", "16"}};

// A setting's in-memory value as text, booleans as 0/1.
QString Get(const TSettings& s, const QString& name) {
#define V(field) {#field, QString::number(qint64(s.field))}
    const QHash<QString, QString> v = {
        V(Left), V(Top), V(Width), V(Height), V(Port), V(Alg1), V(Alg2), V(Alg3), V(CountBahn),
        V(FilterInd), V(TimerGesperrt), V(AllLaufe), V(CountZabegov), V(Monitor), V(MonitorOn),
        V(TimeFormat), V(AutoTime), V(Vid), V(Color1), V(Color2), V(KlassCol), V(AllTrasse),
        {"Title", s.Title}, V(isPlaySound), V(isPlaySound1), V(isPlaySound2), V(Lang),
        V(LiveOn), V(LivePort), {"LiveBind", s.LiveBind}, V(Ranking), V(BracketSize)};
#undef V
    return v.value(name, "<unknown>");
}
// clang-format on

// An INI file as a text editor or an earlier run left it; values are text in it.
void WriteIni(const QString& fileName, const QHash<QString, QString>& changes = {},
              const QString& missing = {}) {
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\n");
    for (const auto& [name, value] : Stored)
        if (name != missing) file.write((name + "=" + changes.value(name, value) + "\n").toUtf8());
}

// A stand-in for the registry: values keep their types (int, string ...) as REG_DWORD and
// REG_SZ do.
bool ReadTyped(QIODevice& device, QSettings::SettingsMap& map) {
    QDataStream in(&device);
    in >> map;
    return in.status() == QDataStream::Ok;
}
bool WriteTyped(QIODevice& device, const QSettings::SettingsMap& map) {
    QDataStream out(&device);
    out << map;
    return out.status() == QDataStream::Ok;
}
const QSettings::Format TypedFormat = QSettings::registerFormat("typed", ReadTyped, WriteTyped);

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    // QSettings caches a file's contents per process by name, so every test gets a new file.
    int files = 0;
    QString ini() const { return dir.filePath(QString("timer%1.conf").arg(files)); }

private slots:
    void init() { ++files; }

    void firstStartKeepsDefaults() {
        QSettings store(ini(), QSettings::IniFormat);
        TSettings s;
        const TSettingsLoad load = LoadSettings(store, s);
        QVERIFY(!load.keyFound);
        QCOMPARE(load.valuesRead, 0);
        for (const QString& name : SettingsReadingOrder())
            QCOMPARE(Get(s, name), Defaults[name]);
    }

    // The first missing or ill-typed value ends the load; a missing "Title" does not.
    void stopsAtFirstFailure_data() {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("badText");
        QTest::addColumn<int>("read");
        // clang-format off
        QTest::newRow("all present") << S("") << S("") << S("") << 32;
        QTest::newRow("an older version's settings") << S("LiveOn") << S("") << S("") << 27;
        QTest::newRow("LiveBind missing reads empty") << S("LiveBind") << S("") << S("") << 32;
        QTest::newRow("port as a word") << S("") << S("LivePort") << S("http") << 28;
        QTest::newRow("Alg2 missing") << S("Alg2") << S("") << S("") << 6;
        QTest::newRow("Left missing") << S("Left") << S("") << S("") << 0;
        QTest::newRow("Lang missing") << S("Lang") << S("") << S("") << 26;
        QTest::newRow("Title missing reads empty") << S("Title") << S("") << S("") << 32;
        QTest::newRow("word for a number") << S("") << S("Vid") << S("zwei") << 17;
        QTest::newRow("hex number") << S("") << S("Port") << S("0x10") << 4;
        QTest::newRow("beyond 32 bits") << S("") << S("Monitor") << S("4294967296") << 13;
        QTest::newRow("empty number") << S("") << S("AutoTime") << S("") << 16;
        QTest::newRow("fraction") << S("") << S("Width") << S("800.5") << 2;
        // clang-format on
    }
    void stopsAtFirstFailure() {
        QFETCH(QString, missing);
        QFETCH(QString, bad);
        QFETCH(QString, badText);
        QFETCH(int, read);
        QHash<QString, QString> changes;
        if (!bad.isEmpty()) changes[bad] = badText;
        WriteIni(ini(), changes, missing);

        // A fresh object reads every value back as text, as the next program start does.
        QSettings store(ini(), QSettings::IniFormat);
        TSettings s;
        const TSettingsLoad load = LoadSettings(store, s);
        QVERIFY(load.keyFound);
        QCOMPARE(load.valuesRead, read);
        QVERIFY(load.corrected.isEmpty());
        const QStringList order = SettingsReadingOrder();
        for (int i = 0; i < order.size(); ++i) {
            const QString& name = order[i];
            const bool text = name == "Title" || name == "LiveBind";
            const QString expected = name == missing && text ? QString()
                                     : i < read              ? Stored[i].second
                                                             : Defaults[name];
            QCOMPARE(Get(s, name), expected);
        }
    }

    void correctsValuesOutOfRange_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("applied");
        // clang-format off
        QTest::newRow("TimeFormat 7") << S("TimeFormat") << S("7") << S("1");
        QTest::newRow("negative lock-out") << S("TimerGesperrt") << S("-5") << S("1000");
        QTest::newRow("auto reset too long") << S("AutoTime") << S("200000") << S("99000");
        QTest::newRow("Vid 9") << S("Vid") << S("9") << S("3");
        QTest::newRow("BracketSize 32") << S("BracketSize") << S("32") << S("16");
        QTest::newRow("CountZabegov 0") << S("CountZabegov") << S("0") << S("1");
        QTest::newRow("KlassCol 9") << S("KlassCol") << S("9") << S("5");
        QTest::newRow("Alg1 5") << S("Alg1") << S("5") << S("1");
        QTest::newRow("Port 300") << S("Port") << S("300") << S("255");
        QTest::newRow("Port -1") << S("Port") << S("-1") << S("0");
        QTest::newRow("low Height") << S("Height") << S("100") << S("382");
        QTest::newRow("Width 0") << S("Width") << S("0") << S("100");
        QTest::newRow("CountBahn 3") << S("CountBahn") << S("3") << S("2");
        QTest::newRow("Monitor -1") << S("Monitor") << S("-1") << S("0");
        QTest::newRow("FilterInd 0") << S("FilterInd") << S("0") << S("1");
        QTest::newRow("system colour") << S("Color1") << S("-16777201") << S("15");
        QTest::newRow("AllLaufe 0 not taken") << S("AllLaufe") << S("0") << S("6");
        // Kept: the live glue refuses it with a message, no clamp makes port 1 of it.
        QTest::newRow("live port 0 kept") << S("LivePort") << S("0") << S("0");
        QTest::newRow("live port 70000 kept") << S("LivePort") << S("70000") << S("70000");
        // clang-format on
    }
    void correctsValuesOutOfRange() {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, applied);
        WriteIni(ini(), {{name, stored}});
        QSettings store(ini(), QSettings::IniFormat);
        TSettings s;
        const TSettingsLoad load = LoadSettings(store, s);
        QCOMPARE(load.valuesRead, 32);
        QCOMPARE(Get(s, name), applied);
        QCOMPARE(load.corrected, stored == applied
                                     ? QStringList()
                                     : QStringList{name + " " + stored + " -> " + applied});
        QCOMPARE(Get(s, "Lang"), QString("2")); // reading went on
    }

    void saveThenLoad() {
        TSettings saved;
        saved.Left = -1200;
        saved.Port = 4;
        saved.MonitorOn = true;
        saved.Color1 = 0x123456;
        saved.Title = "Cup, Bern \"2026\" ü";
        saved.isPlaySound2 = false;
        saved.Lang = 3;
        {
            QSettings writer(ini(), QSettings::IniFormat);
            QVERIFY(SaveSettings(writer, saved));
            TSettings same; // the writing object hands back typed values
            QCOMPARE(LoadSettings(writer, same).valuesRead, 32);
            for (const QString& name : SettingsReadingOrder())
                QCOMPARE(Get(same, name), Get(saved, name));
        }
        // Under a name this process has not seen, the file is read as the next start reads it.
        const QString copy = dir.filePath("copy.conf");
        QVERIFY(QFile::copy(ini(), copy));
        QSettings reader(copy, QSettings::IniFormat);
        QCOMPARE(reader.value("Left").typeId(), QMetaType::QString);
        QCOMPARE(reader.value("MonitorOn").toString(), QString("1"));
        TSettings loaded;
        QCOMPARE(LoadSettings(reader, loaded).valuesRead, 32);
        for (const QString& name : SettingsReadingOrder())
            QCOMPARE(Get(loaded, name), Get(saved, name));
    }

    void savesNumbersAsIntsInOrder() {
        // clang-format off
        QCOMPARE(SettingsWritingOrder(),
                 QStringList({"Left", "Top", "Width", "Height", "Port", "CountBahn", "FilterInd",
                              "Alg1", "Alg2", "Alg3", "TimerGesperrt", "CountZabegov", "AllLaufe",
                              "Monitor", "MonitorOn", "TimeFormat", "AutoTime", "Vid", "Color1",
                              "Color2", "KlassCol", "AllTrasse", "Title", "isPlaySound",
                              "isPlaySound1", "isPlaySound2", "Lang", "LiveOn", "LivePort",
                              "LiveBind", "Ranking", "BracketSize"}));
        // clang-format on
        QStringList reading;
        for (const auto& entry : Stored)
            reading << entry.first;
        QCOMPARE(SettingsReadingOrder(), reading);

        const QString file = ini() + ".typed";
        {
            QSettings store(file, TypedFormat);
            TSettings s;
            s.MonitorOn = true;
            s.Title = "Stadtcup";
            QVERIFY(SaveSettings(store, s));
        }
        QSettings store(file, TypedFormat);
        QStringList keys = store.allKeys();
        QStringList expected = SettingsWritingOrder();
        keys.sort();
        expected.sort();
        QCOMPARE(keys, expected);
        for (const QString& key : keys)
            QCOMPARE(store.value(key).typeId(),
                     key == "Title" || key == "LiveBind" ? QMetaType::QString : QMetaType::Int);
        QCOMPARE(store.value("MonitorOn"), QVariant(1));
        TSettings loaded;
        QCOMPARE(LoadSettings(store, loaded, TNumberRule::IntOnly).valuesRead, 32);
        QVERIFY(loaded.MonitorOn);
    }

    // In the registry a number must be a number: text or a boolean is the wrong type there.
    void registryNumbersMustBeInts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("read");
        QTest::newRow("text number") << "Left" << QVariant("307") << 0;
        QTest::newRow("boolean") << "MonitorOn" << QVariant(true) << 14;
        QTest::newRow("number for the title") << "Title" << QVariant(5) << 22;
        QTest::newRow("64-bit number") << "Lang" << QVariant(qint64(1)) << 26;
    }
    void registryNumbersMustBeInts() {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(int, read);
        const QString file = ini() + ".typed";
        {
            QSettings store(file, TypedFormat);
            QVERIFY(SaveSettings(store, TSettings()));
            store.setValue(name, value);
        }
        QSettings store(file, TypedFormat);
        TSettings s;
        QCOMPARE(LoadSettings(store, s, TNumberRule::IntOnly).valuesRead, read);
    }

    void saveFailsWhenTheStoreCannotBeWritten() {
        QFile blocker(dir.filePath("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSettings store(dir.filePath("plainfile/timer.conf"), QSettings::IniFormat);
        QVERIFY(!SaveSettings(store, TSettings()));
    }

    void storeLocation() {
        QStandardPaths::setTestModeEnabled(true);
        const auto store = OpenSettingsStore("timer");
        QCOMPARE(store->format(), QSettings::IniFormat);
        QVERIFY(store->fileName().endsWith("/Tavoleno/timer.conf"));
        QVERIFY(store->fileName().startsWith(
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
        QVERIFY(!OpenSettingsStore("../../etc/x")->fileName().contains("/../"));
        QVERIFY(OpenSettingsStore("")->fileName().endsWith("/Tavoleno/veltaro.conf"));
    }

    // What stands where the settings file belongs must not stop the start-up.
    void storeThatIsNoFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("folder") << "folder";
    }
    void storeThatIsNoFile() {
        QFETCH(QString, kind);
        QStandardPaths::setTestModeEnabled(true);
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Tavoleno";
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/notafile.conf";
        QFile::remove(path);
        QDir().rmdir(path);
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkdir(path));
        auto opened = std::async(std::launch::async, [] { return OpenSettingsStore("notafile"); });
        const bool inTime = opened.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!inTime) {
            // Let the blocked reader go: a writer appears and leaves at once.
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        const bool isNull = opened.get() == nullptr;
        QFile::remove(path);
        QDir().rmdir(path);
        QVERIFY2(inTime, "opening the store waited for a writer");
        QVERIFY(isNull);
    }
};

QTEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
