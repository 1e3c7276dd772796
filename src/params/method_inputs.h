// method_inputs.h --- the per-plot input tables of the humus balance methods: the N
// utilisation factors of HU-MOD (humod_nur), the site attributes and site groups of STAND
// (vb_st_gr, st_gruppe) and the pH values of SALCA (salca_ph_value).
#pragma once

#include "db/connection.h"

#include <string>
#include <vector>

namespace params {

// What a build tells the user: one line per step with its row count, and one line per plot
// left out, naming the plot and the missing input.
using MethodMessages = std::vector<std::string>;

// humod_nur from the plots' soil (clay) and the mean temperature and precipitation of their
// weather series; NURC_1 = (100 - MW_NIED/(clay+15))/100, NURC_2 = NURC_3 with clay+10,
// NURC_4 = NURS with clay+20. Plots whose clay is missing (-99) are left out. One
// transaction; returns the rows built.
int build_humod_nur(db::Connection& conn, MethodMessages& messages);

// vb_st_gr: per plot the rounded mean precipitation nied, the mean temperature ltem (one
// decimal, cut), the initial organic carbon corg (M_IX 7, year_number 0), its C/N ratio CNR
// (10 without an initial total nitrogen above 0), BA_RBS, clay, silt and FAT (completed from
// clay and silt, as the run does, when it is missing). Plots missing one of them are left
// out. One transaction; returns the rows built.
int prepare_stand(db::Connection& conn, MethodMessages& messages);

// bodengruppen_2 and st_gruppe: every combination of site attributes of vb_st_gr gets the
// site group of the first rule it matches; combinations no rule matches are reported with
// their plots and not stored. One transaction; returns the rows of st_gruppe.
int categorise_stand(db::Connection& conn, MethodMessages& messages);

// salca_ph_value: created with pH 6.5 for every plot when missing; when it exists, only
// plots without a row are added, so the pH values the user entered stay. Returns the rows
// added.
int prepare_salca_ph(db::Connection& conn, MethodMessages& messages);

// All four, in this order: the console's preparation of a database for STAND, SALCA and
// HUMOD.
void prepare_method_inputs(db::Connection& conn, MethodMessages& messages);

} // namespace params
