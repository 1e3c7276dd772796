#include "import/mdb_source.h"

#include "import/database_import.h"

// mdbtools' header needs glib's declarations before it.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <glib.h>
#include <mdbtools.h>
#include <stdexcept>

namespace import {

// The open file: mdbtools' handle, closed with the object.
struct MdbSource::File {
    MdbHandle* mdb = nullptr;
    std::filesystem::path path;

    File(const File&) = delete;
    File& operator=(const File&) = delete;
    explicit File(const std::filesystem::path& file) : path(file) {
        mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
        if (!mdb)
            throw std::runtime_error("The Access database '" + file.string() +
                                     "' cannot be opened.");
        if (!mdb_read_catalog(mdb, MDB_TABLE)) {
            mdb_close(mdb);
            throw std::runtime_error("The table list of the Access database '" + file.string() +
                                     "' cannot be read.");
        }
    }
    ~File() { mdb_close(mdb); }
};

namespace {

struct TableDefFree {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TableDef = std::unique_ptr<MdbTableDef, TableDefFree>;

struct GlibFree {
    void operator()(char* p) const { g_free(p); }
};
using GlibText = std::unique_ptr<char, GlibFree>;

MdbCatalogEntry* user_table(MdbHandle* mdb, unsigned i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    return entry->object_type == MDB_TABLE && mdb_is_user_table(entry) ? entry : nullptr;
}

TableDef open_table(MdbSource::File& file, const std::string& name) {
    for (unsigned i = 0; i < file.mdb->catalog->len; ++i) {
        MdbCatalogEntry* entry = user_table(file.mdb, i);
        if (!entry || name != entry->object_name) continue;
        TableDef table(mdb_read_table(entry));
        if (!table || !mdb_read_columns(table.get())) break;
        mdb_rewind_table(table.get());
        return table;
    }
    throw std::runtime_error("The table " + name + " of the Access database '" +
                             file.path.string() + "' cannot be read.");
}

MdbColumn* column_at(MdbTableDef* table, unsigned i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

SourceColumn describe(const MdbColumn& col) {
    SourceColumn out;
    out.name = col.name;
    switch (col.col_type) {
    case MDB_BOOL:
        out.type = "INTEGER";
        out.boolean = true;
        break;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        out.type = "INTEGER";
        break;
    case MDB_NUMERIC:
        out.type = col.col_scale == 0 ? "INTEGER" : "REAL";
        break;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
        out.type = "REAL";
        break;
    case MDB_DATETIME:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        out.type = "TEXT";
        break;
    case MDB_BINARY:
        out.type = "BLOB";
        break;
    default: // OLE objects, attachments and types this library does not know
        out.unreadable = true;
        break;
    }
    return out;
}

// A decimal number as the library writes it ("-1234.5600"): an integer when it has no
// fraction and fits, else the nearest double.
db::Value decimal_value(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    std::int64_t whole = 0;
    if (text.find('.') == std::string::npos) {
        const auto [end, ec] = std::from_chars(first, last, whole);
        if (ec == std::errc() && end == last) return db::Value(whole);
    }
    double number = 0;
    const auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last)
        throw std::runtime_error("the number '" + text + "' cannot be read");
    return db::Value(number);
}

// A single-precision number as the shortest decimal that reads back as it.
double single_value(float f) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, f);
    double d = 0;
    std::from_chars(text, result.ptr, d);
    return d;
}

// Text and memo values: the library converts them to UTF-8 into a buffer of its bind
// size, which must hold the longest conversion (three bytes for each byte stored).
std::string text_value(MdbHandle* mdb, const MdbColumn& col) {
    std::size_t stored = static_cast<std::size_t>(col.cur_value_len);
    if (col.col_type == MDB_MEMO && col.cur_value_len >= MDB_MEMO_OVERHEAD)
        stored = static_cast<std::uint32_t>(mdb_get_int32(mdb->pg_buf, col.cur_value_start)) &
                 0x3fffffffu;
    const std::size_t needed = 3 * stored + 64;
    if (mdb->bind_size < needed) mdb_set_bind_size(mdb, needed);
    GlibText text(
        mdb_col_to_string(mdb, mdb->pg_buf, col.cur_value_start, col.col_type, col.cur_value_len));
    if (!text) return {};
    const std::size_t length = std::strlen(text.get());
    if (length + 1 >= mdb->bind_size) throw std::runtime_error("the text cannot be read whole");
    return std::string(text.get(), length);
}

SourceField read_field(MdbHandle* mdb, const MdbColumn& col) {
    // A yes/no value is held in the row's null mask: the library leaves its length 0
    // for true.
    if (col.col_type == MDB_BOOL) return {db::Value(col.cur_value_len == 0), false};
    if (col.cur_value_len == 0) return {};
    const int start = col.cur_value_start;
    unsigned char* page = mdb->pg_buf;
    switch (col.col_type) {
    case MDB_BYTE:
        return {db::Value(static_cast<std::int64_t>(mdb_get_byte(page, start))), false};
    case MDB_INT:
        return {db::Value(static_cast<std::int64_t>(
                    static_cast<std::int16_t>(mdb_get_int16(page, start)))),
                false};
    case MDB_LONGINT:
        return {db::Value(static_cast<std::int64_t>(
                    static_cast<std::int32_t>(mdb_get_int32(page, start)))),
                false};
    case MDB_FLOAT:
        return {db::Value(single_value(mdb_get_single(page, start))), false};
    case MDB_DOUBLE:
        return {db::Value(mdb_get_double(page, start)), false};
    case MDB_DATETIME:
        return {db::Value(access_date_text(mdb_get_double(page, start))), false};
    case MDB_MONEY:
        return {decimal_value(GlibText(mdb_money_to_string(mdb, start)).get()), false};
    case MDB_NUMERIC:
        return {decimal_value(
                    GlibText(mdb_numeric_to_string(mdb, start, col.col_scale, col.col_prec)).get()),
                false};
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return {db::Value(text_value(mdb, col)), false};
    case MDB_BINARY: {
        const GlibText bytes(mdb_col_to_string(mdb, page, start, MDB_BINARY, col.cur_value_len));
        return {db::Value(std::string(bytes.get(), static_cast<std::size_t>(col.cur_value_len))),
                true};
    }
    default:
        return {};
    }
}

class MdbRows final : public SourceRows {
public:
    MdbRows(MdbSource::File& file, const std::string& name)
        : mdb_(file.mdb), name_(name), table_(open_table(file, name)) {}

    bool next(SourceRow& row) override {
        if (!mdb_fetch_row(table_.get())) return false;
        ++number_;
        row.assign(table_->num_cols, SourceField{});
        for (unsigned i = 0; i < table_->num_cols; ++i) {
            const MdbColumn& col = *column_at(table_.get(), i);
            if (describe(col).unreadable) continue;
            try {
                row[i] = read_field(mdb_, col);
            } catch (const std::runtime_error& e) {
                throw ImportError(name_, number_, col.name, e.what());
            }
        }
        return true;
    }

private:
    MdbHandle* mdb_;
    std::string name_;
    TableDef table_;
    std::int64_t number_ = 0;
};

} // namespace

MdbSource::MdbSource(const std::filesystem::path& file) : file_(std::make_unique<File>(file)) {}

MdbSource::~MdbSource() = default;

std::string MdbSource::kind() const {
    switch (file_->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return "Access (Jet 3)";
    case MDB_VER_JET4:
        return "Access (Jet 4)";
    case MDB_VER_ACCDB_2007:
        return "Access 2007 (.accdb)";
    case MDB_VER_ACCDB_2010:
        return "Access 2010 (.accdb)";
    case MDB_VER_ACCDB_2013:
        return "Access 2013 (.accdb)";
    case MDB_VER_ACCDB_2016:
        return "Access 2016 (.accdb)";
    case MDB_VER_ACCDB_2019:
        return "Access 2019 (.accdb)";
    default:
        return "Access";
    }
}

std::vector<std::string> MdbSource::tables() {
    std::vector<std::string> names;
    for (unsigned i = 0; i < file_->mdb->catalog->len; ++i)
        if (MdbCatalogEntry* entry = user_table(file_->mdb, i)) names.push_back(entry->object_name);
    return names;
}

std::vector<SourceColumn> MdbSource::columns(const std::string& table) {
    TableDef def = open_table(*file_, table);
    std::vector<SourceColumn> out;
    for (unsigned i = 0; i < def->num_cols; ++i) out.push_back(describe(*column_at(def.get(), i)));
    return out;
}

std::unique_ptr<SourceRows> MdbSource::rows(const std::string& table) {
    return std::make_unique<MdbRows>(*file_, table);
}

std::string access_date_text(double days) {
    // Access keeps dates from the year 100 to 9999; others stay a day number.
    constexpr double first_day = -657434, last_day = 2958466;
    if (!std::isfinite(days) || days < first_day || days >= last_day)
        return db::Value(days).as_text();
    auto day = static_cast<std::int64_t>(std::trunc(days));
    auto seconds = std::llround(std::fabs(days - std::trunc(days)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    // Civil date from days since 1970-01-01 (1899-12-30 is day -25569).
    const std::int64_t z = day - 25569 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                  static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

} // namespace import
