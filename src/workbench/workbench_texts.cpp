// workbench_texts.cpp --- the workbench's text table.
#include "workbench/workbench_texts.h"

#include <array>
#include <stdexcept>

namespace workbench {
namespace {

constexpr int first_entry = 14;

struct Text {
    std::string english, german;
};

const std::array<Text, 17>& texts() {
    static const std::array<Text, 17> table = {{
        {"files", "Tabellen"},
        {"plots", "Schläge"},
        {"annual C-flux [kg/ha]", "jährl. C-Fluss [kg/ha]"},
        {"C-storage(top soil) [t/ha]", "C-Vorrat der Krume  [t/ha]"},
        {" Do you really want to delete ALL data of plot ",
         "Wollen Sie wirklich ALLE Daten löschen von Fläche:"},
        {" Confirm Delete", "Löschen Bestätigen!"},
        {": The Folder will be deleted!", ": Der Betrieb wird mit allen Daten gelöscht !"},
        {"choose plots for simulation", "gewünschte Flächen auswählen"},
        {"please edit first the initial value", "Bitte zuerst einen Startwert definieren !"},
        {"OPERATION DENIED", "Operation nicht durchführbar"},
        {"transfer of management data               ", "Transfer von Bewirtschaftungsdaten"},
        {"transfer of measurement data              ", "Transfer von Messwerten"},
        {" - continue ?", " - fortsetzen ?"},
        {"confirm operation", "bitte bestätigen"},
        {"you are about to copy measurement data into plot ",
         "Sie kopieren Messergebnisse nach Fläche "},
        {"you are about to copy management data into plot ",
         "Sie kopieren Bewirtschaftungsdaten nach Fläche "},
        {" records copied ", " Sätze kopiert "},
    }};
    return table;
}

} // namespace

const std::string& ui_text(int entry, const std::string& language) {
    const int i = entry - first_entry;
    if (i < 0 || i >= static_cast<int>(texts().size()))
        throw std::out_of_range("The workbench has no text number " + std::to_string(entry) + ".");
    const Text& t = texts()[static_cast<std::size_t>(i)];
    return language == "D" ? t.german : t.english;
}

std::string confirm_caption(const std::string& language) {
    return language == "D" ? "ACHTUNG !" : "ATTENTION !";
}

} // namespace workbench
