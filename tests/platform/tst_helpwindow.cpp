// The help window: the search over the pages' words, Back and Forward, its keys, and the
// one window the platform shows every topic in.

#include <QtTest>

#include <QRegularExpression>
#include <QTextBrowser>

#include <map>

#include "HelpTopics.h"
#include "HelpWindow.h"
#include "QtPlatform.h"

namespace {

const HelpTopics& Topics() {
    return HelpTopics::Shipped();
}

QStringList PagesOf(const std::vector<HelpTopics::Hit>& hits) {
    QStringList pages;
    for (const HelpTopics::Hit& hit : hits)
        pages << hit.page;
    return pages;
}

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT
private slots:
    void searchFindsPagesHoldingEveryWordAtAWordsStart() {
        const QStringList transient = PagesOf(Topics().Search("Transient"));
        QVERIFY(transient.contains("dot-tran.html"));
        QVERIFY(!transient.contains("element-r.html"));
        // Every word must be on the page; case does not matter.
        const QStringList both = PagesOf(Topics().Search("pulse   TSTOP"));
        QVERIFY(both.contains("dot-tran.html"));
        for (const QString& page : both)
            QVERIFY2(PagesOf(Topics().Search("pulse")).contains(page), qPrintable(page));
        // A word is found where a word begins: "gain" is not in "again".
        for (const QString& page : PagesOf(Topics().Search("gain")))
            QVERIFY2(Topics().HtmlOf(page).contains(
                         QRegularExpression("\\bgain", QRegularExpression::CaseInsensitiveOption)),
                     qPrintable(page));
        QVERIFY(PagesOf(Topics().Search(".tran")).contains("dot-tran.html"));
        // The index names every page; it is not a hit of its own.
        QVERIFY(!PagesOf(Topics().Search("transient")).contains(HelpTopics::kIndexPage));
        QVERIFY(Topics().Search("   ").empty());
        QVERIFY(Topics().Search("zzqqxx").empty());
        QVERIFY(Topics().SearchPage("zzqqxx").contains("No page holds"));
        // Words that look like markup are shown as text.
        QVERIFY(Topics().SearchPage("<b>").contains("&lt;b&gt;"));
    }

    // The window: a page by name, Back and Forward through pages and searches, the index,
    // a missing page, and links followed from a page.
    void windowGoesBackAndForthThroughPagesAndSearches() {
        HelpWindow window(Topics(), nullptr);
        window.ShowPage("dot-tran.html");
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QString("Kelvo Help - .TRAN: transient analysis"));
        QVERIFY(!window.BackAction()->isEnabled());
        window.SearchField()->setText("transient");
        QTest::keyClick(window.SearchField(), Qt::Key_Return);
        QCOMPARE(window.windowTitle(), QString("Kelvo Help - Search: transient"));
        QVERIFY(window.Browser()->toPlainText().contains(".TRAN: transient analysis"));
        QVERIFY(window.BackAction()->isEnabled());
        window.BackAction()->trigger();
        QCOMPARE(window.Browser()->documentTitle(), QString(".TRAN: transient analysis"));
        QVERIFY(window.ForwardAction()->isEnabled());
        window.ForwardAction()->trigger();
        QVERIFY(window.Browser()->documentTitle().startsWith("Search:"));
        window.IndexAction()->trigger();
        QCOMPARE(window.Browser()->source().fileName(), QString("index.html"));
        // A link of the index, followed as a click would.
        window.Browser()->setSource(window.Browser()->source().resolved(QUrl("dot-model.html")));
        QCOMPARE(window.Browser()->documentTitle(), Topics().TitleOf("dot-model.html"));
        window.ShowPage("no-such-page.html");
        QCOMPARE(window.Browser()->source().fileName(), QString("index.html"));
    }

    // The program's shortcuts work in every window; in the help window only F1 and
    // Shift+F1 get through, so that Ctrl+A or Ctrl+X act on the page, never on the
    // document behind it.
    void windowKeysComeBeforeTheProgramsShortcuts() {
        QWidget program;
        std::map<QString, int> fired;
        for (const char* keys : {"Ctrl+F", "Ctrl+A", "Ctrl+X", "Ctrl+W", "F1", "Shift+F1"}) {
            auto* action = new QAction(&program);
            action->setShortcut(QKeySequence(keys));
            action->setShortcutContext(Qt::ApplicationShortcut);
            connect(action, &QAction::triggered, this, [&fired, keys] { ++fired[keys]; });
            program.addAction(action);
        }
        program.show(); // a hidden window's shortcuts work nowhere
        QVERIFY(QTest::qWaitForWindowExposed(&program));
        HelpWindow window(Topics(), nullptr);
        window.ShowPage("dot-tran.html");
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.Browser(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(window.Browser()->textCursor().hasSelection()); // the page's text
        QTest::keyClick(window.Browser(), Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(window.Browser(), Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(window.Browser(), Qt::Key_F1);
        QTest::keyClick(window.Browser(), Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(window.Browser(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), window.SearchField());
        QCOMPARE(fired, (std::map<QString, int>{{"F1", 1}, {"Shift+F1", 1}}));
        window.ShowPage("dot-model.html");
        QTest::keyClick(window.Browser(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(window.Browser()->source().fileName(), QString("dot-tran.html"));
        QTest::keyClick(window.Browser(), Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(window.Browser()->source().fileName(), QString("index.html"));
        QTest::keyClick(window.Browser(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // The platform keeps one window and shows in it whatever is asked for next.
    void platformShowsTopicsInOneWindow() {
        QtPlatform platform;
        auto windows = [] {
            int count = 0;
            for (QWidget* widget : QApplication::topLevelWidgets())
                count += qobject_cast<HelpWindow*>(widget) != nullptr ? 1 : 0;
            return count;
        };
        auto shown = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* help = qobject_cast<HelpWindow*>(widget))
                    return help->Browser()->source().fileName();
            return QString();
        };
        platform.WinHelp(27, HELP_CONTEXT);
        QCOMPARE(shown(), QString("dot-tran.html"));
        platform.WinHelp(6, HELP_CONTEXT);
        QCOMPARE(shown(), QString("element-k.html"));
        platform.WinHelp(kMainWindowHelpContext, HELP_CONTEXT);
        QCOMPARE(shown(), QString("editor.html"));
        platform.WinHelp(0, HELP_HELPONHELP);
        QCOMPARE(shown(), QString("using-help.html"));
        platform.WinHelp(12345, HELP_CONTEXT);
        QCOMPARE(shown(), QString("index.html"));
        QCOMPARE(windows(), 1);
        HelpWindow* help = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<HelpWindow*>(widget))
                help = found;
        QVERIFY(platform.IsHelpWindow(help));
        delete help; // it goes with its owner, the main window, which this test has not
    }
};

QTEST_MAIN(HelpWindowTest)
#include "tst_helpwindow.moc"
