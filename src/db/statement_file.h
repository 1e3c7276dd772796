// statement_file.h --- running a script of statements, line by line, as users write them.
#pragma once

#include "db/connection.h"
#include "db/db_error.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace db {

// One statement of a script, with the script lines it was written on.
struct ScriptStatement {
    std::string text;       // its lines, trimmed, joined by line ends
    std::vector<int> lines; // the script line (counted from 1) of each line of text
    bool ended_by_go = false;

    int first_line() const { return lines.empty() ? 0 : lines.front(); }
    // The script line of a position in text.
    int line_at(std::size_t position) const;
    // Its first word is DROP (in any case): a failure means the object was not there.
    bool ignores_failure() const;
};

// Splits a script into statements:
// - each line is trimmed; an empty line and a line beginning with "#" or "'" is a
//   comment; every other line is kept whole (a "#" inside it is the dialect's date);
// - a line "go" ends the current statement; the text after the last "go" is the last.
std::vector<ScriptStatement> split_script(const std::string& script);

// A statement whose failure was ignored, for the script's output.
struct IgnoredFailure {
    int line = 0;
    std::string statement, message;
};

struct ScriptResult {
    std::optional<Dataset> rows; // the last statement's rows, when it is a query not ended by go
    std::vector<IgnoredFailure> ignored;
    int statements_run = 0; // including those whose failure was ignored
};

// The failure that stopped a script: names the statement (counted from 1) and its line.
// Every change of the script has been rolled back.
class ScriptError : public Error {
public:
    ScriptError(const Error& cause, const ScriptStatement& statement, int number);
    int line() const { return line_; }
    int statement_number() const { return number_; }

private:
    int line_, number_;
};

// Runs a statement script in one transaction (a savepoint when one is open already):
// - a statement that returns rows (as the dialect's parser sees it) is opened as a query,
//   every other one executed; the rows of queries ended by "go" are dropped at once;
// - a failing DROP statement is listed and the script goes on; any other failure rolls
//   the whole script back and throws ScriptError.
class StatementScript {
public:
    // Called before each statement, with whether it runs as a change (no rows).
    using Progress = std::function<void(const ScriptStatement& statement, bool changes_data)>;

    explicit StatementScript(Connection& c, Progress before_each = {})
        : c_(c), before_each_(std::move(before_each)) {}

    ScriptResult run(const std::string& script);

private:
    void run_one(const ScriptStatement& statement, ScriptResult& result);

    Connection& c_;
    Progress before_each_;
};

} // namespace db
