#include "sim/run_rows.h"

#include "db/text.h"

#include <array>

namespace sim {
namespace {

// The columns read, in the order of `index_`.
constexpr std::array<const char*, 28> columns = {
    "FL_ID",  "i_con",    "year_0",   "corg",    "norg", "BD",      "skelett",
    "cif",    "hsnk_lts", "hsnk_soc", "fchw",    "fbio", "clay",    "silt",
    "fat",    "PD",       "FC",       "PWP",     "BAT",  "TillBAT", "Crep",
    "notill", "comment",  "hb_crop",  "hb_ORAM", "hbil", "delta_c", "son_dec"};

enum Col {
    c_fl_id,
    c_i_con,
    c_year_0,
    c_corg,
    c_norg,
    c_bd,
    c_skelett,
    c_cif,
    c_hsnk_lts,
    c_hsnk_soc,
    c_fchw,
    c_fbio,
    c_clay,
    c_silt,
    c_fat,
    c_pd,
    c_fc,
    c_pwp,
    c_bat,
    c_till_bat,
    c_crep,
    c_notill,
    c_comment,
    c_hb_crop,
    c_hb_oram,
    c_hbil,
    c_delta_c,
    c_son_dec
};

constexpr double no_measurement = -99.99;

} // namespace

RunRows::RunRows(db::Connection& conn, const std::string& statement)
    : stmt_(conn.prepare(statement)) {
    index_.assign(columns.size(), -1);
    for (std::size_t c = 0; c < columns.size(); ++c) index_[c] = stmt_.column_index(columns[c]);
    if (stmt_.step()) pending_ = read_row();
}

double RunRows::number(int field, double if_null) const {
    const int i = index_[static_cast<std::size_t>(field)];
    return i < 0 ? if_null : stmt_.column_number(i, if_null);
}

RunRow RunRows::read_row() const {
    RunRow r;
    r.fl_id = static_cast<int>(number(c_fl_id));
    r.year_0 = static_cast<int>(number(c_year_0));
    if (index_[c_i_con] >= 0) r.i_con = db::trim(stmt_.column(index_[c_i_con]).as_text());
    if (index_[c_comment] >= 0) r.comment = stmt_.column(index_[c_comment]).as_text();
    r.corg = number(c_corg, no_measurement);
    r.norg = number(c_norg, no_measurement);
    r.bd = number(c_bd);
    r.skelett = number(c_skelett);
    r.cif = number(c_cif);
    r.hsnk_lts = number(c_hsnk_lts);
    r.hsnk_soc = number(c_hsnk_soc);
    r.fchw = number(c_fchw);
    r.fbio = number(c_fbio);
    r.clay = number(c_clay);
    r.silt = number(c_silt);
    r.fat = number(c_fat);
    r.pd = number(c_pd);
    r.fc = number(c_fc);
    r.pwp = number(c_pwp);
    r.bat = number(c_bat);
    r.till_bat = number(c_till_bat);
    r.crep = number(c_crep);
    r.notill = static_cast<int>(number(c_notill));
    r.hb_crop = number(c_hb_crop);
    r.hb_oram = number(c_hb_oram);
    r.hbil = number(c_hbil);
    r.delta_c = number(c_delta_c);
    r.son_dec = number(c_son_dec);
    return r;
}

std::optional<std::vector<RunRow>> RunRows::next_plot() {
    if (!pending_) return std::nullopt;
    std::vector<RunRow> rows{std::move(*pending_)};
    pending_.reset();
    while (stmt_.step()) {
        RunRow r = read_row();
        if (r.fl_id != rows.front().fl_id) {
            pending_ = std::move(r);
            break;
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

int count_rows(db::Connection& conn, const std::string& statement) {
    auto count =
        conn.prepare_native("select count(*) from (" + conn.translate(statement).at(0) + ")");
    count.step();
    return static_cast<int>(count.column(0).as_int());
}

} // namespace sim
