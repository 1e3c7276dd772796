// result_page_statements.h --- the queries behind the result pages of a plot besides the
// comparisons: the yearly state, the SOM reproduction assessment and the N balance.
#pragma once

#include <cstdint>
#include <string>

namespace stats {

// misc.results: the yearly state of the plot (N mineralisation, FOM and SOM pools, C/N
// ratio, reproduction flux, BAT, bulk density, wilting point).
std::string misc_results_statement(std::int64_t plot);

// SOM reproduction with method TSM: the mean reproduction flux rep_flx (kg C/ha/a) and the
// mean reproduction index rep_ix (flux per BAT day) over the plot's years.
std::string reproduction_assessment_statement(std::int64_t plot);
// The yearly reproduction index (yr, BAT, rep_ix) for the chart.
std::string reproduction_chart_statement(std::int64_t plot);
// The yearly reproduction balance with its average row (yr, BAT, rep_ix, SOM_BAL, SOM_REP).
std::string reproduction_balance_statement(std::int64_t plot);
// The reproduction report rows of the modes "ORV" and "KORVEX", with the average row.
std::string reproduction_report_statement(std::int64_t plot);
// The humus balance per year with its average, for the balance methods (LUFA, STAND,
// SALCA, HUBA..., HUMOD).
std::string humus_balance_statement(std::int64_t plot);

// True for the humus balance methods, whose results are a yearly balance (LUFA, STAND,
// SALCA, HUMOD and the HUBA variants).
bool is_balance_method(const std::string& methode);

// What the SOM reproduction page of a plot shows after a run of a method in a mode.
struct ReproductionQueries {
    // The TSM assessment: the mean flux and index, their texts and the yearly index chart.
    bool tsm_assessment = false;
    // The statement of the page's grid; empty when the grid stays empty.
    std::string grid;
};
// The balance methods show their yearly balance. TSM shows its assessment and, in the modes
// "ORV" and "KORVEX", the reproduction report; otherwise the yearly reproduction balance,
// which the German screens leave out.
ReproductionQueries reproduction_queries(const std::string& methode, const std::string& modus,
                                         const std::string& language, std::int64_t plot);

// N-balance: the plot's yearly N balance of the last balance run for that plot.
std::string n_balance_statement(std::int64_t plot);

} // namespace stats
