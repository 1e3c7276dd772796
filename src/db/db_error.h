// db_error.h --- the failure of a statement, with the engine's message and both texts.
#pragma once

#include <stdexcept>
#include <string>

namespace db {

class Error : public std::runtime_error {
public:
    // message: the engine's (or translator's) message; jet: the statement as written;
    // sqlite: the statement as translated (empty when translation failed).
    Error(std::string message, std::string jet = {}, std::string sqlite = {});

    const std::string& engine_message() const { return message_; }
    const std::string& jet_text() const { return jet_; }
    const std::string& sqlite_text() const { return sqlite_; }

private:
    std::string message_, jet_, sqlite_;
};

// A statement the Jet translator does not understand: names the position.
class SyntaxError : public Error {
public:
    SyntaxError(const std::string& what, std::string jet, std::size_t position);
    std::size_t position() const { return position_; }

private:
    std::size_t position_;
};

} // namespace db
