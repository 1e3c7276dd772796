#include "db/statement_file.h"

#include "db/text.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace db {
namespace {

bool is_comment(const std::string& trimmed_line) {
    return trimmed_line.empty() || trimmed_line[0] == '#' || trimmed_line[0] == '\'';
}

std::string first_word(const std::string& text) {
    const auto word = [](unsigned char c) { return std::isalpha(c) != 0; };
    auto begin =
        std::find_if(text.begin(), text.end(), [](unsigned char c) { return !std::isspace(c); });
    return std::string(begin, std::find_if_not(begin, text.end(), word));
}

std::string failure_text(const Error& cause, const ScriptStatement& s, int number, int line) {
    return "Statement " + std::to_string(number) + " (line " + std::to_string(line) +
           ") failed: " + cause.engine_message() + "\n" + s.text +
           "\nNothing was changed: the whole script was rolled back.";
}

int failure_line(const Error& cause, const ScriptStatement& s) {
    if (const auto* syntax = dynamic_cast<const SyntaxError*>(&cause))
        return s.line_at(syntax->position());
    return s.first_line();
}

} // namespace

int ScriptStatement::line_at(std::size_t position) const {
    const auto breaks = std::count(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(position, text.size())),
        '\n');
    const auto i = std::min(static_cast<std::size_t>(breaks), lines.size() - 1);
    return lines.empty() ? 0 : lines[i];
}

bool ScriptStatement::ignores_failure() const {
    return iequals(first_word(text), "drop");
}

std::vector<ScriptStatement> split_script(const std::string& script) {
    std::vector<ScriptStatement> out;
    ScriptStatement current;
    std::istringstream in(script);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string line = trim(raw);
        if (is_comment(line)) continue;
        if (line == "go") {
            current.ended_by_go = true;
            if (!current.text.empty()) out.push_back(std::move(current));
            current = {};
            continue;
        }
        current.text += current.text.empty() ? line : "\n" + line;
        current.lines.push_back(number);
    }
    if (!current.text.empty()) out.push_back(std::move(current));
    return out;
}

ScriptError::ScriptError(const Error& cause, const ScriptStatement& statement, int number)
    : Error(failure_text(cause, statement, number, failure_line(cause, statement))),
      line_(failure_line(cause, statement)), number_(number) {}

void StatementScript::run_one(const ScriptStatement& s, ScriptResult& result) {
    ++result.statements_run;
    try {
        const bool query = c_.returns_rows(s.text);
        if (before_each_) before_each_(s, !query);
        if (!query) {
            c_.execute(s.text);
        } else {
            Dataset rows = c_.open(s.text);
            if (!s.ended_by_go) result.rows = std::move(rows);
        }
    } catch (const Error& e) {
        if (!s.ignores_failure()) throw ScriptError(e, s, result.statements_run);
        result.ignored.push_back({s.first_line(), s.text, e.engine_message()});
    }
}

ScriptResult StatementScript::run(const std::string& script) {
    ScriptResult result;
    Savepoint all(c_, "statement_script");
    for (const ScriptStatement& s : split_script(script)) {
        result.rows.reset();
        run_one(s, result);
    }
    all.release();
    return result;
}

} // namespace db
