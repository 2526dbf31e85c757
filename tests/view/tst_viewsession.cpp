#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>

#include "CKelvoView.h"
#include "fakes/ScriptedPlatform.h"

namespace {

using Lines = std::vector<std::string>;

// The text as a plain list of lines, and what each edit a user can make does to it.
struct TextModel {
    Lines lines;

    std::string& At(TextPos pos) { return lines[std::size_t(pos.line)]; }

    // The text between two ordered positions, lines joined by CR LF.
    std::string Between(TextPos a, TextPos b) const {
        if (a.line == b.line)
            return lines[std::size_t(a.line)].substr(std::size_t(a.column),
                                                     std::size_t(b.column - a.column));
        std::string text = lines[std::size_t(a.line)].substr(std::size_t(a.column));
        for (int i = a.line + 1; i < b.line; ++i)
            text += "\r\n" + lines[std::size_t(i)];
        return text + "\r\n" + lines[std::size_t(b.line)].substr(0, std::size_t(b.column));
    }
    void Remove(TextPos a, TextPos b) {
        const std::string tail = lines[std::size_t(b.line)].substr(std::size_t(b.column));
        At(a).resize(std::size_t(a.column));
        At(a) += tail;
        lines.erase(lines.begin() + a.line + 1, lines.begin() + b.line + 1);
    }
    // Inserts text whose line breaks are CR, LF or CR LF; returns the end of the insert.
    TextPos Insert(TextPos at, const std::string& text) {
        const std::string tail = At(at).substr(std::size_t(at.column));
        At(at).resize(std::size_t(at.column));
        TextPos pos = at;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
                lines.insert(lines.begin() + pos.line + 1, std::string());
                pos = {pos.line + 1, 0};
            } else {
                At(pos) += c;
                ++pos.column;
            }
        }
        At(pos) += tail;
        return pos;
    }
};

Lines StoreLines(const TextStore& store) {
    Lines lines;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
        lines.emplace_back(Chars(line));
    return lines;
}

} // namespace

// A long session of keys, clicks, drags and Edit commands in both panes of a split window,
// checked after every event against a plain model of the text.
class ViewSessionTest : public QObject {
    Q_OBJECT
    ScriptedPlatform platform;
    CFileLists lists;
    ViewDefaults defaults;
    QTemporaryDir dir;

    static void Mouse(CKelvoView* view, QEvent::Type type, QPoint point, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
        QMouseEvent event(type, point, view->viewport()->mapToGlobal(point), button, buttons,
                          modifiers);
        QApplication::sendEvent(view->viewport(), &event);
    }

private slots:
    // The clicks land on pixels, so the session is the same on every machine only in the
    // same face: the one the set-up installs, named, never what Courier resolves to.
    void initTestCase() {
        const QString face = "DejaVu Sans Mono";
        if (!QFontDatabase::hasFamily(face))
            QSKIP(qPrintable(face + " is not installed"));
        defaults.m_lfDefault.SetFaceName(face);
    }

    void randomSessionMatchesModelAndUndoesToTheFile() {
        const QByteArray original = ".title amp\r\n* input stage\r\nR1 in 1 10k\r\n"
                                    "C1 1 0\t10p\r\n\r\n.tran 1n 100n\r\n.end\r\n";
        const QString path = dir.filePath("session.cir");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(original);
        }
        CKelvoDoc doc(&platform, &lists);
        QVERIFY(doc.OnOpenDocument(FileName::FromText(path)));
        TextModel model{StoreLines(*doc.GetStore())};

        QSplitter window(Qt::Vertical);
        auto* top = new CKelvoView(&doc, &defaults);
        auto* bottom = new CKelvoView(&doc, &defaults);
        window.addWidget(top);
        window.addWidget(bottom);
        window.resize(500, 400);
        top->OnInitialUpdate(nullptr);
        bottom->OnInitialUpdate(top);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        CKelvoView* panes[] = {top, bottom};
        for (CKelvoView* pane : panes)
            pane->viewport()->repaint();

        std::mt19937 random(20261209);
        const auto pick = [&](int n) {
            return std::uniform_int_distribution<int>(0, n - 1)(random);
        };
        const Qt::KeyboardModifiers shifts[] = {Qt::NoModifier, Qt::ShiftModifier,
                                                Qt::ControlModifier,
                                                Qt::ShiftModifier | Qt::ControlModifier};
        const int navigation[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                                  Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
        const char typed[] = "abcxyz RCL.10k\t*";
        const char* pastes[] = {"node", "a\rb", "one\ntwo\nthree", "x\r\ny\r\n", " \t", "\r\n"};

        CKelvoView* view = top;
        int changes = 0; // steps that changed the text: the session must do real work
        Lines before = model.lines;
        for (int step = 0; step < 4000; ++step) {
            if (pick(25) == 0) {
                view = panes[pick(2)];
                view->setFocus(Qt::OtherFocusReason);
            }
            // What the text must become follows from the view's state before the event.
            // The view brings positions the other pane left beyond the text within it first.
            const TextStore& text = *doc.GetStore();
            const bool selection = view->HasSelection();
            const TextPos caret = text.Clamp(view->CaretPos());
            const TextPos selEnd = text.Clamp(view->SelEnd());
            const TextPos a = std::min(caret, selEnd);
            const TextPos b = std::max(caret, selEnd);
            const bool overwrite = view->IsOverwrite();
            QString what;
            const auto removeSelection = [&] {
                if (selection)
                    model.Remove(a, b);
                return selection ? a : caret;
            };

            const int kind = pick(20);
            if (kind < 6) {
                const int key = navigation[pick(8)];
                const Qt::KeyboardModifiers modifiers = shifts[pick(4)];
                what = QString("key %1 with %2").arg(key).arg(int(modifiers));
                QTest::keyClick(view, Qt::Key(key), modifiers);
            } else if (kind < 10) {
                const char c = typed[pick(int(sizeof typed) - 1)];
                what = QString("type %1").arg(int(c));
                // A tab cannot go over a character: it changes nothing, selection included.
                if (!overwrite || c != '\t') {
                    bool lastBlank = false;
                    if (selection)
                        lastBlank = b.column > 0 && model.At(b)[std::size_t(b.column - 1)] == ' ';
                    TextPos at = removeSelection();
                    if (lastBlank)
                        model.Insert(at, " ");
                    if (!overwrite)
                        model.Insert(at, std::string(1, c));
                    else if (at.column < int(model.At(at).size()))
                        model.At(at)[std::size_t(at.column)] = c;
                    else
                        model.At(at) += c;
                }
                QTest::keyClick(view, c);
            } else if (kind == 10) {
                what = "Backspace";
                if (selection)
                    model.Remove(a, b);
                else if (caret.column > 0)
                    model.Remove({caret.line, caret.column - 1}, caret);
                else if (caret.line > 0)
                    model.Remove(
                        {caret.line - 1, int(model.lines[std::size_t(caret.line - 1)].size())},
                        caret);
                QTest::keyClick(view, Qt::Key_Backspace);
            } else if (kind == 11) {
                what = "Delete";
                if (selection)
                    model.Remove(a, b);
                else if (caret.column < int(model.At(caret).size()))
                    model.Remove(caret, {caret.line, caret.column + 1});
                else if (caret.line + 1 < int(model.lines.size()))
                    model.Remove(caret, {caret.line + 1, 0});
                QTest::keyClick(view, Qt::Key_Delete);
            } else if (kind == 12) {
                what = "Enter";
                if (!overwrite)
                    model.Insert(removeSelection(), "\r");
                QTest::keyClick(view, Qt::Key_Return);
            } else if (kind == 13) {
                const int x = pick(view->viewport()->width() + 40) - 20;
                const int y = pick(view->viewport()->height() + 40) - 20;
                const Qt::KeyboardModifiers modifiers =
                    pick(4) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
                what = QString("click at %1, %2").arg(x).arg(y);
                Mouse(view, QEvent::MouseButtonPress, {x, y}, Qt::LeftButton, Qt::LeftButton,
                      modifiers);
                for (int moves = pick(4); moves > 0; --moves)
                    Mouse(view, QEvent::MouseMove,
                          {pick(view->viewport()->width()), pick(view->viewport()->height())},
                          Qt::NoButton, Qt::LeftButton, modifiers);
                Mouse(view, QEvent::MouseButtonRelease, {x, y}, Qt::LeftButton, Qt::NoButton,
                      modifiers);
                if (pick(5) == 0) {
                    Mouse(view, QEvent::MouseButtonPress, {x, y}, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
                    Mouse(view, QEvent::MouseButtonRelease, {x, y}, Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
                    Mouse(view, QEvent::MouseButtonDblClick, {x, y}, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
                    Mouse(view, QEvent::MouseButtonRelease, {x, y}, Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
                }
            } else if (kind == 14) {
                what = "Select All";
                view->OnEditSelectAll();
            } else if (kind == 15 || kind == 16) {
                const bool cut = kind == 15;
                what = cut ? "Cut" : "Copy";
                // A selection in force but empty copies nothing: the clipboard keeps what it
                // held.
                const std::string held = QApplication::clipboard()->text().toStdString();
                const std::string copied = selection && a != b ? model.Between(a, b) : held;
                if (cut && selection)
                    model.Remove(a, b);
                if (cut)
                    view->OnEditCut();
                else
                    view->OnEditCopy();
                QCOMPARE(QApplication::clipboard()->text().toStdString(), copied);
            } else if (kind == 17) {
                const std::string text = pick(2) == 0
                                             ? QApplication::clipboard()->text().toStdString()
                                             : pastes[pick(6)];
                QApplication::clipboard()->setText(QString::fromStdString(text));
                what = QString("Paste %1").arg(QString::fromStdString(text));
                const TextPos at = removeSelection();
                if (!text.empty())
                    model.Insert(at, text);
                view->OnEditPaste();
            } else if (kind == 18) {
                what = "Undo and Redo";
                const bool could = doc.GetStore()->CanUndo();
                view->OnEditUndo();
                if (could)
                    view->OnEditRedo();
            } else {
                what = "Insert";
                QTest::keyClick(view, Qt::Key_Insert);
            }

            const Lines lines = StoreLines(*doc.GetStore());
            if (lines != model.lines)
                QFAIL(qPrintable(
                    QString("step %1 (%2): the text is not the model's").arg(step).arg(what)));
            for (CKelvoView* pane : panes) {
                const TextStore& store = *doc.GetStore();
                for (const TextPos pos : {pane->CaretPos(), pane->ActiveEnd()}) {
                    if (pane != view)
                        continue; // the other pane's positions come within the text on use
                    QVERIFY2(pos == store.Clamp(pos),
                             qPrintable(QString("step %1 (%2): a position beyond the text")
                                            .arg(step)
                                            .arg(what)));
                }
            }
            QCOMPARE(top->IsOverwrite(), bottom->IsOverwrite());
            if (lines != before)
                ++changes;
            before = lines;
        }
        QVERIFY2(changes > 1000, qPrintable(QString("only %1 changes").arg(changes)));

        // Undo to the bottom gives back the file's bytes exactly.
        while (doc.GetStore()->CanUndo())
            view->OnEditUndo();
        QVERIFY(!doc.IsModified());
        const QString copy = dir.filePath("undone.cir");
        QVERIFY(doc.OnSaveDocument(FileName::FromText(copy)));
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), original);
    }
};

QTEST_MAIN(ViewSessionTest)
#include "tst_viewsession.moc"
