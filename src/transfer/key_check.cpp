#include "transfer/key_check.h"

#include "db/connection.h"
#include "transfer/attached_source.h"
#include "transfer/transfer_tables.h"

namespace transfer {

namespace {

// Items of srbopspa that the plot's crops leave on the field and the amendments it gets.
constexpr const char* amendment_items_sql =
    "SELECT DISTINCT x FROM ("
    " SELECT p.ewr_ix AS x FROM src.cultivation c INNER JOIN src.srbpflan p ON c.Item_IX = "
    "p.ITEM_IX WHERE c.FL_ID = ?1 AND c.Macode IN (0, 2, 9)"
    " UNION ALL SELECT p.kop_ix FROM src.cultivation c INNER JOIN src.srbpflan p ON c.Item_IX = "
    "p.ITEM_IX WHERE c.FL_ID = ?1 AND c.Macode IN (0, 2, 9)"
    " UNION ALL SELECT p.grd_ix FROM src.cultivation c INNER JOIN src.srbpflan p ON c.Item_IX = "
    "p.ITEM_IX WHERE c.FL_ID = ?1 AND c.Macode IN (0, 2, 9)"
    " UNION ALL SELECT c.Item_IX FROM src.cultivation c WHERE c.FL_ID = ?1 AND c.Macode = 3)"
    " WHERE x IS NOT NULL AND x <> -99 ORDER BY x";

constexpr const char* crop_items_sql =
    "SELECT DISTINCT c.Item_IX FROM src.cultivation c WHERE c.FL_ID = ?1 AND c.Macode IN (0, 2, "
    "9) AND c.Item_IX IS NOT NULL ORDER BY c.Item_IX";

std::vector<KeyItem> look_up(db::Connection& c, const char* items_sql, const std::string& table,
                             std::int64_t plot) {
    db::Statement items = c.prepare_native(items_sql);
    items.bind(1, plot);
    db::Statement source_name =
        c.prepare_native("SELECT NAME FROM src." + name(table) + " WHERE ITEM_IX = ?");
    db::Statement destination_name =
        c.prepare_native("SELECT NAME FROM main." + name(table) + " WHERE ITEM_IX = ?");
    std::vector<KeyItem> found;
    while (items.step()) {
        KeyItem item;
        item.key = items.column(0).as_int();
        source_name.bind(1, item.key);
        if (source_name.step()) item.source_name = source_name.column(0).as_text();
        source_name.reset();
        destination_name.bind(1, item.key);
        if (destination_name.step()) item.destination_name = destination_name.column(0).as_text();
        destination_name.reset();
        found.push_back(std::move(item));
    }
    return found;
}

} // namespace

KeyCheck check_key_items(db::Connection& c, std::int64_t plot) {
    return {look_up(c, amendment_items_sql, amendment_table, plot),
            look_up(c, crop_items_sql, crop_table, plot)};
}

std::vector<std::string> key_check_lines(const std::vector<KeyItem>& items,
                                         const std::string& found_heading,
                                         const std::string& missing_heading) {
    std::vector<std::string> lines{found_heading};
    for (const KeyItem& i : items)
        if (!i.missing())
            lines.push_back(std::to_string(i.key) + " ==>src: " + i.source_name +
                            " ==>dst: " + *i.destination_name);
    lines.push_back(missing_heading);
    for (const KeyItem& i : items)
        if (i.missing()) lines.push_back(std::to_string(i.key));
    return lines;
}

int copy_parameter_row(db::Connection& c, const std::string& table, std::int64_t key) {
    std::string columns;
    for (const std::string& col : shared_columns(c, table))
        columns += (columns.empty() ? "" : ", ") + name(col);
    return c
        .prepare_native("INSERT INTO main." + name(table) + " (" + columns + ") SELECT " + columns +
                        " FROM src." + name(table) + " s WHERE s.ITEM_IX = ?1 AND NOT " +
                        "EXISTS (SELECT 1 FROM main." + name(table) + " d WHERE d.ITEM_IX = ?1)")
        .execute({key});
}

} // namespace transfer
