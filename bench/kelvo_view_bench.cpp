// kelvo_view_bench: opening and painting a simulator-output-sized file in the editor view,
// offscreen; and searching and replacing in it and in a large netlist.
//
//   QT_QPA_PLATFORM=offscreen kelvo_view_bench [--dir DIR] [--lines N] [--large]
//
// --large adds Select All + Copy of a 1 GB file.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QKeyEvent>
#include <QMimeData>

#include "BenchKit.h"
#include "CDocManager.h"
#include "CFindDlg.h"
#include "CKelvoView.h"
#include "CReplaceDlg.h"
#include "CommandIds.h"
#include "PosixFile.h"
#include "Windows1252.h"

namespace {

// Answers nothing: a benchmark asks no questions. The search dialogs are answered by
// `runDialog` when it is set; the Replace All message is kept.
class QuietPlatform : public Platform {
public:
    std::function<int(QDialog&)> runDialog;
    QString lastMessage;

    // A question is answered Yes (the output file's read-only mark is lifted at the first
    // edit); anything else is said on the error stream.
    int MessageBox(const QString& text, int style) override {
        if ((style & 0x0f) == MB_YESNO || (style & 0x0f) == MB_YESNOCANCEL)
            return IDYES;
        lastMessage = text;
        if (!text.contains("have been replaced"))
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return IDOK;
    }
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    QString GetOpenFileName(const FileName&) override { return {}; }
    QString GetSaveFileName(const FileName&) override { return {}; }
    bool ChooseFont(LogFont&, QColor&) override { return false; }
    int RunDialog(QDialog& dialog) override {
        return runDialog ? runDialog(dialog) : int(QDialog::Rejected);
    }
    bool PrintDialog(QPrinter&, bool, bool&) override { return false; }
    void WinHelp(int, unsigned) override {}
    void PrintPreview(QPrinter&, int, const std::function<int(QPrinter*)>&) override {}
    bool PrintSetup(QPrinter&) override { return false; }
};

struct Opened {
    std::unique_ptr<CDocManager> manager;
    std::unique_ptr<CKelvoView> view;
};

// What a user waits for: the document opened, its view made, and its last page painted.
Opened OpenAndPaintLastPage(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                            const QString& path) {
    Opened opened;
    opened.manager = std::make_unique<CDocManager>(&platform, &lists);
    CKelvoDoc* doc = opened.manager->OpenDocumentFile(FileName::FromText(path));
    opened.view = std::make_unique<CKelvoView>(doc, &defaults);
    opened.view->resize(1200, 800);
    opened.view->OnInitialUpdate(nullptr);
    opened.view->show();
    QApplication::processEvents(); // the window is exposed, so repaint paints at once
    opened.view->UpdateScrollSizes();
    opened.view->ScrollToPosition({0, opened.view->GetScrollLimit(1)});
    opened.view->viewport()->repaint();
    return opened;
}

// The best time of a key press with the repaint it asks for, each run after its own setup.
double BestKeyPress(CKelvoView& view, int runs, const std::function<void()>& setup, int key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        setup();
        QApplication::processEvents(); // nothing of the setup is left to paint
        const double start = Now();
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&view, &press);
        best = std::min(best, Now() - start);
    }
    return best;
}

// The keyboard on the large file: typing, paging and Ctrl+End cost the same wherever
// the caret is.
void BenchKeyboard(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                   const QString& path) {
    Opened opened = OpenAndPaintLastPage(platform, lists, defaults, path);
    CKelvoView& view = *opened.view;
    const int last = view.GetStore()->LineCount() - 1;
    const int lh = view.LineHeight();
    const int page = view.viewport()->height() - lh;

    auto caretAt = [&](int line) { return [&view, line] { view.SetCaretPosition({line, 0}); }; };
    const double typeFirst = BestKeyPress(view, 20, caretAt(0), Qt::Key_X, {}, "x");
    const double typeLast = BestKeyPress(view, 20, caretAt(last), Qt::Key_X, {}, "x");
    Report("type a character at the last line", typeLast * 1000, typeFirst * 1000, 2, "us");
    const double typeMiddle = BestKeyPress(view, 20, caretAt(last / 2), Qt::Key_X, {}, "x");
    Report("type a character in the middle", typeMiddle * 1000, typeFirst * 1000, 2, "us");

    const double pageStart = BestKeyPress(
        view, 20,
        [&] {
            view.ScrollToPosition({0, 0});
            view.SetCaretPosition({3, 0});
        },
        Qt::Key_PageDown);
    const double pageEnd = BestKeyPress(
        view, 20,
        [&] {
            const int y = view.GetScrollLimit(1) - page;
            view.ScrollToPosition({0, y});
            view.SetCaretPosition({y / lh + 3, 0});
        },
        Qt::Key_PageDown);
    std::printf("(scrolled to %d of %d by the last Page Down)\n", view.GetScrollPosition().y(),
                view.GetScrollLimit(1));
    Report("Page Down at the end of the file", pageEnd * 1000, pageStart * 1000, 2, "us");

    const double ctrlEnd = BestKeyPress(
        view, 10,
        [&] {
            view.SetCaretPosition({0, 0});
            view.viewport()->repaint();
        },
        Qt::Key_End, Qt::ControlModifier);
    const double pagePaint = Best(10, [&] { view.viewport()->repaint(); });
    std::printf("(Ctrl+End put the caret on line %d of %d)\n", view.CaretPos().line + 1, last + 1);
    Report("Ctrl+End from the top, with its repaint", ctrlEnd * 1000, pagePaint * 1000, 2, "us");
}

// Scroll-bar jumps to the middle of the file with their repaint: from the top, from the
// end, and from the top just after a line break typed there, which moves the index of
// every line below it. Each within one frame, however large the file.
void BenchJumps(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                const QString& path) {
    Opened opened = OpenAndPaintLastPage(platform, lists, defaults, path);
    CKelvoView& view = *opened.view;
    const int middle = view.GetTotalSize().height() / 2;
    const int end = view.GetScrollLimit(1);
    const auto jump = [&](const std::function<void()>& before) {
        double best = 1e300;
        for (int run = 0; run < 5; ++run) {
            before();
            view.viewport()->repaint();
            const double start = Now();
            view.ScrollToPosition({0, middle + run * 7919});
            view.viewport()->repaint();
            best = std::min(best, Now() - start);
        }
        return best;
    };
    const double fromTop = jump([&] { view.ScrollToPosition({0, 0}); });
    const double fromEnd = jump([&] { view.ScrollToPosition({0, end}); });
    const double afterEdit = jump([&] {
        view.ScrollToPosition({0, 0});
        view.SetCaretPosition({0, 0});
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QCoreApplication::sendEvent(&view, &enter);
    });
    std::printf("(jumped to line %d of %d)\n", view.LastPaintFirst() + 1,
                view.GetStore()->LineCount());
    Report("jump from the top to the middle, with its repaint", fromTop, 16.7, 1);
    Report("jump from the end to the middle, with its repaint", fromEnd, 16.7, 1);
    Report("jump to the middle after a line break typed at the top", afterEdit, 16.7, 1);
}

// Select All, then the Delete key's edit, then Undo, each with the repaint it asks for,
// against reading and splitting the same file. Delete is timed as Paste with an empty
// clipboard over the selection: the same DeleteBlock edit, sibling repaint, caret and
// refresh as the key, without a clipboard copy of the whole file.
void BenchDeleteAllAndUndo(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                           const QString& path, double split) {
    double deleteAll = 1e300;
    double undo = 1e300;
    for (int run = 0; run < 3; ++run) {
        Opened opened = OpenAndPaintLastPage(platform, lists, defaults, path);
        CKelvoView& view = *opened.view;
        QGuiApplication::clipboard()->clear();
        const int lines = view.GetStore()->LineCount();
        double start = Now();
        view.OnEditSelectAll();
        view.OnEditPaste();
        view.viewport()->repaint();
        deleteAll = std::min(deleteAll, Now() - start);
        if (view.GetStore()->LineCount() != 1)
            std::fprintf(stderr, "the text was not deleted\n");
        start = Now();
        view.OnEditUndo();
        view.viewport()->repaint();
        undo = std::min(undo, Now() - start);
        if (view.GetStore()->LineCount() != lines)
            std::fprintf(stderr, "undo did not give the text back\n");
    }
    Report("select all and delete, with the repaint", deleteAll, split, 1);
    Report("undo the deletion of the whole file, with the repaint", undo, split, 1);
}

// A shell command's run, in milliseconds; its output is dropped. Through a pipe: grep
// writing to /dev/null stops at the first match.
double TimeCommand(const std::string& command) {
    return Best(3, [&] {
        if (std::system((command + " | cat > /dev/null").c_str()) != 0)
            std::fprintf(stderr, "failed: %s\n", command.c_str());
    });
}

// Replace All through the Replace dialog's button, from the top of the text, with the
// repaint it leaves; returns the milliseconds and the replacements the message counted.
double ReplaceAllFromTop(QuietPlatform& platform, CKelvoView& view, const QString& find,
                         const QString& by, int* count) {
    view.SetCaretPosition({0, 0});
    view.viewport()->repaint();
    platform.runDialog = [&](QDialog& dialog) {
        auto& replace = static_cast<CReplaceDlg&>(dialog);
        replace.SetFindText(find);
        replace.SetReplaceWith(by);
        replace.SetMatchCase(true);
        return int(CReplaceDlg::IDC_REPLACE_ALL);
    };
    const double start = Now();
    view.OnCommand(ID_EDIT_REPLACE);
    view.viewport()->repaint();
    const double elapsed = Now() - start;
    platform.runDialog = nullptr;
    *count = platform.lastMessage.section(' ', 0, 0).toInt();
    return elapsed;
}

// Replace All of the output file's markers against sed's same replacement; Find Again
// through every marker against grep counting them. The file is taken under a name that
// is not an output file's, which would open read-only.
void BenchSearchOutput(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                       const std::string& output) {
    const std::string path = output + ".txt";
    std::filesystem::copy_file(output, path, std::filesystem::copy_options::overwrite_existing);
    const QString qpath = QString::fromStdString(path);
    const double sed = TimeCommand("sed 's/" + std::string(kMarker) + "/REPLACED_1/g' " + path);
    const double grep = TimeCommand("grep -c -F " + std::string(kMarker) + " " + path);
    const double grepIgnoringCase =
        TimeCommand("grep -c -i -F " + std::string(kMarker) + " " + path);
    {
        Opened opened = OpenAndPaintLastPage(platform, lists, defaults, qpath);
        CKelvoView& view = *opened.view;
        // Find, then Find Again until the last marker: the best of three runs, and how many
        // markers were selected.
        auto findThrough = [&](bool matchCase, int& found) {
            platform.runDialog = [matchCase](QDialog& dialog) {
                auto& find = static_cast<CFindDlg&>(dialog);
                find.SetFindText(kMarker);
                find.SetMatchCase(matchCase);
                return int(QDialog::Accepted);
            };
            double best = 1e300;
            for (int run = 0; run < 3; ++run) {
                view.SetCaretPosition({0, 0});
                view.viewport()->repaint();
                const double start = Now();
                view.OnCommand(ID_EDIT_FIND);
                found = view.HasSelection() ? 1 : 0;
                for (;;) {
                    const TextPos before = view.CaretPos();
                    view.OnCommand(ID_SEARCH_FIND_AGAIN);
                    if (!view.HasSelection() || view.CaretPos() == before)
                        break;
                    ++found;
                }
                view.viewport()->repaint();
                best = std::min(best, Now() - start);
            }
            platform.runDialog = nullptr;
            return best;
        };
        int found = 0;
        // Bytes compared exactly, as grep -F compares them.
        const double findAll = findThrough(true, found);
        std::printf("(Find Again selected %d markers, the last on line %d)\n", found,
                    view.CaretPos().line + 1);
        Report("Find Again through every marker of the file", findAll, grep, 4);
        const double findIgnoringCase = findThrough(false, found);
        std::printf("(the same with case ignored selected %d markers)\n", found);
        Report("the same, case ignored, against grep -i", findIgnoringCase, grepIgnoringCase, 4);
    }
    double replace = 1e300;
    int count = 0;
    for (int run = 0; run < 3; ++run) {
        Opened opened = OpenAndPaintLastPage(platform, lists, defaults, qpath);
        replace = std::min(
            replace, ReplaceAllFromTop(platform, *opened.view, kMarker, "REPLACED_1", &count));
    }
    std::printf("(Replace All replaced %d markers)\n", count);
    Report("Replace All of the markers of the file", replace, sed, 3);
    std::remove(path.c_str());
}

// A netlist of about `bytes` bytes whose resistors name the node "vdd" `occurrences` times,
// spread evenly.
void WriteNetlist(const std::string& path, std::int64_t bytes, std::int64_t occurrences) {
    std::string text = "* a large ladder\r\n";
    const std::int64_t lines = bytes / 28;
    const std::int64_t every = std::max<std::int64_t>(1, lines / occurrences);
    std::int64_t placed = 0;
    char row[80];
    for (std::int64_t i = 0; i < lines; ++i) {
        const bool vdd = placed < occurrences && i % every == 0;
        placed += vdd ? 1 : 0;
        const int n =
            std::snprintf(row, sizeof row, "R%-7lld n%-7lld %-8s 1k\r\n", static_cast<long long>(i),
                          static_cast<long long>(i), vdd ? "vdd" : "n0");
        text.append(row, std::size_t(n));
    }
    text += ".end\r\n";
    CPosixFile file(path, CPosixFile::modeWrite);
    file.Write(text.data(), text.size());
    file.Close();
}

// Replace All of 10,000 and of 100,000 names in a 10 MB netlist: the second within a
// second, and no more than linearly slower than the first.
void BenchReplaceNetlist(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                         const std::string& dir) {
    double times[2] = {};
    const std::int64_t counts[2] = {10'000, 100'000};
    for (int i = 0; i < 2; ++i) {
        const std::string path = dir + "/kelvo_view_bench_" + std::to_string(counts[i]) + ".cir";
        WriteNetlist(path, 10'000'000, counts[i]);
        double best = 1e300;
        int count = 0;
        for (int run = 0; run < 3; ++run) {
            Opened opened =
                OpenAndPaintLastPage(platform, lists, defaults, QString::fromStdString(path));
            best = std::min(best, ReplaceAllFromTop(platform, *opened.view, "vdd", "VDD1", &count));
        }
        std::printf("(Replace All in the netlist replaced %d names in %.1f ms)\n", count, best);
        times[i] = best;
        std::remove(path.c_str());
    }
    Report("Replace All of 100,000 names in 10 MB", times[1], 1000, 1);
    Report("the same against 10,000 names (times)", times[1] / std::max(times[0], 1e-9), 1, 12,
           "x");

    // 200,000 names, one a line, against sed's same replacement; then the one Undo that
    // takes all of them back.
    const std::string path = dir + "/kelvo_view_bench_200000.cir";
    WriteNetlist(path, 200'000 * 28, 200'000);
    const double sed = TimeCommand("sed 's/vdd/VDD1/g' " + path);
    double replace = 1e300;
    double undo = 1e300;
    int count = 0;
    for (int run = 0; run < 3; ++run) {
        Opened opened =
            OpenAndPaintLastPage(platform, lists, defaults, QString::fromStdString(path));
        replace = std::min(replace,
                           ReplaceAllFromTop(platform, *opened.view, "vdd", "VDD1", &count));
        const double start = Now();
        opened.view->OnCommand(ID_EDIT_UNDO);
        opened.view->viewport()->repaint();
        undo = std::min(undo, Now() - start);
    }
    std::printf("(Replace All replaced %d names in %.1f MB; sed took %.1f ms)\n", count,
                200'000 * 28 / 1e6, sed);
    Report("Replace All of 200,000 names in 5.6 MB, within a second", replace, 1000, 1);
    Report("its one Undo, within a second", undo, 1000, 1);
    std::remove(path.c_str());
}

// A page of a netlist painted in colours against the same page plain; the first coloured
// paint at the end of the file, which finds the states of every line above; and a key typed
// there with its repaint.
void BenchColours(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                  const std::string& dir) {
    const std::string path = dir + "/kelvo_view_bench_colours.cir";
    WriteNetlist(path, 100'000'000, 1000);
    const QString qpath = QString::fromStdString(path);
    Opened opened = OpenAndPaintLastPage(platform, lists, defaults, qpath);
    CKelvoView& view = *opened.view;
    view.ScrollToPosition({0, 0});
    view.viewport()->repaint();
    const double coloured = Best(20, [&] { view.viewport()->repaint(); });
    defaults.m_bSyntaxColours = false;
    const double plain = Best(20, [&] { view.viewport()->repaint(); });
    defaults.m_bSyntaxColours = true;
    std::printf("(a page of the netlist: %.3f ms coloured, %.3f ms plain)\n", coloured, plain);
    Report("paint a page of a netlist coloured, against plain (times)", coloured / plain, 1, 1.3,
           "x");

    view.viewport()->repaint(); // states known down to the page's end only
    const double jump = Now();
    view.ScrollToPosition({0, view.GetScrollLimit(1)});
    view.viewport()->repaint();
    const double toEnd = Now() - jump;
    const double again = Best(5, [&] { view.viewport()->repaint(); });
    std::printf("(%d lines: the first coloured paint at the end %.1f ms, then %.3f ms)\n",
                view.GetStore()->LineCount(), toEnd, again);
    view.SetCaretPosition({view.LastPaintFirst() + 5, 2});
    const double typed = Best(10, [&] {
        view.OnChar('7', Qt::NoModifier);
        view.viewport()->repaint();
    });
    Report("a key typed at the end of a coloured 100 MB netlist, with its repaint", typed, 16.7, 1,
           "ms");
    // F1 reads upward from the caret's line to the card it belongs to and the nearest
    // .control or .endc; this netlist has none, so F1 on its last line reads every line's
    // first bytes.
    view.SetCaretPosition({view.GetStore()->LineCount() - 1, 0});
    const double help = Best(5, [&] { view.OnKeywordHelp(0, 0); });
    Report("F1 on the last line of a 100 MB netlist with no .control", help, 16.7, 1, "ms");
    opened = Opened{};
    std::remove(path.c_str());
}

// An empty document in a view, as File > New gives it.
struct Scratch {
    std::unique_ptr<CKelvoDoc> doc;
    std::unique_ptr<CKelvoView> view;
};

Scratch NewDocument(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults) {
    Scratch scratch;
    scratch.doc = std::make_unique<CKelvoDoc>(&platform, &lists);
    scratch.doc->OnNewDocument();
    scratch.view = std::make_unique<CKelvoView>(scratch.doc.get(), &defaults);
    scratch.view->resize(1200, 800);
    scratch.view->OnInitialUpdate(nullptr);
    scratch.view->show();
    QApplication::processEvents();
    return scratch;
}

// Paste into an empty document: the milliseconds, and in *added the megabytes its peak rose
// above what stays resident once it is done (the pasted lines stay; what the paste made on
// the way does not).
double PasteIntoNewDocument(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                            double* added) {
    Scratch scratch = NewDocument(platform, lists, defaults);
    ResetPeak();
    const double start = Now();
    scratch.view->OnEditPaste();
    const double elapsed = Now() - start;
    *added = double(PeakResidentBytes() - ResidentBytes()) / 1e6;
    std::printf("(the paste made %d lines)\n", scratch.doc->GetStore()->LineCount());
    return elapsed;
}

// Select All + Copy of the whole file, and its text pasted elsewhere, against Copy as it was
// made before: the whole selection as bytes, then as UTF-16, kept by the clipboard. Memory is
// the process's peak (VmHWM), lowered before each step to what is resident then where the
// kernel allows it.
void BenchCopyAndPaste(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                       const QString& path, double split) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (!ResetPeak())
        std::printf("(the peak cannot be lowered here: each memory figure is the peak so far)\n");
    Opened opened = OpenAndPaintLastPage(platform, lists, defaults, path);
    CKelvoView& view = *opened.view;
    const double openPeak = double(PeakResidentBytes()) / 1e6;

    ResetPeak();
    double start = Now();
    view.OnEditSelectAll();
    view.OnEditCopy();
    const double copy = Now() - start;
    const double copyPeak = double(PeakResidentBytes()) / 1e6;

    // Another program's paste asks for UTF-8 (UTF8_STRING), which Qt takes as text/plain.
    double resident = double(ResidentBytes());
    ResetPeak();
    start = Now();
    qsizetype clipSize = 0;
    {
        const QByteArray utf8 = clipboard->mimeData()->data("text/plain");
        clipSize = utf8.size();
    }
    const double read = Now() - start;
    const double readAdded = (double(PeakResidentBytes()) - resident) / 1e6;
    const double clipMB = double(clipSize) / 1e6;
    std::printf("(the copy is %.1f MB as UTF-8; opening peaked at %.1f MB)\n", clipMB, openPeak);

    double ownAdded = 0;
    const double ownPaste = PasteIntoNewDocument(platform, lists, defaults, &ownAdded);

    // Before: the same selection copied the old way.
    clipboard->clear();
    resident = double(ResidentBytes());
    ResetPeak();
    start = Now();
    // (The view's selection ended when the new document's view took the focus.)
    const TextStore* store = view.GetStore();
    const TextPos end{store->LineCount() - 1, store->LastLine()->length};
    clipboard->setText(DecodeBytes(store->CopyToGlobal({0, 0}, end)));
    const double oldCopy = Now() - start;
    const double oldCopyAdded = (double(PeakResidentBytes()) - resident) / 1e6;
    std::printf("(before: that Copy took %.1f ms and raised the peak by %.1f MB)\n", oldCopy,
                oldCopyAdded);
    // Another program's text on the clipboard, pasted: here a Qt text of the same size.
    double foreignAdded = 0;
    const double foreignPaste = PasteIntoNewDocument(platform, lists, defaults, &foreignAdded);
    clipboard->clear();

    Report("Select All + Copy of the file, against the old Copy", copy, oldCopy, 0.05);
    Report("peak memory after Select All + Copy", copyPeak, openPeak, 1.3, "MB");
    Report("the copy read as UTF-8, as another program pastes it", read, split, 1);
    Report("memory that read adds, against the copy's size", readAdded, clipMB, 1.1, "MB");
    Report("Paste of Kelvo's own copy into a new document", ownPaste, split, 2);
    Report("memory that Paste adds beyond its lines", ownAdded, clipMB, 1.1, "MB");
    Report("Paste of another program's text", foreignPaste, split, 2);
    Report("memory that Paste adds beyond its lines, from it", foreignAdded, clipMB, 1.1, "MB");
}

// Select All + Copy of 1 GB, which must not wait for the text to be converted.
void BenchCopyLarge(QuietPlatform& platform, CFileLists& lists, ViewDefaults& defaults,
                    const std::string& dir) {
    const std::string path = dir + "/kelvo_view_bench_large.out";
    WriteOutputFile(path, 17'000'000);
    {
        Opened opened =
            OpenAndPaintLastPage(platform, lists, defaults, QString::fromStdString(path));
        const double start = Now();
        opened.view->OnEditSelectAll();
        opened.view->OnEditCopy();
        const double copy = Now() - start;
        std::printf("(1 GB: %d lines)\n", opened.view->GetStore()->LineCount());
        Report("Select All + Copy of 1 GB", copy, 100, 1);
        QGuiApplication::clipboard()->clear();
    }
    std::remove(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const BenchOptions options = ParseOptions(argc, argv);
    const std::string& dir = options.dir;
    const std::int64_t lines = options.lines;
    const std::string path = dir + "/kelvo_view_bench.out";
    WriteOutputFile(path, lines);
    const QString qpath = QString::fromStdString(path);
    const double fileSize = double(CPosixFile(path, CPosixFile::modeRead).GetLength());

    QuietPlatform platform;
    CFileLists lists;
    ViewDefaults defaults;
    {
        // Warm the font machinery and the page cache, so neither counts below.
        Opened warm = OpenAndPaintLastPage(platform, lists, defaults, qpath);
    }

    // Memory that opening adds to a running program with no document.
    {
        const long before = ResidentBytes();
        Opened opened = OpenAndPaintLastPage(platform, lists, defaults, qpath);
        const long after = ResidentBytes();
        std::printf("file %.1f MB, %d lines, line height %d\n", fileSize / 1e6,
                    opened.view->GetStore()->LineCount(), opened.view->LineHeight());
        Report("memory that opening a document adds", double(after - before) / 1e6, fileSize / 1e6,
               1.7, "MB");
    }

    SilentDocument silent;
    const double split = Best(5, [&] {
        TextStore store(&silent);
        CPosixFile file(path, CPosixFile::modeRead);
        CArchive archive(&file, CArchive::load);
        store.Serialize(archive);
    });
    const double open = Best(5, [&] { OpenAndPaintLastPage(platform, lists, defaults, qpath); });
    Report("open as a document and paint its last page", open, split, 1.5);

    Opened opened = OpenAndPaintLastPage(platform, lists, defaults, qpath);
    CKelvoView& view = *opened.view;
    auto paintAt = [&](int y) {
        return Best(20, [&] {
            view.ScrollToPosition({0, y});
            view.viewport()->repaint();
        });
    };
    const double atStart = paintAt(0);
    const int firstStart = view.LastPaintFirst();
    const double atEnd = paintAt(view.GetScrollLimit(1));
    std::printf("(painted lines %d.. at the start, %d..%d at the end)\n", firstStart,
                view.LastPaintFirst(), view.LastPaintLast());
    Report("paint a page at the end of the file", atEnd * 1000, atStart * 1000, 2, "us");
    // Jumping straight to the middle: no line of it was reached before.
    view.ScrollToPosition({0, 0});
    view.viewport()->repaint();
    const double jump = Now();
    view.ScrollToPosition({0, view.GetTotalSize().height() / 2});
    view.viewport()->repaint();
    std::printf("(a first paint in the middle, jumping from the top: %.3f ms)\n", Now() - jump);

    opened = Opened{};
    if (options.Runs("keyboard"))
        BenchKeyboard(platform, lists, defaults, qpath);
    if (options.Runs("jumps"))
        BenchJumps(platform, lists, defaults, qpath);
    if (options.Runs("delete"))
        BenchDeleteAllAndUndo(platform, lists, defaults, qpath, split);
    if (options.Runs("copy"))
        BenchCopyAndPaste(platform, lists, defaults, qpath, split);
    if (options.large && options.Runs("copy"))
        BenchCopyLarge(platform, lists, defaults, dir);
    if (options.Runs("search"))
        BenchSearchOutput(platform, lists, defaults, path);
    if (options.Runs("replace"))
        BenchReplaceNetlist(platform, lists, defaults, dir);
    if (options.Runs("colours"))
        BenchColours(platform, lists, defaults, dir);
    std::remove(path.c_str());
    return ReportTotals();
}
