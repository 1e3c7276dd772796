#include "db/db_error.h"

namespace db {
namespace {

std::string compose(const std::string& message, const std::string& jet, const std::string& sqlite) {
    std::string text = message;
    if (!jet.empty()) text += "\nStatement: " + jet;
    if (!sqlite.empty() && sqlite != jet) text += "\nSQLite: " + sqlite;
    return text;
}

} // namespace

Error::Error(std::string message, std::string jet, std::string sqlite)
    : std::runtime_error(compose(message, jet, sqlite)), message_(std::move(message)),
      jet_(std::move(jet)), sqlite_(std::move(sqlite)) {}

SyntaxError::SyntaxError(const std::string& what, std::string jet, std::size_t position)
    : Error("Syntax error at position " + std::to_string(position + 1) + ": " + what,
            std::move(jet)),
      position_(position) {}

} // namespace db
