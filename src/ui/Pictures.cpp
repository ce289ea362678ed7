#include "ui/Pictures.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

void InitResources() {
    static bool done = false;
    if (done) return;
    done = true;
    Q_INIT_RESOURCE(veltaro);
    Q_INIT_RESOURCE(help);
}

namespace {
QString PicturePath(const QString& name) {
    return QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
}

// Renders the drawing afresh for every size and scale the icon is asked for.
class TSvgIconEngine : public QIconEngine {
public:
    explicit TSvgIconEngine(const QString& path) : m_path(path) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QSvgRenderer renderer(m_path);
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        renderer.render(painter, QRectF(rect));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // Qt asks with the size in device pixels already multiplied by the scale.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            paint(&p, QRect(QPoint(0, 0), pm.size()), mode, state);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new TSvgIconEngine(m_path); }
    QString key() const override { return QStringLiteral("veltaro-svg"); }

private:
    QString m_path;
};
} // namespace

bool HasPicture(const QString& name) {
    InitResources();
    return QFile::exists(PicturePath(name));
}

QIcon Picture(const QString& name) {
    if (!HasPicture(name)) return QIcon();
    return QIcon(new TSvgIconEngine(PicturePath(name)));
}

QPixmap PicturePixmap(const QString& name, const QSize& size, qreal devicePixelRatio) {
    const QSize physical = (QSizeF(size) * devicePixelRatio).toSize().expandedTo(QSize(1, 1));
    QPixmap pm(physical);
    pm.fill(Qt::transparent);
    if (HasPicture(name)) {
        QSvgRenderer renderer(PicturePath(name));
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(physical)));
    }
    pm.setDevicePixelRatio(devicePixelRatio);
    return pm;
}
