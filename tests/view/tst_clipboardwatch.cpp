// Paste's knowledge of the clipboard: renewed when the clipboard changes, and, while the
// start-up defers it, no look at all until the deferral ends.

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include "ClipboardWatch.h"

class ClipboardWatchTest : public QObject {
    Q_OBJECT

private slots:
    // One function: the watch is the program's, and its first look happens once.
    void deferredLookWaitsThenFollowsTheClipboard() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("R1 in out 1k"));
        QTRY_COMPARE(clipboard->text(), QStringLiteral("R1 in out 1k"));

        DeferClipboardLook();
        QVERIFY(!ClipboardHasText()); // not looked at yet
        QVERIFY(!ClipboardHasText());
        QVERIFY(EndClipboardDeferral());
        QVERIFY(ClipboardHasText());
        QVERIFY(!EndClipboardDeferral()); // nothing left to end

        clipboard->clear();
        QTRY_VERIFY(!ClipboardHasText());
        clipboard->setText(QStringLiteral("C1 out 0 1p"));
        QTRY_VERIFY(ClipboardHasText());

        // Once watched, a deferral asked for later changes nothing.
        DeferClipboardLook();
        QVERIFY(ClipboardHasText());
        QVERIFY(!EndClipboardDeferral());
    }
};

QTEST_MAIN(ClipboardWatchTest)
#include "tst_clipboardwatch.moc"
