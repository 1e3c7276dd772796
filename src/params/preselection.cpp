// preselection.cpp --- the three selection lists and the commands that maintain them.
#include "params/preselection.h"

#include "db/db_error.h"

#include <array>

namespace params {
namespace {

struct ListSource {
    const char* table;     // the selection list
    const char* source;    // its parameter table
    const char* condition; // which rows of the parameter table belong in the list
    const char* extra;     // further columns copied from the parameter table
};

ListSource source_of(SelectionList list) {
    switch (list) {
    case SelectionList::crops:
        return {"srbsel_crop", "srbpflan", "true", ", OEKO_code"};
    case SelectionList::amendments:
        return {"srbsel_ops", "srbopspa", "od=-1", ""};
    case SelectionList::fertilisers:
        return {"srbsel_frt", "srbmindg", "true", ""};
    }
    throw std::logic_error("unknown selection list");
}

// Creates the list from its parameter table, every entry selected.
void create_list(db::Connection& conn, const ListSource& s) {
    conn.execute(std::string(" SELECT Yes AS [select], ITEM_IX, Name") + s.extra + " INTO " +
                 s.table + " FROM " + s.source + " WHERE " + s.condition);
}

// Removes entries whose item is gone (or is no longer a substrate), renews the names (and
// the crops' organic codes), adds
// the missing items.
void bring_up_to_date(db::Connection& conn, const ListSource& s) {
    const std::string t = s.table, p = s.source, cond = s.condition;
    conn.execute(" DELETE FROM " + t +
                 " WHERE ITEM_IX Is Null OR ITEM_IX NOT IN (SELECT ITEM_IX FROM " + p + " WHERE " +
                 cond + ")");
    std::string sets = t + ".Name = " + p + ".Name";
    if (*s.extra) sets += ", " + t + ".OEKO_code = " + p + ".OEKO_code";
    conn.execute(" UPDATE " + t + " INNER JOIN " + p + " ON " + t + ".ITEM_IX = " + p +
                 ".ITEM_IX SET " + sets);
    conn.execute(" INSERT INTO " + t + " ( [select], ITEM_IX, Name" + s.extra +
                 " ) SELECT -1, ITEM_IX, Name" + s.extra + " FROM " + p + " WHERE " + cond +
                 " AND ITEM_IX NOT IN (SELECT ITEM_IX FROM " + t + " WHERE ITEM_IX Is Not Null)");
}

} // namespace

std::string selection_table(SelectionList list) {
    return source_of(list).table;
}

void use_all(db::Connection& conn, SelectionList list) {
    const ListSource s = source_of(list);
    db::Transaction transaction(conn);
    if (!conn.has_table(s.table)) {
        create_list(conn, s);
    } else {
        bring_up_to_date(conn, s);
        conn.execute(std::string(" update ") + s.table + " set [select]=true ");
    }
    transaction.commit();
}

void use_none(db::Connection& conn, SelectionList list) {
    conn.execute(" update " + selection_table(list) + " set [select]=false ");
}

void invert(db::Connection& conn, SelectionList list) {
    conn.execute(" update " + selection_table(list) + " set [select]=not [select] ");
}

void add_crops_by_oeko_code(db::Connection& conn, bool organic) {
    conn.execute(std::string(" update srbsel_crop set [select]=true where oeko_code in (0,") +
                 (organic ? "2" : "1") + ") ");
}

bool toggle(db::Connection& conn, SelectionList list, std::int64_t item_ix) {
    const std::string table = selection_table(list);
    db::Transaction transaction(conn);
    auto read = conn.prepare(" select [select] from " + table + " where ITEM_IX = ? ");
    read.bind(1, db::Value(item_ix));
    if (!read.step())
        throw db::Error("The list " + table + " has no entry " + std::to_string(item_ix) + ".");
    const bool selected = !read.column(0).as_bool();
    read.reset();
    auto write = conn.prepare(" update " + table + " set [select] = ? where ITEM_IX = ? ");
    write.execute({db::Value(selected), db::Value(item_ix)});
    transaction.commit();
    return selected;
}

} // namespace params
