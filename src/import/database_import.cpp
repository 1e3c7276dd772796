#include "import/database_import.h"

#include "app/datamodel.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "db/text.h"
#include "import/attachment.h"
#include "import/import_source.h"
#include "import/schema_completion.h"
#include "import/schema_template.h"
#include "import/table_copy.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace import {

namespace {

// A database file the import builds for itself, removed unless it was put in place.
class ScratchFile {
public:
    explicit ScratchFile(fs::path path) : path_(std::move(path)) {
        db::remove_database_files(path_);
    }
    ~ScratchFile() { db::remove_database_files(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

fs::path beside(const fs::path& target, const std::string& what) {
    return target.string() + "." + what + "-" + std::to_string(::getpid());
}

// A selection list names items by their keys: taken from the template it would point at
// the template's items, so when the source holds the item table but not the list, the
// data-model adaptation builds the list from the source's items.
bool left_to_adaptation(const std::string& table, const std::set<std::string>& held) {
    static const std::array<std::pair<const char*, const char*>, 3> lists = {
        {{"srbsel_crop", "srbpflan"}, {"srbsel_ops", "srbopspa"}, {"srbsel_frt", "srbmindg"}}};
    return std::any_of(lists.begin(), lists.end(), [&](const auto& l) {
        return db::iequals(table, l.first) && held.count(db::lower(l.second));
    });
}

// The source's tables copied into the new database, and the schema's tables it lacks
// from the template. Returns the schema tables taken whole from the template.
std::set<std::string> stage(db::Connection& c, const fs::path& source, const SchemaTemplate& schema,
                            const std::string& template_schema, ImportReport& report) {
    std::unique_ptr<ImportSource> reader = open_import_source(source, c);
    report.source_kind = reader->kind();
    db::Transaction tr(c);
    std::set<std::string> held; // lower-case names of the schema tables the source holds
    for (const std::string& table : reader->tables()) {
        const TemplateTable* known = schema.find(table);
        if (known) held.insert(db::lower(known->name));
        report.tables.push_back(copy_table(c, *reader, table, known));
    }
    std::set<std::string> from_template;
    for (const TemplateTable& t : schema.tables()) {
        if (held.count(db::lower(t.name)) || left_to_adaptation(t.name, held)) continue;
        copy_template_table(c, t, template_schema);
        from_template.insert(t.name);
    }
    tr.commit();
    return from_template;
}

// Every table of the schema takes the template's definition; a table still missing
// comes from the template.
void complete_schema(db::Connection& c, const SchemaTemplate& schema,
                     const std::set<std::string>& from_template,
                     const std::string& template_schema) {
    db::Transaction tr(c);
    for (const TemplateTable& t : schema.tables()) {
        if (from_template.count(t.name)) continue;
        if (c.has_table(t.name))
            complete_table(c, t);
        else
            copy_template_table(c, t, template_schema);
    }
    tr.commit();
}

void build(db::Connection& c, const fs::path& source, const fs::path& template_file,
           ImportReport& report) {
    const std::string tpl = "tpl";
    std::set<std::string> from_template;
    std::optional<SchemaTemplate> schema;
    {
        Attachment attached(c, template_file, tpl);
        schema.emplace(c, tpl);
        from_template = stage(c, source, *schema, tpl, report);
    }
    // The adaptation sees the new database alone, as the start-up does.
    app::MemorySettingsStore settings;
    app::ProgramState state;
    report.adaptation = app::adapt_datamodel(c, settings, state).executed;
    Attachment attached(c, template_file, tpl);
    complete_schema(c, *schema, from_template, tpl);
}

} // namespace

ImportError::ImportError(std::string table, std::int64_t row, std::string column,
                         const std::string& why)
    : std::runtime_error("Table " + table + ", row " + std::to_string(row) +
                         (column.empty() ? "" : ", column " + column) + ": " + why +
                         ". Nothing was imported."),
      table_(std::move(table)), row_(row), column_(std::move(column)) {}

ImportReport import_database(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (fs::exists(target, ec))
        throw db::Error("The file '" + target.string() +
                        "' exists already; it is not overwritten.");
    source_format(source); // a missing source is named before anything is built
    ScratchFile template_file(beside(target, "template"));
    ScratchFile built(beside(target, "importing"));
    db::create_experiment_database(template_file.path(), false);
    ImportReport report;
    {
        db::Connection c = db::Connection::create(built.path());
        build(c, source, template_file.path(), report);
        c.close(); // the journal is folded into the file
    }
    db::put_database_in_place(built.path(), target);
    return report;
}

fs::path free_import_target(const fs::path& source) {
    const fs::path folder = source.parent_path();
    const std::string stem = source.stem().string();
    constexpr int tries = 9999;
    for (int n = 1; n <= tries; ++n) {
        const fs::path candidate =
            folder / (stem + (n == 1 ? "" : "_" + std::to_string(n)) + ".db");
        std::error_code ec;
        if (!fs::exists(candidate, ec) && !ec) return candidate;
    }
    throw std::runtime_error("No free file name for the import of '" + source.string() + "'.");
}

} // namespace import
