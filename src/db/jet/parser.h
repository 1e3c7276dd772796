// parser.h --- recursive-descent parser of the Jet SQL dialect into the syntax tree.
#pragma once

#include "db/jet/ast.h"
#include "db/jet/token.h"

#include <string>
#include <vector>

namespace db::jet {

class Parser {
public:
    explicit Parser(const std::string& statement);

    Statement statement();

private:
    Statement statement_body();
    // Statements (parser_statements.cpp).
    SelectPtr select_statement();
    SelectCore select_core();
    void select_tail(SelectCore& core);
    std::vector<SelectItem> select_items();
    InsertStmt insert_statement();
    UpdateStmt update_statement();
    DeleteStmt delete_statement();
    Statement create_statement();
    CreateTableStmt create_table();
    CreateIndexStmt create_index(bool unique);
    AlterTableStmt alter_statement();
    DropStmt drop_statement();
    ColumnDef column_definition();
    std::vector<std::string> name_list();

    // FROM clauses (parser_statements.cpp).
    std::vector<TableRefPtr> from_list();
    TableRefPtr table_ref();
    TableRefPtr table_primary();

    // Expressions (parser_expressions.cpp), lowest precedence first.
    ExprPtr expression();
    ExprPtr binary_level(int level);
    ExprPtr not_level();
    ExprPtr comparison();
    ExprPtr concatenation();
    ExprPtr arithmetic(int level);
    ExprPtr unary();
    ExprPtr power();
    ExprPtr primary();
    ExprPtr name_or_call();
    ExprPtr parenthesised();
    std::vector<ExprPtr> argument_list();

    // Token helpers.
    const Token& peek(std::size_t ahead = 0) const;
    const Token& advance();
    bool accept_word(const char* keyword);
    bool accept_symbol(const char* symbol);
    void expect_word(const char* keyword);
    void expect_symbol(const char* symbol);
    std::string expect_name(const char* what);
    bool at_name() const;
    bool at_alias() const;
    std::string optional_alias();
    [[noreturn]] void fail(const std::string& what) const;
    [[noreturn]] void fail_at(const std::string& what, std::size_t pos) const;

    struct DepthGuard {
        explicit DepthGuard(Parser& p);
        ~DepthGuard() { --p_.depth_; }
        Parser& p_;
    };

    const std::string& text_;
    std::vector<Token> tokens_;
    std::size_t i_ = 0;
    int depth_ = 0;
};

// True for the words that end an expression or a list and so cannot be an alias.
bool is_reserved_word(const std::string& word);

} // namespace db::jet
