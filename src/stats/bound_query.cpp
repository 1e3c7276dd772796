// bound_query.cpp --- a bound query's rows as a data set.
#include "stats/bound_query.h"

#include "db/connection.h"

namespace stats {

db::Dataset open_bound(db::Connection& conn, const std::string& jet_text,
                       const std::vector<db::Value>& params) {
    db::Statement st = conn.prepare(jet_text);
    for (std::size_t i = 0; i < params.size(); ++i) st.bind(static_cast<int>(i + 1), params[i]);
    std::vector<std::string> fields;
    for (int i = 0; i < st.column_count(); ++i) fields.push_back(st.column_name(i));
    std::vector<db::Dataset::Row> rows;
    while (st.step()) {
        db::Dataset::Row row;
        for (int i = 0; i < st.column_count(); ++i) row.push_back(st.column(i));
        rows.push_back(std::move(row));
    }
    return db::Dataset(nullptr, std::move(fields), std::move(rows));
}

} // namespace stats
