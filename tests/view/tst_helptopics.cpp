// The help shipped in the program: a page for every keyword's topic, links that lead
// somewhere, the search over the pages' words, and the window that shows them.

#include <QtTest>

#include <QRegularExpression>
#include <QTextBrowser>

#include <set>

#include "HelpTopics.h"
#include "HelpWindow.h"
#include "KeywordTable.h"
#include "QtPlatform.h"

namespace {

const HelpTopics& Topics() {
    return HelpTopics::Shipped();
}

// The pages a page links to by name; anchors within a page are left out.
QStringList LinksOf(const QString& html) {
    QStringList links;
    static const QRegularExpression href("href=\"([^\"#]*)[^\"]*\"");
    for (auto match = href.globalMatch(html); match.hasNext();) {
        const QString link = match.next().captured(1);
        if (!link.isEmpty())
            links << link;
    }
    return links;
}

bool IsPage(const QString& page) {
    const std::vector<QString>& pages = Topics().Pages();
    return std::find(pages.begin(), pages.end(), page) != pages.end();
}

QStringList PagesOf(const std::vector<HelpTopics::Hit>& hits) {
    QStringList pages;
    for (const HelpTopics::Hit& hit : hits)
        pages << hit.page;
    return pages;
}

} // namespace

class HelpTopicsTest : public QObject {
    Q_OBJECT
private slots:
    void everyHelpContextHasAPageWithATitle() {
        std::set<int> contexts{6, kMainWindowHelpContext};
        for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry)
            contexts.insert(entry->helpContext);
        for (const int context : contexts) {
            const QString page = Topics().PageOf(context);
            QVERIFY2(!page.isEmpty(), qPrintable(QString::number(context)));
            QVERIFY2(!Topics().HtmlOf(page).isEmpty(), qPrintable(page));
            QVERIFY2(Topics().TitleOf(page) != page, qPrintable(page));
        }
        // No two contexts share a page, and nothing is listed that the keywords do not reach
        // besides the two pages of the program's own windows.
        std::set<QString> pages;
        for (const auto& [context, page] : Topics().Contexts()) {
            QVERIFY2(pages.insert(page).second, qPrintable(page));
            QVERIFY2(contexts.count(context) == 1, qPrintable(QString::number(context)));
        }
        QCOMPARE(Topics().PageOf(27), QString("dot-tran.html"));
        QCOMPARE(Topics().PageOf(0), QString());
    }

    void everyLinkLeadsToAPageAndTheIndexReachesThemAll() {
        std::set<QString> reached;
        for (const QString& page : Topics().Pages()) {
            const QString html = Topics().HtmlOf(page);
            QVERIFY2(!html.isEmpty(), qPrintable(page));
            for (const QString& link : LinksOf(html))
                QVERIFY2(IsPage(link), qPrintable(page + " -> " + link));
            // Every page leads back to the index.
            QVERIFY2(page == HelpTopics::kIndexPage ||
                         LinksOf(html).contains(HelpTopics::kIndexPage),
                     qPrintable(page));
        }
        for (const QString& link : LinksOf(Topics().HtmlOf(HelpTopics::kIndexPage)))
            reached.insert(link);
        for (const QString& page : Topics().Pages())
            QVERIFY2(page == HelpTopics::kIndexPage || reached.count(page) == 1, qPrintable(page));
    }

    // Pages of the suite's own words say where their details are and claim no parameters.
    void suiteWordsSendTheReaderToTheSuitesDocumentation() {
        for (const int context : {49, 50, 51, 53, 54, 57, 62, 63, 107, 111, 112, 113}) {
            const QString html = Topics().HtmlOf(Topics().PageOf(context));
            QVERIFY2(html.contains("documentation"), qPrintable(Topics().PageOf(context)));
            QVERIFY2(!html.contains("<h2>Parameters</h2>"), qPrintable(Topics().PageOf(context)));
        }
    }

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

    void windowKeysComeBeforeTheProgramsShortcuts() {
        QWidget other;
        auto* programFind = new QAction(&other);
        programFind->setShortcut(QKeySequence("Ctrl+F"));
        programFind->setShortcutContext(Qt::ApplicationShortcut);
        other.addAction(programFind);
        QSignalSpy programFound(programFind, &QAction::triggered);
        HelpWindow window(Topics(), nullptr);
        window.ShowPage("dot-tran.html");
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.Browser(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), window.SearchField());
        QCOMPARE(programFound.count(), 0);
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

QTEST_MAIN(HelpTopicsTest)
#include "tst_helptopics.moc"
