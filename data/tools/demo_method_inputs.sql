-- --------------------------------------------------------------------------
-- Per-plot input tables of the humus balance methods (synthetic demo values,
-- derived from the demo plots above as the parameter editor derives them).
-- vb_st_gr: station means of precipitation (nied, mm) and temperature (ltem, °C),
-- initial Corg and its C/N ratio, soil texture; FAT of soils 2 and 3 as the
-- pedotransfer functions complete it.
-- --------------------------------------------------------------------------
INSERT INTO vb_st_gr (FL_ID, nied, ltem, corg, CNR, BA_RBS, clay, silt, FAT) VALUES
(101, 470, 9.1, 1.89, 10.62, 'L', 21, 68, 33),
(102, 470, 9.1, 1.88, 10.74, 'L', 21, 68, 33),
(103, 470, 9.1, 1.88, 10.8, 'L', 21, 68, 33),
(104, 470, 9.1, 1.79, 10.17, 'L', 21, 68, 33),
(105, 470, 9.1, 1.85, 10.88, 'L', 21, 68, 33),
(201, 782, 10.1, 1.2, 9.84, 'LT', 28, 44, 42.6),
(202, 782, 10.1, 1.21, 9.84, 'LT', 28, 44, 42.6),
(203, 782, 10.1, 1.18, 9.67, 'LT', 28, 44, 42.6),
(204, 782, 10.1, 2.42, 10.95, 'LT', 28, 44, 42.6),
(205, 782, 10.1, 1.04, 12.24, 'Sl', 6, 18, 12),
(206, 782, 10.1, 1.03, 12.41, 'Sl', 6, 18, 12);
-- st_gruppe: the site group of each combination above (loam and clay loam with
-- FAT >= 28: group 2; loamy sand, FAT <= 13, warmer than 8.5 °C: group 3).
INSERT INTO st_gruppe (CNR, clay, fat, BA_RBS, nied, ltem, standortgr) VALUES
(10.62, 21, 33, 'L', 470, 9.1, 2),
(10.74, 21, 33, 'L', 470, 9.1, 2),
(10.8, 21, 33, 'L', 470, 9.1, 2),
(10.17, 21, 33, 'L', 470, 9.1, 2),
(10.88, 21, 33, 'L', 470, 9.1, 2),
(9.84, 28, 42.6, 'LT', 782, 10.1, 2),
(9.67, 28, 42.6, 'LT', 782, 10.1, 2),
(10.95, 28, 42.6, 'LT', 782, 10.1, 2),
(12.24, 6, 12, 'Sl', 782, 10.1, 3),
(12.41, 6, 12, 'Sl', 782, 10.1, 3);
-- humod_nur: N utilisation factors from the station's mean precipitation
-- (MW_NIED) and the clay content: NURC_1 = (100 - MW_NIED/(clay+15))/100,
-- NURC_2 = NURC_3 with clay+10, NURC_4 = NURS with clay+20.
INSERT INTO humod_nur (fl_id, Location, profile, BA_RBS, clay, skelett, MW_LT, MW_NIED, climate_ID, soil_ID, NURC_1, NURC_2, NURC_3, NURC_4, NURS) VALUES
(101, 'Static fertilisation trial', 'Haplic Chernozem, loess', 'L', 21, 0, 9.16, 470.4, 1, 1, 0.8693, 0.8483, 0.8483, 0.8853, 0.8853),
(102, 'Static fertilisation trial', 'Haplic Chernozem, loess', 'L', 21, 0, 9.16, 470.4, 1, 1, 0.8693, 0.8483, 0.8483, 0.8853, 0.8853),
(103, 'Static fertilisation trial', 'Haplic Chernozem, loess', 'L', 21, 0, 9.16, 470.4, 1, 1, 0.8693, 0.8483, 0.8483, 0.8853, 0.8853),
(104, 'Static fertilisation trial', 'Haplic Chernozem, loess', 'L', 21, 0, 9.16, 470.4, 1, 1, 0.8693, 0.8483, 0.8483, 0.8853, 0.8853),
(105, 'Static fertilisation trial', 'Haplic Chernozem, loess', 'L', 21, 0, 9.16, 470.4, 1, 1, 0.8693, 0.8483, 0.8483, 0.8853, 0.8853),
(201, 'Crop rotation trial', 'Haplic Luvisol, boulder clay', 'LT', 28, 1, 10.12, 781.7, 2, 3, 0.8182, 0.7943, 0.7943, 0.8371, 0.8371),
(202, 'Crop rotation trial', 'Haplic Luvisol, boulder clay', 'LT', 28, 1, 10.12, 781.7, 2, 3, 0.8182, 0.7943, 0.7943, 0.8371, 0.8371),
(203, 'Crop rotation trial', 'Haplic Luvisol, boulder clay', 'LT', 28, 1, 10.12, 781.7, 2, 3, 0.8182, 0.7943, 0.7943, 0.8371, 0.8371),
(204, 'Crop rotation trial', 'Haplic Luvisol, boulder clay', 'LT', 28, 1, 10.12, 781.7, 2, 3, 0.8182, 0.7943, 0.7943, 0.8371, 0.8371),
(205, 'Crop rotation trial', 'Haplic Cambisol, glacial sand', 'Sl', 6, 3, 10.12, 781.7, 2, 2, 0.6277, 0.5114, 0.5114, 0.6993, 0.6993),
(206, 'Crop rotation trial', 'Haplic Cambisol, glacial sand', 'Sl', 6, 3, 10.12, 781.7, 2, 2, 0.6277, 0.5114, 0.5114, 0.6993, 0.6993);
