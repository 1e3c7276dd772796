#include "db/statement_file.h"

#include "db/db_error.h"
#include "db/text.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace db {
namespace {} // namespace

bool StatementScript::is_command(const std::string& statement) {
    const std::string low = lower(statement);
    for (const char* word : {"insert", "update", "delete", "into", "drop"})
        if (low.find(word) != std::string::npos) return true;
    return false;
}

std::optional<Dataset> StatementScript::run_one(const std::string& statement, bool ignore_failure,
                                                bool keep) {
    if (db::trim(statement).empty()) return std::nullopt;
    if (before_each_) before_each_(statement);
    ++run_;
    try {
        if (is_command(statement)) {
            c_.execute(statement);
            return std::nullopt;
        }
        Dataset d = c_.open(statement);
        if (keep) return d;
    } catch (const Error&) {
        if (!ignore_failure) throw;
    }
    return std::nullopt;
}

std::optional<Dataset> StatementScript::run(const std::string& script) {
    std::istringstream in(script);
    std::string line, current;
    bool ignore_failure = false;
    while (std::getline(in, line)) {
        line = db::trim(line);
        if (line.find('#') != std::string::npos || line.empty() || line[0] == '\'') continue;
        if (line == "go") {
            run_one(current, ignore_failure, false);
            current.clear();
            ignore_failure = false;
            continue;
        }
        if (line.find("drop") != std::string::npos) ignore_failure = true;
        current += current.empty() ? line : "\n" + line;
    }
    return run_one(current, ignore_failure, true);
}

} // namespace db
