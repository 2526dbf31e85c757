#include "ToolbarIcon.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>

namespace {

constexpr int kFadePercent = 30; // how much of a pixel's contrast a disabled icon keeps

class FadedWhenDisabled : public QIconEngine {
public:
    explicit FadedWhenDisabled(QIcon picture) : m_picture(std::move(picture)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1;
        QPixmap shown = pixmap(rect.size() * ratio, mode, state);
        shown.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, shown);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (mode != QIcon::Disabled)
            return m_picture.pixmap(size, mode, state);
        const QColor background =
            QGuiApplication::palette().color(QPalette::Disabled, QPalette::Window);
        return QPixmap::fromImage(
            Faded(m_picture.pixmap(size, QIcon::Normal, state).toImage(), background));
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_picture.actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return m_picture.availableSizes(mode, state);
    }

    QIconEngine* clone() const override { return new FadedWhenDisabled(m_picture); }
    QString key() const override { return QStringLiteral("FadedWhenDisabled"); }

private:
    QIcon m_picture;
};

} // namespace

QImage Faded(const QImage& image, const QColor& background) {
    QImage faded = image.convertToFormat(QImage::Format_ARGB32);
    const int ground = qGray(background.rgb());
    for (int y = 0; y < faded.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(faded.scanLine(y));
        for (int x = 0; x < faded.width(); ++x) {
            const int grey = ground + (qGray(line[x]) - ground) * kFadePercent / 100;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return faded;
}

QIcon ToolbarIcon(const QString& resource) {
    return QIcon(new FadedWhenDisabled(QIcon(resource)));
}
