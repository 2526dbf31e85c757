// kelvo_lines: reads a file through Kelvo's text store and reports what the editor will
// see: its lines, whether it uses standard line terminations, and where a text occurs.
//
//   kelvo_lines FILE [--find TEXT] [--ignore-case] [--whole-word]

#include <cstdio>
#include <cstring>
#include <string>

#include "PosixFile.h"
#include "TextStore.h"

namespace {

// The store's questions answered on a terminal.
class ConsoleDocument : public StoreDocument {
public:
    bool AllowEdit() override { return false; } // this tool only reads
    void SetModifiedFlag(bool) override {}
    void TextChanged(const TextChange&) override {} // never edited
    void ShowMessage(std::string_view text, StoreIcon) override {
        std::fprintf(stderr, "Kelvo: %.*s\n", int(text.size()), text.data());
    }
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

int Usage() {
    std::fprintf(stderr, "usage: kelvo_lines FILE [--find TEXT] [--ignore-case] [--whole-word]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string path;
    FindRequest find;
    bool searching = false;
    find.matchCase = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--find") == 0 && i + 1 < argc) {
            find.pattern = argv[++i];
            searching = true;
        } else if (std::strcmp(argv[i], "--ignore-case") == 0) {
            find.matchCase = 0;
        } else if (std::strcmp(argv[i], "--whole-word") == 0) {
            find.wholeWord = 1;
        } else if (path.empty() && argv[i][0] != '-') {
            path = argv[i];
        } else {
            return Usage();
        }
    }
    if (path.empty() || (searching && find.pattern.empty()))
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
