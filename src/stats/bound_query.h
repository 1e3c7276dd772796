// bound_query.h --- the rows of a query whose "?" parameters are bound, as a data set.
#pragma once

#include "db/dataset.h"
#include "db/value.h"

#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace stats {

// Runs a Jet query with its "?" parameters bound in order and holds its rows (read only).
// Throws db::Error with the statement when it fails.
db::Dataset open_bound(db::Connection& conn, const std::string& jet_text,
                       const std::vector<db::Value>& params);

} // namespace stats
