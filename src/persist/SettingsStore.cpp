#include "persist/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <climits>
#include <variant>

namespace {

using TMember =
    std::variant<int TSettings::*, bool TSettings::*, TColor TSettings::*, QString TSettings::*>;

struct TSetting {
    const char* name;
    TMember member;
    qint64 lo, hi;
    bool onlyPositive = false; // values <= 0 are not taken at all
};

constexpr qint64 Any = INT_MAX;
constexpr qint64 AnyNeg = INT_MIN;

// Names, holders and valid ranges, in reading order (the defaults: core/Settings.h).
const TSetting Table[] = {
    {"Left", &TSettings::Left, -32767, 32767},
    {"Top", &TSettings::Top, -32767, 32767},
    {"Width", &TSettings::Width, 100, 32767},
    {"Height", &TSettings::Height, 382, 32767}, // the main window's minimum height
    {"Port", &TSettings::Port, 0, 255},
    {"Alg1", &TSettings::Alg1, 0, 1},
    {"Alg2", &TSettings::Alg2, 0, 1},
    {"Alg3", &TSettings::Alg3, 0, 1},
    {"CountBahn", &TSettings::CountBahn, 1, 2},
    {"FilterInd", &TSettings::FilterInd, 1, Any},
    {"TimerGesperrt", &TSettings::TimerGesperrt, 1000, 999000},
    {"AllLaufe", &TSettings::AllLaufe, 1, Any, true},
    {"CountZabegov", &TSettings::CountZabegov, 1, 6},
    {"Monitor", &TSettings::Monitor, 0, Any},
    {"MonitorOn", &TSettings::MonitorOn, 0, 1},
    {"TimeFormat", &TSettings::TimeFormat, 0, 1},
    {"AutoTime", &TSettings::AutoTime, 1000, 99000},
    {"Vid", &TSettings::Vid, 0, 3},
    {"Color1", &TSettings::Color1, 0, 0xFFFFFF},
    {"Color2", &TSettings::Color2, 0, 0xFFFFFF},
    {"KlassCol", &TSettings::KlassCol, 0, 5},
    {"AllTrasse", &TSettings::AllTrasse, 0, 1},
    {"Title", &TSettings::Title, 0, 0},
    {"isPlaySound", &TSettings::isPlaySound, 0, 1},
    {"isPlaySound1", &TSettings::isPlaySound1, 0, 1},
    {"isPlaySound2", &TSettings::isPlaySound2, 0, 1},
    {"Lang", &TSettings::Lang, AnyNeg, Any},
    {"LiveOn", &TSettings::LiveOn, 0, 1},
    // Kept as stored: the live glue refuses a port outside 1..65535 and says so, where a clamp
    // would quietly make port 1 of a 0.
    {"LivePort", &TSettings::LivePort, AnyNeg, Any},
    {"LiveBind", &TSettings::LiveBind, 0, 0},
    {"Ranking", &TSettings::Ranking, 0, 1},
    {"BracketSize", &TSettings::BracketSize, 4, 16},
    // After every older key, so a file of an older version reads all it has.
    {"StopGesperrt", &TSettings::StopGesperrt, 500, 999000},
    {"PadPort", &TSettings::PadPort, 0, 255},
    {"PadAlg1", &TSettings::PadAlg1, 0, 1},
    {"PadAlg2", &TSettings::PadAlg2, 0, 1},
    {"FsLimit", &TSettings::FsLimit, 0, 999},
    {"EventFolder", &TSettings::EventFolder, 0, 0},
    {"EventName", &TSettings::EventName, 0, 0},
    {"EventPlace", &TSettings::EventPlace, 0, 0},
    {"HallNames", &TSettings::HallNames, 0, 1},
};

const char* const WritingOrder[] = {
    "Left",         "Top",          "Width",        "Height",     "Port",          "CountBahn",
    "FilterInd",    "Alg1",         "Alg2",         "Alg3",       "TimerGesperrt", "CountZabegov",
    "AllLaufe",     "Monitor",      "MonitorOn",    "TimeFormat", "AutoTime",      "Vid",
    "Color1",       "Color2",       "KlassCol",     "AllTrasse",  "Title",         "isPlaySound",
    "isPlaySound1", "isPlaySound2", "Lang",         "LiveOn",     "LivePort",      "LiveBind",
    "Ranking",      "BracketSize",  "StopGesperrt", "PadPort",    "PadAlg1",       "PadAlg2",
    "FsLimit",      "EventFolder",  "EventName",    "EventPlace", "HallNames"};

static_assert(std::size(Table) == std::size(WritingOrder));

const TSetting& Find(const char* name) {
    for (const TSetting& t : Table)
        if (qstrcmp(t.name, name) == 0) return t;
    Q_UNREACHABLE();
}

// A stored number as its 32 bits; false when the value is not a number of the store's kind.
bool ReadNumber(const QVariant& v, TNumberRule rule, qint32* out) {
    switch (v.typeId()) {
    case QMetaType::Int:
        *out = v.toInt();
        return true;
    case QMetaType::UInt:
        *out = qint32(v.toUInt());
        return true;
    case QMetaType::QString:
        if (rule == TNumberRule::IntOrDecimalText) {
            static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]{1,10}$"));
            const QString text = v.toString();
            if (!decimal.match(text).hasMatch()) return false;
            bool ok = false;
            const int n = text.toInt(&ok, 10);
            if (ok) *out = n;
            return ok;
        }
        return false;
    default:
        return false;
    }
}

} // namespace

std::unique_ptr<QSettings> OpenSettingsStore(const QString& programBaseName) {
    QString base = programBaseName;
    base.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        base = QStringLiteral("veltaro");
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Tavoleno\\") + base, QSettings::NativeFormat);
#else
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString path = dir + QStringLiteral("/Tavoleno/") + base + QStringLiteral(".conf");
    // Reading a pipe or a device there would block the start-up for ever: defaults, and
    // nothing written.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        qWarning("%s is not a regular file: settings not read and not saved", qPrintable(path));
        return nullptr;
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
#endif
}

TNumberRule NumberRuleFor(const QSettings& store) {
#ifdef Q_OS_WIN
    if (store.format() == QSettings::NativeFormat) return TNumberRule::IntOnly;
#else
    Q_UNUSED(store);
#endif
    return TNumberRule::IntOrDecimalText;
}

TSettingsLoad LoadSettings(QSettings& store, TSettings& s) {
    return LoadSettings(store, s, NumberRuleFor(store));
}

TSettingsLoad LoadSettings(QSettings& store, TSettings& s, TNumberRule rule) {
    TSettingsLoad result;
    result.keyFound = !store.allKeys().isEmpty();
    if (!result.keyFound) return result;

    for (const TSetting& t : Table) {
        const QVariant v = store.value(QLatin1String(t.name));
        if (std::holds_alternative<QString TSettings::*>(t.member)) {
            QString text;
            if (v.isValid()) {
                if (v.typeId() == QMetaType::QString)
                    text = v.toString();
                else if (rule == TNumberRule::IntOrDecimalText &&
                         v.typeId() == QMetaType::QStringList)
                    text = v.toStringList().join(QStringLiteral(", ")); // unquoted commas
                else
                    break;
            }
            s.*std::get<QString TSettings::*>(t.member) = text;
            ++result.valuesRead;
            continue;
        }

        qint32 n = 0;
        if (!v.isValid() || !ReadNumber(v, rule, &n)) break;
        ++result.valuesRead;
        const auto note = [&](qint64 from, qint64 to) {
            result.corrected
                << QStringLiteral("%1 %2 -> %3").arg(QLatin1String(t.name)).arg(from).arg(to);
        };

        if (auto m = std::get_if<bool TSettings::*>(&t.member)) {
            s.** m = n != 0;
        } else if (auto m = std::get_if<TColor TSettings::*>(&t.member)) {
            const TColor c = TColor(quint32(n));
            if (c > 0xFFFFFF) note(n, c & 0xFFFFFF);
            s.** m = c & 0xFFFFFF;
        } else if (auto m = std::get_if<int TSettings::*>(&t.member)) {
            if (t.onlyPositive && n <= 0) {
                note(n, s.**m);
                continue;
            }
            const qint64 fixed = qBound(t.lo, qint64(n), t.hi);
            if (fixed != n) note(n, fixed);
            s.** m = int(fixed);
        }
    }
    return result;
}

bool SaveSettings(QSettings& store, const TSettings& s) {
    if (!store.isWritable()) return false;
    for (const char* name : WritingOrder) {
        const TSetting& t = Find(name);
        const QString key = QLatin1String(name);
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(s.*member)>;
                if constexpr (std::is_same_v<T, QString>)
                    store.setValue(key, s.*member);
                else // booleans and colours as 32-bit numbers, as the registry wants them
                    store.setValue(key, int(qint32(s.*member)));
            },
            t.member);
    }
    store.sync();
    return store.status() == QSettings::NoError;
}

QStringList SettingsReadingOrder() {
    QStringList names;
    for (const TSetting& t : Table)
        names << QLatin1String(t.name);
    return names;
}

QStringList SettingsWritingOrder() {
    QStringList names;
    for (const char* name : WritingOrder)
        names << QLatin1String(name);
    return names;
}
