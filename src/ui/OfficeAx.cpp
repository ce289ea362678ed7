// The automation seam on the office suite's servers: each object is a QAxObject; values go
// through dynamicCall, objects come back as IDispatch pointers and are wrapped again. A failed
// call is known by the exception the server raises. Windows only: it needs ActiveQt, which is
// why it is not one of the *Win32 files that scripts/check-win32 compiles without Qt.
#include <QtGlobal>
#ifdef Q_OS_WIN
#include "core/Platform.h"
#include "ui/OfficeAx.h"

#include <ActiveQt/QAxObject>
#include <QCoreApplication>
#include <QStringList>

namespace {
class TAxObject : public TAutoObject {
public:
    explicit TAxObject(QAxObject* object) : m_object(object) {
        QObject::connect(m_object.get(), &QAxObject::exception, m_object.get(),
                         [this](int, const QString& source, const QString& desc, const QString&) {
                             m_failure = desc.isEmpty() ? source : desc;
                         });
    }
    QAxObject* Object() const { return m_object.get(); }

    QVariant Get(const QString& name, const TAutoArgs& args) override { return Invoke(name, args); }
    QVariant Call(const QString& name, const TAutoArgs& args) override {
        return Invoke(name, args);
    }
    void Put(const QString& name, const TAutoArg& value) override {
        m_failure.clear();
        if (!m_object->setProperty(name.toLatin1().constData(), Plain(value.Value)) ||
            !m_failure.isEmpty())
            throw EAutomation(
                m_failure.isEmpty()
                    ? name + QCoreApplication::translate("OfficeAutomation", ": nicht gesetzt")
                    : m_failure);
    }

private:
    // Our objects go to the server as the IDispatch they wrap.
    static QVariant Plain(const QVariant& v) {
        if (v.metaType() == QMetaType::fromType<TAutoPtr>())
            if (auto ax = std::dynamic_pointer_cast<TAxObject>(v.value<TAutoPtr>()))
                return ax->Object()->asVariant();
        return v;
    }
    QVariant Invoke(const QString& name, const TAutoArgs& args) {
        // Named arguments go in the order given, which is their declared order here.
        QList<QVariant> vars;
        QStringList types;
        for (const TAutoArg& a : args) {
            vars << Plain(a.Value);
            types << (a.ByRef ? QStringLiteral("QVariant&") : QStringLiteral("QVariant"));
        }
        const QByteArray signature = (name + '(' + types.join(',') + ')').toLatin1();
        m_failure.clear();
        const QVariant result = m_object->dynamicCall(signature.constData(), vars);
        if (!m_failure.isEmpty()) throw EAutomation(m_failure);
        if (result.canConvert<IDispatch*>()) {
            if (IDispatch* d = result.value<IDispatch*>())
                return AutoValue(std::make_shared<TAxObject>(new QAxObject(d)));
        }
        return result;
    }

    std::unique_ptr<QAxObject> m_object;
    QString m_failure;
};

class TAxServers : public TAutoServers {
public:
    bool Available(const QString& progId) const override { return OfficeServerRegistered(progId); }
    TAutoPtr Create(const QString& progId) override {
        auto* object = new QAxObject(progId);
        if (object->isNull()) {
            delete object;
            throw EAutomation(
                QCoreApplication::translate("OfficeAutomation", "Ungültige Klassenzeichenfolge: %1")
                    .arg(progId));
        }
        return std::make_shared<TAxObject>(object);
    }
};
} // namespace

std::unique_ptr<TAutoServers> MakeAxServers() {
    return std::make_unique<TAxServers>();
}
#endif
