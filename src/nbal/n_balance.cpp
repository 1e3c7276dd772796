// n_balance.cpp --- the field N balance over the experiment database: one statement per
// term of the yearly balance, then the summaries per plot.
#include "nbal/n_balance.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"
#include "db/value.h"
#include "sim/n_deposition.h"

#include <charconv>
#include <stdexcept>

namespace nbal {
namespace {

// The text key of a plot and year: str(FL_ID) + "_" + str(year).
std::string idx_of(const std::string& table) {
    return "Str(" + table + ".FL_ID)+\"_\"+Str(" + table + ".[year])";
}

// A quantity, or 0 where it is Null, so that one missing value does not drop the whole
// year from the sums and means of the summaries.
std::string zero_if_null(const std::string& value) {
    return "IIf(" + value + " Is Null, 0, " + value + ")";
}

// Truncation to one decimal, as the summaries show their values.
std::string one_decimal(const std::string& value) {
    return "Int(10*(" + value + "))/10";
}

constexpr const char* soil_inputs = "N_m_om+n_dng+n_bindung+n_deposition+asym_nbind+n_saat";
constexpr const char* plot_inputs = "n_org_inp+n_dng+n_bindung+n_deposition+asym_nbind+n_saat";

class Balance {
public:
    Balance(db::Connection& conn, const NBalanceOptions& options,
            const std::function<void()>& advance)
        : conn_(conn), opt_(options), advance_(advance) {
        if (opt_.plot) { // one plot: its years and every fertiliser level
            opt_.year_from = 0;
            opt_.year_to = 3000;
            opt_.fertiliser_from = 0;
            opt_.fertiliser_to = 3000;
        }
    }

    NBalanceResult run() {
        step("N deposition", [&] { deposition_series(); });
        step("tsm_n_bilanz", [&] { plot_years(); });
        step("nbil_n_dng", [&] { mineral_fertiliser(); });
        step("nbil_n_entzug", [&] { harvest_removal(); });
        step("nbil_n_saat", [&] { seed(); });
        step("nbil_ewr", [&] { harvest_residues(); });
        step("nbil_orgd", [&] { organic_amendments(); });
        step("nbil_kopp", [&] { by_products(); });
        step("nbil_nleg", [&] { legume_fixation(); });
        step("asym_nbind", [&] { asymbiotic_fixation(); });
        step("n_deposition", [&] { deposition(); });
        step("observed N uptake", [&] { observed_uptake(); });
        step("tsm_nsaldo", [&] { nsaldo(); });
        step("nmin_saldo", [&] { nmin_saldo(); });
        step("NT_saldo", [&] { nt_saldo(); });
        result_.plot_years =
            static_cast<int>(conn_.scalar("select count(*) from tsm_n_bilanz").as_int());
        return result_;
    }

private:
    // Runs one step; a failure ends the balance naming the step and its statement.
    template <class F> void step(const char* name, F&& body) {
        try {
            body();
        } catch (const db::Error& e) {
            throw db::Error("N balance stopped at step " + std::string(name) + ": " +
                                e.engine_message(),
                            e.jet_text(), e.sqlite_text());
        }
        if (advance_) advance_();
    }

    void rebuild(const std::string& table, const std::string& select_into) {
        db::drop_work_table(conn_, table);
        conn_.execute(select_into);
    }

    // " and cultivation.FL_ID=id" with one plot.
    std::string plot_filter(const std::string& table) const {
        return opt_.plot ? " and " + table + ".FL_ID=" + std::to_string(*opt_.plot) : "";
    }
    // The share of the plot a management record applies to.
    std::string share() const { return opt_.regional ? "*cultivation.part/100" : ""; }

    // A sum per plot and year of the management records (cultivation joined as `from`).
    void per_plot_year(const std::string& table, const std::string& column,
                       const std::string& value, const std::string& from,
                       const std::string& where) {
        const std::string idx = idx_of("cultivation");
        rebuild(table, "SELECT " + idx + " AS idx, cultivation.FL_ID, cultivation.[year], Sum(" +
                           value + ") AS " + column + " INTO " + table + " FROM " + from +
                           " WHERE " + where + plot_filter("cultivation") + " GROUP BY " + idx +
                           ", cultivation.FL_ID, cultivation.[year]");
    }

    // tsm_n_bilanz.target := table.column (Null as 0), matched by idx.
    void set_from(const std::string& table, const std::string& column, const std::string& target) {
        conn_.execute("UPDATE tsm_n_bilanz INNER JOIN " + table +
                      " ON tsm_n_bilanz.idx = " + table + ".idx SET tsm_n_bilanz." + target +
                      " = " + zero_if_null(table + "." + column));
    }

    // One warning per row of the query (item, name, faulty column, its value, what the
    // balance does instead).
    void warn_each(const std::string& query, const std::string& what) {
        db::Dataset faults = conn_.open(query);
        for (faults.first(); !faults.eof(); faults.next())
            result_.warnings.push_back(
                what + " " + faults.field(0).as_text() + " (" + faults.field(1).as_text() +
                ") has " + faults.field_names()[2] + " " +
                (faults.field(2).is_null() ? "Null" : faults.field(2).as_text()) +
                faults.field(3).as_text());
    }

    void deposition_series() {
        int station = 0;
        if (opt_.plot)
            station = static_cast<int>(
                conn_
                    .scalar("select climate_ID from field_description where FL_ID=" +
                            std::to_string(*opt_.plot))
                    .as_int());
        sim::prepare_N_deposition(conn_, station > 0 ? station : 0, advance_);
    }

    void plot_years() {
        rebuild("tsm_n_bilanz",
                "SELECT tsm_nresult.FL_ID, tsm_nresult.[year], " +
                    zero_if_null("tsm_nresult.N_m_om") +
                    " AS N_m_om, 0.0 AS N_Org_inp, 0.0 AS N_kop_inp, 0.0 AS N_EWR, 0.0 AS N_SAAT, "
                    "0.0 AS n_dng, 0.0 AS n_entz, 0.0 AS n_bindung, 0.0 AS n_deposition, 0.0 AS "
                    "asym_nbind, " +
                    idx_of("tsm_nresult") + " AS idx INTO tsm_n_bilanz FROM tsm_nresult WHERE 1=1" +
                    plot_filter("tsm_nresult"));
        db::create_index_if_missing(conn_, "create index tsm_n_bilanz_idx on tsm_n_bilanz (idx)");
    }

    void mineral_fertiliser() {
        per_plot_year("nbil_n_dng", "n_dng", "cultivation.Quantity" + share(), "cultivation",
                      "cultivation.Macode=4");
        set_from("nbil_n_dng", "n_dng", "n_dng");
    }

    void harvest_removal() {
        per_plot_year("nbil_n_entzug", "n_entz", "cultivation.Quantity*srbpflan.N_GEHALT" + share(),
                      "cultivation INNER JOIN srbpflan ON cultivation.Item_IX = srbpflan.ITEM_IX",
                      "cultivation.Macode In (2,9)");
        set_from("nbil_n_entzug", "n_entz", "n_entz");
    }

    // Seed N is spread over the years of use; a crop without years of use (0, negative or
    // missing) counts its seed N in the year of the record.
    void seed() {
        const std::string from =
            "cultivation INNER JOIN n_saat_imp ON cultivation.Item_IX = n_saat_imp.ITEM_IX";
        warn_each("SELECT DISTINCT n_saat_imp.ITEM_IX, n_saat_imp.NAME, n_saat_imp.nutzungsjahre, "
                  "\"; its seed N is counted in the year of sowing\" FROM " +
                      from + " WHERE cultivation.Macode In (2,9)" + plot_filter("cultivation") +
                      " AND (n_saat_imp.nutzungsjahre Is Null OR n_saat_imp.nutzungsjahre<=0)",
                  "n_saat_imp: item");
        per_plot_year("nbil_n_saat", "n_saat",
                      "n_saat_imp.menge*n_saat_imp.n_gehalt/(100*IIf(n_saat_imp.nutzungsjahre>0, "
                      "n_saat_imp.nutzungsjahre, 1))" +
                          share(),
                      from, "cultivation.Macode In (2,9)");
        conn_.execute("UPDATE tsm_n_bilanz INNER JOIN nbil_n_saat ON tsm_n_bilanz.idx = "
                      "nbil_n_saat.idx SET tsm_n_bilanz.n_saat = Int(" +
                      zero_if_null("nbil_n_saat.n_saat") + "+0.5)");
    }

    // Root and stubble residues per crop record; with several records of a plot in one year
    // the balance takes one of them.
    void harvest_residues() {
        rebuild("nbil_ewr", "SELECT " + idx_of("cultivation") +
                                " AS idx, cultivation.FL_ID, cultivation.[year], "
                                "(cultivation.Sim_Quantity*srbpflan.FEWR+srbpflan.CEWR)" +
                                share() +
                                " AS n_ewr INTO nbil_ewr FROM cultivation INNER JOIN srbpflan ON "
                                "cultivation.Item_IX = srbpflan.ITEM_IX WHERE cultivation.Macode "
                                "In (2,9)" +
                                plot_filter("cultivation"));
        set_from("nbil_ewr", "n_ewr", "n_ewr");
    }

    // Organic amendments: N = C applied / C:N of the applied matter. An amendment without a
    // positive cnr_alt has no known N and is left out, as by-products are.
    void organic_amendments() {
        const std::string from =
            "cultivation INNER JOIN srbopspa ON cultivation.Item_IX = srbopspa.ITEM_IX";
        warn_each("SELECT DISTINCT srbopspa.ITEM_IX, srbopspa.NAME, srbopspa.cnr_alt, \"; its N "
                  "is left out of n_org_inp\" FROM " +
                      from + " WHERE cultivation.Macode=3" + plot_filter("cultivation") +
                      " AND (srbopspa.cnr_alt Is Null OR srbopspa.cnr_alt<=0)",
                  "srbopspa: amendment item");
        rebuild("nbil_orgd", "SELECT " + idx_of("cultivation") +
                                 " AS idx, cultivation.FL_ID, cultivation.[year], "
                                 "cultivation.Quantity*100*srbopspa.ts_gehalt*srbopspa.c_geh_ts/"
                                 "srbopspa.cnr_alt" +
                                 share() + " AS n_orgd INTO nbil_orgd FROM " + from +
                                 " WHERE cultivation.Macode=3 AND srbopspa.cnr_alt>0" +
                                 plot_filter("cultivation"));
        rebuild("nbil_orgd_sum", "SELECT idx, Sum(n_orgd) AS n_org_inp INTO nbil_orgd_sum FROM "
                                 "nbil_orgd GROUP BY idx");
        set_from("nbil_orgd_sum", "n_org_inp", "n_org_inp");
    }

    // By-products left on the field (Macode 9): the crop's kop_ix item with its C:N.
    void by_products() {
        rebuild("nbil_kopp",
                "SELECT " + idx_of("cultivation") +
                    " AS idx, cultivation.FL_ID, cultivation.[year], "
                    "cultivation.Quantity*srbpflan.HI*srbopspa.TS_GEHALT*srbopspa.C_GEH_TS*100/"
                    "srbopspa.cnr_alt" +
                    share() +
                    " AS n_kopp INTO nbil_kopp FROM cultivation INNER JOIN (srbpflan INNER JOIN "
                    "srbopspa ON srbpflan.kop_ix = srbopspa.ITEM_IX) ON cultivation.Item_IX = "
                    "srbpflan.ITEM_IX WHERE cultivation.Macode=9 AND srbopspa.cnr_alt>0" +
                    plot_filter("cultivation"));
        rebuild("nbil_kopp_sum", "SELECT idx, Sum(n_kopp) AS n_kopp INTO nbil_kopp_sum FROM "
                                 "nbil_kopp GROUP BY idx");
        conn_.execute("UPDATE tsm_n_bilanz INNER JOIN nbil_kopp_sum ON tsm_n_bilanz.idx = "
                      "nbil_kopp_sum.idx SET tsm_n_bilanz.n_org_inp = tsm_n_bilanz.n_org_inp + " +
                      zero_if_null("nbil_kopp_sum.n_kopp") +
                      ", tsm_n_bilanz.n_kop_inp = " + zero_if_null("nbil_kopp_sum.n_kopp"));
    }

    void legume_fixation() {
        per_plot_year("nbil_nleg", "n_bindung",
                      "(cultivation.Quantity*leg_parm.faktor+leg_parm.konstante)" + share(),
                      "(cultivation INNER JOIN srbpflan ON cultivation.Item_IX = srbpflan.ITEM_IX) "
                      "INNER JOIN leg_parm ON srbpflan.ITEM_IX = leg_parm.item_ix",
                      "cultivation.Macode In (2,9)");
        conn_.execute("UPDATE nbil_nleg SET n_bindung=0 WHERE n_bindung<0");
        set_from("nbil_nleg", "n_bindung", "n_bindung");
    }

    void asymbiotic_fixation() {
        conn_.execute("UPDATE tsm_n_bilanz SET asym_nbind=5 WHERE n_dng>0");
        conn_.execute("UPDATE tsm_n_bilanz SET asym_nbind=10 WHERE n_dng=0");
    }

    void deposition() {
        conn_.execute("UPDATE (tsm_n_bilanz INNER JOIN field_description ON tsm_n_bilanz.FL_ID = "
                      "field_description.FL_ID) INNER JOIN tmp_ndeposit ON "
                      "(field_description.climate_ID = tmp_ndeposit.climate_id) AND "
                      "(tsm_n_bilanz.[year] = tmp_ndeposit.[year]) SET tsm_n_bilanz.n_deposition "
                      "= tmp_ndeposit.N_dep_y WHERE tmp_ndeposit.N_dep_y>0");
    }

    void observed_uptake() {
        if (!opt_.observed_uptake) return;
        conn_.execute("UPDATE tsm_n_bilanz INNER JOIN measurements ON (tsm_n_bilanz.FL_ID = "
                      "measurements.FL_ID) AND (tsm_n_bilanz.[year] = measurements.[year]) SET "
                      "tsm_n_bilanz.n_entz = measurements.meas_value WHERE measurements.M_IX=20 "
                      "AND measurements.meas_value Is Not Null");
    }

    // The years Y0..Y1 (and the plot), grouped by `group`, kept where the fertiliser N
    // aggregated with `agg` lies in D0..D1.
    std::string selection(const std::string& agg, const std::string& group) const {
        const std::string dng = agg + "(n_dng)";
        return " FROM tsm_n_bilanz WHERE [year]>=" + std::to_string(opt_.year_from) +
               " AND [year]<=" + std::to_string(opt_.year_to) + plot_filter("tsm_n_bilanz") +
               " GROUP BY " + group + " HAVING " + dng +
               ">=" + db::format_number(opt_.fertiliser_from) + " AND " + dng +
               "<=" + db::format_number(opt_.fertiliser_to);
    }

    void nsaldo() {
        rebuild("tsm_nsaldo",
                std::string("SELECT FL_ID, Avg(n_dng) AS n_mindg_inp, Avg(n_org_inp) AS "
                            "n_orgdg_inp, Avg(n_ewr) AS n_ewr_upt, Avg(n_entz) AS n_HUKP_upt, "
                            "Avg(N_m_om) AS n_mos_inp, Avg(n_bindung) AS n_leg_inp, "
                            "Avg(asym_nbind) AS n_asym_inp, Avg(n_deposition) AS n_depos_inp, "
                            "Avg(n_saat) AS n_saat_inp, "
                            "Avg(n_bindung+asym_nbind+n_deposition+n_saat) AS N_gratis, Avg(") +
                    soil_inputs + ")-Avg(n_entz+n_ewr) AS n_saldo_soil, Avg(" + plot_inputs +
                    ")-Avg(n_entz) AS n_saldo_plot INTO tsm_nsaldo" + selection("Avg", "FL_ID") +
                    " ORDER BY FL_ID");
    }

    // Means per plot over the years; with one plot, sums per year.
    void nmin_saldo() {
        const std::string agg = opt_.plot ? "Sum" : "Avg";
        const auto term = [&](const std::string& terms, const std::string& name) {
            return one_decimal(agg + "(" + terms + ")") + " AS " + name + ", ";
        };
        const std::string group = opt_.plot ? "[year], FL_ID" : "FL_ID";
        rebuild("nmin_saldo",
                "SELECT FL_ID, " + std::string(opt_.plot ? "[year], " : "") +
                    term("n_ewr+n_entz", "n_pflanze_out") + term("n_dng", "n_mindg_inp") +
                    term("N_m_om", "n_mos_inp") + term("n_bindung", "n_leg_inp") +
                    term("asym_nbind", "n_asym_inp") + term("n_deposition", "n_depos_inp") +
                    term("n_saat", "n_saat_inp") +
                    one_decimal(agg + "(" + soil_inputs + ")-" + agg + "(n_entz+n_ewr)") +
                    " AS saldo_nmin_soil, Count(*) AS anz INTO nmin_saldo" + selection(agg, group) +
                    " ORDER BY FL_ID" + (opt_.plot ? ", [year]" : ""));
    }

    void nt_saldo() {
        if (opt_.plot) return; // the plot summary of every plot stays as it was
        const auto term = [](const std::string& terms, const std::string& name) {
            return one_decimal("Avg(" + terms + ")") + " AS " + name + ", ";
        };
        rebuild("NT_saldo", "SELECT FL_ID, " + term("n_entz-n_kop_inp", "n_abfuhr") +
                                term("n_dng", "n_mindg_inp") + term("n_org_inp", "n_orgdg_inp") +
                                term("n_bindung", "n_leg_inp") + term("asym_nbind", "n_asym_inp") +
                                term("n_deposition", "n_depos_inp") + term("n_saat", "n_saat_inp") +
                                one_decimal("Avg(" + std::string(plot_inputs) + ")-Avg(n_entz)") +
                                " AS n_saldo_plot INTO NT_saldo" + selection("Avg", "FL_ID") +
                                " ORDER BY FL_ID");
    }

    db::Connection& conn_;
    NBalanceOptions opt_;
    const std::function<void()>& advance_;
    NBalanceResult result_;
};

} // namespace

std::optional<int> parse_plot_field(const std::string& text) {
    const std::string t = db::trim(text);
    if (t == "*") return std::nullopt;
    int id = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), id);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size())
        throw std::invalid_argument("The plot \"" + text +
                                    "\" is neither \"*\" (every plot) nor a plot number (FL_ID).");
    return id;
}

bool regional_database(db::Connection& conn) {
    return conn.has_column("cultivation", "part");
}

NBalanceResult run_n_balance(db::Connection& conn, const NBalanceOptions& options,
                             const std::function<void()>& advance) {
    Balance balance(conn, options, advance);
    // One transaction for speed; a failure still keeps the tables built before it.
    db::Transaction tx(conn, true);
    try {
        NBalanceResult result = balance.run();
        tx.commit();
        return result;
    } catch (const db::Error&) {
        try {
            if (conn.in_transaction()) tx.commit();
        } catch (const db::Error&) {
            // The step's failure is the message; a failed commit rolls back as well.
        }
        throw;
    }
}

} // namespace nbal
