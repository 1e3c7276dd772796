// content_hash.h --- a fingerprint of what a database holds, the same for every copy of
// it whatever the layout of its pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace db {

class Connection;

// FNV-1a, 64 bits, over bytes fed in turn.
class Fingerprint {
public:
    void add(const void* data, std::size_t size);
    std::uint64_t value() const { return hash_; }
    // The value as 16 hexadecimal digits.
    std::string hex() const;

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// Feeds every row of a table (a name of the database, taken as it is) to the
// fingerprint in the order of a plain scan (row id order), with the type of each value
// and, for numbers, every bit. Returns the number of rows.
long long add_table_rows(Connection& conn, const std::string& table, Fingerprint& f);

// The fingerprint of a database's content: the definition and the rows of every table
// of the main schema, tables in name order. Two copies of one database made with
// SQLite's backup, or by copying the file, have the same fingerprint; a change of any
// value changes it.
std::string content_hash(Connection& conn);

} // namespace db
