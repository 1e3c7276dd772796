// climate_preparation.cpp --- time frame, tillage, irrigation, yearly climate and yearly
// BAT of the plots of a run.
#include "sim/climate_preparation.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/value.h"
#include "sim/soil_properties.h"

#include <sqlite3.h>
#include <string>
#include <vector>

namespace sim {

namespace {

// ---- time frame, tillage and irrigation ----

// Shares of a plot (untilled, irrigated) are percent. Outside the regional mode a tillage
// or irrigation row applies to the whole plot, that is to 100 percent of it.

constexpr const char* build_time_int =
    " SELECT cultivation.FL_ID, Max(cultivation.[year]) AS Maxvonyear, Min(cultivation.[year]) "
    "AS Minvonyear \n"
    " into tmp_time_int   FROM cultivation, site_state where site_state.status=1 \n"
    " and cultivation.fl_id=site_state.fl_id \n"
    " GROUP BY cultivation.FL_ID ";

constexpr const char* build_tirgint =
    " SELECT field_description.FL_ID, tmp_time_scen.yr as [year], field_description.notill, "
    "-99.99 AS part, -99.99 as iramnt, -99.99 as irarea INTO tmp_tirgint \n"
    " FROM (field_description INNER JOIN tmp_time_scen ON field_description.FL_ID = "
    "tmp_time_scen.FL_ID) INNER JOIN site_state ON tmp_time_scen.FL_ID = site_state.FL_ID \n"
    " where site_state.status=1 GROUP BY site_state.status, field_description.FL_ID, "
    "tmp_time_scen.yr , field_description.notill, 0";

constexpr const char* pattern_regional =
    " SELECT cultivation.FL_ID,cultivation.Macode, cultivation.quantity, cultivation.year AS yr, "
    "Min((cultivation_1.[year])) AS yr_mx, cultivation.part INTO tmp_tirg_pattern \n";
constexpr const char* pattern_whole =
    " SELECT cultivation.FL_ID,cultivation.Macode, cultivation.quantity, cultivation.year AS yr, "
    "Min((cultivation_1.[year])) AS yr_mx, 100 as part INTO tmp_tirg_pattern \n";
constexpr const char* pattern_from_where =
    " FROM (cultivation INNER JOIN cultivation AS cultivation_1 ON cultivation.FL_ID = "
    "cultivation_1.FL_ID) INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID \n"
    " WHERE (cultivation.Macode in (7,14) AND ((cultivation_1.year)>[cultivation].[year]) AND "
    "((site_state.status)=1)) \n";
constexpr const char* pattern_group_regional =
    " GROUP BY cultivation.FL_ID, cultivation.year, cultivation.part,cultivation.quantity, "
    "cultivation.macode ";
constexpr const char* pattern_group_whole =
    " GROUP BY cultivation.FL_ID, cultivation.year, cultivation.quantity, cultivation.macode ";

constexpr const char* build_last_tillage =
    " select fl_id, max(yr_mx) as max_yr into tmp_last_tillage from tmp_tirg_pattern group by "
    "fl_id";

constexpr const char* pattern_join =
    "UPDATE tmp_tirg_pattern INNER JOIN tmp_tirgint ON tmp_tirg_pattern.FL_ID = "
    "tmp_tirgint.FL_ID \n";
constexpr const char* pattern_years = " WHERE (((tmp_tirgint.year)>=[tmp_tirg_pattern].[yr]) AND "
                                      "((tmp_tirgint.year)<[tmp_tirg_pattern].[yr_mx]))  \n";
constexpr const char* apply_irrigation =
    " SET tmp_tirgint.irarea = [tmp_tirg_pattern].[part],  tmp_tirgint.iramnt = "
    "[tmp_tirg_pattern].[quantity]  \n";
constexpr const char* apply_tillage = "   SET tmp_tirgint.part = [tmp_tirg_pattern].[part] \n";

constexpr const char* last_year_head =
    " UPDATE tmp_tirgint INNER JOIN (cultivation INNER JOIN tmp_last_tillage ON cultivation.year "
    "= tmp_last_tillage.max_yr) \n";
constexpr const char* last_year_on =
    " ON (cultivation.year = tmp_tirgint.year) AND (tmp_tirgint.FL_ID = tmp_last_tillage.fl_id) "
    "AND (tmp_tirgint.FL_ID = cultivation.FL_ID) SET";

std::string patterns_statement(bool regional) {
    return std::string(regional ? pattern_regional : pattern_whole) + pattern_from_where +
           (regional ? pattern_group_regional : pattern_group_whole);
}

// A tillage row in the last pattern year changes only plots whose tillage is given by
// their rows (notill 2); always tilled and never tilled plots keep 0 and 100.
std::string last_year_tillage(bool regional) {
    return std::string(last_year_head) + last_year_on +
           (regional ? " tmp_tirgint.part = [cultivation].[part] \n"
                     : " tmp_tirgint.part = 100 \n") +
           "    WHERE cultivation.Macode=14 and tmp_tirgint.notill=2 ";
}

std::string last_year_irrigation(bool regional) {
    return std::string(last_year_head) + last_year_on + " \n" +
           (regional ? " tmp_tirgint.irarea = [cultivation].[part] , tmp_tirgint.iramnt= "
                       "cultivation.quantity\n"
                     : " tmp_tirgint.irarea = 100 , tmp_tirgint.iramnt= cultivation.quantity\n") +
           "    WHERE cultivation.Macode=7 ";
}

// Whether every time frame starts and ends with a year stored as a whole number.
bool years_are_whole(db::Connection& c) {
    db::Statement odd =
        c.prepare_native("select 1 from tmp_time_int where typeof(minvonyear)<>'integer' "
                         "or typeof(maxvonyear)<>'integer' limit 1");
    return !odd.step();
}

// One row of tmp_time_scen for every year of every plot's time frame, plot after plot in
// the order of tmp_time_int. With whole years throughout, one statement writes them all.
void fill_time_scen(db::Connection& c) {
    c.execute("delete * from tmp_time_scen");
    if (years_are_whole(c)) {
        c.execute_native("WITH RECURSIVE frame(nr, fl_id, yr, last) AS ("
                         "SELECT rowid, fl_id, minvonyear, maxvonyear FROM tmp_time_int "
                         "UNION ALL SELECT nr, fl_id, yr + 1, last FROM frame WHERE yr < last) "
                         "INSERT INTO tmp_time_scen (fl_id, yr) SELECT fl_id, yr FROM frame "
                         "WHERE yr <= last ORDER BY nr, yr");
        return;
    }
    auto frames = c.open("select fl_id, maxvonyear as yx, minvonyear as ym from tmp_time_int ");
    auto insert = c.prepare("insert into tmp_time_scen (fl_id, yr) values (?, ?)");
    db::Transaction t(c, true);
    for (frames.first(); !frames.eof(); frames.next()) {
        const db::Value fl_id = frames["fl_id"];
        const auto last = frames["yx"].as_int();
        for (auto yr = frames["ym"].as_int(); yr <= last; ++yr)
            insert.execute({fl_id, db::Value(yr)});
    }
    t.commit();
}

// ---- climate and BAT ----

constexpr const char* bat_from_stored_mean =
    " SELECT field_description.FL_ID, cultivation.year AS year_0, Avg(field_description.mw_BAT) "
    "AS BAT, -Avg(field_description.mw_BAT) AS BATnotill,\n"
    " -99 AS FAT, -99 AS ltem into tmp_bat FROM (field_description INNER JOIN cultivation ON "
    "field_description.FL_ID = \n"
    " cultivation.FL_ID) INNER JOIN site_state ON field_description.FL_ID = site_state.FL_ID \n"
    " WHERE (((site_state.status)=1))  GROUP BY field_description.FL_ID, cultivation.year, -99, "
    "-99 ";

constexpr const char* irrigation_sums_regional =
    " SELECT FL_ID, [year] AS jahr,  sum( iramnt* irarea/100)  as smenge INTO beregnung_jsum  "
    "FROM tmp_tirgint group by fl_id,[year] ";
constexpr const char* irrigation_sums_whole =
    " SELECT FL_ID, [year] AS jahr,  sum( iramnt)  as smenge  INTO beregnung_jsum  FROM "
    "tmp_tirgint group by fl_id,[year] ";

constexpr const char* build_eff_climate =
    " SELECT field_description.FL_ID, -99.99 AS ltem, 0 AS nied, 0 AS irrig, tmp_time_scen.yr as "
    "year_ INTO eff_climate \n"
    " FROM (field_description INNER JOIN site_state ON field_description.FL_ID = "
    "site_state.FL_ID) \n"
    " INNER JOIN tmp_time_scen ON field_description.FL_ID = tmp_time_scen.fl_id \n"
    " WHERE (((site_state.status)>0)) ";

constexpr const char* climate_head =
    " UPDATE (eff_climate INNER JOIN field_description ON eff_climate.FL_ID = "
    "field_description.FL_ID) \n";
constexpr const char* long_term_means =
    " INNER JOIN climate_data ON field_description.climate_ID = climate_data.climate_ID \n"
    " SET eff_climate.nied = precipitation, eff_climate.ltem=temperature WHERE "
    "climate_data.year=0"
    " AND climate_data.temperature IS NOT NULL AND climate_data.precipitation IS NOT NULL";
constexpr const char* station_years =
    " INNER JOIN climate_data ON (eff_climate.year_ = climate_data.year) \n"
    " AND (field_description.climate_ID = climate_data.climate_ID) \n"
    " SET eff_climate.ltem = [climate_data].[temperature], \n"
    "eff_climate.nied = [climate_data].[precipitation] \n"
    " WHERE climate_data.temperature IS NOT NULL AND climate_data.precipitation IS NOT NULL";

// The plots of the run whose station has no weather record (a record of Nulls is none).
constexpr const char* plots_without_weather =
    " SELECT field_description.FL_ID, field_description.climate_ID, climate_station.station \n"
    " FROM (field_description INNER JOIN site_state ON field_description.FL_ID = "
    "site_state.FL_ID) \n"
    " LEFT JOIN climate_station ON field_description.climate_ID = climate_station.climate_ID \n"
    " WHERE site_state.status>0 AND NOT EXISTS (SELECT climate_data.climate_ID FROM climate_data \n"
    " WHERE climate_data.climate_ID = field_description.climate_ID \n"
    " AND climate_data.temperature IS NOT NULL AND climate_data.precipitation IS NOT NULL) \n"
    " ORDER BY field_description.FL_ID";
constexpr const char* no_weather_title = "ERROR: no climate data";
constexpr const char* add_irrigation = " UPDATE beregnung_jsum INNER JOIN eff_climate    \n"
                                       " ON (beregnung_jsum.jahr = eff_climate.year_)    \n"
                                       " AND (beregnung_jsum.FL_ID = eff_climate.FL_ID) \n"
                                       " SET eff_climate.irrig = smenge                 ";

constexpr const char* build_clim4sim =
    " SELECT eff_climate.FL_ID, eff_climate.year_, eff_climate.ltem, eff_climate.nied, \n"
    " (eff_climate.irrig+ eff_climate.nied) as rain, field_description.mw_BAT \n"
    "  into clim4sim FROM eff_climate INNER JOIN field_description ON \n"
    " eff_climate.FL_ID = field_description.FL_ID";

constexpr const char* build_bat =
    "SELECT Clim4sim.FL_ID, clim4sim.year_ as year_0, tmp_soil_prop.FAT, clim4sim.ltem, \n"
    " clim4sim.rain, clim4sim.mw_bat AS BAT,-clim4sim.mw_bat AS BATnotill, -99.99 as t_level "
    "INTO tmp_bat \n"
    " FROM clim4sim INNER JOIN tmp_soil_prop ON clim4sim.fl_id = tmp_soil_prop.FL_ID ";

constexpr const char* bat_tillage_share =
    "UPDATE tmp_bat INNER JOIN tmp_tirgint ON (tmp_bat.year_0 = tmp_tirgint.year)   \n"
    " AND (tmp_bat.FL_ID = tmp_tirgint.fl_id) SET tmp_bat.t_level = [tmp_tirgint].[part];   ";

constexpr const char* initial_carbon_estimate =
    " SELECT tmp_bat.FL_ID, SRBAPARM.NAME, SRBAPARM.K_AOS AS km, SRBAPARM.K_AKT AS ka, "
    "SRBAPARM.K_STAB AS ks, \n"
    " tmp_bat.BAT, 1/(SRBAPARM.K_AOS/(1+SRBAPARM.K_STAB/SRBAPARM.K_AKT)) AS kappa, "
    "tmp_soil_prop.cif, \n"
    " SRBAPARM.CNR_OBS, tmp_nloss.nloss, \n"
    "( 1/(SRBAPARM.K_AOS/(1+SRBAPARM.K_STAB/SRBAPARM.K_AKT)))*tmp_nloss.nloss*SRBAPARM.CNR_OBS/"
    "(tmp_bat.BAT*(1-tmp_soil_prop.cif)) AS Corg_init,  \n"
    " tmp_soil_prop.BA_RBS, tmp_soil_prop.clay  into tmp_hlpcinit FROM SRBAPARM, (tmp_bat INNER "
    "JOIN tmp_soil_prop ON \n"
    " (tmp_bat.year_0 = tmp_soil_prop.year) AND (tmp_bat.FL_ID = tmp_soil_prop.FL_ID)) INNER "
    "JOIN tmp_nloss ON \n"
    " (tmp_soil_prop.FL_ID = tmp_nloss.fl_id) AND (tmp_soil_prop.year = tmp_nloss.year0) WHERE "
    "(((SRBAPARM.NAME)=\"NORM\")) ";

constexpr const char* duplicate_carbon_title = "ERROR: index creation failed ";
constexpr const char* duplicate_carbon_text =
    "There is probably more than 1 initial Corg value (year_number=0)";

[[noreturn]] void stop(RunContext& ctx, const std::string& title, const std::string& text) {
    const std::string caption = climate_stop_caption(title, ctx.state.language);
    ctx.dialogs.show_message(caption, text);
    throw SoilStop(caption, text);
}

// Without recalculation every cultivation year carries the plot's stored mean BAT. Its
// BATnotill is a marker, not a BAT, so these rows count as tilled throughout (t_level 0)
// and the model uses BAT alone.
void bat_from_mean(RunContext& ctx) {
    ctx.conn.execute(bat_from_stored_mean);
    ctx.conn.execute("alter table tmp_bat add t_level double");
    ctx.conn.execute("update tmp_bat set t_level=0");
}

void scenario_repetitions(RunContext& ctx) {
    if (ctx.sim.z_cnt <= 0) return;
    auto counts = ctx.conn.open(" select fl_id, count(year_) as ycnt from eff_climate group by "
                                "fl_id");
    for (counts.first(); !counts.eof(); counts.next()) {
        const auto ycnt = counts["ycnt"].as_int();
        const std::string fl_id = counts["fl_id"].as_text();
        for (int r = 1; r <= ctx.sim.z_cnt; ++r)
            ctx.conn.execute(" insert into eff_climate (fl_id,year_, ltem, nied, irrig)  \n"
                             "  SELECT cultivation.FL_ID, cultivation.[year]+" +
                             std::to_string(ycnt * r) +
                             " AS year_, \n"
                             "  -99.99 AS ltem, 0 AS nied, 0 AS irrig   \n"
                             "  FROM cultivation INNER JOIN site_state ON cultivation.FL_ID = "
                             "site_state.FL_ID \n"
                             "  WHERE (((site_state.status)>0))  and cultivation.fl_id=" +
                             fl_id + "\n  group BY cultivation.FL_ID, cultivation.[year]  ");
    }
}

constexpr const char* climate_data_indexes[] = {
    " create index clix1 on climate_data (climate_ID, [year]) ",
    " create index clix on climate_data (climate_ID) "};

void climate_indexes(RunContext& ctx, ClimateDataIndexes climate_data) {
    ctx.conn.execute(" create index clix on  eff_climate (FL_ID, year_) ");
    ctx.conn.execute(" create index clix1 on  eff_climate (FL_ID) ");
    ctx.message("eff_climate index created");
    const int created =
        climate_data.create_here ? index_climate_data(ctx.conn) : climate_data.created_before;
    for (int i = 0; i < created; ++i) ctx.message("climate_data index created");
}

// A station without weather would give every year the marker temperature; the run stops
// at once and names the station and its first plot.
void require_station_weather(RunContext& ctx) {
    auto plots = ctx.conn.open(plots_without_weather);
    if (plots.empty()) return;
    plots.first();
    const std::string station =
        plots["station"].is_null()
            ? "climate_id " + plots["climate_ID"].as_text() + " (no such station)"
            : "\"" + plots["station"].as_text() + "\" (climate_id " +
                  plots["climate_ID"].as_text() + ")";
    const std::string text = "The climate station " + station + " of plot FL_ID " +
                             plots["FL_ID"].as_text() +
                             " has no weather data. Enter or import its weather first.";
    ctx.message(text);
    stop(ctx, no_weather_title, text);
}

// beregnung_jsum and eff_climate: the yearly irrigation and climate of every plot-year.
void effective_climate(RunContext& ctx, ClimateDataIndexes climate_data) {
    auto& c = ctx.conn;
    const bool regional = ctx.state.regional_mode;
    db::drop_work_table(c, "beregnung_jsum");
    c.execute(regional ? irrigation_sums_regional : irrigation_sums_whole);
    db::drop_work_table(c, "eff_climate");
    c.execute(build_eff_climate);
    scenario_repetitions(ctx);
    climate_indexes(ctx, climate_data);
    c.execute(std::string(climate_head) + long_term_means);
    c.execute(std::string(climate_head) + station_years);
    c.execute(add_irrigation);
}

// Computes the BAT of every row of tmp_bat in the order of its index and writes it back,
// row by row. A year the BAT cannot be computed for stops the run; the rows before it stay
// written.
void compute_yearly_bat_by_rows(RunContext& ctx, const WmzTable& nodes) {
    auto& c = ctx.conn;
    auto rows = c.open("select fl_id, year_0, FAT, ltem, rain, BAT, BATnotill from tmp_bat "
                       "order by fl_id, year_0");
    auto update = c.prepare("update tmp_bat set BAT=?, BATnotill=? where fl_id=? and year_0=?");
    db::Transaction t(c, true);
    const int total = rows.record_count();
    for (rows.first(); !rows.eof(); rows.next()) {
        ctx.observer.progress(rows.record_number() + 1, total);
        YearBat bat{};
        try {
            bat = yearly_bat(rows["FAT"].as_double(), rows["ltem"].as_double(),
                             rows["rain"].as_double(), rows["BAT"].as_double(), nodes);
        } catch (const ClimateError& e) {
            t.commit();
            // The message list names the plot and year the box does not.
            ctx.message("FL_ID " + rows["fl_id"].as_text() + ", year " + rows["year_0"].as_text() +
                        ": " + e.what());
            stop(ctx, e.title(), e.what());
        }
        update.execute({bat.bat, bat.bat_notill, rows["fl_id"], rows["year_0"]});
    }
    t.commit();
    ctx.observer.progress(0, total);
}

// A number argument of an SQL function, read as the rows of a data set read it.
double number_argument(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_NULL:
        return 0.0;
    default:
        return db::Value(std::string(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                     static_cast<std::size_t>(sqlite3_value_bytes(v))))
            .as_double();
    }
}

// tsm_yearly_bat(FAT, ltem, rain, BAT, part): the BAT (part 0) or no-tillage BAT (part 1)
// of a plot-year; a year whose BAT cannot be computed fails the statement.
void yearly_bat_function(sqlite3_context* call, int, sqlite3_value** args) {
    const auto* nodes = static_cast<const WmzTable*>(sqlite3_user_data(call));
    try {
        const YearBat bat = yearly_bat(number_argument(args[0]), number_argument(args[1]),
                                       number_argument(args[2]), number_argument(args[3]), *nodes);
        sqlite3_result_double(call, sqlite3_value_int(args[4]) == 0 ? bat.bat : bat.bat_notill);
    } catch (const std::exception& e) {
        sqlite3_result_error(call, e.what(), -1);
    }
}

// The function tsm_yearly_bat on the connection for as long as it lives.
class YearlyBatFunction {
public:
    YearlyBatFunction(db::Connection& c, const WmzTable& nodes) : db_(c.handle()) {
        if (sqlite3_create_function_v2(db_, name, 5, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                       const_cast<WmzTable*>(&nodes), yearly_bat_function, nullptr,
                                       nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("cannot register the SQL function ") + name);
    }
    ~YearlyBatFunction() {
        sqlite3_create_function_v2(db_, name, 5, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr,
                                   nullptr);
    }
    YearlyBatFunction(const YearlyBatFunction&) = delete;
    YearlyBatFunction& operator=(const YearlyBatFunction&) = delete;

private:
    static constexpr const char* name = "tsm_yearly_bat";
    sqlite3* db_;
};

// Computes the BAT of every row of tmp_bat in one statement. When a year's BAT cannot be
// computed the statement writes nothing, and the rows are computed one by one, which
// stops the run at that year with its message.
void compute_yearly_bat(RunContext& ctx, const WmzTable& nodes) {
    auto& c = ctx.conn;
    try {
        const YearlyBatFunction function(c, nodes);
        c.execute_native("UPDATE tmp_bat SET BAT = tsm_yearly_bat(FAT, ltem, rain, BAT, 0), "
                         "BATnotill = tsm_yearly_bat(FAT, ltem, rain, BAT, 1) "
                         "WHERE fl_id IS NOT NULL AND year_0 IS NOT NULL");
        return;
    } catch (const std::exception&) {
        // Found again, with the plot and year, below.
    }
    compute_yearly_bat_by_rows(ctx, nodes);
}

// Returns the row count of tmp_bat.
int yearly_bat_table(RunContext& ctx, const WmzTable& nodes) {
    auto& c = ctx.conn;
    ctx.message("simple_bat=yes");
    const int rows = c.execute(build_bat);
    ctx.count("tmp bat :", rows);
    try {
        c.execute(" create unique index idx_fl_yr on tmp_bat(fl_id, year_0)  ");
    } catch (const db::Error& e) {
        // Two rows of one plot-year: the plot has more than one initial value.
        if (e.engine_message().find("UNIQUE constraint failed") == std::string::npos) throw;
        stop(ctx, duplicate_carbon_title, duplicate_carbon_text);
    }
    compute_yearly_bat(ctx, nodes);
    c.execute_ignoring_failure(bat_tillage_share);
    return rows;
}

} // namespace

void BatCoefficients::load(RunContext& ctx) {
    std::vector<WmzNode> rows;
    try {
        auto table = ctx.conn.open("select xfat,xa,xb,xc from wmzprm");
        for (table.first(); !table.eof(); table.next())
            rows.push_back({table["xfat"].as_double(), table["xa"].as_double(),
                            table["xb"].as_double(), table["xc"].as_double()});
    } catch (const std::exception&) {
        return; // no coefficient table: the nodes in force stay
    }
    try {
        nodes_ = read_prm4wmz(rows, nodes_);
    } catch (const ClimateError& e) {
        ctx.message(std::string("wmzprm not used: ") + e.what());
    }
}

RunStep BatCoefficients::climate_step() const {
    return [this](RunContext& ctx) { climate_bat(ctx, nodes_); };
}

void time_frame(RunContext& ctx) {
    auto& c = ctx.conn;
    const bool regional = ctx.state.regional_mode;
    db::drop_work_table(c, "tmp_tirgint");
    db::drop_work_table(c, "tmp_time_int");
    c.execute(build_time_int);
    fill_time_scen(c);
    c.execute(build_tirgint);

    db::drop_work_table(c, "tmp_tirg_pattern");
    c.execute(patterns_statement(regional));
    db::drop_work_table(c, "tmp_last_tillage");
    c.execute(build_last_tillage);
    c.execute("UPDATE tmp_tirgint set iramnt=0 , irarea=0");
    c.execute(std::string(pattern_join) + apply_irrigation + pattern_years +
              " and tmp_tirg_pattern.macode=7");
    c.execute(std::string(pattern_join) + apply_tillage + pattern_years +
              " and tmp_tirg_pattern.macode=14");
    c.execute(" update tmp_tirgint set part= 0  where notill=0 or part<0");
    c.execute(" update tmp_tirgint set part= 100 where notill=1 ");
    c.execute(last_year_tillage(regional));
    c.execute(last_year_irrigation(regional));
}

void yearly_climate_and_bat(RunContext& ctx, const WmzTable& nodes,
                            ClimateDataIndexes climate_data) {
    auto& c = ctx.conn;
    require_station_weather(ctx);
    effective_climate(ctx, climate_data);
    db::drop_work_table(c, "clim4sim");
    int last_count = c.execute(build_clim4sim);
    if (ctx.sim.simple_version)
        last_count = yearly_bat_table(ctx, nodes);
    else
        ctx.message("simple_bat=no");
    ctx.count("updt tmp bat :", last_count);
}

void initial_carbon_estimate_if_missing(RunContext& ctx) {
    if (!ctx.conn.has_table("tmp_hlpcinit"))
        ctx.conn.execute_ignoring_failure(initial_carbon_estimate);
}

int index_climate_data(db::Connection& c) {
    int created = 0;
    for (const char* index : climate_data_indexes)
        if (db::create_index_if_missing(c, index)) ++created;
    return created;
}

void climate_bat(RunContext& ctx, const WmzTable& nodes, ClimateDataIndexes indexes) {
    db::drop_work_table(ctx.conn, "tmp_bat");
    if (!ctx.sim.recalc_bat) {
        bat_from_mean(ctx);
        return;
    }
    yearly_climate_and_bat(ctx, nodes, indexes);
    initial_carbon_estimate_if_missing(ctx);
}

} // namespace sim
