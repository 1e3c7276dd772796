// som_reproduction_levels.h --- the verbal assessment of a plot's SOM reproduction.
#pragma once

#include <string>

namespace ui {

// The two assessment captions of the SOM-Reproduction page.
struct ReproductionTexts {
    std::string supply; // Label36: the organic matter supply (German only)
    std::string level;  // rep_level: the reproduction level
};

// German ("D"): supply by the mean reproduction flux rep_flx (kg C/ha/a: "gering" below
// 1240, "normal" from 1240, "hoch" from 1770) and level by the mean reproduction index
// rep_ix ("gering" below 55, "normal" from 55, "hoch" from 95). Other languages: the level
// alone, by rep_ix ("very low" below 30, "low" from 30, "normal" from 40, "high" from 50,
// "very high" from 70).
ReproductionTexts reproduction_texts(const std::string& language, double rep_flx, double rep_ix);

} // namespace ui
