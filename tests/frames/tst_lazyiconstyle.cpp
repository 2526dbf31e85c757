// The application style's standard icons, read when first shown: each gives the picture the
// wrapped style gives, at every size and in both directions, and says it is null only when
// the wrapped style's icon is.

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtTest>

#include "LazyIconStyle.h"

class LazyIconStyleTest : public QObject {
    Q_OBJECT

private slots:
    void promisesGiveTheStylesOwnPictures() {
        LazyIconStyle lazy(QStringLiteral("fusion"));
        std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("fusion")));
        const QStyle::StandardPixmap kinds[] = {
            QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
            QStyle::SP_TitleBarMenuButton, QStyle::SP_TitleBarCloseButton,
            QStyle::SP_TitleBarNormalButton, QStyle::SP_ArrowBack, QStyle::SP_DialogOkButton,
            QStyle::SP_MessageBoxWarning, QStyle::SP_CustomBase};
        for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            QStyleOption option;
            option.direction = direction;
            for (const QStyle::StandardPixmap kind : kinds) {
                for (const QStyleOption* asked : {static_cast<const QStyleOption*>(nullptr),
                                                  static_cast<const QStyleOption*>(&option)}) {
                    const QIcon promised = lazy.standardIcon(kind, asked);
                    const QIcon real = plain->standardIcon(kind, asked);
                    const QString what = QString("kind %1, direction %2, option %3")
                                             .arg(int(kind))
                                             .arg(int(direction))
                                             .arg(asked != nullptr);
                    QVERIFY2(promised.isNull() == real.isNull(), qPrintable(what));
                    for (const int size : {16, 22, 32}) {
                        const QImage a = promised.pixmap(size).toImage();
                        const QImage b = real.pixmap(size).toImage();
                        QVERIFY2(a == b, qPrintable(what + QString(", size %1").arg(size)));
                    }
                    // A copy made before the first picture still gives it.
                    QIcon copy = lazy.standardIcon(kind, asked);
                    const QIcon second = copy;
                    QVERIFY2(second.pixmap(16).toImage() == real.pixmap(16).toImage(),
                             qPrintable(what));
                }
            }
        }
    }
};

QTEST_MAIN(LazyIconStyleTest)
#include "tst_lazyiconstyle.moc"
