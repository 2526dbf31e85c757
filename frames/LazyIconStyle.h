#pragma once

#include <QProxyStyle>

// The application's style, which hands out its standard icons (a bar's extension arrow, a
// title bar's buttons) as promises: a picture is read when first painted or measured. Reading
// the first one loads every image-format plug-in, which a start-up that shows none of them
// need not wait for.
class LazyIconStyle : public QProxyStyle {
public:
    // Wraps the style that `key` names, the application's own unless the user chose another.
    explicit LazyIconStyle(const QString& key);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
