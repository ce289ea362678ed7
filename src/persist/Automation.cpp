#include "persist/Automation.h"

#include "core/TimeFormat.h"

#include <cmath>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QTime>

QVariant AutoValue(const TAutoPtr& object) {
    return QVariant::fromValue(object);
}

TAutoPtr AutoObjectOf(const QVariant& value, const QString& what) {
    if (value.metaType() == QMetaType::fromType<TAutoPtr>()) {
        TAutoPtr object = value.value<TAutoPtr>();
        if (object) return object;
    }
    throw EAutomation(QCoreApplication::translate("Automation", "%1 ergab kein Objekt").arg(what));
}

TAutoPtr TAutoObject::GetObject(const QString& name, const TAutoArgs& args) {
    return AutoObjectOf(Get(name, args), name);
}

TAutoPtr TAutoObject::CallObject(const QString& name, const TAutoArgs& args) {
    return AutoObjectOf(Call(name, args), name);
}

namespace {
QString NumberText(double d) {
    if (!std::isfinite(d)) return QString::number(d);
    QString s = QString::number(d, 'g', 15);
    s.replace(QLatin1Char('.'), SystemDecimalSeparator());
    return s;
}
} // namespace

QString AutoValueText(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return QString();
    case QMetaType::Double:
    case QMetaType::Float:
        return NumberText(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: {
        const QDateTime t = value.toDateTime();
        if (t.time() == QTime(0, 0)) return t.date().toString(QStringLiteral("dd.MM.yyyy"));
        return t.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("WAHR") : QStringLiteral("FALSCH");
    default:
        return value.toString();
    }
}
