// kelvo_lines: reads a file through Kelvo's text store and reports what the editor will
// see: its lines, whether it uses standard line terminations, where a text occurs, and
// the help page F1 opens on each line.
//
//   kelvo_lines FILE [--find TEXT] [--ignore-case] [--whole-word]
//   kelvo_lines --help-topics FILE      (each line: its number, a tab, the page's title)

#include <cstdio>
#include <cstring>
#include <string>

#include "PosixFile.h"
#include "TextStore.h"

#ifdef KELVO_LINES_HELP
#include <QGuiApplication>

#include "HelpTopics.h"
#include "KeywordTable.h"
#endif

namespace {

// The store's questions answered on a terminal.
class ConsoleDocument : public StoreDocument {
public:
    bool AllowEdit() override { return false; } // this tool only reads
    void SetModifiedFlag(bool) override {}
    void TextChanging() override {}
    void TextChanged(const TextChange&) override {} // never edited
    void ShowMessage(std::string_view text, StoreIcon) override {
        std::fprintf(stderr, "Kelvo: %.*s\n", int(text.size()), text.data());
    }
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

int Usage() {
    std::fprintf(stderr, "usage: kelvo_lines FILE [--find TEXT] [--ignore-case] [--whole-word]\n"
                         "       kelvo_lines --help-topics FILE\n");
    return 2;
}

#ifdef KELVO_LINES_HELP
// The title of the page F1 opens on each line, looked up as the view looks it up.
int PrintHelpTopics(const TextStore& store, int argc, char** argv) {
    // The pages' titles are read through Qt's rich text, which wants a GUI application;
    // none needs a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const HelpTopics& topics = HelpTopics::Shipped();
    NetlistHelpReader reader;
    int number = 0;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next) {
        const int context = reader.Next(Chars(line));
        const QString page = topics.PageOf(context);
        std::printf("%d\t%s\n", ++number,
                    page.isEmpty() ? "" : topics.TitleOf(page).toUtf8().constData());
    }
    return 0;
}
#endif

} // namespace

int main(int argc, char** argv) {
    std::string path;
    FindRequest find;
    bool searching = false;
    bool helpTopics = false;
    find.matchCase = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--find") == 0 && i + 1 < argc) {
            find.pattern = argv[++i];
            searching = true;
        } else if (std::strcmp(argv[i], "--ignore-case") == 0) {
            find.matchCase = 0;
        } else if (std::strcmp(argv[i], "--whole-word") == 0) {
            find.wholeWord = 1;
#ifdef KELVO_LINES_HELP
        } else if (std::strcmp(argv[i], "--help-topics") == 0) {
            helpTopics = true;
#endif
        } else if (path.empty() && argv[i][0] != '-') {
            path = argv[i];
        } else {
            return Usage();
        }
    }
    if (path.empty() || (searching && find.pattern.empty()) || (searching && helpTopics))
        return Usage();

    ConsoleDocument document;
    TextStore store(&document);
    try {
        CPosixFile file(path, CPosixFile::modeRead);
        CArchive archive(&file, CArchive::load);
        if (!store.Serialize(archive))
            return 1;
    } catch (const CFileException& error) {
        std::fprintf(stderr, "kelvo_lines: %s\n", error.what());
        return 1;
    }

#ifdef KELVO_LINES_HELP
    if (helpTopics)
        return PrintHelpTopics(store, argc, argv);
#endif
    if (!searching) {
        std::int64_t characters = 0;
        std::int32_t longest = 0;
        for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next) {
            characters += line->length;
            longest = std::max(longest, line->length);
        }
        std::printf("%s: %d lines, %lld characters, longest line %d\n", path.c_str(),
                    store.LineCount(), static_cast<long long>(characters), longest);
        return 0;
    }

    TextPos start{0, 0};
    TextPos end{};
    find.start = &start;
    find.end = &end;
    int found = 0;
    while (store.FindForward(find)) {
        const std::string_view text = Chars(store.LineAt(start.line));
        std::printf("%d:%d: %.*s\n", start.line + 1, start.column + 1, int(text.size()),
                    text.data());
        ++found;
        start = {start.line + 1, 0}; // one report a line
    }
    return found > 0 ? 0 : 1;
}
