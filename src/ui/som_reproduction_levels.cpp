// som_reproduction_levels.cpp --- the verbal assessment of a plot's SOM reproduction.
#include "ui/som_reproduction_levels.h"

#include "db/value.h"

namespace ui {

namespace {

const char* three_levels(double v, double normal_from, double high_from) {
    return v < normal_from ? "gering" : v < high_from ? "normal" : "hoch";
}

const char* five_levels(double rep_ix) {
    return rep_ix < 30   ? "very low"
           : rep_ix < 40 ? "low"
           : rep_ix < 50 ? "normal"
           : rep_ix < 70 ? "high"
                         : "very high";
}

} // namespace

ReproductionTexts reproduction_texts(const std::string& language, double rep_flx, double rep_ix) {
    if (language == "D")
        return {"Humuszufuhr ist " + std::string(three_levels(rep_flx, 1240, 1770)) + " (" +
                    db::format_cstr(rep_flx) + ")",
                "Humusversorgung: " + std::string(three_levels(rep_ix, 55, 95)) + " (" +
                    db::format_cstr(rep_ix) + ")"};
    return {"", "SOM reproduction is " + std::string(five_levels(rep_ix))};
}

} // namespace ui
