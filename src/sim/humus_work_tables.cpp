// humus_work_tables.cpp --- shared steps of the humus balance method chains.
#include "sim/humus_work_tables.h"

#include "db/connection.h"
#include "sim/run_driver.h"

namespace sim::humus {

int rebuild(RunContext& ctx, const std::string& table, const std::string& select_into,
            const std::string& list_text) {
    db::drop_work_table(ctx.conn, table);
    return counted(ctx, select_into, list_text);
}

int counted(RunContext& ctx, const std::string& statement, const std::string& list_text) {
    const int rows = ctx.conn.execute(statement);
    ctx.count(list_text, rows);
    return rows;
}

std::vector<int> plot_numbers(db::Connection& conn, const std::string& query) {
    std::vector<int> plots;
    db::Dataset d = conn.open(query);
    for (d.first(); !d.eof(); d.next()) plots.push_back(static_cast<int>(d.field(0).as_int()));
    return plots;
}

void report_left_out(RunContext& ctx, const std::vector<int>& plots, const std::string& method,
                     const std::string& reason) {
    for (int plot : plots)
        ctx.message(method + ": " + reason + " for FL_ID " + std::to_string(plot) +
                    "; plot left out");
}

std::vector<int> plots_missing_in(db::Connection& conn, const std::string& table,
                                  const std::string& column) {
    return plot_numbers(conn, "SELECT DISTINCT tmp_soil_prop.FL_ID FROM tmp_soil_prop LEFT JOIN " +
                                  table + " ON tmp_soil_prop.FL_ID = " + table + "." + column +
                                  " WHERE " + table + "." + column +
                                  " Is Null ORDER BY tmp_soil_prop.FL_ID");
}

} // namespace sim::humus
