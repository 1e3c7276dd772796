// emitter.h --- writes the syntax tree of a Jet statement as SQLite statements.
#pragma once

#include "db/jet/ast.h"
#include "db/jet/translation.h"
#include "db/text.h"

#include <map>
#include <string>
#include <vector>

namespace db::jet {

class Emitter {
public:
    Emitter(const std::string& jet_text, ColumnLookup columns)
        : text_(jet_text), columns_(std::move(columns)) {}

    Translation statement(const Statement& s);

    // Expressions (emit_expressions.cpp).
    enum class Context { value, condition };
    std::string expr(const ExprPtr& e, Context ctx = Context::value);

private:
    std::string call(const Expr& e);
    std::string binary(const Expr& e);
    std::string comparison(const Expr& e);
    std::string column(const Expr& e);
    std::string literal(const Expr& e);
    std::string collated(const ExprPtr& e);
    std::string condition(const ExprPtr& e) { return expr(e, Context::condition); }
    bool is_numeric(const ExprPtr& e) const;

    // SELECT (emit_select.cpp).
    std::string select(const Select& s);
    std::string select_core(const SelectCore& c, bool with_order);
    std::string select_items(const SelectCore& c);
    std::string from_clause(const std::vector<TableRefPtr>& from);
    std::string table_ref(const TableRef& t);
    std::string table_name(const std::string& name, const std::string& in_file);
    std::string grouping_term(const ExprPtr& e);
    std::string order_by(const std::vector<OrderItem>& items, bool compound);
    bool any_table_has(const std::vector<TableRefPtr>& from, const std::string& column) const;
    void editable_query(const SelectCore& c, Translation& t);
    std::vector<std::string> constants(const SelectCore& c);

    // Other statements (emit_statements.cpp).
    Translation insert(const InsertStmt& s);
    Translation update(const UpdateStmt& s);
    Translation remove(const DeleteStmt& s);
    Translation create_table(const CreateTableStmt& s);
    Translation alter_table(const AlterTableStmt& s);
    Translation create_index(const CreateIndexStmt& s);
    Translation drop(const DropStmt& s);
    std::string resolve_table(const std::vector<TableRefPtr>& from, const Expr& column,
                              std::string* exposed);
    std::string where_clause(const ExprPtr& where);
    // UPDATE over inner joins as a plain UPDATE ... FROM (direct_update.cpp).
    void direct_update(const UpdateStmt& s, const std::string& target_exposed, Translation& t);
    int owner(const std::vector<const TableRef*>& tables, const Expr& column) const;

    [[noreturn]] void fail(const std::string& what, std::size_t pos) const;

    const std::string& text_;
    ColumnLookup columns_;
    std::vector<std::string> attach_;                 // files attached for IN "file"
    std::map<std::string, ExprPtr> aliases_;          // earlier aliases of the select list
    const std::vector<TableRefPtr>* scope_ = nullptr; // FROM of the select being written
    std::string rowid_of_; // table whose rowid the outermost select list carries
};

// All tables of a FROM clause, with the names columns refer to them by.
struct ScopeTable {
    std::string name, exposed;
    bool is_subquery = false;
};
void collect_tables(const TableRef& t, std::vector<ScopeTable>& out);

} // namespace db::jet
