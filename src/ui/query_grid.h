// query_grid.h --- a read-only grid showing the rows of a query.
#pragma once

#include "db/connection.h"

#include <string>

class QTableWidget;

namespace ui {

// Fills the grid with the columns and rows of the query (one statement in the dialect);
// NULL shows as an empty cell. Throws db::Error as the query does.
void show_query(QTableWidget& grid, db::Connection& conn, const std::string& query);

} // namespace ui
