// ast.h --- the syntax tree of a Jet SQL statement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace db::jet {

struct Select;
struct Expr;
struct TableRef;
using ExprPtr = std::shared_ptr<const Expr>;
using SelectPtr = std::shared_ptr<const Select>;
using TableRefPtr = std::shared_ptr<const TableRef>;

struct Expr {
    enum class Kind {
        null,      // Null
        integer,   // text holds the digits
        real,      // text holds the number as written
        text,      // text holds the value
        boolean,   // True/Yes (-1), False/No (0); ival holds the value
        column,    // qualifier.text; text "*" for t.* and *
        parameter, // ?
        unary,     // text: "-", "+", "not"; args[0]
        binary,    // text: operator in lower case; args[0], args[1]
        is_null,   // args[0] Is [Not] Null
        in_list,   // args[0] [Not] In (args[1..])
        in_select, // args[0] [Not] In (subquery)
        between,   // args[0] [Not] Between args[1] And args[2]
        call,      // text: function name as written; args; star for Count(*)
        subquery,  // (SELECT ...) as a value
        exists,    // Exists (SELECT ...)
    };
    Kind kind = Kind::null;
    std::string text;
    std::string qualifier;
    std::int64_t ival = 0;
    bool negated = false;
    bool star = false;
    bool distinct = false; // Count(Distinct x)
    std::vector<ExprPtr> args;
    SelectPtr subquery;
    std::size_t pos = 0;
    int depth = 1; // of the tree below this node, bounded so that no walk overflows the stack
};

// The deepest expression tree a statement may hold (SQLite's own limit is 1000).
inline constexpr int max_expression_depth = 500;

// Thrown while building a tree deeper than max_expression_depth; the parser turns it
// into a syntax error at the node's position.
struct ExpressionTooDeep {
    std::size_t pos;
};

// Sets the operands of a node and its depth.
void set_args(Expr& e, std::vector<ExprPtr> args);

struct SelectItem {
    ExprPtr expr;
    std::string alias; // empty when none
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

struct TableRef {
    enum class Kind { table, join, subquery } kind = Kind::table;
    std::string name;    // table name
    std::string alias;   // empty when none
    std::string in_file; // FROM t IN "file"
    enum class Join { inner, left, right } join = Join::inner;
    TableRefPtr left, right;
    ExprPtr on;
    SelectPtr select; // for subquery
    // The name by which columns refer to this table.
    const std::string& exposed_name() const { return alias.empty() ? name : alias; }
};

// One SELECT of a UNION (or the only one).
struct SelectCore {
    bool distinct = false;
    std::optional<std::int64_t> top;
    bool top_percent = false;
    std::vector<SelectItem> items;
    std::string into, into_file;   // SELECT ... INTO t [IN "file"]
    std::vector<TableRefPtr> from; // comma-separated
    ExprPtr where;
    std::vector<ExprPtr> group_by;
    ExprPtr having;
    std::vector<OrderItem> order_by;
};

struct Select {
    std::vector<SelectCore> members;
    std::vector<bool> union_all; // between member i and i+1
};

struct InsertStmt {
    std::string table, in_file;
    std::vector<std::string> columns;
    SelectPtr select;                       // INSERT ... SELECT
    std::vector<std::vector<ExprPtr>> rows; // INSERT ... VALUES
};

struct Assignment {
    ExprPtr column; // a column reference
    ExprPtr value;
};

struct UpdateStmt {
    std::vector<TableRefPtr> from; // the table or the join
    std::vector<Assignment> set;
    ExprPtr where;
};

struct DeleteStmt {
    std::vector<ExprPtr> targets; // t.*, b.col; empty for DELETE [*] FROM t
    std::vector<TableRefPtr> from;
    ExprPtr where;
};

struct ColumnDef {
    std::string name;
    std::string type; // the Jet type in lower case: int, double, char, counter ...
    bool not_null = false, primary_key = false, unique = false;
};

struct TableConstraint {
    enum class Kind { primary_key, unique } kind = Kind::primary_key;
    std::vector<std::string> columns;
};

struct CreateTableStmt {
    std::string table;
    std::vector<ColumnDef> columns;
    std::vector<TableConstraint> constraints;
};

struct AlterTableStmt {
    std::string table;
    enum class Action { add, drop } action = Action::add;
    ColumnDef column;
};

struct CreateIndexStmt {
    bool unique = false;
    std::string name, table;
    std::vector<OrderItem> columns;
};

struct DropStmt {
    enum class What { table, index } what = What::table;
    std::string name, table; // table: for DROP INDEX i ON t
};

using Statement = std::variant<SelectPtr, InsertStmt, UpdateStmt, DeleteStmt, CreateTableStmt,
                               AlterTableStmt, CreateIndexStmt, DropStmt>;

// Parses one statement. Throws db::SyntaxError with the position of the first token
// that does not fit.
Statement parse(const std::string& statement);

} // namespace db::jet
