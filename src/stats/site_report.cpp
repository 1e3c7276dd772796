// site_report.cpp --- the site description of a plot.
#include "stats/site_report.h"

#include "db/connection.h"
#include "stats/bound_query.h"

#include <stdexcept>

namespace stats {

namespace {

const char* const no_value = "n/a";

std::string with_unit(const db::Value& v, int decimals, const std::string& unit) {
    const std::string s = report_number(v, decimals);
    return s.empty() ? no_value : s + unit;
}

FactLine plot_facts(const db::Dataset& s) {
    return {"FL_ID=",
            {{"", s["FL_ID"].as_text()},
             {"", s["Location"].as_text()},
             {"", s["site_description"].as_text()}}};
}

std::vector<FactLine> soil_facts(const db::Dataset& s) {
    if (s["profile"].is_null() && s["clay"].is_null())
        return {{"SOIL_ID=", {{"", s["soil_ID"].as_text()}, {"", "no soil data"}}}};
    const std::string rbs = s["BA_RBS"].as_text();
    return {
        {"SOIL_ID=",
         {{"", s["soil_ID"].as_text()},
          {"", s["profile"].as_text()},
          {"", rbs.empty() ? std::string() : rbs + " (RBS)"}}},
        {"TEXTURE:",
         {{"clay:", with_unit(s["clay"], 1, " %")},
          {"silt:", with_unit(s["silt"], 1, " %")},
          {"sand:", with_unit(s["sand"], 1, " %")},
          {"FAT(T+fU):", with_unit(s["FAT"], 1, " %")}}},
        {"POROSITY:",
         {{"PV:", with_unit(s["PV"], 1, " %")},
          {"FC:", with_unit(s["FC"], 1, " %")},
          {"PWP:", with_unit(s["PWP"], 1, " %")},
          {"PD:", with_unit(s["PD"], 2, " g/cm³")},
          {"BD:", with_unit(s["BD"], 2, " g/cm³")}}},
    };
}

FactLine climate_facts(const db::Dataset& s) {
    FactLine line{"CLIMATE_ID=", {{"", s["climate_ID"].as_text()}}};
    if (!s["station"].is_null()) line.values.push_back({"", s["station"].as_text()});
    if (s["ycnt"].as_int() <= 0) {
        line.values.push_back({"", "no weather data"});
        return line;
    }
    line.values.push_back({"", with_unit(s["mwtemp"], 1, " °C")});
    line.values.push_back({"", with_unit(s["mwprec"], 0, " mm")});
    line.values.push_back({"N=", s["ycnt"].as_text()});
    return line;
}

ReportTable references(db::Connection& conn, std::int64_t fl_id) {
    ReportTable t;
    t.caption = "References:";
    t.headers = {"ID", "author", "year", "title", "type", "source", "pages", "issue"};
    t.numeric = {true, false, false, false, false, false, false, false};
    t.widths = {4, 17, 7, 30, 8, 16, 11, 7};
    if (!conn.has_table("referenzen") || !conn.has_table("ref2vcode")) return t;
    db::Dataset r = open_bound(conn, reference_query_statement(), {db::Value(fl_id)});
    for (r.first(); !r.eof(); r.next()) {
        std::vector<std::string> row;
        for (const char* f :
             {"lit_id", "Autor", "Jahr", "titel", "produkt", "quelle", "seite", "ausgabe"})
            row.push_back(r[f].as_text());
        t.rows.push_back(std::move(row));
    }
    return t;
}

} // namespace

const std::string& site_query_statement() {
    static const std::string s =
        "SELECT f.FL_ID, f.area, f.comment, f.mw_bat, f.Herkunft, f.Location, f.classification, "
        "f.site_description, f.climate_ID, c.station, f.soil_ID, s.profile, s.BA_RBS, "
        "s.BA_RBS_CODE, s.BA_KA4, s.BA_LfL, s.clay, s.silt, s.sand, s.FAT, s.PWP, s.PV, s.FC, "
        "s.PD, s.BD, "
        "(select avg(d.temperature) from climate_data d where d.climate_ID=f.climate_ID and "
        "d.[year]<>0) AS mwtemp, "
        "(select avg(d.precipitation) from climate_data d where d.climate_ID=f.climate_ID and "
        "d.[year]<>0) AS mwprec, "
        "(select count(*) from climate_data d where d.climate_ID=f.climate_ID and d.[year]<>0) "
        "AS ycnt "
        "FROM (field_description AS f LEFT JOIN soilproperties AS s ON f.soil_ID = s.soil_ID) "
        "LEFT JOIN climate_station AS c ON f.climate_ID = c.climate_ID "
        "WHERE f.FL_ID=?";
    return s;
}

const std::string& reference_query_statement() {
    static const std::string s =
        "SELECT f.FL_ID, r.lit_id, r.Autor, r.Jahr, Left(r.Titel,254) AS titel, r.produkt, "
        "r.herausgeber, r.quelle, r.ort, r.band, r.seite, r.ausgabe, f.versuch_code "
        "FROM (field_description AS f INNER JOIN ref2vcode AS v ON f.versuch_code = "
        "v.versuchs_code) INNER JOIN referenzen AS r ON v.lit_id = r.lit_id "
        "WHERE f.FL_ID=? ORDER BY r.Jahr, r.lit_id";
    return s;
}

std::string plot_line(db::Connection& conn, std::int64_t fl_id) {
    db::Dataset d =
        open_bound(conn, "select Location, site_description from field_description where FL_ID=?",
                   {db::Value(fl_id)});
    if (d.empty()) throw std::runtime_error("no plot with FL_ID " + std::to_string(fl_id));
    return "FL_ID=" + std::to_string(fl_id) + "  " + d["Location"].as_text() + " - " +
           d["site_description"].as_text();
}

Report site_report(db::Connection& conn, std::int64_t fl_id) {
    db::Dataset s = open_bound(conn, site_query_statement(), {db::Value(fl_id)});
    if (s.empty()) throw std::runtime_error("no plot with FL_ID " + std::to_string(fl_id));
    Report r;
    r.kind = ReportKind::site;
    r.fl_id = fl_id;
    r.title = "site-description";
    r.plot_line = plot_line(conn, fl_id);
    r.facts.push_back(plot_facts(s));
    const std::string classification = s["classification"].as_text();
    if (!classification.empty()) r.facts.push_back({"classification:", {{"", classification}}});
    r.facts.push_back({"area:", {{"", with_unit(s["area"], 4, " ha")}}});
    for (FactLine& line : soil_facts(s)) r.facts.push_back(std::move(line));
    r.facts.push_back(climate_facts(s));
    r.table = references(conn, fl_id);
    return r;
}

} // namespace stats
