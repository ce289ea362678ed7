#pragma once
// The late-bound automation seam the office exports talk through: an object whose properties
// and methods are reached by name with variant arguments, as an office suite's automation
// server offers them. On Windows the objects are the suite's own (ActiveQt); elsewhere our
// stand-in servers (persist/OfficeStandIn.h) accept the same calls and write real files.
#include <exception>
#include <memory>
#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <type_traits>

class TAutoObject;
using TAutoPtr = std::shared_ptr<TAutoObject>;
Q_DECLARE_METATYPE(TAutoPtr)

// One argument of a call: its value, whether the server gets it by reference, and its name
// for a named argument (empty: positional).
struct TAutoArg {
    TAutoArg() = default;
    // Any value a variant holds: calls read as they would in a script, Cells(1, 1).
    template <typename T, typename = std::enable_if_t<!std::is_same_v<std::decay_t<T>, TAutoArg>>>
    TAutoArg(T&& value) : Value(QVariant::fromValue(std::forward<T>(value))) {}
    TAutoArg(const char* text) : Value(QString::fromUtf8(text)) {}
    QVariant Value;
    bool ByRef = false;
    QString Name;
};
using TAutoArgs = QList<TAutoArg>;

inline TAutoArg ByRef(QVariant value) {
    TAutoArg a(std::move(value));
    a.ByRef = true;
    return a;
}
inline TAutoArg NamedArg(const QString& name, QVariant value, bool byRef = false) {
    TAutoArg a(std::move(value));
    a.Name = name;
    a.ByRef = byRef;
    return a;
}

// A failed call or a server that cannot be had; Message is the server's or system's text.
class EAutomation : public std::exception {
public:
    explicit EAutomation(QString message) : Message(std::move(message)), m_utf8(Message.toUtf8()) {}
    const char* what() const noexcept override { return m_utf8.constData(); }
    QString Message;

private:
    QByteArray m_utf8;
};

class TAutoObject {
public:
    virtual ~TAutoObject() = default;
    // A property read with arguments (Cells(1, 1), WorkSheets(1)).
    virtual QVariant Get(const QString& name, const TAutoArgs& args = {}) = 0;
    // A property write.
    virtual void Put(const QString& name, const TAutoArg& value) = 0;
    // A method call, or a property read without arguments.
    virtual QVariant Call(const QString& name, const TAutoArgs& args = {}) = 0;

    // The same three for a result that must be an object: a value that is none fails.
    TAutoPtr GetObject(const QString& name, const TAutoArgs& args = {});
    TAutoPtr CallObject(const QString& name, const TAutoArgs& args = {});
};

QVariant AutoValue(const TAutoPtr& object);
// The object a result holds; fails with EAutomation naming what was asked when it holds none.
TAutoPtr AutoObjectOf(const QVariant& value, const QString& what);

// The text of a value a workbook gives back: a number with up to 15 significant digits and the
// system's decimal separator, a date as dd.MM.yyyy (a time of day added when it has one).
QString AutoValueText(const QVariant& value);

// Where automation objects come from: the servers installed on this machine, by their
// programmatic identifiers ("Excel.Application", "Word.Basic").
class TAutoServers {
public:
    virtual ~TAutoServers() = default;
    // Whether a server with this identifier can be had (what enables the export buttons).
    virtual bool Available(const QString& progId) const = 0;
    // A new object of the server; fails with EAutomation when the server cannot be had.
    virtual TAutoPtr Create(const QString& progId) = 0;
};
