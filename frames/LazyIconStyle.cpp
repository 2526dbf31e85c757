#include "LazyIconStyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

#include <optional>

namespace {

// Asks the wrapped style for its icon the first time the picture is needed. Of the option
// the icon was asked with, the common part is kept (the direction an arrow points, the
// palette): the styles read no more for their standard icons.
class StandardIconPromise : public QIconEngine {
public:
    StandardIconPromise(const QStyle* style, QStyle::StandardPixmap which,
                        const QStyleOption* option, const QWidget* widget)
        : m_style(const_cast<QStyle*>(style)), m_which(which),
          m_widget(const_cast<QWidget*>(widget)) {
        if (option != nullptr)
            m_option = *option;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Kept().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Kept().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Kept().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Kept().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Kept().availableSizes(mode, state);
    }
    bool isNull() override { return Kept().isNull(); }
    QString iconName() override { return Kept().name(); }
    QIconEngine* clone() const override {
        auto* copy = new StandardIconPromise(m_style, m_which,
                                             m_option ? &*m_option : nullptr, m_widget);
        copy->m_icon = m_icon;
        copy->m_bKept = m_bKept;
        return copy;
    }
    QString key() const override { return QStringLiteral("StandardIconPromise"); }

private:
    QIcon& Kept() {
        if (!m_bKept) {
            m_bKept = true;
            if (m_style != nullptr)
                m_icon = m_style->standardIcon(m_which, m_option ? &*m_option : nullptr,
                                               m_widget.data());
        }
        return m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    std::optional<QStyleOption> m_option;
    QPointer<QWidget> m_widget;
    QIcon m_icon;
    bool m_bKept = false;
};

} // namespace

LazyIconStyle::LazyIconStyle(const QString& key) : QProxyStyle(key) {}

QIcon LazyIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                  const QWidget* widget) const {
    return QIcon(new StandardIconPromise(baseStyle(), which, option, widget));
}
