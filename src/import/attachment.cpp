#include "import/attachment.h"

#include "db/connection.h"
#include "db/db_error.h"

#include <stdexcept>

namespace import {

namespace {

void detach(db::Connection& c, const std::string& schema) noexcept {
    try {
        c.execute_native("DETACH DATABASE " + schema);
    } catch (const std::exception&) {
        // Detaching fails only while a statement on it is unfinished or when it was never
        // attached; the attachment then ends with the connection.
    }
}

} // namespace

Attachment::Attachment(db::Connection& c, const std::filesystem::path& file, std::string schema)
    : c_(c), schema_(std::move(schema)) {
    try {
        // The file name is bound: a path is data, never statement text.
        c_.prepare_native("ATTACH DATABASE ? AS " + schema_).execute({file.string()});
        c_.prepare_native("SELECT count(*) FROM " + schema_ + ".sqlite_master").step();
    } catch (const db::Error& e) {
        detach(c_, schema_);
        throw std::runtime_error("The database '" + file.string() +
                                 "' cannot be read: " + e.engine_message());
    }
}

Attachment::~Attachment() {
    detach(c_, schema_);
}

} // namespace import
