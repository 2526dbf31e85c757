// The menu bar as the user reads it: each item's text and, beside it, its shortcut.

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "CMainFrame.h"

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
};

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
