// The menu bar as the user reads it: each item's text and, beside it, its shortcut; and
// the help page Shift+F1 on the menus opens, which describes every item.

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "CMainFrame.h"
#include "CommandTable.h"
#include "HelpTopics.h"
#include "Platform.h"

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    // Every item that has a shortcut, with a document window open, as "Menu/Item\tKey".
    void itemsShowTheirShortcuts() {
        CMainFrame frame;
        frame.ShowMenus(true);
        QStringList shown;
        for (QAction* title : frame.menuBar()->actions())
            for (QAction* item : title->menu()->actions())
                if (!item->shortcut().isEmpty())
                    shown << title->text() + '/' + item->text() + '\t' +
                                 item->shortcut().toString();
        const QStringList expected = {
            "&File/&New\tCtrl+N",
            "&File/&Open...\tCtrl+O",
            "&File/&Close\tCtrl+W",
            "&File/&Save\tCtrl+S",
            "&File/&Print...\tCtrl+P",
            "&File/E&xit / Quit\tCtrl+Q",
            "&Edit/&Undo\tCtrl+Z",
            "&Edit/&Redo\tCtrl+Shift+Z",
            "&Edit/Cu&t\tCtrl+X",
            "&Edit/&Copy\tCtrl+C",
            "&Edit/&Paste\tCtrl+V",
            "&Edit/&Select All\tCtrl+A",
            "&Search/&Find...\tCtrl+F",
            "&Search/&Replace...\tCtrl+R",
            "&Search/Find &Again\tCtrl+Shift+F",
            "&Search/Find &Last\tCtrl+L",
            "&Search/Replace && &Stop\tCtrl+T",
            "&Search/Replace && Find A&gain\tCtrl+Shift+R",
            "&Search/&Go To Line...\tCtrl+M",
            "&Search/Go To &Error\tF4",
            "&Search/Go To &Previous Error\tShift+F4",
            "&Search/Go To &Definition\tF12",
            "&Search/&Open Selection\tCtrl+D",
            "&Actions/&Simulate\tCtrl+G",
            "&Help/&Help\tF1",
            "&Help/&Context Help...\tShift+F1",
        };
        QCOMPARE(shown, expected);
    }

    // Shift+F1 on the menu bar, and F1 where no netlist word applies, open the main
    // window's page; each menu's section there has a row for each of its items, so a new
    // command without one fails here.
    void everyMenuItemHasARowInTheMainWindowsHelp() {
        const HelpTopics& topics = HelpTopics::Shipped();
        const QString html = topics.HtmlOf(topics.PageOf(kMainWindowHelpContext));
        QVERIFY(!html.isEmpty());
        for (const auto* menus : {&DocumentMenus(), &EmptyMenus()}) {
            for (const MenuInfo& menu : *menus) {
                const QString title = QString(menu.title).remove('&');
                const qsizetype start = html.indexOf("<h2>" + title + " menu</h2>");
                QVERIFY2(start >= 0, qPrintable(title));
                const QString section = html.mid(start, html.indexOf("<h2>", start + 1) - start);
                for (const int id : menu.items) {
                    // The recent files' entries are the files' own names.
                    if (id == 0 || id == ID_FILE_MRU_FILE1)
                        continue;
                    const QString item = QString(FindCommand(id)->menuText)
                                             .replace("&&", "\x01")
                                             .remove('&')
                                             .replace("\x01", "&");
                    QVERIFY2(section.contains("<tr><td>" + item.toHtmlEscaped() + "</td>"),
                             qPrintable(title + '/' + item));
                }
            }
        }
    }
};

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
