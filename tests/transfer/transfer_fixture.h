// transfer_fixture.h --- the demo database as the source and an empty experiment
// database as the destination, on temporary files.
#pragma once

#include "db/connection.h"
#include "db/new_database.h"
#include "test_support.h"
#include "transfer/attached_source.h"
#include "transfer/plot_transfer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace test {

// The static fertilisation trial of the demo (experiment 1, plots 101-105).
inline const std::vector<std::int64_t> static_trial = {101, 102, 103, 104, 105};

class TransferTest : public ::testing::Test {
protected:
    TempDir dir;
    db::Connection source = db::create_experiment_database(dir / "demo.db", true);
    db::Connection dest = db::create_experiment_database(dir / "new.db", false);

    transfer::TransferReport move(const std::vector<std::int64_t>& plots,
                                  const transfer::TransferOptions& options = {}) {
        return transfer::transfer_plots(dest, source.path(), plots, options);
    }

    // True when a query gives the same rows, as stored, in the source and the destination
    // (the query names its tables without schema; "$" stands for the schema).
    bool same_in_both(const std::string& query) {
        transfer::AttachedSource attached(dest, source.path());
        auto in = [&](const std::string& schema) {
            std::string q = query;
            for (auto at = q.find('$'); at != std::string::npos; at = q.find('$'))
                q.replace(at, 1, schema + ".");
            return q;
        };
        const std::string a = in("main"), b = in("src");
        const std::string check = "SELECT (SELECT count(*) FROM (" + a +
                                  ")) = (SELECT count(*) FROM (" + b + ")) AND NOT EXISTS (" + a +
                                  " EXCEPT " + b + ") AND NOT EXISTS (" + b + " EXCEPT " + a + ")";
        db::Statement q = dest.prepare_native(check);
        return q.step() && q.column(0).as_bool();
    }

    std::string count(db::Connection& c, const std::string& table,
                      const std::string& where = "1=1") {
        return rows(c, "select count(*) from " + table + " where " + where);
    }
};

} // namespace test
