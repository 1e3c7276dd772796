// Statements and FROM clauses of the Jet dialect.
#include "db/jet/parser.h"
#include "db/text.h"

#include <cctype>
#include <charconv>

namespace db::jet {
namespace {

// Jet joins at most 32 tables; far beyond that a join is an error, never a deep tree.
constexpr int max_joins = 256;

} // namespace

// SELECT ... [UNION [ALL] SELECT ...]; members may stand in parentheses.
SelectPtr Parser::select_statement() {
    DepthGuard guard(*this);
    auto select = std::make_shared<Select>();
    while (true) {
        if (accept_symbol("(")) {
            SelectPtr inner = select_statement();
            expect_symbol(")");
            for (const auto& m : inner->members) select->members.push_back(m);
            for (bool all : inner->union_all) select->union_all.push_back(all);
        } else {
            select->members.push_back(select_core());
        }
        if (!accept_word("union")) break;
        select->union_all.push_back(accept_word("all"));
    }
    return select;
}

SelectCore Parser::select_core() {
    SelectCore core;
    expect_word("select");
    if (accept_word("distinct"))
        core.distinct = true;
    else if (!accept_word("distinctrow")) // whole rows of one table are distinct already
        accept_word("all");
    if (peek().is_word("top") && peek(1).kind == TokenKind::integer) {
        advance();
        const Token& n = advance();
        std::int64_t top = 0;
        auto [end, ec] = std::from_chars(n.text.data(), n.text.data() + n.text.size(), top);
        if (ec != std::errc() || end != n.text.data() + n.text.size())
            fail_at("TOP needs a whole number", n.pos);
        core.top = top;
        core.top_percent = accept_word("percent");
    }
    core.items = select_items();
    if (accept_word("into")) {
        core.into = expect_name("a table name after INTO");
        if (accept_word("in")) {
            if (peek().kind != TokenKind::text) fail("expected a file name in quotes after IN");
            core.into_file = advance().text;
        }
    }
    select_tail(core);
    return core;
}

void Parser::select_tail(SelectCore& core) {
    if (accept_word("from")) core.from = from_list();
    if (accept_word("where")) core.where = expression();
    if (accept_word("group")) {
        expect_word("by");
        do {
            core.group_by.push_back(expression());
        } while (accept_symbol(","));
    }
    if (accept_word("having")) core.having = expression();
    if (accept_word("order")) {
        expect_word("by");
        do {
            OrderItem item{expression(), false};
            if (accept_word("desc"))
                item.descending = true;
            else
                accept_word("asc");
            core.order_by.push_back(item);
        } while (accept_symbol(","));
    }
}

std::vector<SelectItem> Parser::select_items() {
    std::vector<SelectItem> items;
    do {
        SelectItem item;
        if (peek().is_symbol("*")) { // every column
            auto star = std::make_shared<Expr>();
            star->kind = Expr::Kind::column;
            star->pos = advance().pos;
            star->text.assign(1, '*');
            item.expr = star;
        } else {
            item.expr = expression();
            item.alias = optional_alias();
        }
        items.push_back(std::move(item));
    } while (accept_symbol(","));
    return items;
}

std::vector<TableRefPtr> Parser::from_list() {
    std::vector<TableRefPtr> refs;
    do {
        refs.push_back(table_ref());
    } while (accept_symbol(","));
    return refs;
}

// A table, a subquery or a parenthesised join, followed by any number of joins.
TableRefPtr Parser::table_ref() {
    DepthGuard guard(*this);
    TableRefPtr left = table_primary();
    for (int joins = 0;; ++joins) {
        if (joins > max_joins) fail("too many joins in one FROM clause");
        TableRef::Join kind;
        if (accept_word("inner")) {
            kind = TableRef::Join::inner;
        } else if (accept_word("left")) {
            kind = TableRef::Join::left;
            accept_word("outer");
        } else if (accept_word("right")) {
            kind = TableRef::Join::right;
            accept_word("outer");
        } else if (peek().is_word("join")) {
            fail("expected INNER, LEFT or RIGHT before JOIN");
        } else {
            return left;
        }
        expect_word("join");
        auto join = std::make_shared<TableRef>();
        join->kind = TableRef::Kind::join;
        join->join = kind;
        join->left = left;
        join->right = table_primary();
        expect_word("on");
        join->on = expression();
        left = join;
    }
}

TableRefPtr Parser::table_primary() {
    auto ref = std::make_shared<TableRef>();
    if (accept_symbol("(")) {
        if (peek().is_word("select")) {
            ref->kind = TableRef::Kind::subquery;
            ref->select = select_statement();
            expect_symbol(")");
            ref->alias = optional_alias();
            return ref;
        }
        TableRefPtr inner = table_ref();
        expect_symbol(")");
        return inner;
    }
    ref->name = expect_name("a table name");
    if (accept_word("in")) {
        if (peek().kind != TokenKind::text) fail("expected a file name in quotes after IN");
        ref->in_file = advance().text;
    }
    ref->alias = optional_alias();
    return ref;
}

InsertStmt Parser::insert_statement() {
    InsertStmt s;
    expect_word("insert");
    expect_word("into");
    s.table = expect_name("a table name after INSERT INTO");
    if (accept_word("in")) {
        if (peek().kind != TokenKind::text) fail("expected a file name in quotes after IN");
        s.in_file = advance().text;
    }
    if (peek().is_symbol("(") && !peek(1).is_word("select")) {
        advance();
        s.columns = name_list();
    }
    if (accept_word("values")) {
        do {
            expect_symbol("(");
            s.rows.push_back(argument_list());
        } while (accept_symbol(","));
    } else if (peek().is_word("select") || peek().is_symbol("(")) {
        s.select = select_statement();
    } else {
        fail("expected SELECT or VALUES");
    }
    return s;
}

UpdateStmt Parser::update_statement() {
    UpdateStmt s;
    expect_word("update");
    s.from = from_list();
    expect_word("set");
    do {
        const std::size_t pos = peek().pos;
        ExprPtr target = primary();
        if (target->kind != Expr::Kind::column || target->text == "*")
            fail_at("expected a column to set", pos);
        expect_symbol("=");
        s.set.push_back({target, expression()});
    } while (accept_symbol(","));
    if (accept_word("where")) s.where = expression();
    return s;
}

DeleteStmt Parser::delete_statement() {
    DeleteStmt s;
    expect_word("delete");
    if (!accept_symbol("*") && !peek().is_word("from")) {
        do {
            const std::size_t pos = peek().pos;
            ExprPtr target = primary();
            if (target->kind != Expr::Kind::column) fail_at("expected table.* or a column", pos);
            s.targets.push_back(target);
        } while (accept_symbol(","));
    }
    expect_word("from");
    s.from = from_list();
    if (accept_word("where")) s.where = expression();
    return s;
}

Statement Parser::create_statement() {
    expect_word("create");
    if (accept_word("table")) return create_table();
    const bool unique = accept_word("unique");
    if (accept_word("index")) return create_index(unique);
    fail("expected TABLE or INDEX after CREATE");
}

CreateTableStmt Parser::create_table() {
    CreateTableStmt s;
    s.table = expect_name("a table name");
    expect_symbol("(");
    do {
        if (accept_word("constraint")) expect_name("a constraint name");
        if (accept_word("primary")) {
            expect_word("key");
            expect_symbol("(");
            s.constraints.push_back({TableConstraint::Kind::primary_key, name_list()});
        } else if (accept_word("unique")) {
            expect_symbol("(");
            s.constraints.push_back({TableConstraint::Kind::unique, name_list()});
        } else {
            s.columns.push_back(column_definition());
        }
    } while (accept_symbol(","));
    expect_symbol(")");
    return s;
}

// name type [(n[, m])] [NOT NULL] [PRIMARY KEY] [UNIQUE] [CONSTRAINT c PRIMARY KEY]
ColumnDef Parser::column_definition() {
    ColumnDef c;
    c.name = expect_name("a column name");
    if (peek().kind != TokenKind::word) fail("expected the type of column " + c.name);
    c.type = lower(advance().text);
    if (accept_symbol("(")) {
        do {
            if (peek().kind != TokenKind::integer) fail("expected a size");
            advance();
        } while (accept_symbol(","));
        expect_symbol(")");
    }
    while (true) {
        if (accept_word("not")) {
            expect_word("null");
            c.not_null = true;
        } else if (accept_word("null")) {
        } else if (accept_word("constraint")) {
            expect_name("a constraint name");
        } else if (accept_word("primary")) {
            expect_word("key");
            c.primary_key = true;
        } else if (accept_word("unique")) {
            c.unique = true;
        } else {
            return c;
        }
    }
}

CreateIndexStmt Parser::create_index(bool unique) {
    CreateIndexStmt s;
    s.unique = unique;
    s.name = expect_name("an index name");
    expect_word("on");
    s.table = expect_name("a table name");
    expect_symbol("(");
    do {
        OrderItem item;
        const std::size_t pos = peek().pos;
        auto col = std::make_shared<Expr>();
        col->kind = Expr::Kind::column;
        col->text = expect_name("a column name");
        col->pos = pos;
        item.expr = col;
        if (accept_word("desc"))
            item.descending = true;
        else
            accept_word("asc");
        s.columns.push_back(item);
    } while (accept_symbol(","));
    expect_symbol(")");
    if (accept_word("with")) { // WITH PRIMARY / DISALLOW NULL / IGNORE NULL
        while (peek().kind == TokenKind::word) advance();
    }
    return s;
}

AlterTableStmt Parser::alter_statement() {
    AlterTableStmt s;
    expect_word("alter");
    expect_word("table");
    s.table = expect_name("a table name");
    if (accept_word("add")) {
        accept_word("column");
        s.action = AlterTableStmt::Action::add;
        s.column = column_definition();
    } else if (accept_word("drop")) {
        accept_word("column");
        s.action = AlterTableStmt::Action::drop;
        s.column.name = expect_name("a column name");
    } else {
        fail("expected ADD or DROP");
    }
    return s;
}

DropStmt Parser::drop_statement() {
    DropStmt s;
    expect_word("drop");
    if (accept_word("table")) {
        s.what = DropStmt::What::table;
        s.name = expect_name("a table name");
    } else if (accept_word("index")) {
        s.what = DropStmt::What::index;
        s.name = expect_name("an index name");
        expect_word("on");
        s.table = expect_name("a table name");
    } else {
        fail("expected TABLE or INDEX after DROP");
    }
    return s;
}

// name, name, ... ) — the opening parenthesis is already read.
std::vector<std::string> Parser::name_list() {
    std::vector<std::string> names;
    do {
        names.push_back(expect_name("a column name"));
    } while (accept_symbol(","));
    expect_symbol(")");
    return names;
}

} // namespace db::jet
