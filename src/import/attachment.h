// attachment.h --- another database file attached to a connection under a schema name.
#pragma once

#include <filesystem>
#include <string>

namespace db {
class Connection;
}

namespace import {

// Attaches the file for as long as it lives. Throws std::runtime_error naming the file
// when it cannot be read as an SQLite database.
class Attachment {
public:
    Attachment(db::Connection& c, const std::filesystem::path& file, std::string schema);
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    const std::string& schema() const { return schema_; }

private:
    db::Connection& c_;
    std::string schema_;
};

} // namespace import
