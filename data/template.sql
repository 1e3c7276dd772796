-- template.sql --- schema and standard parameter sets of a new, empty
-- experiment database (SQLite). Executed once on an empty file.
--
-- Conventions: integers INTEGER, numbers REAL, texts TEXT COLLATE NOCASE
-- (text compares without regard to case), booleans INTEGER holding -1 (true)
-- and 0 (false), -99 marks a missing value or an absent reference.
-- Column names keep the mixed English/German spelling the programs use.
-- Where the values come from: data/README.md.

-- --------------------------------------------------------------------------
-- Experiment data: experiments, plots and their selection state
-- --------------------------------------------------------------------------

-- One row per experiment, vcode is exp_id written as text.
CREATE TABLE experiments (
    exp_id   INTEGER,
    vcode    TEXT COLLATE NOCASE,
    location TEXT COLLATE NOCASE,
    herkunft TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX ix_experiments_exp_id ON experiments (exp_id);

-- One row per plot. i_con: obsval, null or the FL_ID of the plot whose saved
-- state starts this plot, notill: 0 always tilled, 1 never, 2 by year (code 14).
CREATE TABLE field_description (
    FL_ID            INTEGER NOT NULL,
    Location         TEXT COLLATE NOCASE,
    versuch_code     TEXT COLLATE NOCASE,
    site_description TEXT COLLATE NOCASE DEFAULT '-',
    Herkunft         TEXT COLLATE NOCASE DEFAULT '??',
    climate_ID       INTEGER DEFAULT -99,
    soil_ID          INTEGER DEFAULT -99,
    i_con            TEXT COLLATE NOCASE DEFAULT 'obsval',
    area             REAL DEFAULT -99,
    notill           REAL DEFAULT 0,
    rep_cnt          INTEGER DEFAULT 0,
    mw_BAT           REAL,
    comment          TEXT COLLATE NOCASE DEFAULT '-',
    classification   TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX ix_field_description_fl_id ON field_description (FL_ID);

-- Selection state of each plot: status 1 = selected for the next run.
CREATE TABLE site_state (
    FL_ID   INTEGER NOT NULL,
    status  INTEGER DEFAULT 0,
    res_VAL INTEGER DEFAULT 0
);
CREATE UNIQUE INDEX ix_site_state_fl_id ON site_state (FL_ID);

-- Climate stations offered for the plots of an experiment.
CREATE TABLE vc2cls (
    exp_id     INTEGER,
    climate_ID INTEGER
);
CREATE INDEX ix_vc2cls_exp_id ON vc2cls (exp_id);

-- --------------------------------------------------------------------------
-- Soils
-- --------------------------------------------------------------------------

-- Soil profiles of the plots (topsoil). Fractions in % by mass, PV/FC/PWP in
-- % by volume, BD/PD in g/cm3, skelett in %. X_org = -1: X was measured and is
-- used as it is, 0: X is derived by the pedotransfer functions at every run.
CREATE TABLE soilproperties (
    soil_ID     INTEGER NOT NULL,
    profile     TEXT COLLATE NOCASE,
    BA_RBS      TEXT COLLATE NOCASE,
    BA_RBS_CODE TEXT COLLATE NOCASE,
    BA_KA4      TEXT COLLATE NOCASE,
    BA_LfL      TEXT COLLATE NOCASE,
    clay        REAL,
    silt        REAL,
    silt_org    INTEGER DEFAULT 0,
    sand        REAL,
    sand_org    INTEGER DEFAULT 0,
    FAT         REAL,
    FAT_org     INTEGER DEFAULT 0,
    PV          REAL,
    PV_org      INTEGER DEFAULT 0,
    FC          REAL,
    FC_org      INTEGER DEFAULT 0,
    PWP         REAL,
    PWP_org     INTEGER DEFAULT 0,
    BD          REAL,
    BD_org      INTEGER DEFAULT 0,
    PD          REAL,
    PD_org      INTEGER DEFAULT 0,
    cif         REAL,
    cif_org     INTEGER DEFAULT 0,
    skelett     REAL DEFAULT 0,
    fchw        REAL,
    fbio        REAL
);
CREATE UNIQUE INDEX ix_soilproperties_soil_id ON soilproperties (soil_ID);

-- Pore size parameters of the inert carbon share (first row is used).
CREATE TABLE pore_size_parm (
    mi REAL,
    me REAL,
    ma REAL
);
INSERT INTO pore_size_parm (mi, me, ma) VALUES
    (2, 10, 10);

-- Horizons of a soil profile.
CREATE TABLE profile (
    PROFIL     TEXT COLLATE NOCASE,
    HORIZONT   INTEGER,
    HORIZ_NAME TEXT COLLATE NOCASE
);

-- Horizon parameter sets.
CREATE TABLE CNDHRZN (
    NAME TEXT COLLATE NOCASE,
    FAT  REAL,
    clay REAL,
    silt REAL,
    sand REAL,
    BD   REAL,
    PD   REAL,
    PV   REAL,
    FC   REAL,
    PWP  REAL,
    cif  REAL
);

-- --------------------------------------------------------------------------
-- Climate
-- --------------------------------------------------------------------------

-- Stations, two anchor years of the historic N deposition (kg N/ha per year).
CREATE TABLE climate_station (
    climate_ID INTEGER NOT NULL,
    station    TEXT COLLATE NOCASE,
    year0_nd   INTEGER,
    ndep_0     REAL,
    year1_nd   INTEGER,
    ndep_1     REAL
);
CREATE UNIQUE INDEX ix_climate_station_climate_id ON climate_station (climate_ID);

-- Weather records (annual rows, year 0 holds the long-term means), °C and mm.
CREATE TABLE climate_data (
    climate_ID    INTEGER,
    "day"         INTEGER,
    "month"       INTEGER,
    "year"        INTEGER,
    temperature   REAL,
    precipitation REAL
);
CREATE INDEX ix_climate_data_station_year ON climate_data (climate_ID, "year");

-- Measured annual N deposition, kg N/ha, year 0 is the station default.
CREATE TABLE reg_ndeposit (
    climate_id INTEGER,
    "year"     INTEGER,
    N_dep_y    REAL
);
CREATE INDEX ix_reg_ndeposit_station_year ON reg_ndeposit (climate_id, "year");

-- --------------------------------------------------------------------------
-- Management
-- --------------------------------------------------------------------------

-- Management events. Macode: action code (srbaktion), Quantity in the unit of
-- the action, FL_ID_alt: share of the plot in % (0 or less: the whole plot).
-- A column part is added only to databases of the regional mode.
CREATE TABLE cultivation (
    cultivation_id INTEGER PRIMARY KEY AUTOINCREMENT,
    FL_ID          INTEGER,
    "day"          INTEGER,
    "month"        INTEGER,
    "year"         INTEGER,
    Macode         INTEGER,
    Item_IX        INTEGER,
    Quantity       REAL,
    Sim_Quantity   REAL,
    FL_ID_alt      REAL DEFAULT 0
);
CREATE INDEX ix_cultivation_fl_id_year ON cultivation (FL_ID, "year");

-- --------------------------------------------------------------------------
-- Measurements
-- --------------------------------------------------------------------------

-- Observed values, M_IX: property (CND_MWML), year_number 0 marks the initial
-- value of a plot, weight 0 marks an outlier.
CREATE TABLE measurements (
    meas_id     INTEGER PRIMARY KEY AUTOINCREMENT,
    FL_ID       INTEGER,
    "day"       INTEGER,
    "Month"     INTEGER,
    "year"      INTEGER,
    year_number INTEGER,
    M_IX        INTEGER,
    meas_value  REAL,
    vrnz        REAL,
    weight      REAL DEFAULT 1
);
CREATE INDEX ix_measurements_fl_id_m_ix ON measurements (FL_ID, M_IX);

-- --------------------------------------------------------------------------
-- Parameters: crops, organic matter, fertilisers, actions, model
-- --------------------------------------------------------------------------

-- Crops. Yield unit: dt/ha fresh matter of the main product at the dry matter of
-- the fertiliser ordinance (grain 86 %), forage crops in dt/ha dry matter.
-- HI: by-product per main product (fresh matter), N_GEHALT: kg N/dt main product,
-- root and stubble residue N (kg N/ha) = CEWR + FEWR * harvested N (kg N/ha),
-- ewr_ix, kop_ix, grd_ix: residue, by-product and green manure items in srbopspa
-- (-99: none), ros_ix: crop class of the STAND method, oeko_code 0: offered in
-- conventional and organic farming.
CREATE TABLE srbpflan (
    ITEM_IX   INTEGER NOT NULL,
    NAME      TEXT COLLATE NOCASE,
    name_de   TEXT COLLATE NOCASE,
    NAME_en   TEXT COLLATE NOCASE,
    kurzbez   TEXT COLLATE NOCASE,
    HI        REAL,
    N_GEHALT  REAL,
    FEWR      REAL,
    CEWR      REAL,
    ewr_ix    INTEGER,
    kop_ix    INTEGER,
    grd_ix    INTEGER,
    ros_ix    INTEGER,
    main_crop INTEGER,
    oeko_code INTEGER
);
INSERT INTO srbpflan (ITEM_IX, NAME, name_de, NAME_en, kurzbez, HI, N_GEHALT, FEWR, CEWR, ewr_ix, kop_ix, grd_ix, ros_ix, main_crop, oeko_code) VALUES
    ( 1, 'winter wheat',         'Winterweizen',        'winter wheat',         'WW',  0.8, 1.81, 0.16, 15,  1,  21, -99, 1, -1, 0),
    ( 2, 'winter rye',           'Winterroggen',        'winter rye',           'WR',  0.9, 1.51, 0.16, 15,  1,  21, -99, 1, -1, 0),
    ( 3, 'winter barley',        'Wintergerste',        'winter barley',        'WG',  0.7, 1.65, 0.16, 15,  1,  21, -99, 1, -1, 0),
    ( 4, 'spring barley',        'Sommergerste',        'spring barley',        'SG',  0.7, 1.38, 0.18, 10,  2,  21, -99, 1, -1, 0),
    ( 5, 'oats',                 'Hafer',               'oats',                 'HA',  1.1, 1.51, 0.18, 10,  2,  21, -99, 1, -1, 0),
    ( 6, 'grain maize',          'Körnermais',          'grain maize',          'KM',    1, 1.38,  0.2, 15,  3,  22, -99, 2, -1, 0),
    ( 7, 'silage maize',         'Silomais',            'silage maize',         'SM',    0, 0.38, 0.12, 10,  3, -99, -99, 2, -1, 0),
    ( 8, 'winter oilseed rape',  'Winterraps',          'winter oilseed rape',  'WRA', 1.7, 3.35,  0.2, 15,  4,  23, -99, 1, -1, 0),
    ( 9, 'sugar beet',           'Zuckerrübe',          'sugar beet',           'ZR',  0.7, 0.18, 0.12, 10,  5,  24, -99, 3, -1, 0),
    (10, 'potatoes',             'Kartoffeln',          'potatoes',             'KA',  0.2, 0.35, 0.09,  5,  6,  25, -99, 4, -1, 0),
    (11, 'field peas',           'Futtererbse',         'field peas',           'ERB',   1,  3.6, 0.18, 10,  7,  26, -99, 5, -1, 0),
    (12, 'faba beans',           'Ackerbohne',          'faba beans',           'ACB',   1,  4.1, 0.14, 10,  7,  26, -99, 5, -1, 0),
    (13, 'clover-grass ley',     'Kleegras',            'clover-grass ley',     'KG',    0,  2.6, 0.15, 20,  8, -99,  31, 6, -1, 0),
    (14, 'lucerne',              'Luzerne',             'lucerne',              'LUZ',   0,  2.9, 0.15, 20,  9, -99,  32, 6, -1, 0),
    (15, 'permanent grassland',  'Dauergrünland',       'permanent grassland',  'GL',    0,  2.3, 0.15, 20, 10, -99,  33, 8, -1, 0),
    (16, 'triticale',            'Wintertriticale',     'triticale',            'WT',  0.9, 1.65, 0.16, 15,  1,  21, -99, 1, -1, 0),
    (17, 'catch crop (mustard)', 'Zwischenfrucht Senf', 'catch crop (mustard)', 'SEN',   0, 0.35,  0.2, 10, 11, -99,  34, 7,  0, 0);
CREATE UNIQUE INDEX ix_srbpflan_item_ix ON srbpflan (ITEM_IX);

-- Fresh organic matter: root and stubble residues (1-19), by-products (21-29),
-- ploughed-up swards and green manures (31-39), organic amendments (101-, od = -1).
-- TS_GEHALT: dry matter share of fresh matter, C_GEH_TS: C share of dry matter,
-- K: decomposition rate per day of biologically active time, ETA: share of the
-- decomposed C passed to soil organic matter, CNR: C/N of the decomposing organic
-- matter, CNR_ALT: C/N of the applied matter (total N), mkd 1: the SOM formed from
-- the item is tracked, ros_ix: amendment class of the STAND method.
CREATE TABLE srbopspa (
    ITEM_IX   INTEGER NOT NULL,
    NAME      TEXT COLLATE NOCASE,
    name_de   TEXT COLLATE NOCASE,
    name_en   TEXT COLLATE NOCASE,
    TS_GEHALT REAL,
    C_GEH_TS  REAL,
    K         REAL,
    ETA       REAL,
    CNR       REAL,
    CNR_ALT   REAL,
    mkd       INTEGER,
    od        INTEGER,
    ros_ix    INTEGER
);
INSERT INTO srbopspa (ITEM_IX, NAME, name_de, name_en, TS_GEHALT, C_GEH_TS, K, ETA, CNR, CNR_ALT, mkd, od, ros_ix) VALUES
    (  1, 'root and stubble residues, winter cereals',   'Ernte- und Wurzelrückstände Wintergetreide',    'root and stubble residues, winter cereals',     0.5, 0.42,  0.04, 0.35, 45, 45, 0,  0, -99),
    (  2, 'root and stubble residues, spring cereals',   'Ernte- und Wurzelrückstände Sommergetreide',    'root and stubble residues, spring cereals',     0.5, 0.42,  0.04, 0.35, 40, 40, 0,  0, -99),
    (  3, 'root and stubble residues, maize',            'Ernte- und Wurzelrückstände Mais',              'root and stubble residues, maize',              0.5, 0.42,  0.04, 0.33, 40, 40, 0,  0, -99),
    (  4, 'root and stubble residues, oilseed rape',     'Ernte- und Wurzelrückstände Raps',              'root and stubble residues, oilseed rape',       0.5, 0.42,  0.05,  0.3, 35, 35, 0,  0, -99),
    (  5, 'root and crown residues, sugar beet',         'Ernte- und Wurzelrückstände Zuckerrübe',        'root and crown residues, sugar beet',           0.2,  0.4,   0.1, 0.22, 25, 25, 0,  0, -99),
    (  6, 'root and crop residues, potatoes',            'Ernte- und Wurzelrückstände Kartoffeln',        'root and crop residues, potatoes',              0.2,  0.4,   0.1, 0.22, 25, 25, 0,  0, -99),
    (  7, 'root and stubble residues, grain legumes',    'Ernte- und Wurzelrückstände Körnerleguminosen', 'root and stubble residues, grain legumes',      0.5, 0.42,  0.06, 0.28, 25, 25, 0,  0, -99),
    (  8, 'root and stubble residues, clover-grass ley', 'Ernte- und Wurzelrückstände Kleegras',          'root and stubble residues, clover-grass ley',   0.3, 0.42, 0.035, 0.38, 25, 25, 0,  0, -99),
    (  9, 'root and stubble residues, lucerne',          'Ernte- und Wurzelrückstände Luzerne',           'root and stubble residues, lucerne',            0.3, 0.42, 0.035, 0.38, 22, 22, 0,  0, -99),
    ( 10, 'root and stubble residues, grassland',        'Ernte- und Wurzelrückstände Grünland',          'root and stubble residues, grassland',          0.3, 0.42,  0.03,  0.4, 30, 30, 0,  0, -99),
    ( 11, 'root residues, catch crop (mustard)',         'Wurzelrückstände Zwischenfrucht Senf',          'root residues, catch crop (mustard)',           0.2,  0.4,  0.08, 0.25, 20, 20, 0,  0, -99),
    ( 21, 'cereal straw',                                'Getreidestroh',                                 'cereal straw',                                 0.86, 0.45,  0.06, 0.25, 77, 77, 0,  0,   7),
    ( 22, 'grain maize stover',                          'Körnermaisstroh',                               'grain maize stover',                           0.86, 0.45,  0.05, 0.28, 43, 43, 0,  0,   8),
    ( 23, 'oilseed rape straw',                          'Rapsstroh',                                     'oilseed rape straw',                           0.86, 0.45,  0.06, 0.25, 55, 55, 0,  0,   9),
    ( 24, 'sugar beet leaves',                           'Rübenblatt',                                    'sugar beet leaves',                            0.16,  0.4,  0.15, 0.15, 16, 16, 0,  0,  10),
    ( 25, 'potato haulm',                                'Kartoffelkraut',                                'potato haulm',                                 0.15,  0.4,  0.12, 0.18, 30, 30, 0,  0,  11),
    ( 26, 'grain legume straw',                          'Körnerleguminosenstroh',                        'grain legume straw',                           0.86, 0.45,  0.07, 0.25, 26, 26, 0,  0,  12),
    ( 31, 'ploughed-up sward, clover-grass ley',         'Umbruch Kleegras',                              'ploughed-up sward, clover-grass ley',          0.25,  0.4,  0.05, 0.35, 20, 20, 0,  0,  13),
    ( 32, 'ploughed-up sward, lucerne',                  'Umbruch Luzerne',                               'ploughed-up sward, lucerne',                   0.25,  0.4,  0.05, 0.35, 18, 18, 0,  0,  13),
    ( 33, 'ploughed-up sward, grassland',                'Umbruch Grünland',                              'ploughed-up sward, grassland',                 0.25,  0.4,  0.04, 0.38, 22, 22, 0,  0,  13),
    ( 34, 'green manure, mustard',                       'Gründüngung Senf',                              'green manure, mustard',                        0.13,  0.4,  0.12,  0.2, 15, 15, 0,  0,  14),
    (101, 'farmyard manure (cattle)',                    'Rindermist',                                    'farmyard manure (cattle)',                     0.25, 0.38, 0.015,  0.5, 20, 17, 1, -1,   1),
    (102, 'cattle slurry',                               'Rindergülle',                                   'cattle slurry',                               0.075,  0.4,  0.05,  0.3, 15,  8, 1, -1,   2),
    (103, 'pig slurry',                                  'Schweinegülle',                                 'pig slurry',                                   0.05, 0.38,  0.07, 0.25, 12,  4, 1, -1,   3),
    (104, 'green-waste compost',                         'Grüngutkompost',                                'green-waste compost',                           0.6,  0.2, 0.005, 0.65, 16, 15, 1, -1,   4),
    (105, 'poultry manure',                              'Geflügelmist',                                  'poultry manure',                                0.5, 0.38,  0.06,  0.3, 11,  8, 1, -1,   5),
    (106, 'digestate (biogas)',                          'Gärrest (Biogas)',                              'digestate (biogas)',                          0.065, 0.36,  0.02, 0.45, 12,  5, 1, -1,   6);
CREATE UNIQUE INDEX ix_srbopspa_item_ix ON srbopspa (ITEM_IX);

-- Mineral fertilisers: AMMANTEIL = ammonium (and amide) share of the N in %,
-- N_GEHALT = N content in %.
CREATE TABLE srbmindg (
    ITEM_IX   INTEGER NOT NULL,
    NAME      TEXT COLLATE NOCASE,
    AMMANTEIL REAL,
    N_GEHALT  REAL
);
INSERT INTO srbmindg (ITEM_IX, NAME, AMMANTEIL, N_GEHALT) VALUES
    (1, 'calcium ammonium nitrate (27 % N)',        50, 27),
    (2, 'urea (46 % N)',                           100, 46),
    (3, 'urea ammonium nitrate solution (28 % N)',  75, 28),
    (4, 'ammonium sulphate (21 % N)',              100, 21);
CREATE UNIQUE INDEX ix_srbmindg_item_ix ON srbmindg (ITEM_IX);

-- Management actions (cultivation.Macode) with the meaning and unit of the amount.
CREATE TABLE srbaktion (
    action_id        INTEGER NOT NULL,
    "ACTION"         TEXT COLLATE NOCASE,
    action_de        TEXT COLLATE NOCASE,
    action_en        TEXT COLLATE NOCASE,
    DEF_INTENSITY    TEXT COLLATE NOCASE,
    def_intensity_de TEXT COLLATE NOCASE,
    def_intensity_en TEXT COLLATE NOCASE,
    UNIT_INTENSITY   TEXT COLLATE NOCASE
);
INSERT INTO srbaktion (action_id, "ACTION", action_de, action_en, DEF_INTENSITY, def_intensity_de, def_intensity_en, UNIT_INTENSITY) VALUES
    ( 0, 'ploughing up of grassland / green manure', 'Umbruch Grünland / Gründüngung', 'ploughing up of grassland / green manure', 'fresh matter ploughed in',        'eingearbeitete Frischmasse',    'fresh matter ploughed in',        'dt/ha'),
    ( 1, 'sowing',                                   'Aussaat',                        'sowing',                                   'seed rate',                       'Saatmenge',                     'seed rate',                       'kg/ha'),
    ( 2, 'harvest, by-product removed',              'Ernte, Nebenprodukt abgefahren', 'harvest, by-product removed',              'yield of the main product',       'Ertrag Hauptprodukt',           'yield of the main product',       'dt/ha'),
    ( 3, 'organic amendment',                        'organische Düngung',             'organic amendment',                        'fresh matter applied',            'ausgebrachte Frischmasse',      'fresh matter applied',            'dt/ha'),
    ( 4, 'mineral N fertilisation',                  'mineralische N-Düngung',         'mineral N fertilisation',                  'N applied',                       'N-Menge',                       'N applied',                       'kg N/ha'),
    ( 5, 'soil tillage',                             'Bodenbearbeitung',               'soil tillage',                             'lower depth of the worked layer', 'Bearbeitungstiefe',             'lower depth of the worked layer', 'cm'),
    ( 6, 'liming',                                   'Kalkung',                        'liming',                                   'lime applied',                    'Kalkmenge',                     'lime applied',                    'dt CaO/ha'),
    ( 7, 'irrigation',                               'Beregnung',                      'irrigation',                               'irrigation amount',               'Beregnungsmenge',               'irrigation amount',               'mm'),
    ( 8, 'plant protection',                         'Pflanzenschutz',                 'plant protection',                         'product applied',                 'Aufwandmenge',                  'product applied',                 'kg/ha'),
    ( 9, 'harvest, by-product left on the field',    'Ernte, Nebenprodukt verbleibt',  'harvest, by-product left on the field',    'yield of the main product',       'Ertrag Hauptprodukt',           'yield of the main product',       'dt/ha'),
    (10, 'grazing',                                  'Beweidung',                      'grazing',                                  'stocking rate',                   'Besatzstärke',                  'stocking rate',                   'LU/ha'),
    (11, 'outdoor livestock keeping',                'Freilandhaltung',                'outdoor livestock keeping',                'stocking rate',                   'Besatzstärke',                  'stocking rate',                   'LU/ha'),
    (12, 'cut of forage',                            'Futterschnitt',                  'cut of forage',                            'yield (dry matter)',              'Ertrag (Trockenmasse)',         'yield (dry matter)',              'dt/ha'),
    (14, 'change of tillage',                        'Änderung der Bodenbearbeitung',  'change of tillage',                        'share of reduced tillage',        'Anteil reduzierte Bearbeitung', 'share of reduced tillage',        '%'),
    (21, 'livestock parameters',                     'Tierhaltung (Parameter)',        'livestock parameters',                     'parameter set',                   'Parametersatz',                 'parameter set',                   '-'),
    (22, 'feeding parameters',                       'Fütterung (Parameter)',          'feeding parameters',                       'parameter set',                   'Parametersatz',                 'parameter set',                   '-'),
    (23, 'forestry',                                 'Forstwirtschaft',                'forestry',                                 'amount',                          'Menge',                         'amount',                          '-');
CREATE UNIQUE INDEX ix_srbaktion_action_id ON srbaktion (action_id);

-- Model parameter sets: the row item_ix 1 is used by the turnover model, the row
-- named NORM by the estimate of the initial organic carbon. Rates per day of
-- biologically active time.
CREATE TABLE SRBAPARM (
    item_ix INTEGER NOT NULL,
    NAME    TEXT COLLATE NOCASE,
    K_AOS   REAL,
    K_STAB  REAL,
    K_AKT   REAL,
    CNR_OBS REAL,
    H_PWP   REAL,
    H_FC    REAL
);
INSERT INTO SRBAPARM (item_ix, NAME, K_AOS, K_STAB, K_AKT, CNR_OBS, H_PWP, H_FC) VALUES
    (1, 'standard', 0.00556, 0.0009, 0.00032, 8.5, 50000, 63.09),
    (2, 'NORM',     0.00556, 0.0009, 0.00032, 8.5, 50000, 63.09);
CREATE UNIQUE INDEX ix_srbaparm_item_ix ON SRBAPARM (item_ix);

-- Factors of the uncertainty mode (row ID 1).
CREATE TABLE tsm_var_fac (
    ID     INTEGER,
    F_BAT  REAL,
    F_BD   REAL,
    F_CREP REAL
);
INSERT INTO tsm_var_fac (ID, F_BAT, F_BD, F_CREP) VALUES
    (1, 1, 1, 1);

-- Nodes of the BAT function: xfat fine fraction (< 0.0063 mm, %), xa per °C,
-- xb per mm, xc days, rows are read in table order (k ascending).
CREATE TABLE wmzprm (
    k    INTEGER,
    xfat REAL,
    xa   REAL,
    xb   REAL,
    xc   REAL
);
INSERT INTO wmzprm (k, xfat, xa, xb, xc) VALUES
    (1,    6, 3.3541,  0.015698,   9.087),
    (2,    8, 3.1825,   0.01325, 10.2234),
    (3, 11.5, 3.0629,  0.003204, 14.5547),
    (4,   15, 2.1824, -0.009797, 23.0218),
    (5,   22, 2.1698,  -0.02726, 23.6263),
    (6,   32, 2.0054,  -0.03232, 22.9473),
    (7,   44, 1.8676,  -0.03178,   22.93);

-- N brought in with seed: seed rate kg/ha, N content of the seed %, years of use.
CREATE TABLE n_saat_imp (
    ITEM_IX       INTEGER,
    NAME          TEXT COLLATE NOCASE,
    menge         REAL,
    n_gehalt      REAL,
    nutzungsjahre REAL
);
INSERT INTO n_saat_imp (ITEM_IX, NAME, menge, n_gehalt, nutzungsjahre) VALUES
    ( 1, 'winter wheat',          180, 1.81,  1),
    ( 2, 'winter rye',            110, 1.51,  1),
    ( 3, 'winter barley',         160, 1.65,  1),
    ( 4, 'spring barley',         150, 1.38,  1),
    ( 5, 'oats',                  140, 1.51,  1),
    ( 6, 'grain maize',            25, 1.38,  1),
    ( 7, 'silage maize',           25, 1.38,  1),
    ( 8, 'winter oilseed rape',     3, 3.35,  1),
    ( 9, 'sugar beet',              3,    2,  1),
    (10, 'potatoes',             2500, 0.35,  1),
    (11, 'field peas',            220,  3.6,  1),
    (12, 'faba beans',            250,  4.1,  1),
    (13, 'clover-grass ley',       30,    3,  2),
    (14, 'lucerne',                25,    5,  3),
    (15, 'permanent grassland',    30,  2.5, 10),
    (16, 'triticale',             160, 1.65,  1),
    (17, 'catch crop (mustard)',   15,  4.5,  1);

-- Symbiotic N fixation of legumes, kg N/ha = Quantity * faktor + konstante.
CREATE TABLE leg_parm (
    item_ix   INTEGER,
    NAME      TEXT COLLATE NOCASE,
    faktor    REAL,
    konstante REAL
);
INSERT INTO leg_parm (item_ix, NAME, faktor, konstante) VALUES
    (11, 'field peas',       3.5, 0),
    (12, 'faba beans',         4, 0),
    (13, 'clover-grass ley', 1.8, 0),
    (14, 'lucerne',          2.5, 0);

-- Selection lists: the items that the data entry offers ([select] = -1).
CREATE TABLE srbsel_crop (
    "select"  INTEGER,
    ITEM_IX   INTEGER,
    Name      TEXT COLLATE NOCASE,
    OEKO_code INTEGER
);
INSERT INTO srbsel_crop ("select", ITEM_IX, Name, OEKO_code) VALUES
    (-1,  1, 'winter wheat',         0),
    (-1,  2, 'winter rye',           0),
    (-1,  3, 'winter barley',        0),
    (-1,  4, 'spring barley',        0),
    (-1,  5, 'oats',                 0),
    (-1,  6, 'grain maize',          0),
    (-1,  7, 'silage maize',         0),
    (-1,  8, 'winter oilseed rape',  0),
    (-1,  9, 'sugar beet',           0),
    (-1, 10, 'potatoes',             0),
    (-1, 11, 'field peas',           0),
    (-1, 12, 'faba beans',           0),
    (-1, 13, 'clover-grass ley',     0),
    (-1, 14, 'lucerne',              0),
    (-1, 15, 'permanent grassland',  0),
    (-1, 16, 'triticale',            0),
    (-1, 17, 'catch crop (mustard)', 0);

CREATE TABLE srbsel_ops (
    "select" INTEGER,
    ITEM_IX  INTEGER,
    Name     TEXT COLLATE NOCASE
);
INSERT INTO srbsel_ops ("select", ITEM_IX, Name) VALUES
    (-1, 101, 'farmyard manure (cattle)'),
    (-1, 102, 'cattle slurry'),
    (-1, 103, 'pig slurry'),
    (-1, 104, 'green-waste compost'),
    (-1, 105, 'poultry manure'),
    (-1, 106, 'digestate (biogas)');

CREATE TABLE srbsel_frt (
    "select" INTEGER,
    ITEM_IX  INTEGER,
    Name     TEXT COLLATE NOCASE
);
INSERT INTO srbsel_frt ("select", ITEM_IX, Name) VALUES
    (-1, 1, 'calcium ammonium nitrate (27 % N)'),
    (-1, 2, 'urea (46 % N)'),
    (-1, 3, 'urea ammonium nitrate solution (28 % N)'),
    (-1, 4, 'ammonium sulphate (21 % N)');

-- Measured properties. Fixed meanings: 7 organic carbon, 0 total nitrogen,
-- 20 observed N uptake, 5 microbial carbon, -1 correction of the initial active
-- pool (relative, 0.1 = +10 %). Microbial and hot-water carbon in mg C per 100 g
-- dry soil, the unit in which the model reports them.
CREATE TABLE CND_MWML (
    M_IX        REAL,
    MERKMAL     TEXT COLLATE NOCASE,
    KURZBEZ     TEXT COLLATE NOCASE,
    BEZEICHNUNG TEXT COLLATE NOCASE,
    EINHEIT     TEXT COLLATE NOCASE,
    KLASSE      REAL,
    F_LENGTH    REAL,
    F_DECS      REAL
);
INSERT INTO CND_MWML (M_IX, MERKMAL, KURZBEZ, BEZEICHNUNG, EINHEIT, KLASSE, F_LENGTH, F_DECS) VALUES
    (-1, 'Korrektur aktiver Pool',   'NON_BAL', 'correction of the initial active pool', '-',        5, 8, 3),
    ( 0, 'Gesamtstickstoff',         'Nt',      'total nitrogen',                        '%',        1, 8, 3),
    ( 1, 'pH-Wert (CaCl2)',          'pH',      'pH (CaCl2)',                            '-',        1, 6, 1),
    ( 2, 'Trockenrohdichte',         'TRD',     'bulk density',                          'g/cm3',    2, 6, 2),
    ( 3, 'Heißwasserlöslicher C',    'Chwl',    'hot-water-extractable carbon',          'mg/100 g', 1, 8, 1),
    ( 4, 'Mineralstickstoff',        'Nmin',    'mineral nitrogen (0-30 cm)',            'kg N/ha',  1, 8, 1),
    ( 5, 'Mikrobieller Kohlenstoff', 'Cmic',    'microbial carbon',                      'mg/100 g', 3, 8, 1),
    ( 6, 'Phosphor (CAL)',           'P_CAL',   'phosphorus (CAL)',                      'mg/100 g', 1, 8, 1),
    ( 7, 'Organischer Kohlenstoff',  'Corg',    'organic carbon',                        '%',        1, 8, 3),
    ( 8, 'Kalium (CAL)',             'K_CAL',   'potassium (CAL)',                       'mg/100 g', 1, 8, 1),
    ( 9, 'C/N-Verhältnis',           'CN',      'C/N ratio',                             '-',        1, 6, 1),
    (20, 'N-Entzug (gemessen)',      'N_upt',   'observed N uptake',                     'kg N/ha',  4, 8, 1);

-- Classes of the measured properties.
CREATE TABLE cnd_mwcl (
    KLASSE      REAL,
    BEZEICHNUNG TEXT COLLATE NOCASE
);
INSERT INTO cnd_mwcl (KLASSE, BEZEICHNUNG) VALUES
    (1, 'soil chemistry'),
    (2, 'soil physics'),
    (3, 'soil biology'),
    (4, 'crop'),
    (5, 'model correction');

-- Result tables offered by the parameter editor.
CREATE TABLE SRB_RSLT (
    ITEM_IX     INTEGER,
    NAME        TEXT COLLATE NOCASE,
    description TEXT COLLATE NOCASE
);
INSERT INTO SRB_RSLT (ITEM_IX, NAME, description) VALUES
    (1, 'tsm_stat_corg', 'goodness of fit, organic carbon'),
    (2, 'tsm_stat_nt',   'goodness of fit, total nitrogen'),
    (3, 'tsm_n_bilanz',  'field N balance per plot and year'),
    (4, 'tsm_nsaldo',    'N balance per plot over a period');

-- Item list of the data entry: agrochemicals.
CREATE TABLE srbagchm (
    item_ix INTEGER,
    name    TEXT COLLATE NOCASE
);

-- Item list of the data entry: tillage devices.
CREATE TABLE srbtilldev (
    item_ix INTEGER,
    name    TEXT COLLATE NOCASE
);
INSERT INTO srbtilldev (item_ix, name) VALUES
    (1, 'mouldboard plough'),
    (2, 'chisel plough / cultivator'),
    (3, 'disc harrow'),
    (4, 'rotary harrow'),
    (5, 'direct drill (no tillage)');

-- Item list of the data entry: livestock.
CREATE TABLE srblives (
    item_ix INTEGER,
    name    TEXT COLLATE NOCASE
);

-- Item list of the data entry: livestock parameter sets.
CREATE TABLE srblwprm (
    item_ix INTEGER,
    name    TEXT COLLATE NOCASE
);

-- Item list of the data entry: feeding parameter sets.
CREATE TABLE srbkfprm (
    item_ix INTEGER,
    name    TEXT COLLATE NOCASE
);

-- Item list of the data entry: forestry.
CREATE TABLE srbforst (
    item_ix INTEGER,
    name    TEXT COLLATE NOCASE
);

-- --------------------------------------------------------------------------
-- Coefficients of the humus balance methods
-- --------------------------------------------------------------------------

-- HUBA: crop humus coefficients, kg humus-C/ha per year: LUFA1 lower, LUFA2 middle,
-- LUFA3 upper value, huba is the working coefficient chosen by the method name,
-- kop_ix: by-product in huba_oram.
CREATE TABLE huba_crop (
    crop_IX INTEGER,
    NAME    TEXT COLLATE NOCASE,
    LUFA1   REAL,
    LUFA2   REAL,
    LUFA3   REAL,
    HE_crop REAL,
    huba    REAL,
    HI      REAL,
    kop_ix  INTEGER
);
INSERT INTO huba_crop (crop_IX, NAME, LUFA1, LUFA2, LUFA3, HE_crop, huba, HI, kop_ix) VALUES
    ( 1, 'winter wheat',         -280,  -340,  -400,  -340, -280, 0.8,  21),
    ( 2, 'winter rye',           -280,  -340,  -400,  -340, -280, 0.9,  21),
    ( 3, 'winter barley',        -280,  -340,  -400,  -340, -280, 0.7,  21),
    ( 4, 'spring barley',        -280,  -340,  -400,  -340, -280, 0.7,  21),
    ( 5, 'oats',                 -280,  -340,  -400,  -340, -280, 1.1,  21),
    ( 6, 'grain maize',          -560,  -680,  -800,  -680, -560,   1,  22),
    ( 7, 'silage maize',         -560,  -680,  -800,  -680, -560,   0, -99),
    ( 8, 'winter oilseed rape',  -280,  -340,  -400,  -340, -280, 1.7,  23),
    ( 9, 'sugar beet',           -760, -1030, -1300, -1030, -760, 0.7,  24),
    (10, 'potatoes',             -760,  -880, -1000,  -880, -760, 0.2,  25),
    (11, 'field peas',            160,   200,   240,   200,  160,   1,  26),
    (12, 'faba beans',            160,   200,   240,   200,  160,   1,  26),
    (13, 'clover-grass ley',      600,   700,   800,   700,  600,   0, -99),
    (14, 'lucerne',               600,   700,   800,   700,  600,   0, -99),
    (15, 'permanent grassland',     0,     0,     0,     0,    0,   0, -99),
    (16, 'triticale',            -280,  -340,  -400,  -340, -280, 0.9,  21),
    (17, 'catch crop (mustard)',   80,    80,    80,    80,   80,   0, -99);

-- HUBA: humus equivalents of organic matter, kg humus-C per t fresh matter.
CREATE TABLE huba_oram (
    oram_ix INTEGER,
    NAME    TEXT COLLATE NOCASE,
    "HÄQ"   REAL,
    HE_od   REAL,
    huba    REAL
);
INSERT INTO huba_oram (oram_ix, NAME, "HÄQ", HE_od, huba) VALUES
    ( 21, 'cereal straw',                        100, 100, 100),
    ( 22, 'grain maize stover',                  100, 100, 100),
    ( 23, 'oilseed rape straw',                  100, 100, 100),
    ( 24, 'sugar beet leaves',                     8,   8,   8),
    ( 25, 'potato haulm',                          8,   8,   8),
    ( 26, 'grain legume straw',                  100, 100, 100),
    ( 31, 'ploughed-up sward, clover-grass ley',  20,  20,  20),
    ( 32, 'ploughed-up sward, lucerne',           20,  20,  20),
    ( 33, 'ploughed-up sward, grassland',         20,  20,  20),
    ( 34, 'green manure, mustard',                10,  10,  10),
    (101, 'farmyard manure (cattle)',             40,  40,  40),
    (102, 'cattle slurry',                        10,  10,  10),
    (103, 'pig slurry',                            5,   5,   5),
    (104, 'green-waste compost',                  46,  46,  46),
    (105, 'poultry manure',                       45,  45,  45),
    (106, 'digestate (biogas)',                   10,  10,  10);

-- STAND: crop humus reproduction (kg humus-C/ha per year) per crop class ros_ix
-- and site group st_gr 1..6. Classes: 1 cereals and oilseeds, 2 maize, 3 sugar
-- beet, 4 potatoes, 5 grain legumes, 6 leys and legume fodder, 7 stubble catch
-- crop, 8 permanent grassland.
CREATE TABLE st_ros_pfl (
    ros_ix INTEGER,
    st_gr  INTEGER,
    ros    REAL
);
INSERT INTO st_ros_pfl (ros_ix, st_gr, ros) VALUES
    (1, 1,  -280), (1, 2,  -304), (1, 3,  -328), (1, 4,  -352), (1, 5,  -376), (1, 6,  -400),
    (2, 1,  -560), (2, 2,  -608), (2, 3,  -656), (2, 4,  -704), (2, 5,  -752), (2, 6,  -800),
    (3, 1,  -760), (3, 2,  -868), (3, 3,  -976), (3, 4, -1084), (3, 5, -1192), (3, 6, -1300),
    (4, 1,  -760), (4, 2,  -808), (4, 3,  -856), (4, 4,  -904), (4, 5,  -952), (4, 6, -1000),
    (5, 1,   160), (5, 2,   176), (5, 3,   192), (5, 4,   208), (5, 5,   224), (5, 6,   240),
    (6, 1,   600), (6, 2,   640), (6, 3,   680), (6, 4,   720), (6, 5,   760), (6, 6,   800),
    (7, 1,    80), (7, 2,    80), (7, 3,    80), (7, 4,    80), (7, 5,    80), (7, 6,    80),
    (8, 1,     0), (8, 2,     0), (8, 3,     0), (8, 4,     0), (8, 5,     0), (8, 6,     0);

-- STAND: humus value of an amendment class (kg humus-C per t fresh matter), valid
-- for mean yearly quantities from m_ug to m_og t/ha.
CREATE TABLE st_ros_od (
    ros_ix INTEGER,
    NAME   TEXT COLLATE NOCASE,
    c_hum  REAL,
    m_ug   REAL,
    m_og   REAL
);
INSERT INTO st_ros_od (ros_ix, NAME, c_hum, m_ug, m_og) VALUES
    ( 1, 'farmyard manure',              40, 0, 9999),
    ( 2, 'cattle slurry',                10, 0, 9999),
    ( 3, 'pig slurry',                    5, 0, 9999),
    ( 4, 'compost',                      46, 0, 9999),
    ( 5, 'poultry manure',               45, 0, 9999),
    ( 6, 'digestate',                    10, 0, 9999),
    ( 7, 'cereal straw',                100, 0, 9999),
    ( 8, 'maize stover',                100, 0, 9999),
    ( 9, 'rape straw',                  100, 0, 9999),
    (10, 'beet leaves',                   8, 0, 9999),
    (11, 'potato haulm',                  8, 0, 9999),
    (12, 'legume straw',                100, 0, 9999),
    (13, 'ploughed-up sward (25 % DM)',  20, 0, 9999),
    (14, 'green manure (13 % DM)',       10, 0, 9999);

-- STAND: site attributes of the plots (built by the parameter editor).
CREATE TABLE vb_st_gr (
    FL_ID  INTEGER,
    nied   INTEGER,
    ltem   REAL,
    corg   REAL,
    CNR    REAL,
    BA_RBS TEXT COLLATE NOCASE,
    clay   REAL,
    silt   REAL,
    FAT    REAL
);

-- STAND: site group of each combination of site attributes (built by the
-- parameter editor).
CREATE TABLE st_gruppe (
    CNR        REAL,
    clay       REAL,
    fat        REAL,
    BA_RBS     TEXT COLLATE NOCASE,
    nied       INTEGER,
    ltem       REAL,
    standortgr INTEGER
);

-- SALCA: bb_faktor 1 crops with intensive tillage, -1 crops without tillage,
-- HNB_UR humus-C from harvest and root residues, hnb_or from the by-product left on
-- the field, kg C/ha per crop.
CREATE TABLE salca_pflanze (
    ITEM_IX   INTEGER,
    NAME      TEXT COLLATE NOCASE,
    bb_faktor INTEGER,
    HNB_UR    REAL,
    hnb_or    REAL
);
INSERT INTO salca_pflanze (ITEM_IX, NAME, bb_faktor, HNB_UR, hnb_or) VALUES
    ( 1, 'winter wheat',          0, 600, 620),
    ( 2, 'winter rye',            0, 500, 610),
    ( 3, 'winter barley',         0, 530, 470),
    ( 4, 'spring barley',         0, 310, 340),
    ( 5, 'oats',                  0, 350, 590),
    ( 6, 'grain maize',           0, 530, 980),
    ( 7, 'silage maize',          0, 400,   0),
    ( 8, 'winter oilseed rape',   0, 440, 660),
    ( 9, 'sugar beet',            1, 130, 440),
    (10, 'potatoes',              1, 110, 100),
    (11, 'field peas',            0, 250, 390),
    (12, 'faba beans',            0, 250, 440),
    (13, 'clover-grass ley',     -1, 560,   0),
    (14, 'lucerne',              -1, 570,   0),
    (15, 'permanent grassland',  -1, 570,   0),
    (16, 'triticale',             0, 530, 610),
    (17, 'catch crop (mustard)',  0, 140,   0);

-- SALCA: humus-C of organic amendments, kg C per t fresh matter (F = 1: per tonne).
CREATE TABLE salca_orgdng (
    item_ix   INTEGER,
    NAME      TEXT COLLATE NOCASE,
    F         INTEGER,
    salca_hum REAL
);
INSERT INTO salca_orgdng (item_ix, NAME, F, salca_hum) VALUES
    (101, 'farmyard manure (cattle)', 1, 47.5),
    (102, 'cattle slurry',            1,    9),
    (103, 'pig slurry',               1,  4.8),
    (104, 'green-waste compost',      1,   78),
    (105, 'poultry manure',           1,   57),
    (106, 'digestate (biogas)',       1, 10.5);

-- HUMOD crops, per kg dry matter of the main product: DMMP dry matter share of the
-- harvested unit, NconMP N share of its dry matter, F_NPB N in root and stubble
-- residues, MP_SP by-product dry matter, NconSP N share of the by-product dry matter,
-- F_NDFA share of N from fixation, F_SOCSUPHR/F_SONSUPHR humus C/N supplied by the
-- residues, sp_oram_ix by-product item, s_dnmin N correction, kg N/ha.
CREATE TABLE humod_crop_parm (
    item_ix    INTEGER,
    NAME       TEXT COLLATE NOCASE,
    DMMP       REAL,
    NconMP     REAL,
    F_NPB      REAL,
    MP_SP      REAL,
    NconSP     REAL,
    F_NDFA     REAL,
    F_SOCSUPHR REAL,
    F_SONSUPHR REAL,
    sp_oram_ix INTEGER,
    s_dnmin    REAL
);
INSERT INTO humod_crop_parm (item_ix, NAME, DMMP, NconMP, F_NPB, MP_SP, NconSP, F_NDFA, F_SOCSUPHR, F_SONSUPHR, sp_oram_ix, s_dnmin) VALUES
    ( 1, 'winter wheat',         0.86, 0.02105, 0.00555,   0.8, 0.00581,    0, 0.0874, 0.00874,  21, 0),
    ( 2, 'winter rye',           0.86, 0.01756,  0.0053,   0.9, 0.00581,    0, 0.0835, 0.00835,  21, 0),
    ( 3, 'winter barley',        0.86, 0.01919, 0.00556,   0.7, 0.00581,    0, 0.0876, 0.00876,  21, 0),
    ( 4, 'spring barley',        0.86, 0.01605, 0.00521,   0.7, 0.00581,    0,  0.073,  0.0073,  21, 0),
    ( 5, 'oats',                 0.86, 0.01756, 0.00527,   1.1, 0.00581,    0, 0.0738, 0.00738,  21, 0),
    ( 6, 'grain maize',          0.86, 0.01605, 0.00515,     1, 0.01047,    0, 0.0679, 0.00679,  22, 0),
    ( 7, 'silage maize',         0.28, 0.01357, 0.00242,     0,       0,    0,  0.032,  0.0032, -99, 0),
    ( 8, 'winter oilseed rape',  0.91, 0.03681, 0.01148, 1.607, 0.00814,    0, 0.1206, 0.01206,  23, 0),
    ( 9, 'sugar beet',           0.23, 0.00783, 0.00161, 0.487,   0.025,    0, 0.0088, 0.00088,  24, 0),
    (10, 'potatoes',             0.22, 0.01591, 0.00194, 0.136, 0.01333,    0, 0.0107, 0.00107,  25, 0),
    (11, 'field peas',           0.86, 0.04186, 0.01044,     1, 0.01744, 0.65, 0.0731, 0.00731,  26, 0),
    (12, 'faba beans',           0.86, 0.04767, 0.00926,     1, 0.01744,  0.7, 0.0648, 0.00648,  26, 0),
    (13, 'clover-grass ley',        1,   0.026,  0.0059,     0,       0,  0.5, 0.0561, 0.00561, -99, 0),
    (14, 'lucerne',                 1,   0.029, 0.00617,     0,       0,  0.8, 0.0516, 0.00516, -99, 0),
    (15, 'permanent grassland',     1,   0.023, 0.00595,     0,       0,    0, 0.0714, 0.00714, -99, 0),
    (16, 'triticale',            0.86, 0.01919, 0.00556,   0.9, 0.00581,    0, 0.0876, 0.00876,  21, 0),
    (17, 'catch crop (mustard)', 0.13, 0.02692, 0.00846,     0,       0,    0, 0.0423, 0.00423, -99, 0);

-- HUMOD organic amendments: F_kgfert kg per unit of Quantity (dt), DM dry matter
-- share, NconcDM/CconcDM N and C share of the dry matter, F_nfert ammonium share
-- of the N, F_nfym organic share.
CREATE TABLE humod_fert_parm (
    item_ix  INTEGER,
    NAME     TEXT COLLATE NOCASE,
    F_kgfert REAL,
    DM       REAL,
    NconcDM  REAL,
    CconcDM  REAL,
    F_nfym   REAL,
    F_nfert  REAL
);
INSERT INTO humod_fert_parm (item_ix, NAME, F_kgfert, DM, NconcDM, CconcDM, F_nfym, F_nfert) VALUES
    (101, 'farmyard manure (cattle)', 100,  0.25, 0.0224, 0.38, 0.85, 0.15),
    (102, 'cattle slurry',            100, 0.075,   0.05,  0.4, 0.53, 0.47),
    (103, 'pig slurry',               100,  0.05,  0.095, 0.38, 0.33, 0.67),
    (104, 'green-waste compost',      100,   0.6, 0.0133,  0.2, 0.94, 0.06),
    (105, 'poultry manure',           100,   0.5, 0.0475, 0.38, 0.73, 0.27),
    (106, 'digestate (biogas)',       100, 0.065,  0.072, 0.36, 0.42, 0.58);

-- HUMOD: N utilisation factors of the plots (built by the parameter editor).
CREATE TABLE humod_nur (
    fl_id      INTEGER,
    Location   TEXT COLLATE NOCASE,
    profile    TEXT COLLATE NOCASE,
    BA_RBS     TEXT COLLATE NOCASE,
    clay       REAL,
    skelett    REAL,
    MW_LT      REAL,
    MW_NIED    REAL,
    climate_ID INTEGER,
    soil_ID    INTEGER,
    NURC_1     REAL,
    NURC_2     REAL,
    NURC_3     REAL,
    NURC_4     REAL,
    NURS       REAL
);

-- --------------------------------------------------------------------------
-- Model results kept with the database
-- --------------------------------------------------------------------------

-- Yearly N and C results per plot (kg/ha, n_SOM %, c_mic mg/100 g).
CREATE TABLE tsm_nresult (
    FL_ID   INTEGER,
    "year"  INTEGER,
    n_m_om  REAL,
    n_ops   REAL,
    C_ops   REAL,
    c_som   REAL,
    c_lts   REAL,
    n_org   REAL,
    n_SOM   REAL,
    c_mic   REAL,
    c_rep   REAL,
    bat     REAL,
    N_flush REAL,
    N_m_fom REAL,
    BD      REAL,
    PWP     REAL,
    a_age   REAL,
    s_age   REAL,
    l_age   REAL
);
CREATE INDEX ix_tsm_nresult_fl_id_year ON tsm_nresult (FL_ID, "year");

-- Yearly pools and fluxes per plot (kg C/ha; mkd_a, mkd_s shares).
CREATE TABLE tsm_zbv (
    fl_id       INTEGER,
    year_       INTEGER,
    c_min_total REAL,
    c_min_fom   REAL,
    c_rep_flx   REAL,
    c_fom       REAL,
    c_fom_in    REAL,
    c_som       REAL,
    c_lts       REAL,
    c_hws       REAL,
    mkd_a       REAL,
    mkd_s       REAL,
    int_A_mic   REAL,
    int_A_mes   REAL,
    int_A_ttl   REAL
);
CREATE INDEX ix_tsm_zbv_fl_id_year ON tsm_zbv (fl_id, year_);

-- Simulated series beside the measurements (M_IX 7: Corg in %).
CREATE TABLE sim_result (
    fl_id     INTEGER,
    m_ix      INTEGER,
    year_     INTEGER,
    year_num  INTEGER,
    sim_value REAL
);
CREATE INDEX sort ON sim_result (fl_id, m_ix, year_);

-- One summary row per plot of the last run.
CREATE TABLE tsm_driver (
    FL_ID      INTEGER,
    mean_rep   REAL,
    init_value REAL,
    corg_lts   REAL,
    mean_bat   REAL,
    spare      REAL,
    corg_end   REAL,
    n_years    INTEGER
);

-- Run protocol (one row per run with the protocol option, datum_ as YYYY-MM-DD).
CREATE TABLE tsm_protokoll (
    fl_id      INTEGER,
    run_id     INTEGER,
    mean_error REAL,
    RMSD       REAL,
    S          REAL,
    smw        REAL,
    N_         INTEGER,
    bias       INTEGER,
    datum_     TEXT COLLATE NOCASE
);

-- Simulated values kept for the plot lists, emptied when the method changes.
CREATE TABLE rs_table (
    FL_ID     INTEGER,
    M_IX      INTEGER,
    year_     INTEGER,
    year_num  INTEGER,
    sim_value REAL
);
CREATE INDEX ix_rs_table_fl_id ON rs_table (FL_ID);

-- Saved state of the soil organic matter pools (at most one row per plot).
CREATE TABLE som_state (
    fl_id   INTEGER,
    yr      INTEGER,
    c_am    REAL,
    c_sm    REAL,
    c_lts   REAL,
    cnr_am  REAL,
    cnr_sm  REAL,
    cnr_lts REAL
);

-- Saved fresh organic matter classes belonging to som_state.
CREATE TABLE fom_state (
    fl_id     INTEGER,
    yr        INTEGER,
    nr        INTEGER,
    fom_ix    INTEGER,
    fom_c     REAL,
    fom_crflx REAL,
    fom_cnr   REAL,
    fom_k     REAL,
    fom_eta   REAL
);

-- --------------------------------------------------------------------------
-- Literature
-- --------------------------------------------------------------------------

-- Literature references.
CREATE TABLE referenzen (
    lit_id      INTEGER,
    quelle      TEXT COLLATE NOCASE,
    autor       TEXT COLLATE NOCASE,
    jahr        TEXT COLLATE NOCASE,
    titel       TEXT COLLATE NOCASE,
    produkt     TEXT COLLATE NOCASE,
    seite       TEXT COLLATE NOCASE,
    ausgabe     TEXT COLLATE NOCASE,
    herausgeber TEXT COLLATE NOCASE,
    band        TEXT COLLATE NOCASE,
    ort         TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX ix_referenzen_lit_id ON referenzen (lit_id);

-- Keywords.
CREATE TABLE refkey_def (
    key_id      INTEGER,
    key_name    TEXT COLLATE NOCASE,
    description TEXT COLLATE NOCASE
);

-- Keywords of references and plots.
CREATE TABLE key2ref2fl (
    key_id INTEGER,
    ref_id INTEGER,
    fl_id  INTEGER
);

-- References of an experiment.
CREATE TABLE ref2vcode (
    lit_id        INTEGER,
    versuchs_code TEXT COLLATE NOCASE
);
CREATE INDEX ix_ref2vcode_versuchs_code ON ref2vcode (versuchs_code);

-- Import control: which field of referenzen receives an RIS tag.
CREATE TABLE RiS_import (
    ris_tag    TEXT COLLATE NOCASE,
    field_name TEXT COLLATE NOCASE
);
INSERT INTO RiS_import (ris_tag, field_name) VALUES
    ('TY', 'produkt'),
    ('AU', 'autor'),
    ('PY', 'jahr'),
    ('TI', 'titel'),
    ('T2', 'quelle'),
    ('JO', 'quelle'),
    ('SP', 'seite'),
    ('IS', 'ausgabe'),
    ('VL', 'band'),
    ('PB', 'herausgeber'),
    ('CY', 'ort');

-- --------------------------------------------------------------------------
-- Settings
-- --------------------------------------------------------------------------

-- Method of the database: TSM or a humus balance method.
CREATE TABLE cbi_setting (
    model TEXT COLLATE NOCASE
);
INSERT INTO cbi_setting (model) VALUES
    ('TSM');
