// What the SOM reproduction page shows for each method, mode and language of a run.
#include "stats/result_page_statements.h"

#include <gtest/gtest.h>
#include <string>

namespace {

enum class Grid { none, humus_balance, reproduction_report, reproduction_balance };

std::string statement_of(Grid g, std::int64_t plot) {
    switch (g) {
    case Grid::none:
        return "";
    case Grid::humus_balance:
        return stats::humus_balance_statement(plot);
    case Grid::reproduction_report:
        return stats::reproduction_report_statement(plot);
    case Grid::reproduction_balance:
        return stats::reproduction_balance_statement(plot);
    }
    return "";
}

TEST(ReproductionQueries, FollowTheMethodTheModeAndTheLanguage) {
    struct Case {
        const char* methode;
        const char* modus;
        const char* language;
        bool tsm_assessment;
        Grid grid;
    };
    const Case cases[] = {
        {"TSM", "", "E", true, Grid::reproduction_balance},
        {"TSM", "", "D", true, Grid::none},
        {"TSM", "ORV", "D", true, Grid::reproduction_report},
        {"TSM", "KORVEX", "E", true, Grid::reproduction_report},
        {"LUFA", "", "E", false, Grid::humus_balance},
        {"STAND", "ORV", "D", false, Grid::humus_balance},
        {"SALCA", "", "E", false, Grid::humus_balance},
        {"HUMOD", "", "E", false, Grid::humus_balance},
        {"HUBA", "", "E", false, Grid::humus_balance},
        {"HUBA_ALT", "", "D", false, Grid::humus_balance},
        {"NULL", "", "E", false, Grid::none},
        {"", "", "E", false, Grid::none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.methode) + "/" + c.modus + "/" + c.language);
        const stats::ReproductionQueries q =
            stats::reproduction_queries(c.methode, c.modus, c.language, 101);
        EXPECT_EQ(q.tsm_assessment, c.tsm_assessment);
        EXPECT_EQ(q.grid, statement_of(c.grid, 101));
    }
}

} // namespace
