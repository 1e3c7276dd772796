#!/usr/bin/env python3
"""make_demo.py --- writes data/demo.sql, the experiment data of the demo database.

The demo database is data/template.sql (schema and parameter tables) followed
by data/demo.sql (experiments, plots, soils, climate, N deposition, management
and measurements). Weather, yields, soil measurements and deposition values are
synthetic: they are drawn from random generators seeded with SEED, so the
output is the same on every run. The means and magnitudes they are drawn
around are typical published values (see data/README.md, "Demo database").

The template is loaded into an in-memory SQLite database to take the crop,
amendment and fertiliser parameters from it (for the converted quantity
Sim_Quantity), to check that every column and item the demo uses exists, and
to check the result for the conditions a simulation run needs.

Usage: python3 data/tools/make_demo.py [--template PATH] [--output PATH]
"""

import argparse
import math
import random
import sqlite3
import sys
from pathlib import Path

SEED = 4711
DATA_DIR = Path(__file__).resolve().parent.parent
ROWS_PER_INSERT = 200

# Item numbers of the parameter tables (the template uses exactly these).
WINTER_WHEAT, WINTER_RYE, WINTER_BARLEY, SPRING_BARLEY, OATS = 1, 2, 3, 4, 5
SILAGE_MAIZE, SUGAR_BEET, POTATOES = 7, 9, 10
PERMANENT_GRASSLAND, TRITICALE, MUSTARD = 15, 16, 17
FYM, CATTLE_SLURRY, PIG_SLURRY, COMPOST, DIGESTATE = 101, 102, 103, 104, 106
CAN, UREA, UAN, AMMONIUM_SULPHATE = 1, 2, 3, 4
IRRIGATION_ITEM = 1   # irrigation has no item; 1 is listed as "-" by the data entry

# Action codes of the management record.
PLOUGH_UP, HARVEST, AMENDMENT, MINERAL_N, IRRIGATION, HARVEST_BYPRODUCT_LEFT = 0, 2, 3, 4, 7, 9

# Measured properties.
M_NT, M_CMIC, M_CORG, M_NUPTAKE = 0, 5, 7, 20

TRUE, FALSE, MISSING = -1, 0, -99


# --------------------------------------------------------------------------
# Soils
# --------------------------------------------------------------------------

def soil(soil_id, profile, classification, rbs, rbs_code, ka4, lfl, clay, silt,
         fat, pv, fc, pwp, bd, pd, cif, skelett, fchw, fbio):
    """One soilproperties row; a property given as None is left for the
    pedotransfer functions (-99, flag false), a number counts as measured."""
    row = {"soil_ID": soil_id, "profile": profile, "BA_RBS": rbs,
           "BA_RBS_CODE": rbs_code, "BA_KA4": ka4, "BA_LfL": lfl,
           "clay": clay, "silt": silt, "sand": round(100 - clay - silt, 1),
           "silt_org": TRUE, "sand_org": TRUE, "skelett": skelett,
           "fchw": fchw, "fbio": fbio}
    for name, value in (("FAT", fat), ("PV", pv), ("FC", fc), ("PWP", pwp),
                        ("BD", bd), ("PD", pd), ("cif", cif)):
        row[name] = MISSING if value is None else value
        row[name + "_org"] = FALSE if value is None else TRUE
    return row, classification


# Loess Chernozem of the central German dry region: physics measured, particle
# density and carbon share cif derived.
CHERNOZEM = soil(1, "Haplic Chernozem, loess", "Haplic Chernozem (loess), silt loam",
                 "L", "L1Lö", "Ut4", "uL", clay=21.0, silt=68.0, fat=33.0,
                 pv=47.5, fc=35.5, pwp=14.0, bd=1.38, pd=None, cif=None,
                 skelett=0.0, fchw=15.0, fbio=0.20)
# Sandy Cambisol: only texture and bulk density measured, the rest derived.
CAMBISOL = soil(2, "Haplic Cambisol, glacial sand", "Haplic Cambisol (sand), loamy sand",
                "Sl", "Sl4D", "Sl2", "lS", clay=6.0, silt=18.0, fat=None,
                pv=None, fc=None, pwp=None, bd=1.55, pd=None, cif=None,
                skelett=3.0, fchw=15.0, fbio=0.10)
# Clay loam Luvisol: everything measured but the fine fraction FAT.
LUVISOL = soil(3, "Haplic Luvisol, boulder clay", "Haplic Luvisol (till), clay loam",
               "LT", "LT3D", "Lt2", "tL", clay=28.0, silt=44.0, fat=None,
               pv=44.5, fc=36.5, pwp=19.0, bd=1.45, pd=2.63, cif=0.60,
               skelett=1.0, fchw=15.0, fbio=0.18)
SOILS = [CHERNOZEM, CAMBISOL, LUVISOL]


# --------------------------------------------------------------------------
# Climate stations
# --------------------------------------------------------------------------

FIRST_CLIMATE_YEAR, LAST_CLIMATE_YEAR = 1951, 2020
NORMAL_PERIOD = (1961, 1990)


class Station:
    def __init__(self, climate_id, name, t_normal, p_normal, p_cv,
                 ndep_anchors, ndep_measured):
        self.climate_id = climate_id
        self.name = name
        self.t_normal = t_normal      # mean of NORMAL_PERIOD, deg C
        self.p_normal = p_normal      # mean of NORMAL_PERIOD, mm
        self.p_cv = p_cv              # year-to-year variation of precipitation
        self.ndep_anchors = ndep_anchors    # (year0, ndep0, year1, ndep1)
        self.ndep_measured = ndep_measured  # (first year, value there, value 2020)
        self.weather = {}             # year -> (temperature, precipitation)


DRY_STATION = Station(1, "Central German dry region (demo)", 8.9, 480.0, 0.18,
                      (1985, 40.0, 2005, 20.0), (1990, 38.0, 14.0))
MOIST_STATION = Station(2, "Lower Rhine region (demo)", 9.8, 780.0, 0.15,
                        (1985, 30.0, 2005, 22.0), (1990, 30.0, 16.0))
STATIONS = [DRY_STATION, MOIST_STATION]


def warming(year):
    """Mild warming: none up to 1980, then 0.035 K per year."""
    return max(0, year - 1980) * 0.035


def make_weather(station):
    rng = random.Random(f"{SEED}-weather-{station.climate_id}")
    years = range(FIRST_CLIMATE_YEAR, LAST_CLIMATE_YEAR + 1)
    temp = {y: warming(y) + rng.gauss(0.0, 0.65) for y in years}
    prec = {y: math.exp(rng.gauss(0.0, station.p_cv)) for y in years}
    # Scale the series so that the normal period has the station's normals.
    normal = [y for y in years if NORMAL_PERIOD[0] <= y <= NORMAL_PERIOD[1]]
    t_shift = station.t_normal - sum(temp[y] for y in normal) / len(normal)
    p_scale = station.p_normal / (sum(prec[y] for y in normal) / len(normal))
    station.weather = {y: (round(temp[y] + t_shift, 1), round(prec[y] * p_scale))
                       for y in years}


def long_term_means(station):
    normal = [w for y, w in station.weather.items()
              if NORMAL_PERIOD[0] <= y <= NORMAL_PERIOD[1]]
    return (round(sum(t for t, _ in normal) / len(normal), 1),
            round(sum(p for _, p in normal) / len(normal)))


def measured_deposition(station):
    """Annual N deposition from the first measured year to 2020: an
    exponential decline with noise; the year-0 row is the default."""
    rng = random.Random(f"{SEED}-ndep-{station.climate_id}")
    first, start, end = station.ndep_measured
    rate = math.log(end / start) / (LAST_CLIMATE_YEAR - first)
    rows = [(0, end)]
    for y in range(first, LAST_CLIMATE_YEAR + 1):
        rows.append((y, round(start * math.exp(rate * (y - first)) + rng.gauss(0, 1.2), 1)))
    return rows


# --------------------------------------------------------------------------
# Experiments and plots
# --------------------------------------------------------------------------

class Plot:
    def __init__(self, fl_id, name, soil, station, area, treatment, corg,
                 cn, qmic):
        self.fl_id = fl_id
        self.name = name
        self.soil = soil
        self.station = station
        self.area = area
        self.treatment = treatment
        self.corg = corg      # (initial, equilibrium, time constant in years, start year of the change)
        self.cn = cn          # (initial C/N, final C/N)
        self.qmic = qmic      # microbial C as share of organic C
        self.events = []      # (day, month, year, macode, item, quantity, share)


class Experiment:
    def __init__(self, exp_id, location, first_year, last_year, plots):
        self.exp_id = exp_id
        self.location = location
        self.first_year = first_year
        self.last_year = last_year
        self.plots = plots


STATIC_TRIAL = Experiment(1, "Static fertilisation trial", 1970, 2015, [
    Plot(101, "101 no fertiliser", CHERNOZEM, DRY_STATION, 0.0265, "control",
         (1.85, 1.62, 28.0, 1970), (10.8, 10.9), 0.0165),
    Plot(102, "102 mineral N", CHERNOZEM, DRY_STATION, 0.0265, "N",
         (1.85, 1.74, 28.0, 1970), (10.8, 10.6), 0.0175),
    Plot(103, "103 farmyard manure", CHERNOZEM, DRY_STATION, 0.0265, "FYM",
         (1.85, 2.02, 28.0, 1970), (10.8, 10.4), 0.0195),
    Plot(104, "104 farmyard manure + mineral N", CHERNOZEM, DRY_STATION, 0.0265, "FYM+N",
         (1.85, 2.12, 28.0, 1970), (10.8, 10.3), 0.0200),
    Plot(105, "105 farmyard manure + mineral N, irrigated", CHERNOZEM, DRY_STATION, 0.0265,
         "FYM+N irrigated", (1.85, 2.16, 28.0, 1970), (10.8, 10.3), 0.0205),
])

ROTATION_TRIAL = Experiment(2, "Crop rotation trial", 1972, 2016, [
    Plot(201, "201 straw removed", LUVISOL, MOIST_STATION, 0.0180, "straw removed",
         (1.22, 1.08, 30.0, 1972), (9.8, 9.9), 0.0190),
    Plot(202, "202 straw incorporated", LUVISOL, MOIST_STATION, 0.0180, "straw incorporated",
         (1.22, 1.24, 30.0, 1972), (9.8, 9.9), 0.0210),
    Plot(203, "203 straw incorporated + cattle slurry", LUVISOL, MOIST_STATION, 0.0180,
         "straw + slurry", (1.22, 1.38, 30.0, 1972), (9.8, 9.6), 0.0230),
    Plot(204, "204 ploughed-up grassland, straw incorporated", LUVISOL, MOIST_STATION, 0.0180,
         "grassland ploughed", (2.45, 1.42, 12.0, 1977), (10.9, 9.9), 0.0220),
    Plot(205, "205 sand, straw removed", CAMBISOL, MOIST_STATION, 0.0150, "sand straw removed",
         (1.05, 0.94, 30.0, 1972), (12.5, 12.7), 0.0120),
    Plot(206, "206 sand, straw incorporated + slurry", CAMBISOL, MOIST_STATION, 0.0150,
         "sand straw + slurry", (1.05, 1.16, 30.0, 1972), (12.5, 12.0), 0.0140),
])
EXPERIMENTS = [STATIC_TRIAL, ROTATION_TRIAL]
GRASSLAND_PLOUGHED = 1977

TREATMENT_COMMENT = {
    "control": "no fertiliser since the start",
    "N": "mineral N (calcium ammonium nitrate) to every crop",
    "FYM": "farmyard manure 30 t/ha every second year, to sugar beet and potatoes",
    "FYM+N": "farmyard manure 30 t/ha every second year plus mineral N",
    "FYM+N irrigated": "farmyard manure plus mineral N; root crops irrigated in dry years",
    "straw removed": "all straw and beet leaves removed",
    "straw incorporated": "straw and beet leaves incorporated; mustard catch crop from 1980",
    "straw + slurry": "straw incorporated plus cattle slurry to sugar beet and wheat",
    "grassland ploughed": f"permanent grassland until ploughed up in {GRASSLAND_PLOUGHED}, then arable with straw incorporated",
    "sand straw removed": "sand block; straw removed, no organic amendments",
    "sand straw + slurry": "sand block; straw incorporated, pig slurry (digestate from 2008) and compost",
}


# --------------------------------------------------------------------------
# Yields
# --------------------------------------------------------------------------

# Yield of the main product (dt/ha, in the unit of the crop table: fresh matter,
# forage crops dry matter, catch crop fresh matter ploughed in) of the fully
# fertilised treatment at 1970 and 2015 (linear between, constant outside), and
# the sensitivity of the yield to the relative precipitation deviation of the year.
YIELD_LEVELS = {
    "dry": {WINTER_WHEAT: (52, 82, 0.30), SUGAR_BEET: (360, 640, 0.45),
            SPRING_BARLEY: (38, 60, 0.40), POTATOES: (240, 400, 0.50)},
    "loam": {WINTER_WHEAT: (55, 92, 0.10), WINTER_BARLEY: (50, 82, 0.10),
             SUGAR_BEET: (420, 740, 0.15), SILAGE_MAIZE: (380, 480, 0.20),
             MUSTARD: (140, 180, 0.30), PERMANENT_GRASSLAND: (80, 95, 0.20)},
    "sand": {WINTER_RYE: (36, 62, 0.35), TRITICALE: (48, 66, 0.35),
             POTATOES: (230, 410, 0.50), OATS: (36, 52, 0.35),
             SILAGE_MAIZE: (320, 430, 0.40)},
}

# Yield of a treatment relative to the fully fertilised one.
TREATMENT_YIELD = {
    "control": {WINTER_WHEAT: 0.56, SUGAR_BEET: 0.62, SPRING_BARLEY: 0.63, POTATOES: 0.46},
    "N": {WINTER_WHEAT: 0.95, SUGAR_BEET: 0.90, SPRING_BARLEY: 0.96, POTATOES: 0.88},
    "FYM": {WINTER_WHEAT: 0.74, SUGAR_BEET: 0.84, SPRING_BARLEY: 0.77, POTATOES: 0.80},
}


def yield_level(site, crop, year):
    y1970, y2015, _ = YIELD_LEVELS[site][crop]
    t = min(max(year - 1970, 0), 45) / 45.0
    return y1970 + (y2015 - y1970) * t


def weather_factor(site, crop, station, year, irrigated):
    """Relative yield of a year from its precipitation; an irrigated crop
    does not suffer from a dry year."""
    _, _, sensitivity = YIELD_LEVELS[site][crop]
    _, prec = station.weather[year]
    deviation = prec / station.p_normal - 1.0
    if irrigated:
        deviation = max(deviation, 0.0)
    return max(0.55, 1.0 + sensitivity * max(min(deviation, 0.4), -0.6))


class YieldModel:
    """Yields of one experiment: a year effect common to all plots of the
    experiment and a small plot effect, both log-normal."""

    def __init__(self, experiment):
        self.rng = random.Random(f"{SEED}-yield-{experiment.exp_id}")
        self.year_effect = {}

    def draw(self, plot, site, crop, year, treatment_factor=1.0, irrigated=False):
        key = (year, crop)
        if key not in self.year_effect:
            self.year_effect[key] = math.exp(self.rng.gauss(0.0, 0.06))
        value = (yield_level(site, crop, year) * treatment_factor
                 * weather_factor(site, crop, plot.station, year, irrigated)
                 * self.year_effect[key] * math.exp(self.rng.gauss(0.0, 0.04)))
        return round(value) if value >= 100 else round(value, 1)


# --------------------------------------------------------------------------
# Management
# --------------------------------------------------------------------------

HARVEST_DATE = {WINTER_WHEAT: (5, 8), WINTER_BARLEY: (12, 7), WINTER_RYE: (28, 7),
                TRITICALE: (2, 8), SPRING_BARLEY: (25, 7), OATS: (10, 8),
                SUGAR_BEET: (15, 10), POTATOES: (15, 9), SILAGE_MAIZE: (20, 9),
                PERMANENT_GRASSLAND: (25, 9)}
PLOUGH_IN_DATE = {MUSTARD: (25, 11), PERMANENT_GRASSLAND: (10, 4)}


def static_trial_crop(year):
    """Winter wheat in 1970, then sugar beet - spring barley - potatoes - winter wheat."""
    return (WINTER_WHEAT, SUGAR_BEET, SPRING_BARLEY, POTATOES)[(year - 1970) % 4]


# Mineral N of the static trial (kg N/ha) per crop, as (day, month, amount) dressings.
STATIC_TRIAL_N = {WINTER_WHEAT: [(15, 3, 40), (10, 4, 50), (15, 5, 50)],
                  SUGAR_BEET: [(5, 4, 120)], SPRING_BARLEY: [(1, 4, 60)],
                  POTATOES: [(15, 4, 100)]}


def add(plot, day, month, year, macode, item, quantity, share=0):
    plot.events.append((day, month, year, macode, item, quantity, share))


def static_trial_management(experiment):
    yields = YieldModel(experiment)
    for year in range(experiment.first_year, experiment.last_year + 1):
        crop = static_trial_crop(year)
        for plot in experiment.plots:
            treatment = plot.treatment
            irrigated = treatment == "FYM+N irrigated" and crop in (SUGAR_BEET, POTATOES)
            if irrigated:
                _, prec = plot.station.weather[year]
                amount = 10 * round(max(0.0, 560 - prec) * 0.6 / 10)
                if amount >= 20:
                    # One row per year with the season's total: a run counts
                    # one irrigation amount per plot and year.
                    add(plot, 10, 7, year, IRRIGATION, IRRIGATION_ITEM, min(amount, 90))
            if treatment in ("N", "FYM+N", "FYM+N irrigated"):
                for day, month, amount in STATIC_TRIAL_N[crop]:
                    add(plot, day, month, year, MINERAL_N, CAN, amount)
            factor = TREATMENT_YIELD.get(treatment, {}).get(crop, 1.0)
            quantity = yields.draw(plot, "dry", crop, year, factor, irrigated)
            day, month = HARVEST_DATE[crop]
            add(plot, day, month, year, HARVEST, crop, quantity)
            # Farmyard manure in autumn for the following sugar beet or potatoes.
            if treatment.startswith("FYM") and crop in (WINTER_WHEAT, SPRING_BARLEY) \
                    and year < experiment.last_year:
                add(plot, 10, 11, year, AMENDMENT, FYM, 300)


def rotation_trial_crop(plot, year):
    """Loam: winter wheat - winter barley - sugar beet from 1972; the grassland
    plot stays grassland until it is ploughed up and grows silage maize in
    that year. Sand: winter rye (triticale from 1990) - potatoes - oats - silage maize."""
    if plot.soil is LUVISOL:
        if plot.treatment == "grassland ploughed" and year <= GRASSLAND_PLOUGHED:
            return PERMANENT_GRASSLAND if year < GRASSLAND_PLOUGHED else SILAGE_MAIZE
        return (WINTER_WHEAT, WINTER_BARLEY, SUGAR_BEET)[(year - 1972) % 3]
    cereal = TRITICALE if year >= 1990 else WINTER_RYE
    return (cereal, POTATOES, OATS, SILAGE_MAIZE)[(year - 1972) % 4]


# Mineral N of the rotation trial (kg N/ha): dressings per crop.
ROTATION_N = {WINTER_WHEAT: [(10, 3, 60), (15, 4, 60), (20, 5, 50)],
              WINTER_BARLEY: [(5, 3, 70), (10, 4, 70)],
              SUGAR_BEET: [(25, 3, 110)], SILAGE_MAIZE: [(25, 4, 130)],
              PERMANENT_GRASSLAND: [(20, 3, 70), (1, 6, 60), (20, 7, 50)],
              WINTER_RYE: [(10, 3, 50), (15, 4, 50)], TRITICALE: [(10, 3, 60), (15, 4, 60)],
              POTATOES: [(15, 4, 120)], OATS: [(1, 4, 70)]}


def rotation_fertiliser(crop, year, first_dressing):
    """Calcium ammonium nitrate, UAN solution for the loam cereals from 1995,
    ammonium sulphate for the first dressing of sand cereals from 1990, urea
    for potatoes."""
    if crop in (WINTER_WHEAT, WINTER_BARLEY) and year >= 1995:
        return UAN
    if crop in (WINTER_RYE, TRITICALE) and first_dressing and year >= 1990:
        return AMMONIUM_SULPHATE
    if crop == POTATOES:
        return UREA
    return CAN


def rotation_amendments(plot, crop, year):
    """Slurry plots; returns the mineral N saved by the slurry (kg N/ha)."""
    if plot.treatment == "straw + slurry" and crop in (SUGAR_BEET, WINTER_WHEAT):
        # One year the spreader covered only half of the plot.
        share = 50 if year == 1996 else 0
        add(plot, 20, 3, year, AMENDMENT, CATTLE_SLURRY, 300 if crop == SUGAR_BEET else 200, share)
        return 40
    if plot.treatment == "sand straw + slurry":
        if crop in (SILAGE_MAIZE, POTATOES):
            item = DIGESTATE if year >= 2008 else PIG_SLURRY
            add(plot, 15, 4, year, AMENDMENT, item, 250)
        if crop == OATS and year >= 1998:
            add(plot, 1, 9, year, AMENDMENT, COMPOST, 200)
        return 40 if crop in (SILAGE_MAIZE, POTATOES) else 0
    return 0


def rotation_trial_management(experiment):
    yields = YieldModel(experiment)
    for year in range(experiment.first_year, experiment.last_year + 1):
        for plot in experiment.plots:
            crop = rotation_trial_crop(plot, year)
            site = "loam" if plot.soil is LUVISOL else "sand"
            if crop == SILAGE_MAIZE and plot.treatment == "grassland ploughed":
                # The sward and its roots are ploughed in before the maize.
                day, month = PLOUGH_IN_DATE[PERMANENT_GRASSLAND]
                add(plot, day, month, year, PLOUGH_UP, PERMANENT_GRASSLAND, GRASSLAND_SWARD)
            saved_n = rotation_amendments(plot, crop, year)
            for i, (day, month, amount) in enumerate(ROTATION_N[crop]):
                if i == 0:
                    amount -= saved_n
                if amount > 0:
                    add(plot, day, month, year, MINERAL_N, rotation_fertiliser(crop, year, i == 0), amount)
            straw_left = plot.treatment not in ("straw removed", "sand straw removed")
            # One harvest row per crop and year (grassland: the total of its
            # three cuts, dated at the last cut), as the humus balance methods
            # count every harvest row as one crop.
            code = HARVEST_BYPRODUCT_LEFT if straw_left and crop in BYPRODUCT_CROPS else HARVEST
            day, month = HARVEST_DATE[crop]
            add(plot, day, month, year, code, crop, yields.draw(plot, site, crop, year))
            # Mustard catch crop between winter barley and sugar beet, ploughed in
            # as green manure (fresh matter).
            if crop == WINTER_BARLEY and straw_left and year >= 1980:
                day, month = PLOUGH_IN_DATE[MUSTARD]
                add(plot, day, month, year, PLOUGH_UP, MUSTARD,
                    yields.draw(plot, site, MUSTARD, year))


BYPRODUCT_CROPS = (WINTER_WHEAT, WINTER_BARLEY, SUGAR_BEET, WINTER_RYE, TRITICALE, OATS)
GRASSLAND_SWARD = 400   # dt/ha fresh matter of sward and roots ploughed in


# --------------------------------------------------------------------------
# Measurements
# --------------------------------------------------------------------------

SAMPLING_YEARS = {1: [1974, 1978, 1982, 1987, 1991, 1995, 2000, 2004, 2008, 2012, 2015],
                  2: [1975, 1979, 1984, 1988, 1993, 1997, 2001, 2006, 2010, 2013, 2016]}
CMIC_YEARS = {1: [1996, 2000, 2004, 2008, 2012], 2: [1999, 2005, 2011]}
UPTAKE_PLOTS = {101, 102, 103, 104, 105, 201, 202}
UPTAKE_YEARS = range(1995, 2011)


def corg_trend(plot, year):
    c0, ceq, tau, start = plot.corg
    return ceq + (c0 - ceq) * math.exp(-max(0, year - start) / tau)


def cn_trend(plot, year, experiment):
    cn0, cn1 = plot.cn
    t = (year - experiment.first_year) / (experiment.last_year - experiment.first_year)
    return cn0 + (cn1 - cn0) * t


def plot_measurements(experiment, plot, params):
    """Rows (day, month, year, year_number, M_IX, value, variance)."""
    rng = random.Random(f"{SEED}-meas-{plot.fl_id}")
    first = experiment.first_year
    rows = []

    def soil_sample(day, month, year, year_number):
        corg = corg_trend(plot, year) + rng.gauss(0.0, 0.045)
        nt = corg / cn_trend(plot, year, experiment) + rng.gauss(0.0, 0.004)
        rows.append((day, month, year, year_number, M_CORG, round(corg, 2),
                     round(rng.uniform(0.0015, 0.0040), 4)))
        rows.append((day, month, year, year_number, M_NT, round(nt, 3),
                     round(rng.uniform(0.00002, 0.00006), 6)))

    soil_sample(20, 3, first, 0)
    for year in SAMPLING_YEARS[experiment.exp_id]:
        soil_sample(20, 10, year, year - first + 1)
    for year in CMIC_YEARS[experiment.exp_id]:
        # mg C per 100 g soil: 1 % organic carbon is 1000 mg C/100 g.
        cmic = corg_trend(plot, year) * 1000 * plot.qmic * math.exp(rng.gauss(0.0, 0.10))
        rows.append((15, 4, year, year - first + 1, M_CMIC, round(cmic, 1),
                     round(rng.uniform(3, 9), 1)))
    if plot.fl_id in UPTAKE_PLOTS:
        for day, month, year, macode, item, quantity, _ in plot.events:
            if macode in (HARVEST, HARVEST_BYPRODUCT_LEFT) and year in UPTAKE_YEARS:
                uptake = quantity * params.crop_n[item] * math.exp(rng.gauss(0.0, 0.07))
                rows.append((day, month, year, year - first + 1, M_NUPTAKE,
                             round(uptake, 1), round(rng.uniform(40, 120))))
    return rows


# --------------------------------------------------------------------------
# Parameters from the template
# --------------------------------------------------------------------------

class Parameters:
    """Crop, amendment and fertiliser parameters of the template."""

    def __init__(self, db):
        self.db = db
        self.crop_n = dict(db.execute("select ITEM_IX, N_GEHALT from srbpflan"))
        self.amendment_c = {ix: 100 * ts * c for ix, ts, c in db.execute(
            "select ITEM_IX, TS_GEHALT, C_GEH_TS from srbopspa")}
        self.fertilisers = {ix for (ix,) in db.execute("select ITEM_IX from srbmindg")}
        self.grd_ix = dict(db.execute("select ITEM_IX, grd_ix from srbpflan"))
        self.kop_ix = dict(db.execute("select ITEM_IX, kop_ix from srbpflan"))

    def columns(self, table):
        return {name.lower() for _, name, *_ in self.db.execute(f"pragma table_info({table})")}

    def sim_quantity(self, macode, item, quantity):
        """The converted amount a run writes (harvested N, amendment C) or the
        data entry stores (ploughing up: amount / 10); the amount otherwise."""
        if macode in (HARVEST, HARVEST_BYPRODUCT_LEFT):
            return round(quantity * self.crop_n[item], 3)
        if macode == AMENDMENT:
            return round(quantity * self.amendment_c[item], 3)
        if macode == PLOUGH_UP:
            return round(quantity / 10)
        return quantity


def load_template(path):
    text = Path(path).read_text(encoding="utf-8")
    if not text.strip():
        sys.exit(f"{path} is empty: the demo needs the template's schema and parameters")
    db = sqlite3.connect(":memory:")
    db.executescript(text)
    return db


# --------------------------------------------------------------------------
# Tables
# --------------------------------------------------------------------------

def table_rows(params):
    """All rows of the demo as {table: (columns, rows)}, in insertion order."""
    tables = {}

    tables["experiments"] = (
        ["exp_id", "vcode", "location", "herkunft"],
        [(e.exp_id, str(e.exp_id), e.location, "demo data (synthetic)") for e in EXPERIMENTS])

    plots = [(e, p) for e in EXPERIMENTS for p in e.plots]
    tables["field_description"] = (
        ["FL_ID", "Location", "versuch_code", "site_description", "Herkunft", "climate_ID",
         "soil_ID", "i_con", "area", "notill", "rep_cnt", "mw_BAT", "comment", "classification"],
        [(p.fl_id, e.location, str(e.exp_id), p.name, "demo data (synthetic)",
          p.station.climate_id, p.soil[0]["soil_ID"], "obsval", p.area, 0, 0, MISSING,
          TREATMENT_COMMENT[p.treatment], p.soil[1]) for e, p in plots])

    # Every demo plot is selected, so that an unattended run simulates all of them.
    tables["site_state"] = (["FL_ID", "status", "res_VAL"], [(p.fl_id, 1, 0) for _, p in plots])

    tables["vc2cls"] = (
        ["exp_id", "climate_ID"],
        sorted({(e.exp_id, p.station.climate_id) for e, p in plots}))

    soil_columns = list(SOILS[0][0].keys())
    tables["soilproperties"] = (soil_columns, [tuple(s[c] for c in soil_columns) for s, _ in SOILS])

    tables["climate_station"] = (
        ["climate_ID", "station", "year0_nd", "ndep_0", "year1_nd", "ndep_1"],
        [(s.climate_id, s.name, *s.ndep_anchors) for s in STATIONS])

    climate = []
    for s in STATIONS:
        # Annual rows carry no date: day and month 0, like the long-term row of year 0.
        climate.append((s.climate_id, 0, 0, 0, *long_term_means(s)))
        climate += [(s.climate_id, 0, 0, y, t, p) for y, (t, p) in sorted(s.weather.items())]
    tables["climate_data"] = (
        ["climate_ID", "day", "month", "year", "temperature", "precipitation"], climate)

    tables["reg_ndeposit"] = (
        ["climate_id", "year", "N_dep_y"],
        [(s.climate_id, y, v) for s in STATIONS for y, v in measured_deposition(s)])

    cultivation = []
    for _, p in plots:
        for day, month, year, macode, item, quantity, share in sorted(
                p.events, key=lambda ev: (ev[2], ev[1], ev[0], ev[3])):
            cultivation.append((len(cultivation) + 1, p.fl_id, day, month, year, macode, item,
                                quantity, params.sim_quantity(macode, item, quantity), share))
    tables["cultivation"] = (
        ["cultivation_id", "FL_ID", "day", "month", "year", "Macode", "Item_IX", "Quantity",
         "Sim_Quantity", "FL_ID_alt"], cultivation)

    measurement_columns = ["meas_id", "FL_ID", "day", "Month", "year", "year_number", "M_IX",
                           "meas_value", "vrnz"]
    with_weight = "weight" in params.columns("measurements")
    if with_weight:
        measurement_columns.append("weight")
    measurements = []
    for e, p in plots:
        for row in plot_measurements(e, p, params):
            measurements.append((len(measurements) + 1, p.fl_id, *row) + ((1,) if with_weight else ()))
    tables["measurements"] = (measurement_columns, measurements)
    return tables


def sql_value(value):
    if isinstance(value, str):
        return "'" + value.replace("'", "''") + "'"
    if isinstance(value, float):
        text = repr(round(value, 6))
        return text[:-2] if text.endswith(".0") else text
    return str(value)


def render(tables):
    out = ["-- Demo experiment database: the experiment data, applied after template.sql.",
           f"-- Generated by data/tools/make_demo.py (seed {SEED}); do not edit by hand.",
           "-- The program applies it inside the transaction that builds the database."]
    for table, (columns, rows) in tables.items():
        for start in range(0, len(rows), ROWS_PER_INSERT):
            chunk = rows[start:start + ROWS_PER_INSERT]
            out.append(f"INSERT INTO {table} ({', '.join(columns)}) VALUES")
            out.append(",\n".join("(" + ", ".join(sql_value(v) for v in row) + ")"
                                  for row in chunk) + ";")
    return "\n".join(out) + "\n"


# --------------------------------------------------------------------------
# Checks
# --------------------------------------------------------------------------

def check_schema(params, tables):
    problems = []
    for table, (columns, _) in tables.items():
        have = params.columns(table)
        if not have:
            problems.append(f"template has no table {table}")
            continue
        problems += [f"template table {table} has no column {c}"
                     for c in columns if c.lower() not in have]
    return problems


def check_items(params):
    problems = []
    for e in EXPERIMENTS:
        for p in e.plots:
            for _, _, year, macode, item, _, _ in p.events:
                if macode in (HARVEST, HARVEST_BYPRODUCT_LEFT, PLOUGH_UP) and item not in params.crop_n:
                    problems.append(f"crop {item} (plot {p.fl_id}, {year}) not in srbpflan")
                elif macode == HARVEST_BYPRODUCT_LEFT and params.kop_ix[item] not in params.amendment_c:
                    problems.append(f"crop {item} (plot {p.fl_id}, {year}) has no by-product to leave")
                elif macode == PLOUGH_UP and params.grd_ix[item] not in params.amendment_c:
                    problems.append(f"crop {item} (plot {p.fl_id}, {year}) has no green manure item")
                if macode == AMENDMENT and item not in params.amendment_c:
                    problems.append(f"amendment {item} (plot {p.fl_id}, {year}) not in srbopspa")
                if macode == MINERAL_N and item not in params.fertilisers:
                    problems.append(f"fertiliser {item} (plot {p.fl_id}, {year}) not in srbmindg")
    return problems


RUN_CHECKS = {
    "plots without exactly one initial Corg":
        "select fl_id from field_description f where (select count(*) from measurements m"
        " where m.fl_id=f.fl_id and m_ix=7 and year_number=0) <> 1",
    "plots whose first input year lies after the initial measurement":
        "select m.fl_id from measurements m join cultivation c on c.fl_id=m.fl_id"
        " where m.year_number=0 and c.macode in (2,3,9) group by m.fl_id, m.year"
        " having min(c.year) > m.year",
    "plot years without residue or amendment input (missed harvest)":
        "with recursive yrs(fl_id, y, last) as (select fl_id, min(year), max(year)"
        " from cultivation group by fl_id union all select fl_id, y+1, last from yrs"
        " where y < last) select fl_id, y from yrs where not exists (select 1 from"
        " cultivation c where c.fl_id=yrs.fl_id and c.year=yrs.y and c.macode in (2,3,9))",
    "plot years without weather":
        "select distinct c.fl_id, c.year from cultivation c join field_description f"
        " on f.fl_id=c.fl_id where not exists (select 1 from climate_data d where"
        " d.climate_id=f.climate_id and d.year=c.year)",
    "plots without soil or station":
        "select fl_id from field_description f where not exists (select 1 from"
        " soilproperties s where s.soil_id=f.soil_id) or not exists (select 1 from"
        " climate_station s where s.climate_id=f.climate_id)",
    "plot years with more than one harvest row of a crop":
        "select fl_id, year, item_ix from cultivation where macode in (2,9)"
        " group by fl_id, year, item_ix having count(*) > 1",
    "plot years with more than one irrigation row":
        "select fl_id, year from cultivation where macode=7 group by fl_id, year having count(*) > 1",
}


def check_run_conditions(params, sql):
    params.db.executescript(sql)
    problems = []
    for what, query in RUN_CHECKS.items():
        rows = params.db.execute(query).fetchall()
        if rows:
            problems.append(f"{what}: {rows[:5]}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--template", default=DATA_DIR / "template.sql")
    parser.add_argument("--output", default=DATA_DIR / "demo.sql")
    args = parser.parse_args()

    params = Parameters(load_template(args.template))
    for station in STATIONS:
        make_weather(station)
    static_trial_management(STATIC_TRIAL)
    rotation_trial_management(ROTATION_TRIAL)

    problems = check_items(params)
    if problems:
        sys.exit("\n".join(problems))
    tables = table_rows(params)
    problems = check_schema(params, tables)
    if problems:
        sys.exit("\n".join(problems))
    # The per-plot inputs of the humus balance methods, kept as SQL beside this script.
    sql = render(tables) + (Path(__file__).parent / "demo_method_inputs.sql").read_text(
        encoding="utf-8")
    problems = check_run_conditions(params, sql)
    if problems:
        sys.exit("\n".join(problems))
    Path(args.output).write_text(sql, encoding="utf-8")
    for table, (_, rows) in tables.items():
        print(f"{table}: {len(rows)}")


if __name__ == "__main__":
    main()
