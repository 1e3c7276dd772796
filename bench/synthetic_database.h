// synthetic_database.h --- large experiment databases for measuring speed.
#pragma once

#include <filesystem>

namespace bench {

// An experiment database from the template with `plots` plots over `years` years:
// 30 climate stations with annual weather, a few soils, about four management rows
// per plot and year (harvest, mineral N, tillage, an amendment every third year),
// initial Corg and Nt and later measurements every five years. Fixed seed.
void make_synthetic_database(const std::filesystem::path& file, int plots, int years);

} // namespace bench
