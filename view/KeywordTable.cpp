#include "KeywordTable.h"

#include "TextStore.h"

const KeywordEntry KeywordTable[] = {
    // Dot cards
    {18, ".subckt"},    {19, ".model"},    {20, ".dc"},        {32, ".options"},
    {32, ".option"},    {32, ".opt"},      {21, ".op"},        {22, ".tf"},
    {23, ".nodeset"},   {24, ".ac"},       {25, ".noise"},     {26, ".disto"},
    {27, ".tran"},      {28, ".ic"},       {29, ".four"},      {30, ".print"},
    {31, ".plot"},      {38, ".ends"},     {48, ".endc"},      {39, ".end"},
    {47, ".control"},   {107, ".view"},    {210, ".title"},    {211, ".include"},
    {211, ".inc"},      {212, ".lib"},     {212, ".endl"},     {213, ".param"},
    {214, ".meas"},     {214, ".measure"}, {215, ".save"},     {216, ".func"},
    {217, ".global"},   {218, ".temp"},    {219, ".if"},       {219, ".elseif"},
    {219, ".else"},     {219, ".endif"},   {220, ".csparam"},  {221, ".probe"},
    {222, ".pz"},       {103, ".sens"},    {254, ".loop"},     {260, ".sp"},
    // The comment forms; the bare asterisk after the words that begin with it
    {110, "*include"},  {111, "*define"},  {112, "*opt"},      {113, "*tol"},
    {kCommentHelpContext, "*"},
    // Control-language commands
    {49, "errorstops"}, {50, "nopoints"},  {51, "points"},     {52, "print"},
    {53, "sendplot"},   {54, "setquery"},  {56, "showmod"},    {55, "show"},
    {57, "view"},       {58, "write"},     {59, "alias"},      {60, "diff"},
    {61, "display"},    {63, "functionundef"}, {62, "function"}, {64, "let"},
    {65, "linearize"},  {66, "save"},      {67, "shift"},      {68, "unalias"},
    {69, "unlet"},      {70, "delete"},    {71, "resume"},     {72, "quit"},
    {72, "exit"},       {73, "reset"},     {74, "run"},        {75, "status"},
    {76, "step"},       {77, "stop"},      {78, "trace"},      {79, "where"},
    {80, "break"},      {81, "continue"},  {82, "dowhile"},    {83, "foreach"},
    {84, "goto"},       {85, "if"},        {86, "else"},       {240, "end"},
    {87, "label"},      {88, "repeat"},    {89, "while"},      {90, "alter"},
    {241, "altermod"},  {242, "alterparam"}, {91, "echo"},     {92, "listing"},
    {92, "listings"},   {93, "load"},      {94, "rusage"},     {96, "setcirc"},
    {97, "setplot"},    {95, "set"},       {98, "source"},     {99, "strcmp"},
    {100, "unset"},     {101, "version"},  {102, "fourier"},   {103, "sens"},
    {21, "op"},         {20, "dc"},        {27, "tran"},       {24, "ac"},
    {25, "noise"},      {22, "tf"},        {26, "disto"},      {222, "pz"},
    {214, "meas"},      {214, "measure"},  {32, "option"},     {230, "plot"},
    {231, "gnuplot"},   {232, "asciiplot"}, {250, "iplot"},    {233, "shell"},
    {234, "wrdata"},    {235, "hardcopy"}, {236, "fft"},       {237, "destroy"},
    {238, "remcirc"},   {239, "codemodel"}, {243, "compose"},  {244, "setscale"},
    {245, "settype"},   {246, "cd"},       {247, "define"},    {247, "undefine"},
    {248, "setseed"},   {249, "wrs2p"},    {251, "remzerovec"}, {252, "sysinfo"},
    {253, "mc_source"}, {254, "loop"},     {255, "eprint"},    {255, "eprvcd"},
    {255, "edisplay"},  {256, "reshape"},  {257, "transpose"}, {258, "setcs"},
    {259, "cutout"},
    // Element letters, matched by the first letter of a name
    {2, "r"},   {3, "c"},   {4, "i"},   {5, "l"},   {6, "k"},   {7, "t"},   {8, "e"},
    {9, "f"},   {10, "g"},  {11, "h"},  {12, "d"},  {13, "q"},  {14, "j"},  {15, "m"},
    {16, "z"},  {17, "x"},  {42, "o"},  {43, "u"},  {44, "b"},  {45, "s"},  {46, "w"},
    {105, "v"}, {200, "a"}, {201, "n"}, {202, "p"}, {203, "y"},
    {0, nullptr},
};

const KeywordEntry ControlOnlyKeywords[] = {
    {260, "sp"},
    {0, nullptr},
};

namespace {

bool IsWordByte(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_';
}

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// A line that begins with an end-of-line comment says nothing else: ngspice ends a card's
// text at a semicolon and at a `$` that a blank follows, in a control section too.
bool IsEndOfLineComment(std::string_view text) noexcept {
    return !text.empty() &&
           (text.front() == ';' || (text.front() == '$' && (text.size() == 1 || IsBlank(text[1]))));
}

bool IsComment(std::string_view text) noexcept {
    return (!text.empty() && text.front() == '*') || IsEndOfLineComment(text);
}

bool IsControlCommand(const char* keyword) noexcept {
    return keyword[0] >= 'a' && keyword[0] <= 'z' && keyword[1] != '\0';
}

// Whether `line` begins with `keyword` as a whole word: a keyword that ends in a word byte
// must not run on into one ("end" is not "endif"); one that ends otherwise ("*") begins
// whatever follows it. A single letter stands for the first letter of an element's name.
bool Begins(std::string_view line, const char* keyword) noexcept {
    const std::size_t n = std::char_traits<char>::length(keyword);
    if (line.size() < n || TextStore::CompareNoCase(keyword, line.data(), n) != 0)
        return false;
    const bool elementLetter = n == 1 && IsWordByte(keyword[0]);
    return elementLetter || !IsWordByte(keyword[n - 1]) || line.size() == n ||
           !IsWordByte(line[n]);
}

std::string_view SkipBlanks(std::string_view line) noexcept {
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    return line;
}

} // namespace

int KeywordContext(std::string_view line, bool inControl) noexcept {
    line = SkipBlanks(line);
    if (IsEndOfLineComment(line))
        return kCommentHelpContext;
    if (inControl) {
        // `pre_` before a command runs it before the circuit is read; the command is the
        // same (pre_set, pre_osdi).
        constexpr std::size_t kPre = 4;
        if (line.size() > kPre && TextStore::CompareNoCase("pre_", line.data(), kPre) == 0 &&
            IsWordByte(line[kPre]))
            line.remove_prefix(kPre);
        // A command first; then the cards and comments a control section may hold (.endc);
        // a control section holds no elements.
        for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry)
            if (IsControlCommand(entry->keyword) && Begins(line, entry->keyword))
                return entry->helpContext;
        for (const KeywordEntry* entry = ControlOnlyKeywords; entry->keyword != nullptr; ++entry)
            if (Begins(line, entry->keyword))
                return entry->helpContext;
        for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry)
            if ((entry->keyword[0] == '.' || entry->keyword[0] == '*') &&
                Begins(line, entry->keyword))
                return entry->helpContext;
        return 0;
    }
    for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry)
        if (Begins(line, entry->keyword))
            return entry->helpContext;
    return 0;
}

int NetlistHelpReader::Next(std::string_view line) noexcept {
    const bool first = m_nLine++ == 0;
    const std::string_view text = SkipBlanks(line);
    if (text.empty())
        return 0;
    if (text.front() == '+')
        return m_cardContext;
    // The first line is the netlist's title whatever it says, except where it reads as a
    // card or a comment: a library or an included file begins with those, and has no title.
    const int context = first && text.front() != '.' && text.front() != '*'
                            ? kTitleHelpContext
                            : KeywordContext(text, m_bInControl);
    if (context == 47)
        m_bInControl = true;
    else if (context == 48)
        m_bInControl = false;
    if (!IsComment(text))
        m_cardContext = context;
    return context;
}

namespace {

// A line whose help context depends on no line above but for .control: a card, a command or
// an element line, not a blank, comment or `+` line.
bool StandsAlone(std::string_view line) noexcept {
    const std::string_view text = SkipBlanks(line);
    return !text.empty() && text.front() != '+' && !IsComment(text);
}

// Whether the lines from `record` upward leave a control section open: the nearest
// .control or .endc card says. Only those two change it, and both begin with a dot.
bool ControlOpenAt(const LineRecord* record) noexcept {
    for (; record != nullptr; record = record->prev) {
        const std::string_view text = SkipBlanks(Chars(record));
        if (text.empty() || text.front() != '.')
            continue;
        const int context = KeywordContext(text, false);
        if (context == 47 || context == 48)
            return context == 47;
    }
    return false;
}

} // namespace

int HelpContextOfLine(const TextStore& store, int line) {
    if (line < 0 || line >= store.LineCount())
        return 0;
    // Reading the netlist from its top would cost a pass over a large file at every
    // press. The lines between the card a line belongs to and the line itself are blank,
    // comment or `+` lines, which neither open nor close .control; so reading from that
    // card, with what the lines above it say of .control, gives the same answer. The first
    // line is read as the reader reads it, the title.
    const LineRecord* start = store.LineAt(line);
    int first = line;
    while (first > 0 && !StandsAlone(Chars(start))) {
        start = start->prev;
        --first;
    }
    NetlistHelpReader reader(first, first > 0 && ControlOpenAt(start->prev));
    int context = 0;
    for (const LineRecord* record = start; first <= line; record = record->next, ++first)
        context = reader.Next(Chars(record));
    return context;
}
