// simple_soil_dialog.cpp --- the simple soil description.
#include "ui/simple_soil_dialog.h"

#include "db/db_error.h"
#include "params/simple_soil.h"
#include "params/soil_profiles.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ui {
namespace {

const char* const offending = "offending";

struct Caption {
    const char* english;
    const char* german;
};
constexpr Caption label_captions[] = {{"name", "Bezeichner"},
                                      {"soil type", "Bodenart"},
                                      {"gravel (%)", "Steingehalt (%)"},
                                      {"clay (%)", "Tongehalt (%)"},
                                      {"silt (%)", "Schluffgehalt (%)"}};
constexpr Caption button_captions[] = {
    {"save this soil", "Satz Speichern"}, {"esc", "Abbruch"}, {"delete this soil", "Satz Löschen"}};

} // namespace

Tsimplesoilfrm::Tsimplesoilfrm(const app::ProgramState& state,
                               std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                               QWidget* parent)
    : QDialog(parent), state_(state), connection_(connection), dialogs_(dialogs) {
    setObjectName("Tsimplesoilfrm");
    auto* layout = new QVBoxLayout(this); // owned by the dialog, as every widget below
    auto* form = new QFormLayout;
    name_ = new QLineEdit;
    name_->setObjectName("name");
    soil_type_ = new QComboBox;
    soil_type_->setObjectName("soil_type");
    for (const std::string& t : params::simple_soil_types())
        soil_type_->addItem(QString::fromStdString(t));
    gravel_ = new QLineEdit;
    gravel_->setObjectName("gravel");
    clay_ = new QLineEdit;
    clay_->setObjectName("clay");
    silt_ = new QLineEdit;
    silt_->setObjectName("silt");
    QWidget* fields[] = {name_, soil_type_, gravel_, clay_, silt_};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(label_captions[i].english);
        l->setObjectName(QString("label%1").arg(i));
        form->addRow(l, fields[i]);
    }
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = new QPushButton(button_captions[i].english);
        row->addWidget(buttons_[i]);
    }
    connect(buttons_[0], &QPushButton::clicked, this, [this] { press_save(); });
    connect(buttons_[1], &QPushButton::clicked, this, [this] { press_esc(); });
    connect(buttons_[2], &QPushButton::clicked, this, [this] { press_delete(); });
    layout->addLayout(row);
    resize(360, 220);
}

void Tsimplesoilfrm::apply_language(bool german) {
    setWindowTitle(german ? "Bodendaten" : "simple soil description");
    for (int i = 0; i < 5; ++i)
        findChild<QLabel*>(QString("label%1").arg(i))
            ->setText(
                QString::fromUtf8(german ? label_captions[i].german : label_captions[i].english));
    for (int i = 0; i < 3; ++i)
        buttons_[i]->setText(
            QString::fromUtf8(german ? button_captions[i].german : button_captions[i].english));
}

bool Tsimplesoilfrm::highlighted(const QWidget* w) {
    return w->property(offending).toBool();
}

void Tsimplesoilfrm::highlight(QWidget* w, bool on) {
    w->setProperty(offending, on);
    w->setStyleSheet(on ? "background-color: #ffd0d0;" : "");
}

std::string Tsimplesoilfrm::edit_soil(const std::string& name) {
    load(name);
    exec();
    return name_->text().toStdString();
}

void Tsimplesoilfrm::load(const std::string& name) {
    apply_language(state_.language == "D");
    for (QWidget* w : {static_cast<QWidget*>(name_), static_cast<QWidget*>(clay_),
                       static_cast<QWidget*>(soil_type_)})
        highlight(w, false);
    name_->setText(QString::fromStdString(name));
    name_->setEnabled(true);
    new_item_ = name == params::new_soil_name;
    soil_type_->setCurrentIndex(0);
    if (new_item_) {
        gravel_->setText("0");
        clay_->setText("?");
        silt_->setText("-99");
        return;
    }
    name_->setEnabled(false);
    if (!connection_) return;
    auto st = connection_->prepare(
        "select skelett, clay, silt, BA_RBS from soilproperties where profile = ?");
    st.bind(1, db::Value(name));
    if (!st.step()) return;
    gravel_->setText(QString::fromStdString(st.column(0).as_text()));
    clay_->setText(QString::fromStdString(st.column(1).as_text()));
    silt_->setText(QString::fromStdString(st.column(2).as_text()));
    // A soil type outside the list shows "?": the user picks one of the list.
    const int i =
        soil_type_->findText(QString::fromStdString(st.column(3).as_text()), Qt::MatchExactly);
    soil_type_->setCurrentIndex(i < 0 ? 0 : i);
}

void Tsimplesoilfrm::press_save() {
    const params::SimpleSoilInput input{
        name_->text().toStdString(), soil_type_->currentText().toStdString(),
        clay_->text().toStdString(), silt_->text().toStdString(), gravel_->text().toStdString()};
    highlight(name_, false);
    highlight(clay_, false);
    highlight(soil_type_, false);
    for (const std::string& control : params::incomplete_controls(input))
        highlight(control == "name"   ? static_cast<QWidget*>(name_)
                  : control == "clay" ? static_cast<QWidget*>(clay_)
                                      : static_cast<QWidget*>(soil_type_),
                  true);
    try {
        if (!connection_) throw db::Error("There is no open database.");
        const auto saved = params::save_simple_soil(*connection_, input, new_item_, dialogs_);
        if (!saved) return;
        name_->setText(QString::fromStdString(*saved));
        accept();
    } catch (const std::exception& e) {
        dialogs_.show_error("Satz kann nicht gespeichert werden", e.what());
    }
}

void Tsimplesoilfrm::press_esc() {
    reject();
}

void Tsimplesoilfrm::reject() {
    if (new_item_) name_->setText(QString::fromStdString(params::new_soil_name));
    QDialog::reject();
}

void Tsimplesoilfrm::press_delete() {
    if (new_item_ || !connection_) return;
    try {
        if (!params::delete_simple_soil(*connection_, name_->text().toStdString(), dialogs_))
            return;
    } catch (const std::exception& e) {
        dialogs_.show_error("simple soil description", e.what());
        return;
    }
    name_->setText(QString::fromStdString(params::new_soil_name));
    accept();
}

} // namespace ui
