#include "SimulatorMessages.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "TextStore.h"

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view LineText(const TextStore& store, std::int32_t line) {
    if (line < 0 || line >= store.LineCount())
        return {};
    return Chars(store.LineAt(line));
}

std::string_view FirstWord(std::string_view text) {
    text = Trimmed(text);
    const std::size_t end = text.find_first_of(" \t");
    return text.substr(0, end);
}

// The number that follows `key` in the lower-cased line, blanks and one colon allowed
// between; nothing when a digit does not follow.
std::optional<std::int32_t> NumberAfter(std::string_view lower, std::string_view key) {
    std::size_t at = 0;
    while ((at = lower.find(key, at)) != std::string_view::npos) {
        // "line" must begin a word: "newline 3" and "internal line no.: 54" name no card.
        const bool wordStart = at == 0 || !std::isalpha(static_cast<unsigned char>(lower[at - 1]));
        const bool internal = at >= 9 && lower.substr(at - 9, 9) == "internal ";
        std::size_t i = at + key.size();
        while (i < lower.size() && (lower[i] == ' ' || lower[i] == ':'))
            ++i;
        std::int64_t number = 0;
        std::size_t digits = 0;
        for (; i < lower.size() && std::isdigit(static_cast<unsigned char>(lower[i])) && digits < 10;
             ++i, ++digits)
            number = number * 10 + (lower[i] - '0');
        if (wordStart && !internal && digits > 0 && number >= 1 && number <= INT32_MAX)
            return std::int32_t(number);
        at += key.size();
    }
    return std::nullopt;
}

// The card quoted under a heading: the next line, indented.
std::string_view QuotedCard(const TextStore& output, std::int32_t heading) {
    const std::string_view next = LineText(output, heading + 1);
    if (next.empty() || (next.front() != ' ' && next.front() != '\t'))
        return {};
    return Trimmed(next);
}

// The heading with what ngspice says after it (and after the card it quotes), on one line.
// A heading that says all on its own line ends in no colon.
std::string Message(const TextStore& output, std::int32_t heading) {
    std::string message(Trimmed(LineText(output, heading)));
    if (message.empty() || message.back() != ':')
        return message;
    std::int32_t next = heading + 1;
    if (!QuotedCard(output, heading).empty())
        ++next;
    const std::string_view reason = Trimmed(LineText(output, next));
    if (!reason.empty() && Lower(reason).find("simulation interrupted") == std::string::npos) {
        message += ' ';
        message += reason;
    }
    return message;
}

// The card's first word split into the outermost instance and the path inside it. A
// flattened name may begin with its device letter: q.x1.q7 is q7 inside x1.
void SplitPath(std::string_view word, NetlistPlace& place) {
    std::vector<std::string> parts;
    std::string lower = Lower(word);
    std::size_t start = 0;
    for (std::size_t dot; (dot = lower.find('.', start)) != std::string::npos; start = dot + 1)
        parts.push_back(lower.substr(start, dot - start));
    parts.push_back(lower.substr(start));
    if (parts.size() >= 3 && parts[0].size() == 1)
        parts.erase(parts.begin());
    place.card = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i)
        place.innerPath += (i > 1 ? "." : "") + parts[i];
}

} // namespace

std::optional<NetlistPlace> PlaceAt(const TextStore& output, std::int32_t line) {
    const std::string lower = Lower(LineText(output, line));
    if (lower.empty())
        return std::nullopt;
    NetlistPlace place;
    if (const auto number = NumberAfter(lower, "line no.")) {
        place.line = *number - 1;
    } else if (const auto numbered = NumberAfter(lower, "line")) {
        place.line = *numbered - 1;
    } else if (Trimmed(lower) == "error on line:") {
        const std::string_view card = QuotedCard(output, line);
        if (card.empty())
            return std::nullopt;
        SplitPath(FirstWord(card), place);
    } else if (const std::size_t at = lower.find("unknown subckt:"); at != std::string::npos) {
        const std::string_view rest = std::string_view(lower).substr(at + 15);
        if (FirstWord(rest).empty())
            return std::nullopt;
        SplitPath(FirstWord(rest), place);
    } else {
        return std::nullopt;
    }
    place.message = Message(output, line);
    return place;
}

std::int32_t NextPlaceLine(const TextStore& output, std::int32_t from, bool forward) {
    const std::int32_t count = output.LineCount();
    const std::int32_t step = forward ? 1 : -1;
    const LineRecord* record = nullptr;
    for (std::int32_t line = from + step; line >= 0 && line < count; line += step) {
        // Walking the list, not looking each line up: outputs run to millions of lines.
        record = record == nullptr ? output.LineAt(line) : forward ? record->next : record->prev;
        const std::string_view text = Chars(record);
        // Every form names "line" or a subcircuit; most output lines are numbers.
        if (text.find("ine") == std::string_view::npos && text.find("subckt") == std::string_view::npos &&
            text.find("INE") == std::string_view::npos)
            continue;
        if (PlaceAt(output, line))
            return line;
    }
    return -1;
}

std::int32_t FindCard(const TextStore& netlist, std::string_view name) {
    const std::string wanted = Lower(name);
    int subcircuits = 0;
    bool control = false;
    std::int32_t index = 1; // the first line is the title
    for (const LineRecord* line = netlist.LineAt(1); line != nullptr && netlist.LineCount() > 1;
         line = line->next, ++index) {
        const std::string word = Lower(FirstWord(Chars(line)));
        if (word.empty() || word[0] == '*' || word[0] == '+')
            continue;
        if (word == ".control")
            control = true;
        else if (word == ".endc")
            control = false;
        else if (word == ".subckt")
            ++subcircuits;
        else if (word == ".ends")
            subcircuits = std::max(0, subcircuits - 1);
        else if (!control && subcircuits == 0 && word == wanted)
            return index;
    }
    return -1;
}
