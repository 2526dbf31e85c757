#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QtTest>

#include "CaretModel.h"
#include "fakes/FakeStoreDocument.h"

namespace QTest {
template <> inline char* toString(const TextPos& pos) {
    return qstrdup(QByteArray("(" + QByteArray::number(pos.line) + "," +
                              QByteArray::number(pos.column) + ")"));
}
template <> inline char* toString(const std::optional<TextPos>& pos) {
    return pos ? toString(*pos) : qstrdup("none");
}
template <> inline char* toString(const CaretModel::Span& span) {
    char* a = toString(span.a);
    char* b = toString(span.b);
    char* both = qstrdup(QByteArray(a) + "-" + b);
    delete[] a;
    delete[] b;
    return both;
}
template <> inline char* toString(const std::optional<CaretModel::Span>& span) {
    return span ? toString(*span) : qstrdup("none");
}
} // namespace QTest

namespace {

using Span = CaretModel::Span;

// The reference: the text as a list of byte strings, the caret and the selection as the
// view's keys and mouse describe them. Words come from the store, whose own tests hold
// their rules; what is held here is where moves stop and how the ends follow.
struct Reference {
    std::vector<std::string> lines;
    TextPos caret;
    TextPos selEnd;
    TextPos lastMouse;
    bool selection = false;

    int Length(int line) const { return int(lines[std::size_t(line)].size()); }
    int Last() const { return int(lines.size()) - 1; }
    TextPos Clamp(TextPos p) const {
        p.line = std::clamp(p.line, 0, Last());
        p.column = std::clamp(p.column, 0, Length(p.line));
        return p;
    }
    void KeepPositionsInText() {
        for (TextPos* kept : {&caret, &selEnd, &lastMouse})
            *kept = Clamp(*kept);
    }
    // A character back or on, across a line break at a line's edge.
    TextPos CharLeft(TextPos p) const {
        return p.column > 0 ? TextPos{p.line, p.column - 1}
                            : TextPos{p.line - 1, Length(p.line - 1)};
    }
    TextPos CharRight(TextPos p) const {
        return p.column < Length(p.line) ? TextPos{p.line, p.column + 1} : TextPos{p.line + 1, 0};
    }
    TextPos LineTarget(TextPos p) const {
        return p.line < Last() ? TextPos{p.line + 1, 0} : TextPos{p.line, Length(p.line)};
    }
    void DeleteBlock(TextPos a, TextPos b) {
        if (b < a)
            std::swap(a, b);
        std::string& first = lines[std::size_t(a.line)];
        first = first.substr(0, std::size_t(a.column)) +
                lines[std::size_t(b.line)].substr(std::size_t(b.column));
        lines.erase(lines.begin() + a.line + 1, lines.begin() + b.line + 1);
    }
    void Insert(TextPos at, const std::string& text) {
        std::string& line = lines[std::size_t(at.line)];
        const std::string tail = line.substr(std::size_t(at.column));
        line.resize(std::size_t(at.column));
        std::vector<std::string> pieces{""};
        for (const char c : text) {
            if (c == '\r')
                pieces.emplace_back();
            else
                pieces.back().push_back(c);
        }
        line += pieces.front();
        lines.insert(lines.begin() + at.line + 1, pieces.begin() + 1, pieces.end());
        lines[std::size_t(at.line) + pieces.size() - 1] += tail;
    }
};

std::vector<std::string> StoreLines(const TextStore& store) {
    std::vector<std::string> lines;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
        lines.emplace_back(Chars(line));
    return lines;
}

} // namespace

class CaretModelTest : public QObject {
    Q_OBJECT

    std::mt19937 m_random;

    int Below(int n) { return int(m_random() % unsigned(std::max(n, 1))); }

    std::string RandomText(int maxLines) {
        // Word characters, blanks and punctuation, so that word moves stop everywhere.
        static const std::string kChars = "ab_.1  \t,(-";
        std::string text;
        const int lines = 1 + Below(maxLines);
        for (int i = 0; i < lines; ++i) {
            if (i > 0)
                text += '\r';
            const int length = Below(3) == 0 ? 0 : Below(12);
            for (int c = 0; c < length; ++c)
                text += kChars[std::size_t(Below(int(kChars.size())))];
        }
        return text;
    }

    TextPos RandomPos(const Reference& ref) {
        const int line = Below(int(ref.lines.size()));
        return {line, Below(ref.Length(line) + 1)};
    }

    // The moves from one position, each against the reference's rule.
    void CheckMoves(const CaretModel& model, const TextStore& store, const Reference& ref,
                    TextPos from) {
        const bool textStart = from == TextPos{0, 0};
        const bool lastLine = from.line == ref.Last();
        const bool textEnd = lastLine && from.column == ref.Length(from.line);
        for (const bool word : {false, true}) {
            std::optional<TextPos> left;
            std::optional<TextPos> right;
            if (!textStart)
                left = word ? store.PrevWordPos(from) : ref.CharLeft(from);
            if (!textEnd)
                right = word ? store.NextWordPos(from) : ref.CharRight(from);
            QCOMPARE(model.Left(from, word), left);
            QCOMPARE(model.Right(from, word), right);
        }
        QCOMPARE(model.OnLastLine(from), lastLine);
        if (from.line == 0)
            QCOMPARE(model.UpOnFirstLine(from),
                     from.column == 0 ? std::nullopt : std::optional(TextPos{0, 0}));
        if (lastLine)
            QCOMPARE(model.DownOnLastLine(from),
                     textEnd ? std::nullopt
                             : std::optional(TextPos{from.line, ref.Length(from.line)}));
        QCOMPARE(model.Home(from, false), (TextPos{from.line, 0}));
        QCOMPARE(model.Home(from, true), (TextPos{0, 0}));
        QCOMPARE(model.End(from, false), (TextPos{from.line, ref.Length(from.line)}));
        QCOMPARE(model.End(from, true), (TextPos{ref.Last(), 0}));
        QCOMPARE(model.LineTarget(from), ref.LineTarget(from));
        // A whole-line drag keeps its anchor line selected on either side of it; an anchor
        // the text has lost since counts as the last line.
        const int anchor = Below(int(ref.lines.size()) + 2);
        const TextPos top{std::min(anchor, ref.Last()), 0};
        const Span lines = from.line < top.line ? Span{ref.LineTarget(top), {from.line, 0}}
                                                : Span{top, ref.LineTarget(from)};
        QCOMPARE(model.WholeLines(anchor, from), lines);
    }

    void CheckState(const CaretModel& model, const Reference& ref) {
        QCOMPARE(model.Caret(), ref.caret);
        QCOMPARE(model.SelEnd(), ref.selEnd);
        QCOMPARE(model.HasSelection(), ref.selection);
        QCOMPARE(model.ActiveEnd(), ref.selection ? ref.selEnd : ref.caret);
        QCOMPARE(model.EarlierEnd(), std::min(ref.caret, ref.selEnd));
        QCOMPARE(model.LaterEnd(), std::max(ref.caret, ref.selEnd));
        QCOMPARE(model.LastMouse(), ref.lastMouse);
    }

    // One random step: a move asked of a position, a change of the caret or selection, or
    // an edit made elsewhere, after which every position is kept within the text.
    void Step(CaretModel& model, TextStore& store, Reference& ref) {
        const TextPos pos = RandomPos(ref);
        switch (Below(9)) {
        case 0: {
            std::optional<Span> shown;
            if (ref.selection)
                shown = Span{ref.caret, ref.selEnd};
            QCOMPARE(model.Collapse(pos), shown);
            ref.selection = false;
            ref.caret = ref.selEnd = pos;
            break;
        }
        case 1:
        case 2: {
            // The highlight changes from the old moving end, or over the whole new
            // selection; extending onto the caret starts none.
            std::optional<Span> changed;
            if (ref.selection)
                changed = Span{ref.selEnd, pos};
            else if (pos != ref.caret)
                changed = Span{ref.caret, pos};
            QCOMPARE(model.Extend(pos), changed);
            if (changed) {
                ref.selection = true;
                ref.selEnd = pos;
            }
            break;
        }
        case 3:
            model.SetCaret(pos);
            ref.caret = pos;
            break;
        case 4: {
            const TextPos moving = RandomPos(ref);
            model.Select(pos, moving);
            ref.selection = true;
            ref.caret = pos;
            ref.selEnd = moving;
            break;
        }
        case 5:
            model.SwapEndsIfBeyond(pos);
            if (ref.selection && ((ref.caret < ref.selEnd && pos < ref.caret) ||
                                  (ref.selEnd < ref.caret && pos > ref.caret)))
                std::swap(ref.caret, ref.selEnd);
            break;
        case 6:
            model.SetLastMouse(pos);
            ref.lastMouse = pos;
            break;
        case 7: {
            const TextPos other = RandomPos(ref);
            store.Edit(pos, kDeleteBlock, "", other);
            ref.DeleteBlock(pos, other);
            model.KeepPositionsInText();
            ref.KeepPositionsInText();
            break;
        }
        default: {
            // A line broken at pos keeps only its head: positions past pos come within it.
            const std::string text = RandomText(3);
            store.Edit(pos, kInsertText, text.c_str());
            ref.Insert(pos, text);
            model.KeepPositionsInText();
            ref.KeepPositionsInText();
            break;
        }
        }
        QCOMPARE(StoreLines(store), ref.lines);
    }

private slots:
    void movesAndSelectionFollowAModelOfTheText() {
        for (unsigned seed = 1; seed <= 300; ++seed) {
            m_random.seed(seed);
            FakeStoreDocument doc;
            TextStore store(&doc);
            store.AppendEmptyLine();
            const std::string text = RandomText(12);
            store.Edit({0, 0}, kInsertText, text.c_str());
            Reference ref;
            ref.lines = {""};
            ref.Insert({0, 0}, text);
            CaretModel model(&store);
            for (int step = 0; step < 100; ++step) {
                Step(model, store, ref);
                if (!QTest::currentTestFailed())
                    CheckState(model, ref);
                if (!QTest::currentTestFailed())
                    CheckMoves(model, store, ref, RandomPos(ref));
                if (QTest::currentTestFailed()) {
                    qWarning("seed %u, step %d", seed, step);
                    return;
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(CaretModelTest)
#include "tst_caretmodel.moc"
