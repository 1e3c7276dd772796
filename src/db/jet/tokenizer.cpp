#include "db/db_error.h"
#include "db/jet/token.h"
#include "db/text.h"

#include <cctype>
#include <cstdio>

namespace db::jet {
namespace {

bool is_name_start(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool is_name_char(unsigned char c) {
    return std::isalnum(c) || c == '_' || c >= 0x80 || c == '$';
}

class Tokenizer {
public:
    explicit Tokenizer(const std::string& s) : s_(s) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        while (true) {
            skip_blanks();
            if (i_ >= s_.size()) break;
            out.push_back(next());
        }
        out.push_back(Token{TokenKind::end, "", s_.size()});
        return out;
    }

private:
    [[noreturn]] void fail(const std::string& what, std::size_t at) const {
        throw SyntaxError(what, s_, at);
    }

    void skip_blanks() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }

    Token next() {
        const std::size_t start = i_;
        const unsigned char c = static_cast<unsigned char>(s_[i_]);
        if (c == '"' || c == '\'') return quoted(start);
        if (c == '[') return bracketed(start);
        if (c == '#') return date(start);
        if (std::isdigit(c) || (c == '.' && i_ + 1 < s_.size() &&
                                std::isdigit(static_cast<unsigned char>(s_[i_ + 1]))))
            return number(start);
        if (is_name_start(c)) {
            while (i_ < s_.size() && is_name_char(static_cast<unsigned char>(s_[i_]))) ++i_;
            return {TokenKind::word, s_.substr(start, i_ - start), start};
        }
        return symbol(start);
    }

    Token quoted(std::size_t start) {
        const char q = s_[i_++];
        std::string v;
        while (true) {
            if (i_ >= s_.size()) fail("unterminated text literal", start);
            if (s_[i_] == q) {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == q) { // doubled quote stands for one
                    v += q;
                    i_ += 2;
                    continue;
                }
                ++i_;
                break;
            }
            v += s_[i_++];
        }
        return {TokenKind::text, v, start};
    }

    Token bracketed(std::size_t start) {
        const std::size_t close = s_.find(']', i_);
        if (close == std::string::npos) fail("unterminated name in brackets", start);
        std::string v = s_.substr(i_ + 1, close - i_ - 1);
        if (v.empty()) fail("empty name in brackets", start);
        i_ = close + 1;
        return {TokenKind::name, v, start};
    }

    Token number(std::size_t start) {
        bool real = false;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
        if (i_ < s_.size() && s_[i_] == '.') {
            real = true;
            ++i_;
            while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            std::size_t j = i_ + 1;
            if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
            if (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j]))) {
                real = true;
                i_ = j;
                while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
            }
        }
        if (i_ < s_.size() && is_name_start(static_cast<unsigned char>(s_[i_])))
            fail("a name may not begin with a digit", start);
        std::string v = s_.substr(start, i_ - start);
        if (!real && v.size() > 18) real = true; // beyond 64 bits: read as a real number
        return {real ? TokenKind::real : TokenKind::integer, v, start};
    }

    // #m/d/yyyy[ hh:mm[:ss]]# or #yyyy-mm-dd[ ...]#: always month before day.
    Token date(std::size_t start) {
        const std::size_t close = s_.find('#', i_ + 1);
        if (close == std::string::npos) fail("unterminated date literal", start);
        const std::string body = s_.substr(i_ + 1, close - i_ - 1);
        i_ = close + 1;
        int a = 0, b = 0, c = 0, hh = 0, mm = 0, ss = 0, n = 0;
        char sep = 0;
        std::string out;
        if (std::sscanf(body.c_str(), "%d%c%d%*c%d%n", &a, &sep, &b, &c, &n) >= 4) {
            int y = a, m = b, d = c;
            if (sep != '-') y = c, m = a, d = b; // m/d/y
            if (m < 1 || m > 12 || d < 1 || d > 31) fail("invalid date literal", start);
            char buf[40];
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
            out = buf;
            const std::string rest = body.substr(static_cast<std::size_t>(n));
            if (std::sscanf(rest.c_str(), " %d:%d:%d", &hh, &mm, &ss) >= 2) {
                std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", hh % 100, mm % 100, ss % 100);
                out += buf;
            }
            return {TokenKind::date, out, start};
        }
        fail("invalid date literal", start);
    }

    Token symbol(std::size_t start) {
        static const char* const two[] = {"<>", "<=", ">=", "!="};
        for (const char* t : two)
            if (s_.compare(i_, 2, t) == 0) {
                i_ += 2;
                return {TokenKind::symbol, t, start};
            }
        const char c = s_[i_];
        static const std::string single = "(),.;*+-/\\^&=<>?!";
        if (single.find(c) == std::string::npos)
            fail(std::string("unexpected character '") + c + "'", start);
        ++i_;
        return {TokenKind::symbol, std::string(1, c), start};
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

} // namespace

bool Token::is_word(const char* keyword) const {
    return kind == TokenKind::word && iequals(text, keyword);
}

std::vector<Token> tokenize(const std::string& statement) {
    return Tokenizer(statement).run();
}

} // namespace db::jet
