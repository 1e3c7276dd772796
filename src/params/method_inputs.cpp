// method_inputs.cpp --- the input tables of the humus balance methods, built as chains of
// named statements.
#include "params/method_inputs.h"

#include "db/value.h"
#include "model/pedotransfer.h"

namespace params {
namespace {

constexpr const char* plot_soil_weather =
    " FROM (field_description INNER JOIN soilproperties ON field_description.soil_ID = "
    "soilproperties.soil_ID) \n"
    " INNER JOIN climate_data ON field_description.climate_ID = climate_data.climate_ID \n"
    " WHERE climate_data.precipitation > -99 AND climate_data.temperature > -99 \n";

// The N utilisation factor with the clay offset; a missing clay gives -99 instead of a
// division by a value near zero.
std::string nurc(int offset) {
    return "IIf(soilproperties.clay>=0, "
           "(100-Avg(climate_data.precipitation)/(soilproperties.clay+" +
           std::to_string(offset) + "))/100, -99)";
}

std::string humod_nur_statement() {
    return " SELECT field_description.FL_ID AS fl_id, field_description.Location, "
           "soilproperties.profile, soilproperties.BA_RBS, soilproperties.clay, "
           "soilproperties.skelett, Avg(climate_data.temperature) AS MW_LT, "
           "Avg(climate_data.precipitation) AS MW_NIED, field_description.climate_ID, "
           "field_description.soil_ID, " +
           nurc(15) + " AS NURC_1, " + nurc(10) + " AS NURC_2, " + nurc(10) + " AS NURC_3, " +
           nurc(20) + " AS NURC_4, " + nurc(20) + " AS NURS INTO humod_nur \n" + plot_soil_weather +
           " GROUP BY field_description.FL_ID, field_description.Location, soilproperties.profile, "
           "soilproperties.BA_RBS, soilproperties.clay, soilproperties.skelett, "
           "field_description.climate_ID, field_description.soil_ID ";
}

// FAT, the particles below 6.3 µm, where the profile lacks it: interpolated between clay
// (< 2 µm) and clay + silt (< 63 µm) on the logarithm of the diameter.
std::string fat_expression() {
    const double share = sim::grain_interp(0.0063, 0.063, 0.002, 1, 0);
    return "IIf(soilproperties.FAT>0, soilproperties.FAT, IIf(soilproperties.clay>=0 AND "
           "soilproperties.silt>=0, soilproperties.clay+soilproperties.silt*" +
           db::format_number(share) + ", -99))";
}

std::string site_attributes_statement() {
    return " SELECT field_description.FL_ID, CInt(Avg(climate_data.precipitation)) AS nied, "
           "Int(10*Avg(climate_data.temperature))/10 AS ltem, -99.0 AS corg, 10.0 AS CNR, "
           "soilproperties.BA_RBS, soilproperties.clay, soilproperties.silt, " +
           fat_expression() + " AS FAT INTO vb_st_gr \n" + plot_soil_weather +
           " GROUP BY field_description.FL_ID, soilproperties.BA_RBS, soilproperties.clay, "
           "soilproperties.silt, soilproperties.FAT ";
}

constexpr const char* initial_corg =
    " UPDATE vb_st_gr INNER JOIN measurements ON vb_st_gr.FL_ID = measurements.FL_ID "
    " SET vb_st_gr.corg = measurements.meas_value "
    " WHERE measurements.M_IX=7 AND measurements.year_number=0 AND measurements.meas_value>0 ";

// The C/N ratio only where both contents are above 0.
constexpr const char* initial_cnr =
    " UPDATE vb_st_gr INNER JOIN measurements ON vb_st_gr.FL_ID = measurements.FL_ID "
    " SET vb_st_gr.cnr = vb_st_gr.corg/measurements.meas_value "
    " WHERE measurements.M_IX=0 AND measurements.year_number=0 AND measurements.meas_value>0 "
    " AND vb_st_gr.corg>0 ";

struct LeaveOut {
    const char* condition; // on the work table's row
    const char* reason;
};

// Rows of vb_st_gr that STAND cannot group.
constexpr LeaveOut stand_gaps[] = {
    {"corg<=0 OR corg Is Null", "no initial organic carbon (M_IX 7, year_number 0)"},
    {"clay<0 OR clay Is Null", "clay missing (-99)"},
    {"FAT<0 OR FAT Is Null", "fine particles (FAT) missing and clay or silt missing (-99)"},
    {"BA_RBS Is Null OR trim(BA_RBS)=''", "soil type (BA_RBS) missing"},
};

constexpr LeaveOut humod_gaps[] = {
    {"clay<0 OR clay Is Null", "clay missing (-99)"},
};

// Site groups, the first matching rule decides.
struct GroupRule {
    int group;
    const char* condition;
};
constexpr GroupRule group_rules[] = {
    {6, "fat > 22 and fat <= 27 and cnr <= 9"},
    {5, "fat > 22 and fat <= 27 and cnr > 9"},
    {5, "fat > 13 and fat <= 22 and ltem > 8.5"},
    {4, "fat > 13 and fat <= 22 and ltem <= 8.5"},
    {3, "fat <= 13 and ltem > 8.5 and not (fat <= 8 and cnr >= 14)"},
    {2, "fat <= 13 and ltem <= 8.5 and not (fat <= 8 and cnr >= 14)"},
    {2, "fat >= 28 and BA_RBS in ('LT','T','SL')"},
    {2, "fat > 29 and trim(BA_RBS) = 'L'"},
    {1, "fat <= 8 and cnr >= 14"},
    {1, "fat >= 38 and nied > 700 and BA_RBS = 'T'"},
    {1, "fat > 17 and fat < 30 and nied < 500"},
};

constexpr const char* same_attributes =
    " (vb_st_gr.ltem = st_gruppe.ltem) AND (vb_st_gr.nied = st_gruppe.nied) AND "
    "(vb_st_gr.BA_RBS = st_gruppe.BA_RBS) AND (vb_st_gr.FAT = st_gruppe.fat) AND "
    "(vb_st_gr.CNR = st_gruppe.CNR) ";

std::string plot_name(db::Connection& conn, std::int64_t fl_id) {
    auto st = conn.prepare(" select site_description from field_description where FL_ID = ? ");
    st.bind(1, db::Value(fl_id));
    return st.step() ? " (" + st.column(0).as_text() + ")" : "";
}

void left_out(db::Connection& conn, MethodMessages& messages, const std::string& method,
              std::int64_t fl_id, const std::string& reason) {
    messages.push_back(method + ": FL_ID " + std::to_string(fl_id) + plot_name(conn, fl_id) + ": " +
                       reason + "; plot left out");
}

// Reports and removes the rows of the work table that lack an input.
void remove_gaps(db::Connection& conn, MethodMessages& messages, const std::string& method,
                 const std::string& table, const std::string& key, const LeaveOut* begin,
                 const LeaveOut* end) {
    for (const LeaveOut* g = begin; g != end; ++g) {
        const std::string where = " WHERE " + std::string(g->condition);
        db::Dataset rows =
            conn.open(" select " + key + " from " + table + where + " order by " + key);
        for (rows.first(); !rows.eof(); rows.next())
            left_out(conn, messages, method, rows.field(0).as_int(), g->reason);
        conn.execute(" delete from " + table + where);
    }
}

// Plots that did not enter the work table at all.
void report_unlisted(db::Connection& conn, MethodMessages& messages, const std::string& method,
                     const std::string& table, const std::string& key) {
    db::Dataset rows =
        conn.open(" select FL_ID from field_description where FL_ID not in (select " + key +
                  " from " + table + ") order by FL_ID ");
    for (rows.first(); !rows.eof(); rows.next())
        left_out(conn, messages, method, rows.field(0).as_int(), "no soil profile or weather data");
}

// Drops the work table (a failure ignored: it may not exist yet) and builds it anew.
void rebuild(db::Connection& conn, const std::string& table, const std::string& select_into) {
    conn.execute_ignoring_failure(" drop table " + table + " ");
    conn.execute(select_into);
}

int row_count(db::Connection& conn, MethodMessages& messages, const std::string& table) {
    const int n = static_cast<int>(conn.scalar(" select count(*) from " + table).as_int());
    messages.push_back(table + " : " + std::to_string(n));
    return n;
}

} // namespace

int build_humod_nur(db::Connection& conn, MethodMessages& messages) {
    db::Transaction transaction(conn);
    rebuild(conn, "humod_nur", humod_nur_statement());
    remove_gaps(conn, messages, "HU-MOD", "humod_nur", "fl_id", std::begin(humod_gaps),
                std::end(humod_gaps));
    report_unlisted(conn, messages, "HU-MOD", "humod_nur", "fl_id");
    const int n = row_count(conn, messages, "humod_nur");
    transaction.commit();
    return n;
}

int prepare_stand(db::Connection& conn, MethodMessages& messages) {
    db::Transaction transaction(conn);
    rebuild(conn, "vb_st_gr", site_attributes_statement());
    conn.execute(initial_corg);
    conn.execute(initial_cnr);
    remove_gaps(conn, messages, "STAND", "vb_st_gr", "FL_ID", std::begin(stand_gaps),
                std::end(stand_gaps));
    report_unlisted(conn, messages, "STAND", "vb_st_gr", "FL_ID");
    const int n = row_count(conn, messages, "vb_st_gr");
    transaction.commit();
    return n;
}

int categorise_stand(db::Connection& conn, MethodMessages& messages) {
    db::Transaction transaction(conn);
    rebuild(conn, "bodengruppen_2",
            "SELECT  CNR,clay, fat,BA_RBS, nied, ltem into bodengruppen_2 FROM vb_st_gr GROUP BY  "
            "CNR,clay, BA_RBS,nied,ltem,FAT");
    rebuild(conn, "st_gruppe",
            " SELECT CNR, clay, fat, BA_RBS, nied, ltem, -99 AS standortgr INTO st_gruppe FROM "
            "bodengruppen_2 ");
    for (const GroupRule& rule : group_rules)
        conn.execute(" UPDATE st_gruppe SET standortgr=" + std::to_string(rule.group) +
                     " WHERE standortgr=-99 AND (" + rule.condition + ") ");
    db::Dataset gaps = conn.open(
        " SELECT vb_st_gr.FL_ID, vb_st_gr.fat, vb_st_gr.cnr, vb_st_gr.nied, vb_st_gr.ltem, "
        "vb_st_gr.BA_RBS FROM vb_st_gr INNER JOIN st_gruppe ON " +
        std::string(same_attributes) + " WHERE st_gruppe.standortgr=-99 ORDER BY vb_st_gr.FL_ID ");
    for (gaps.first(); !gaps.eof(); gaps.next())
        left_out(conn, messages, "STAND", gaps.field(0).as_int(),
                 "no site group fits FAT " + gaps.field(1).as_text() + ", C/N " +
                     gaps.field(2).as_text() + ", precipitation " + gaps.field(3).as_text() +
                     ", temperature " + gaps.field(4).as_text() + ", soil type " +
                     gaps.field(5).as_text());
    conn.execute(" delete from st_gruppe where standortgr=-99 ");
    const int n = row_count(conn, messages, "st_gruppe");
    transaction.commit();
    return n;
}

int prepare_salca_ph(db::Connection& conn, MethodMessages& messages) {
    db::Transaction transaction(conn);
    int added = 0;
    if (!conn.has_table("salca_ph_value")) {
        added = conn.execute("SELECT field_description.FL_ID, field_description.site_description, "
                             "6.5 AS pH INTO salca_ph_value FROM field_description ");
    } else {
        added = conn.execute(
            " INSERT INTO salca_ph_value (FL_ID, site_description, pH) SELECT FL_ID, "
            "site_description, 6.5 FROM field_description WHERE FL_ID NOT IN (SELECT FL_ID FROM "
            "salca_ph_value WHERE FL_ID Is Not Null) ");
    }
    messages.push_back("salca_ph_value : " + std::to_string(added) + " plots added");
    transaction.commit();
    return added;
}

void prepare_method_inputs(db::Connection& conn, MethodMessages& messages) {
    build_humod_nur(conn, messages);
    prepare_stand(conn, messages);
    categorise_stand(conn, messages);
    prepare_salca_ph(conn, messages);
}

} // namespace params
