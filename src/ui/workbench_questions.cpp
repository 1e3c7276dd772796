// workbench_questions.cpp --- the small dialogs of the workbench's entries: the new folder
// name, the plot number shift, the experiment code and the statistics phase.
#include "stats/statistics_update.h"
#include "ui/workbench_connections.h"

#include <QButtonGroup>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ui {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QPushButton* add_button(QDialog& dialog, QLayout* layout, const char* caption, int result) {
    auto* b = new QPushButton(caption);
    layout->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, &dialog, [&dialog, result] { dialog.done(result); });
    return b;
}

// The new folder dialog: only "ok" confirms, and only with a name; "cancel" or closing it
// any other way cancels.
std::optional<std::string> ask_folder_name(QWidget* parent, const std::string& caption,
                                           std::int64_t code) {
    QDialog dialog(parent);
    dialog.setWindowTitle(qs(caption));
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(new QLabel(QString::number(code)));
    auto* name = new QLineEdit;
    name->setObjectName("Edit1");
    layout->addRow("short name", name);
    auto* buttons = new QHBoxLayout;
    QPushButton* ok = add_button(dialog, buttons, "ok", QDialog::Accepted);
    add_button(dialog, buttons, "cancel", QDialog::Rejected);
    layout->addRow(buttons);
    ok->setEnabled(false);
    QObject::connect(name, &QLineEdit::textChanged, ok,
                     [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return name->text().toStdString();
}

// The plot number shift dialog: the current range, the shift (default 100) and the state of
// the destination range after every change of the shift.
std::optional<std::string>
ask_plot_id_shift(QWidget* parent, const std::string& location, const workbench::PlotIdRange& r,
                  const std::function<std::string(const std::string&)>& status) {
    QDialog dialog(parent);
    dialog.setWindowTitle(qs(location));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("current range"));
    layout->addWidget(new QLabel(QString("max_ %1   min_ %2").arg(r.max).arg(r.min)));
    auto* shift = new QLineEdit(workbench::default_plot_id_shift);
    shift->setObjectName("Edit1");
    layout->addWidget(shift);
    auto* state = new QLabel;
    layout->addWidget(state);
    auto refresh = [&] {
        try {
            state->setText(qs(status(shift->text().toStdString())));
        } catch (const std::exception& e) {
            state->setText(e.what());
        }
    };
    QObject::connect(shift, &QLineEdit::textChanged, &dialog, refresh);
    refresh();
    add_button(dialog, layout, "adapt ID", QDialog::Accepted);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return shift->text().toStdString();
}

// The experiment code dialog: "adapt ID" takes the fields, "no changes" leaves everything,
// "new ID" proposes a free code.
std::optional<std::pair<std::string, std::string>>
ask_experiment_code(QWidget* parent, const workbench::ExperimentCodeForm& form,
                    const std::function<std::string()>& new_code) {
    QDialog dialog(parent);
    dialog.setWindowTitle("adapt experiment ID");
    auto* layout = new QFormLayout(&dialog);
    auto* location = new QLineEdit(qs(form.location));
    auto* code = new QLineEdit(qs(form.code));
    layout->addRow("location", location);
    layout->addRow("", new QLabel(qs(form.location)));
    layout->addRow("unique ID", code);
    layout->addRow("", new QLabel(qs(form.code)));
    auto* buttons = new QHBoxLayout;
    add_button(dialog, buttons, "adapt ID", QDialog::Accepted);
    add_button(dialog, buttons, "no changes", QDialog::Rejected);
    auto* fresh = new QPushButton("new ID");
    buttons->addWidget(fresh);
    QObject::connect(fresh, &QPushButton::clicked, &dialog, [&] { code->setText(qs(new_code())); });
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return std::pair{code->text().toStdString(), location->text().toStdString()};
}

std::optional<stats::Phase> ask_phase(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle("select temporal phase for statistics");
    auto* layout = new QVBoxLayout(&dialog);
    auto* box = new QGroupBox("time interval");
    auto* choices = new QVBoxLayout(box);
    QButtonGroup group;
    for (const stats::Phase phase :
         {stats::Phase::all_records, stats::Phase::early_years, stats::Phase::late_years}) {
        auto* b = new QRadioButton(stats::phase_caption(phase));
        choices->addWidget(b);
        group.addButton(b, static_cast<int>(phase));
    }
    group.button(0)->setChecked(true);
    layout->addWidget(box);
    add_button(dialog, layout, "continue", QDialog::Accepted);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return static_cast<stats::Phase>(group.checkedId());
}

} // namespace

WorkbenchQuestions qt_workbench_questions(QWidget* parent) {
    WorkbenchQuestions q;
    q.folder_name = [parent](const std::string& caption, std::int64_t code) {
        return ask_folder_name(parent, caption, code);
    };
    q.plot_id_shift = [parent](const std::string& location, const workbench::PlotIdRange& range,
                               const std::function<std::string(const std::string&)>& status) {
        return ask_plot_id_shift(parent, location, range, status);
    };
    q.experiment_code = [parent](const workbench::ExperimentCodeForm& form,
                                 const std::function<std::string()>& new_code) {
        return ask_experiment_code(parent, form, new_code);
    };
    q.phase = [parent] { return ask_phase(parent); };
    return q;
}

} // namespace ui
