// soil_properties.cpp --- the soil work table of a run, completed by pedotransfer functions.
#include "sim/soil_properties.h"

#include "app/dialogs.h"
#include "db/connection.h"
#include "db/text.h"
#include "model/pedotransfer.h"
#include "model/soil_classes.h"
#include "sim/run_observer.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

namespace {

constexpr double unknown = -99;

// The properties of the soil record, in the order of their columns' names below.
enum Prop { clay, silt, sand, fat, bd, pd, pv, fc, pwp, cif, prop_count };
constexpr std::array<const char*, prop_count> prop_names{"clay", "silt", "sand", "FAT", "BD",
                                                         "PD",   "PV",   "FC",   "PWP", "cif"};

// One property of the soil record: a value and whether it was given (measured and above 0).
struct SoilValue {
    double value = unknown;
    bool given = false;
};

// The soil of one row while it is completed.
struct SoilRecord {
    std::array<SoilValue, prop_count> p;
    double hsnk_soc = unknown;
    double hsnk_lts = unknown;

    double& operator[](Prop i) { return p[i].value; }
    double operator[](Prop i) const { return p[i].value; }
    bool missing(Prop i) const { return p[i].value < 0; }
};

// Pore size parameters of the carbon share; the medium-pore one depends on the soil.
struct PoreSizes {
    double mi = 0;
    double ma = 0;
    double medium = 0;
};

// One row of tmp_soil_prop as read: its rowid and its values by lower-case column name.
struct SoilRow {
    std::int64_t rowid = 0;
    std::map<std::string, db::Value> values;

    const db::Value& operator[](const std::string& name) const {
        static const db::Value null;
        const auto it = values.find(db::lower(name));
        return it == values.end() ? null : it->second;
    }
};

[[noreturn]] void stop(app::Dialogs& dialogs, const std::string& title, const std::string& text) {
    dialogs.show_message(title, text);
    throw SoilStop(title, text);
}

bool no_initial_carbon(const SoilSettings& s) {
    return s.app_mode == "ORV" && s.chosen_i_con == "null";
}

std::string soil_statement(db::Connection& c, const SoilSettings& s) {
    const bool all_plots = no_initial_carbon(s);
    std::string q = all_plots ? "SELECT  site_state.FL_ID, 0 as [year], 1 AS corg, "
                                "soilproperties.soil_ID, "
                              : "SELECT  site_state.FL_ID, measurements.year, "
                                "measurements.meas_value AS corg, soilproperties.soil_ID, ";
    q += "soilproperties.profile,   soilproperties.BA_RBS,   ";
    q += "soilproperties.BA_KA4,";
    q += " soilproperties.clay, soilproperties.silt, soilproperties.silt_org, "
         "soilproperties.sand, ";
    q += "soilproperties.sand_org, soilproperties.FAT, soilproperties.FAT_org, "
         "soilproperties.PWP, soilproperties.PWP_org, ";
    q += "soilproperties.PV, soilproperties.PV_org, soilproperties.FC, soilproperties.FC_org, ";
    q += "soilproperties.PD, soilproperties.PD_org, soilproperties.BD, soilproperties.BD_org, ";
    q += c.has_column("soilproperties", "skelett") ? " soilproperties.skelett/100 as skelett, "
                                                   : " 0 as skelett, ";
    q += "soilproperties.cif, soilproperties.cif_org, 0 as soil_cat, soilproperties.fchw, "
         "soilproperties.fbio, -99.99999 as hsnk_soc, -99.99999 as hsnk_lts INTO tmp_soil_prop  ";
    q += "FROM ((site_state INNER JOIN field_description ON site_state.FL_ID = "
         "field_description.FL_ID)  ";
    q += "INNER JOIN soilproperties ON field_description.soil_ID = soilproperties.soil_ID) ";
    if (all_plots) return q + " WHERE  site_state.status=1 ";
    q += "INNER JOIN measurements ON (site_state.FL_ID = measurements.FL_ID) AND "
         "(field_description.FL_ID = measurements.FL_ID) ";
    q += "WHERE (((measurements.M_IX)=7) AND ((measurements.year_number)=0) AND "
         "((site_state.status)=1)) ";
    return q;
}

std::vector<SoilRow> read_rows(db::Connection& c) {
    auto st = c.prepare_native("SELECT rowid, * FROM tmp_soil_prop ORDER BY rowid");
    std::vector<SoilRow> rows;
    while (st.step()) {
        SoilRow row{st.column(0).as_int(), {}};
        for (int i = 1; i < st.column_count(); ++i)
            row.values.emplace(db::lower(st.column_name(i)), st.column(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

// A value of the row counts only when it is filled in and marked as measured.
double measured(const SoilRow& row, const std::string& name) {
    const db::Value& v = row[name];
    if (v.is_null() || (v.is_text() && db::trim(v.as_text()).empty())) return unknown;
    if (!row[name + "_org"].as_bool()) return unknown;
    return v.as_double();
}

// Silt of the soil's texture class by the run's classification scheme.
double class_silt(const SoilRow& row, double clay_, double silt_, const SoilSettings& s,
                  app::Dialogs& dialogs) {
    const std::string scheme = db::trim(s.soil_scheme);
    if (scheme == "RBS") return class2silt(row["BA_RBS"].as_text(), scheme_rbs, s.interpol, clay_);
    if (scheme == "KA4") {
        std::string name = row["BA_KA4"].as_text();
        if (db::trim(name).empty()) name = std::string(ka4_class(silt_, clay_));
        return class2silt(name, scheme_ka4, s.interpol, clay_);
    }
    stop(dialogs, "ERROR", unknown_scheme_text);
}

// Field capacity and wilting point by the run's pedotransfer mode.
WaterContents water_contents(const SoilRecord& r, double corg, const SoilSettings& s, double at) {
    const auto by_van_genuchten = [&](const VanGenuchten& p) {
        return WaterContents{vg_theta(p, s.h_fc) * 100, vg_theta(p, s.h_pwp) * 100};
    };
    switch (s.hymode) {
    case 1:
        return bc_rawls(s.h_fc, s.h_pwp, r[pv], r[silt], r[clay]);
    case 2:
        if (corg == 0) corg = r[fat] * 0.05 + 0.5;
        return by_van_genuchten(vg_vereecken(r[silt], r[clay], corg, r[bd]));
    case 3:
        return lieberoth(at, r[clay]);
    case 4:
        return by_van_genuchten(vg_zacharias(r[silt], r[clay], r[bd]));
    default:
        throw SoilError("unknown pedotransfer mode " + std::to_string(s.hymode));
    }
}

// Hassink's saturation carbon content of the fine fraction and the inert carbon it holds.
void hassink(SoilRecord& r, const SoilSettings& s, const PoreSizes& ps) {
    const double f20 = grain_interp(0.02, 0.063, 0.002, r[clay] + r[silt], r[clay]);
    const double soc = ((0.37 * f20 + 4.09) / 10) / 0.77;
    const double bds = bd_corg_clay(soc, r[clay], 0);
    const double pvs = (1 - bds / pd_corg(soc, r[clay], 0)) * 100;
    const VanGenuchten p = vg_vereecken(r[silt], r[clay], soc, bds);
    const double fcs = vg_theta(p, s.h_fc) * 100;
    const double pwps = vg_theta(p, s.h_pwp) * 100;
    r.hsnk_soc = soc;
    r.hsnk_lts = cif_pores(pwps, fcs, pvs, ps.mi, ps.medium, ps.ma) * soc;
}

// Derives every property that is missing (below 0) from texture, carbon and the others.
void complete(SoilRecord& r, double corg, const SoilSettings& s, const PoreSizes& ps) {
    if (r.missing(fat)) r[fat] = grain_interp(0.0063, 0.063, 0.002, r[clay] + r[silt], r[clay]);
    const double at = grain_interp(0.01, 0.063, 0.0063, r[clay] + r[silt], r[fat]);
    if (r.missing(bd)) r[bd] = bd_corg(corg, r[clay], 0);
    if (r.missing(pd))
        r[pd] = r.missing(pv) ? pd_corg(corg, r[clay], 0) : r[bd] / (1 - r[pv] / 100);
    if (r.missing(pv)) r[pv] = (1 - r[bd] / r[pd]) * 100;
    if (r.missing(fc) || r.missing(pwp)) {
        const WaterContents w = water_contents(r, corg, s, at);
        if (r.missing(fc)) r[fc] = w.fc;
        if (r.missing(pwp)) r[pwp] = w.pwp;
    }
    if (r.missing(cif)) r[cif] = cif_pores(r[pwp], r[fc], r[pv], ps.mi, ps.medium, ps.ma);
    hassink(r, s, ps);
}

// The soil record of a row: measured values, silt from FAT or the texture class, completed.
SoilRecord soil_of(const SoilRow& row, const SoilSettings& s, PoreSizes ps, app::Dialogs& dialogs) {
    std::array<double, prop_count> v;
    v.fill(unknown);
    v[clay] = row["clay"].as_double();
    for (const Prop i : {silt, fat, bd, pd, pv, fc, pwp, cif}) v[i] = measured(row, prop_names[i]);
    if (v[silt] <= 0 && v[fat] > 0)
        v[silt] = grain_interp(0.063, 0.006, 0.002, v[fat], v[clay]) - v[clay];
    if (v[silt] < 0) v[silt] = class_silt(row, v[clay], v[silt], s, dialogs);
    const double corg = row["corg"].as_double();
    if (v[clay] == 0) v[clay] = 0.0001;

    SoilRecord r;
    for (int i = 0; i < prop_count; ++i)
        if (v[i] > 0) r.p[i] = {v[i], true};
    r[sand] = 100 - v[clay] - v[silt];
    r.p[sand].given = false;

    ps.medium = db::trim(row["BA_RBS"].as_text()) == "L" ? 12 : 10;
    complete(r, corg, s, ps);
    // When the bulk density follows the carbon content, the turnover model fits the soil
    // coefficient to this pair; a density for which none exists (2.684 g/cm³ or more) would
    // let that fit run forever, so it is rejected here.
    if (corg >= 0 && r[bd] > 0) bd_slope4bd(corg, r[bd]);
    return r;
}

// One column of the write-back: a property, or a Hassink value (prop_count + 0, + 1).
struct WriteColumn {
    int what;
    std::string name;
    bool always;  // written whether given or not
    bool has_org; // the table has name_org
};

// The columns written back, in their order; the first name the table has in neither form
// ends the list.
std::vector<WriteColumn> write_plan(db::Connection& c) {
    struct Entry {
        int what;
        const char* name;
        bool always;
    };
    static constexpr std::array<Entry, 11> order{{{silt, "silt", true},
                                                  {bd, "BD", false},
                                                  {pd, "PD", false},
                                                  {fc, "FC", false},
                                                  {pwp, "PWP", false},
                                                  {pv, "PV", false},
                                                  {cif, "cif", false},
                                                  {fat, "FAT", false},
                                                  {sand, "sand", false},
                                                  {prop_count, "hsnk_soc", true},
                                                  {prop_count + 1, "hsnk_lts", true}}};
    std::vector<WriteColumn> plan;
    for (const Entry& e : order) {
        const bool has_org = c.has_column("tmp_soil_prop", std::string(e.name) + "_org");
        if (!has_org && !c.has_column("tmp_soil_prop", e.name)) break;
        plan.push_back({e.what, e.name, e.always, has_org});
    }
    return plan;
}

std::string update_text(const std::vector<WriteColumn>& plan, bool with_soil_cat) {
    std::string q = "UPDATE tmp_soil_prop SET ";
    std::string sep;
    for (const WriteColumn& w : plan) {
        q += sep + "\"" + w.name + "\" = ?";
        if (w.has_org) q += ", \"" + w.name + "_org\" = ?";
        sep = ", ";
    }
    if (with_soil_cat) q += sep + "soil_cat = ?";
    return q + " WHERE rowid = ?";
}

// The parameters of the update: computed values where they may be written (and their
// X_org false), the row's own values elsewhere, so measured values are never overwritten.
std::vector<db::Value> update_values(const std::vector<WriteColumn>& plan, bool with_soil_cat,
                                     const SoilRow& row, const SoilRecord& r) {
    std::vector<db::Value> out;
    for (const WriteColumn& w : plan) {
        const bool computed = w.what < prop_count;
        const bool candidate = w.always || (computed && !r.p[w.what].given);
        const bool measured_flag = w.has_org && row[w.name + "_org"].as_bool();
        if (candidate && !measured_flag) {
            const double v = !computed ? (w.what == prop_count ? r.hsnk_soc : r.hsnk_lts)
                                       : r[static_cast<Prop>(w.what)];
            out.emplace_back(v);
            if (w.has_org) out.emplace_back(false);
        } else {
            out.push_back(row[w.name]);
            if (w.has_org) out.push_back(row[w.name + "_org"]);
        }
    }
    if (with_soil_cat) out.emplace_back(soil_cat(r[fc] - r[pwp]));
    out.emplace_back(row.rowid);
    return out;
}

PoreSizes read_pore_sizes(db::Connection& c) {
    db::Dataset d = c.open("select * from pore_size_parm");
    d.first();
    return {d["mi"].as_double(), d["ma"].as_double(), 0};
}

} // namespace

void build_soil_prop(db::Connection& c, const SoilSettings& settings, RunObserver& observer,
                     app::Dialogs& dialogs) {
    const PoreSizes pores = read_pore_sizes(c);
    db::drop_work_table(c, "tmp_soil_prop");
    const int count = c.execute(soil_statement(c, settings));
    observer.message("tmp soil :" + std::to_string(count));
    observer.message("checking soil properties");

    const std::vector<SoilRow> rows = read_rows(c);
    const std::vector<WriteColumn> plan = write_plan(c);
    const bool with_soil_cat = c.has_column("tmp_soil_prop", "soil_cat");
    db::Transaction tx(c);
    auto update = c.prepare_native(update_text(plan, with_soil_cat));
    const int n = static_cast<int>(rows.size());
    try {
        for (int i = 0; i < n; ++i) {
            observer.process_events();
            observer.progress(i, n);
            const SoilRow& row = rows[static_cast<std::size_t>(i)];
            SoilRecord r;
            try {
                r = soil_of(row, settings, pores, dialogs);
            } catch (const SoilError& e) {
                stop(dialogs, "ERROR", "plot " + row["FL_ID"].as_text() + ": " + e.what());
            }
            update.execute(update_values(plan, with_soil_cat, row, r));
        }
    } catch (const SoilStop&) {
        tx.commit(); // the rows completed so far stay, as after any stopped step
        throw;
    }
    tx.commit();
    observer.progress(n, n);
}

} // namespace sim
