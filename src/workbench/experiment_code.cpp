// experiment_code.cpp --- giving an experiment a new code and location.
#include "workbench/experiment_code.h"

#include "app/dialogs.h"
#include "db/connection.h"
#include "workbench/form_numbers.h"
#include "workbench/node_labels.h"

#include <stdexcept>

namespace workbench {

std::optional<ExperimentCodeForm> start_experiment_code_change(db::Connection& conn,
                                                               app::Dialogs& dialogs,
                                                               const std::string& node_label) {
    ExperimentCodeForm form;
    form.old_code = get_vcode(node_label);
    const std::optional<std::int64_t> code = read_whole_number(form.old_code);
    if (!code || *code <= 0) {
        dialogs.show_message("background adaptation impossible",
                             "please change the data manually in the database");
        return std::nullopt;
    }
    db::Statement q = conn.prepare(" SELECT location, exp_id FROM experiments WHERE exp_id=?");
    q.bind(1, *code);
    if (q.step()) {
        form.location = q.column(0).as_text();
        form.code = q.column(1).as_text();
    }
    return form;
}

void change_experiment_code(db::Connection& conn, const std::string& old_code,
                            const std::string& new_code, const std::string& new_location) {
    const std::optional<std::int64_t> code = read_whole_number(new_code);
    if (!code)
        throw std::invalid_argument("The experiment ID \"" + new_code +
                                    "\" is not a whole number; nothing was changed.");
    const std::string vcode = std::to_string(*code);
    db::Transaction t(conn);
    conn.prepare("update experiments set vcode=?, exp_id=? , location=? where vcode=?")
        .execute({vcode, *code, new_location, old_code});
    conn.prepare("update field_description set versuch_code=? , location=? where versuch_code=?")
        .execute({vcode, new_location, old_code});
    conn.prepare("update ref2vcode set versuchs_code=? where versuchs_code=?")
        .execute({vcode, old_code});
    t.commit();
}

} // namespace workbench
