#pragma once
// The address spectators type or scan to reach the live results, and its QR code.
#include <QHostAddress>
#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;

// The bind address as stored: empty or "*" means every interface. Null when the text is no
// address at all.
QHostAddress LiveBindAddress(const QString& text, bool* valid = nullptr);
// The address to share: on all interfaces the machine's first address on the local network
// (a phone cannot reach "0.0.0.0"), else the bound one. Empty when there is none.
QString LiveShareAddress(const QHostAddress& bound, quint16 port);
// The text as a QR code, black modules on white with the quiet zone, `scale` pixels per
// module; a null image when the text does not fit a QR code.
QImage LiveQrImage(const QString& text, int scale = 4);

// The address as a link and its QR code; hidden while there is nothing to share.
class TLiveSharePanel : public QWidget {
    Q_OBJECT
public:
    explicit TLiveSharePanel(QWidget* parent = nullptr);
    // An address to share, or a reason why there is none (shown instead, in red).
    void Show(const QString& address, const QString& problem = {});
    QString Address() const { return m_address; }

    QLabel* labLiveAddress;
    QLabel* ImageLiveQr;

private:
    QString m_address;
};
