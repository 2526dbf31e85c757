// The help shipped in the program: a page for every keyword's topic, and links that lead
// somewhere.

#include <QtTest>

#include <QRegularExpression>
#include <QTextBrowser>

#include <set>

#include "HelpTopics.h"
#include "KeywordTable.h"
#include "Platform.h"

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

} // namespace

class HelpTopicsTest : public QObject {
    Q_OBJECT
private slots:
    void everyHelpContextHasAPageWithATitle() {
        std::set<int> contexts{kMainWindowHelpContext};
        for (const KeywordEntry* table : {KeywordTable, ControlOnlyKeywords})
            for (const KeywordEntry* entry = table; entry->keyword != nullptr; ++entry)
                contexts.insert(entry->helpContext);
        for (const int context : contexts) {
            const QString page = Topics().PageOf(context);
            QVERIFY2(!page.isEmpty(), qPrintable(QString::number(context)));
            QVERIFY2(!Topics().HtmlOf(page).isEmpty(), qPrintable(page));
            // The words the page is about, a colon, a phrase: ".MEAS/.MEASURE: measurements".
            static const QRegularExpression form("^[^: ]+( [^: ]+)*: \\S.*$");
            QVERIFY2(form.match(Topics().TitleOf(page)).hasMatch() ||
                         context == kMainWindowHelpContext,
                     qPrintable(Topics().TitleOf(page)));
        }
        // No two contexts share a page, and nothing is listed that the keywords do not reach
        // besides the page of the program's main window.
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
};

QTEST_MAIN(HelpTopicsTest)
#include "tst_helptopics.moc"
