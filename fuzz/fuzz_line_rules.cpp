// The line and field rules. The first three bytes choose a character, a delimiter and a start
// position; the rest is the text. Each routine is compared with a character-by-character reading
// of its rule, and the round trips the rules promise must give the input back.

#include "fuzz_check.h"
#include "table/text_utils.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Lines as the rule cuts them: up to the next CR, LF or byte 0; then one CR, then one LF, is
// skipped; a byte 0 ends the text.
std::vector<std::string> ReferenceLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        std::string line;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n' && text[i] != '\0')
            line += text[i++];
        lines.push_back(line);
        if (i < text.size() && text[i] == '\r')
            ++i;
        if (i < text.size() && text[i] == '\n')
            ++i;
    }
    return lines;
}

bool HoldsLineBreakOrZero(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// True when every line of `text` ends in CR LF and nothing else breaks a line: then joining the
// lines gives the text back.
bool InJoinedForm(std::string_view text) {
    if (!text.empty() && !text.ends_with("\r\n"))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0')
            return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

void CheckFindAndReplace(std::string_view s, char ch, char other, std::size_t start) {
    std::size_t expected = 0;
    for (std::size_t position = start; position >= 1 && position <= s.size(); ++position) {
        if (s[position - 1] == ch) {
            expected = position;
            break;
        }
    }
    FUZZ_CHECK(arb::FindCharFrom(ch, s, start) == expected);
    FUZZ_CHECK(arb::FindCharFrom(ch, s, 1) == (s.find(ch) == s.npos ? 0 : s.find(ch) + 1));

    const std::string replaced = arb::ReplaceChar(s, ch, other);
    FUZZ_CHECK(replaced.size() == s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        FUZZ_CHECK(replaced[i] == (s[i] == ch ? other : s[i]));
}

void CheckSplitString(std::string_view s, char delim) {
    const auto fields = arb::SplitString(s, delim);
    FUZZ_CHECK(fields.has_value());
    std::size_t delimiters = 0;
    for (char c : s)
        delimiters += c == delim;
    FUZZ_CHECK(fields->size() == delimiters + 1);
    std::string joined;
    for (std::size_t f = 0; f < fields->size(); ++f) {
        FUZZ_CHECK((*fields)[f].find(delim) == std::string::npos);
        if (f > 0)
            joined += delim;
        joined += (*fields)[f];
    }
    FUZZ_CHECK(joined == s);

    // Fields free of line breaks and byte 0 come back from a join and a split, empty ones too.
    bool plain = true;
    for (const std::string& field : *fields)
        plain = plain && !HoldsLineBreakOrZero(field);
    if (plain) {
        std::vector<std::string> back{"left over"};
        arb::SplitLines(arb::JoinLines(*fields), back);
        FUZZ_CHECK(back == *fields);
    }
}

void CheckLines(std::string_view text) {
    std::vector<std::string> lines{"left over", ""};
    arb::SplitLines(text, lines);
    FUZZ_CHECK(lines == ReferenceLines(text));

    const std::string joined = arb::JoinLines(lines);
    std::string expected;
    for (const std::string& line : lines)
        expected += line + "\r\n";
    FUZZ_CHECK(joined == expected);

    std::vector<std::string> again;
    arb::SplitLines(joined, again);
    FUZZ_CHECK(again == lines);
    if (InJoinedForm(text))
        FUZZ_CHECK(joined == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const char ch = static_cast<char>(data[0]);
    const char delim = static_cast<char>(data[1]);
    const std::size_t start = data[2];
    const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);

    CheckFindAndReplace(text, ch, delim, start);
    CheckSplitString(text, delim);
    CheckLines(text);
    return 0;
}
