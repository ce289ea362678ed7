#include "ui/live/LiveShare.h"

#include <qrencode.h>

#include <memory>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPainter>

QHostAddress LiveBindAddress(const QString& text, bool* valid) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t == QLatin1String("*")) {
        if (valid) *valid = true;
        return QHostAddress(QHostAddress::Any);
    }
    QHostAddress a;
    const bool ok = a.setAddress(t);
    if (valid) *valid = ok;
    return ok ? a : QHostAddress();
}

QString LiveShareAddress(const QHostAddress& bound, quint16 port) {
    QHostAddress host = bound;
    if (bound == QHostAddress(QHostAddress::Any) || bound == QHostAddress(QHostAddress::AnyIPv4) ||
        bound == QHostAddress(QHostAddress::AnyIPv6)) {
        host = QHostAddress();
        for (const QHostAddress& a : QNetworkInterface::allAddresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() &&
                !a.isLinkLocal()) {
                host = a;
                break;
            }
        if (host.isNull()) host = QHostAddress(QHostAddress::LocalHost);
    }
    if (host.isNull() || port == 0) return {};
    const QString name = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + host.toString() + QLatin1Char(']')
                             : host.toString();
    return QStringLiteral("http://%1:%2/").arg(name).arg(port);
}

QImage LiveQrImage(const QString& text, int scale) {
    const QByteArray bytes = text.toUtf8();
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || scale < 1) return {};
    const int quiet = 4, side = code->width + 2 * quiet;
    QImage image(side * scale, side * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                p.fillRect((x + quiet) * scale, (y + quiet) * scale, scale, scale, Qt::black);
    return image;
}

TLiveSharePanel::TLiveSharePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LiveSharePanel"));
    labLiveAddress = new QLabel(this);
    labLiveAddress->setObjectName(QStringLiteral("labLiveAddress"));
    labLiveAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    labLiveAddress->setWordWrap(true);
    ImageLiveQr = new QLabel(this);
    ImageLiveQr->setObjectName(QStringLiteral("ImageLiveQr"));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(labLiveAddress, 1);
    h->addWidget(ImageLiveQr);
    hide();
}

void TLiveSharePanel::Show(const QString& address, const QString& problem) {
    m_address = address;
    if (!problem.isEmpty()) {
        labLiveAddress->setText(problem);
        labLiveAddress->setStyleSheet(QStringLiteral("color: red"));
        ImageLiveQr->clear();
        setVisible(true);
        return;
    }
    labLiveAddress->setStyleSheet({});
    labLiveAddress->setText(tr("Live-Ergebnisse im Browser: ") + address);
    ImageLiveQr->setPixmap(QPixmap::fromImage(LiveQrImage(address, 3)));
    setVisible(!address.isEmpty());
}
