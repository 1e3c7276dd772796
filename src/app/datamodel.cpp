// datamodel.cpp --- the schema steps that bring an older experiment database up to date.
#include "app/datamodel.h"

#include "db/db_error.h"
#include "db/text.h"

#include <utility>

namespace app {

namespace {

// Runs the schema statements of one adaptation and keeps the list of what ran.
class SchemaSteps {
public:
    explicit SchemaSteps(db::Connection& conn) : conn_(conn) {}

    void run(const std::string& statement) {
        conn_.execute(statement);
        executed_.push_back(statement);
    }
    void create_if_missing(const std::string& table, const std::string& statement) {
        if (!conn_.has_table(table)) run(statement);
    }
    // The tables the adaptation cannot create: the absence of one ends the adaptation.
    void require_core_tables() {
        if (const auto table = missing_core_table(conn_))
            throw db::Error("The experiment database has no table " + *table +
                            "; it cannot be adapted.");
    }
    bool has_column(const std::string& table, const std::string& column) {
        return conn_.has_column(table, column);
    }
    db::Connection& connection() { return conn_; }
    std::vector<std::string> take() { return std::move(executed_); }

private:
    db::Connection& conn_;
    std::vector<std::string> executed_;
};

void add_missing_work_tables(SchemaSteps& steps) {
    steps.create_if_missing("sim_result", "create table sim_result ( fl_id int, m_ix int, "
                                          "year_num int, year_ int, sim_value float   )");
    steps.create_if_missing("tmp_ndeposit",
                            "create table tmp_ndeposit ( climate_id int,  [year] int, "
                            "N_dep_y float   )");
    steps.create_if_missing("reg_ndeposit",
                            "create table reg_ndeposit ( climate_id int,  [year] int, "
                            "N_dep_y float   )");
    steps.create_if_missing("tmp_outlist",
                            "create table tmp_outlist ( fl_id int, m_ix int, meas_id int   )");
}

void add_measurement_columns(SchemaSteps& steps) {
    if (!steps.has_column("measurements", "vrnz"))
        steps.run("alter table measurements add vrnz float");

    for (const char* column : {"N_flush", "BD", "PWP", "a_age", "s_age", "l_age", "N_m_fom"}) {
        if (!steps.has_column("tsm_nresult", column))
            steps.run(std::string("alter table tsm_nresult add ") + column + " float");
    }
}

// The plot columns are judged from one look at the table, before any of them is added.
void add_plot_columns(SchemaSteps& steps) {
    const bool has_area = steps.has_column("field_description", "area");
    const bool has_notill = steps.has_column("field_description", "notill");
    const bool has_rep_cnt = steps.has_column("field_description", "rep_cnt");
    const bool has_i_con = steps.has_column("field_description", "i_con");
    if (!has_area) {
        steps.run("alter table field_description add area float");
        steps.run("update field_description set area=-99");
    }
    if (!has_notill) {
        steps.run("alter table field_description add notill float");
        steps.run("update field_description set notill=0");
        steps.run("update field_description set notill=1 where instr(1,comment,'notill',0)>0");
    }
    if (!has_rep_cnt) {
        steps.run("alter table field_description add rep_cnt int");
        steps.run("update field_description set rep_cnt=0");
    }
    if (!has_i_con) {
        steps.run("alter table field_description add i_con char(8)");
        steps.run("update field_description set i_con='obsval'");
    }
}

void write_method(SettingsStore& settings, const std::string& method) {
    if (settings.key_exists()) settings.write_string("methode", method);
}

// The model of cbi_setting's first row as stored; "" when the table is empty.
std::string stored_model(db::Connection& conn) {
    db::Dataset ds = conn.open("cbi_setting");
    if (ds.empty()) return {};
    ds.first();
    return ds.field("model").as_text();
}

// The database's method wins over the settings: read it, or create the table with "TSM".
std::optional<std::string> read_or_create_method(SchemaSteps& steps, SettingsStore& settings,
                                                 ProgramState& state) {
    if (steps.connection().has_table("cbi_setting")) {
        std::string method = db::trim(stored_model(steps.connection()));
        state.methode = method;
        write_method(settings, method);
        return method;
    }
    steps.run("create table cbi_setting (model char(12))");
    steps.run("insert into cbi_setting (model) select \"TSM\"");
    write_method(settings, "TSM");
    return std::nullopt;
}

void add_state_tables(SchemaSteps& steps) {
    steps.create_if_missing("som_state",
                            "create table som_state ( fl_id integer, yr integer, c_am float, "
                            "c_sm float, c_lts float, cnr_am float, cnr_sm float, "
                            "cnr_lts float ) ");
    steps.create_if_missing("fom_state",
                            "create table fom_state ( fl_id integer, yr integer, nr integer, "
                            "fom_ix integer, fom_c float, fom_crflx float, fom_cnr float, "
                            "fom_k float, fom_eta float ) ");
    if (!steps.has_column("fom_state", "fom_crflx")) {
        steps.run("alter table fom_state add fom_crflx float");
        steps.run("update fom_state set fom_crflx=-999.99");
    }
    if (!steps.has_column("fom_state", "fom_ix")) {
        steps.run("alter table fom_state add fom_ix integer");
        steps.run("update fom_state set fom_ix=-999");
    }
}

void settle_method(SchemaSteps& steps, SettingsStore& settings, ProgramState& state) {
    steps.create_if_missing("cbi_setting", "select \"TSM         \" as model into cbi_setting ");
    const std::string model = stored_model(steps.connection());
    write_method(settings, db::trim(model));
    state.caption = "TSM workbench; Model=" + model;
    state.methode = db::trim(model);
}

void add_parameter_columns(SchemaSteps& steps) {
    if (!steps.has_column("soilproperties", "fchw"))
        steps.run("alter table soilproperties add fchw float");
    if (!steps.has_column("soilproperties", "fbio"))
        steps.run("alter table soilproperties add fbio float");

    if (!steps.has_column("srbpflan", "oeko_code"))
        steps.run("alter table srbpflan add oeko_code int");
}

void add_selection_lists(SchemaSteps& steps) {
    steps.create_if_missing("srbsel_crop", " SELECT Yes AS [select],srbpflan.ITEM_IX, "
                                           "srbpflan.Name, OEKO_code INTO srbsel_crop FROM "
                                           "srbpflan ");
    steps.create_if_missing("srbsel_ops", " SELECT Yes AS [select], ITEM_IX, Name INTO "
                                          "srbsel_ops FROM srbopspa where OD=-1 ");
    steps.create_if_missing(
        "srbsel_frt", " SELECT Yes AS [select], ITEM_IX, Name  INTO srbsel_frt FROM srbmindg ");
}

} // namespace

std::optional<std::string> missing_core_table(db::Connection& conn) {
    for (const char* table :
         {"measurements", "tsm_nresult", "field_description", "soilproperties", "srbpflan"})
        if (!conn.has_table(table)) return table;
    return std::nullopt;
}

Adaptation adapt_datamodel(db::Connection& conn, SettingsStore& settings, ProgramState& state) {
    SchemaSteps steps(conn);
    // The tables no step creates are looked for first: a file that is not an experiment
    // database is left exactly as it was.
    steps.require_core_tables();
    add_missing_work_tables(steps);
    add_measurement_columns(steps);
    add_plot_columns(steps);
    std::optional<std::string> method_field = read_or_create_method(steps, settings, state);
    add_state_tables(steps);
    settle_method(steps, settings, state);
    add_parameter_columns(steps);
    add_selection_lists(steps);
    return Adaptation{steps.take(), std::move(method_field)};
}

std::int64_t get_key(db::Connection& conn, const std::string& table, const std::string& key) {
    return conn.scalar(" select max(" + key + ")+1 as newkey from " + table).as_int(0);
}

} // namespace app
