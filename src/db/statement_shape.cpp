#include "db/statement_shape.h"

#include <cctype>

namespace db {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
// A character that continues a name: a number never starts right after one.
bool is_name_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The end of the quoted text or date starting at `from` (its closing character
// included); a doubled quote inside stands for one. The end of the text when unclosed.
std::size_t closing(std::string_view s, std::size_t from) {
    const char q = s[from];
    std::size_t i = from + 1;
    while (i < s.size()) {
        if (s[i] != q) {
            ++i;
        } else if (q != '#' && i + 1 < s.size() && s[i + 1] == q) {
            i += 2;
        } else {
            return i + 1;
        }
    }
    return s.size();
}

// The end of the number starting at `from`: digits, a fraction, an exponent.
std::size_t number_end(std::string_view s, std::size_t from) {
    std::size_t i = from;
    while (i < s.size() && is_digit(s[i])) ++i;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && is_digit(s[i]);) ++i;
    if (i + 1 < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (s[j] == '+' || s[j] == '-') ++j;
        if (j < s.size() && is_digit(s[j])) {
            while (j < s.size() && is_digit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

// Appends a placeholder; after the same placeholder and a comma it is left out.
void put_placeholder(std::string& out, const std::string& placeholder) {
    std::size_t end = out.size();
    while (end > 0 && out[end - 1] == ' ') --end;
    if (end > 0 && out[end - 1] == ',') {
        std::size_t before = end - 1;
        while (before > 0 && out[before - 1] == ' ') --before;
        if (before >= placeholder.size() &&
            out.compare(before - placeholder.size(), placeholder.size(), placeholder) == 0) {
            out.resize(before);
            return;
        }
    }
    out += placeholder;
}

} // namespace

std::string statement_shape(std::string_view s) {
    std::string out;
    bool blank = false; // white space seen since the last character kept
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (is_space(c)) {
            blank = true;
            ++i;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        const bool after_name = !out.empty() && (is_name_char(out.back()) || out.back() == '.');
        if (c == '[') {
            const std::size_t end = s.find(']', i);
            const std::size_t stop = end == std::string_view::npos ? s.size() : end + 1;
            out.append(s.substr(i, stop - i));
            i = stop;
        } else if (c == '\'' || c == '"') {
            put_placeholder(out, "<s>");
            i = closing(s, i);
        } else if (c == '#' && !after_name) {
            put_placeholder(out, "<d>");
            i = closing(s, i);
        } else if (!after_name &&
                   (is_digit(c) || (c == '.' && i + 1 < s.size() && is_digit(s[i + 1])))) {
            put_placeholder(out, "<n>");
            i = number_end(s, i);
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace db
