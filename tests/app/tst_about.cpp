#include <QLabel>
#include <QPushButton>

#include "AppTestKit.h"
#include "CAboutDlg.h"
#include "CommandIds.h"
#include "KelvoVersion.h"

// Help > About Kelvo: its two faces, its texts, and how it ends.
class AboutTest : public AppTestKit {
    Q_OBJECT

    static QWidget* Control(CAboutDlg& about, int id) {
        return about.findChild<QWidget*>(QString::number(id));
    }
    static bool FirstFaceShown(CAboutDlg& about) {
        for (const int id : {CAboutDlg::IDC_SMALL_PICTURE, CAboutDlg::IDC_NAME,
                             CAboutDlg::IDC_VERSION, CAboutDlg::IDC_NOTICE})
            if (Control(about, id)->isHidden())
                return false;
        return Control(about, CAboutDlg::IDC_LARGE_PICTURE)->isHidden();
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void moreSwapsTheFacesAndBack() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QString("About Kelvo"));
        QCOMPARE(qobject_cast<QLabel*>(Control(about, CAboutDlg::IDC_VERSION))->text(),
                 QString("Version\n") + kKelvoVersion);
        QCOMPARE(qobject_cast<QLabel*>(Control(about, CAboutDlg::IDC_NAME))->text(),
                 QString("Kelvo"));
        QVERIFY(FirstFaceShown(about));
        auto* more = qobject_cast<QPushButton*>(Control(about, CAboutDlg::IDC_MORE));
        more->click();
        QCOMPARE(about.Face(), 2);
        QVERIFY(!Control(about, CAboutDlg::IDC_LARGE_PICTURE)->isHidden());
        QVERIFY(Control(about, CAboutDlg::IDC_NOTICE)->isHidden());
        more->click();
        QCOMPARE(about.Face(), 1);
        QVERIFY(FirstFaceShown(about));
        // The pictures are drawn, not blank.
        const QImage small = CAboutDlg::SmallPicture({120, 50}).toImage();
        QVERIFY(small.pixel(5, 5) != small.pixel(30, 25) ||
                small.pixel(60, 25) != small.pixel(5, 5));
    }

    void doneAcceptsAndEscapeRejects() {
        CAboutDlg about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        qobject_cast<QPushButton*>(Control(about, CAboutDlg::IDC_DONE))->click();
        QCOMPARE(about.result(), int(QDialog::Accepted));
        CAboutDlg again;
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTest::keyClick(&again, Qt::Key_Escape);
        QCOMPARE(again.result(), int(QDialog::Rejected));
        // Enter is Done, the default button.
        CAboutDlg third;
        third.show();
        QVERIFY(QTest::qWaitForWindowExposed(&third));
        QTest::keyClick(&third, Qt::Key_Return);
        QCOMPARE(third.result(), int(QDialog::Accepted));
    }

    // Print Setup needs no document: one printer setting for the whole program.
    void printSetupWorksWithoutADocument() {
        CKelvoApp& kelvo = Start({});
        kelvo.DocManager()->CloseAllDocuments();
        CommandUpdate update(ID_FILE_PRINT_SETUP);
        QVERIFY(kelvo.MainFrame()->RouteUpdate(update));
        QVERIFY(update.enabled);
        QVERIFY(kelvo.MainFrame()->RouteCommand(ID_FILE_PRINT_SETUP));
        QCOMPARE(platform.printSetups, 1);
        CommandUpdate print(ID_FILE_PRINT);
        QVERIFY(!kelvo.MainFrame()->RouteUpdate(print)); // printing needs a view
    }

    // Closed without Done, the next drag step in a view is ignored.
    void cancelledAboutIgnoresTheNextDrag() {
        CKelvoApp& kelvo = Start({});
        g_bIgnoreNextDrag = false;
        platform.dialogAnswers = {QDialog::Accepted};
        QVERIFY(kelvo.MainFrame()->RouteCommand(ID_APP_ABOUT));
        QCOMPARE(platform.dialogsRun, std::vector<QString>{"About Kelvo"});
        QVERIFY(!g_bIgnoreNextDrag);
        QVERIFY(kelvo.MainFrame()->RouteCommand(ID_APP_ABOUT)); // unscripted: Escape
        QVERIFY(g_bIgnoreNextDrag);
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
