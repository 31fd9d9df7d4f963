-- Catalogue rows shared by every language: identities, bus codes, icons, order
-- and every association. Descriptions and tool tips are left Null here and are
-- filled by the language file (ITA.sql, ENG.sql) that runs after this one.
--
-- Area codes used by the association tables:
--   3 triggers, 4 conditions (IF), 5 actions, 6 stop triggers,
--   0 negated conditions (IF NOT) and alternative actions.
--
-- Object numbers below 100 are fixed identities that the editor's dialogs,
-- the listing writer and the configurator exchange recognise by number; do not
-- renumber them. Objects from 100 up are ordinary catalogue objects.

-- ---------------------------------------------------------------------------
-- Palette families. ATTIVA = 0 hides a family from the palette.
-- The selected picture of a family is its IMG_FAM with "p" before the dot.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_FAMIGLIA (ID_FAMIGLIA, IMG_FAM, ORDINE, ATTIVA) VALUES
  (1,  'lights.gif',     1,  1),
  (2,  'shutters.gif',   2,  1),
  (3,  'climate.gif',    3,  1),
  (4,  'loads.gif',      4,  1),
  (5,  'scenes.gif',     5,  1),
  (6,  'buttons.gif',    6,  1),
  (7,  'alarm.gif',      7,  1),
  (8,  'sound.gif',      8,  1),
  (9,  'energy.gif',     9,  1),
  (10, 'time.gif',       10, 1),
  (11, 'aux.gif',        11, 1),
  (12, 'doorentry.gif',  12, 1),
  (13, 'irrigation.gif', 13, 0);

-- ---------------------------------------------------------------------------
-- Palette objects.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_OGGETTI (ID_OBJ, ID_FAMIGLIA, IMG_OBJ, ORDINE) VALUES
  -- lighting
  (1,   1, 'o_light.gif',       1),
  (42,  1, 'o_dimmer.gif',      2),
  (49,  1, 'o_lightaddr.gif',   3),
  (27,  1, 'o_lighttimed.gif',  4),
  (24,  1, 'o_lightgroup.gif',  5),
  (28,  1, 'o_lightroom.gif',   6),
  (29,  1, 'o_lightall.gif',    7),
  (100, 1, 'o_stairs.gif',      8),
  (101, 1, 'o_twilight.gif',    9),
  (102, 1, 'o_presence.gif',    10),
  -- automation
  (103, 2, 'o_shutter.gif',     1),
  (51,  2, 'o_shutterpos.gif',  2),
  (52,  2, 'o_shuttermem.gif',  3),
  (104, 2, 'o_curtain.gif',     4),
  (105, 2, 'o_gate.gif',        5),
  -- temperature control
  (37,  3, 'o_zoneset.gif',     1),
  (56,  3, 'o_zonemanual.gif',  2),
  (50,  3, 'o_zoneboost.gif',   3),
  (38,  3, 'o_zonetemp.gif',    4),
  (58,  3, 'o_outdoor.gif',     5),
  (34,  3, 'o_central.gif',     6),
  (35,  3, 'o_season.gif',      7),
  (36,  3, 'o_weekprog.gif',    8),
  (39,  3, 'o_centralstat.gif', 9),
  -- load control
  (43,  4, 'o_load.gif',        1),
  (44,  4, 'o_loadtimed.gif',   2),
  (106, 4, 'o_loadunit.gif',    3),
  -- scenarios
  (26,  5, 'o_scenemodule.gif', 1),
  (33,  5, 'o_progscene.gif',   2),
  (41,  5, 'o_sceneenable.gif', 3),
  (40,  5, 'o_controller.gif',  4),
  (66,  5, 'o_variable.gif',    5),
  -- push-button commands
  (30,  6, 'o_button.gif',      1),
  (67,  6, 'o_buttonext.gif',   2),
  (108, 6, 'o_switch.gif',      3),
  -- alarm
  (61,  7, 'o_alarmpanel.gif',  1),
  (109, 7, 'o_alarmzone.gif',   2),
  (110, 7, 'o_techalarm.gif',   3),
  -- sound
  (112, 8, 'o_amplifier.gif',   1),
  (31,  8, 'o_volume.gif',      2),
  (60,  8, 'o_audioset.gif',    3),
  (111, 8, 'o_source.gif',      4),
  -- energy
  (62,  9, 'o_meter.gif',       1),
  (54,  9, 'o_tariff.gif',      2),
  (113, 9, 'o_solar.gif',       3),
  -- time
  (23, 10, 'o_calendar.gif',    1),
  (8,  10, 'o_clock.gif',       2),
  (9,  10, 'o_delay.gif',       3),
  (45, 10, 'o_randdelay.gif',   4),
  -- auxiliaries
  (114, 11, 'o_auxchannel.gif', 1),
  (48,  11, 'o_auxtimed.gif',   2),
  (115, 11, 'o_doorbell.gif',   3),
  (116, 11, 'o_unsupported.gif', 4),
  -- door entry
  (117, 12, 'o_entrance.gif',   1),
  (118, 12, 'o_doorlock.gif',   2),
  -- irrigation (family not active yet)
  (120, 13, 'o_valve.gif',      1);

-- Slot groups each object may be placed in.
INSERT INTO ASS_OBJ_AREE (ID_OBJ, TRIGGER, TRIGGERSTOP, COND_OK, COND_KO, ACT, ACT_ELSE) VALUES
  (1,   1, 1, 1, 1, 1, 1),
  (42,  1, 1, 1, 1, 1, 1),
  (49,  0, 0, 0, 0, 1, 0),
  (27,  0, 0, 0, 0, 1, 1),
  (24,  0, 0, 0, 0, 1, 1),
  (28,  1, 1, 0, 0, 1, 1),
  (29,  0, 0, 0, 0, 1, 1),
  (100, 0, 0, 0, 0, 1, 1),
  (101, 1, 1, 1, 1, 0, 0),
  (102, 1, 1, 1, 1, 0, 0),
  (103, 1, 1, 1, 1, 1, 1),
  (51,  0, 0, 0, 0, 1, 1),
  (52,  0, 0, 0, 0, 1, 1),
  (104, 0, 0, 0, 0, 1, 1),
  (105, 1, 0, 1, 1, 1, 0),
  (37,  1, 1, 0, 0, 1, 0),
  (56,  0, 0, 0, 0, 1, 0),
  (50,  0, 0, 0, 0, 1, 0),
  (38,  0, 0, 1, 1, 0, 0),
  (58,  0, 0, 1, 1, 0, 0),
  (34,  0, 0, 0, 0, 1, 0),
  (35,  0, 0, 0, 0, 1, 0),
  (36,  0, 0, 0, 0, 1, 0),
  (39,  1, 1, 1, 1, 0, 0),
  (43,  0, 0, 1, 0, 1, 1),
  (44,  0, 0, 0, 0, 1, 1),
  (106, 1, 1, 1, 1, 0, 0),
  (26,  1, 1, 0, 0, 1, 1),
  (33,  1, 1, 1, 1, 0, 0),
  (41,  0, 0, 0, 0, 1, 1),
  (40,  0, 0, 0, 0, 1, 0),
  (66,  0, 0, 1, 0, 1, 0),
  (30,  1, 1, 1, 0, 0, 0),
  (67,  1, 1, 0, 0, 0, 0),
  (108, 1, 1, 0, 0, 0, 0),
  (61,  1, 1, 1, 1, 0, 0),
  (109, 1, 1, 1, 1, 0, 0),
  (110, 1, 1, 1, 1, 0, 0),
  (112, 1, 0, 1, 0, 1, 1),
  (31,  0, 0, 1, 0, 1, 0),
  (60,  0, 0, 1, 0, 1, 0),
  (111, 0, 0, 0, 0, 1, 1),
  (62,  1, 0, 1, 0, 0, 0),
  (54,  1, 1, 1, 1, 0, 0),
  (113, 1, 1, 1, 0, 0, 0),
  (23,  1, 1, 1, 1, 0, 0),
  (8,   1, 1, 0, 0, 0, 0),
  (9,   0, 0, 0, 0, 1, 0),
  (45,  0, 0, 0, 0, 1, 0),
  (114, 1, 1, 1, 1, 1, 1),
  (48,  0, 0, 0, 0, 1, 1),
  (115, 1, 1, 0, 0, 0, 0),
  -- shown in the palette for reference only: no slot accepts it
  (116, 0, 0, 0, 0, 0, 0),
  (117, 1, 1, 0, 0, 0, 0),
  (118, 0, 0, 0, 0, 1, 1),
  (120, 0, 0, 0, 0, 1, 1);

-- ---------------------------------------------------------------------------
-- Condition operators (item numbers 1 and 2 of the operator dialog).
-- ---------------------------------------------------------------------------
INSERT INTO ANA_OPERATORE (ID_OPE, IMG_OPE, ORDINE) VALUES
  (1, 'op_and.gif', 1),
  (2, 'op_or.gif',  2);

-- ---------------------------------------------------------------------------
-- Icon resources of the WHAT codes and of the time conditions.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_RES_COSA (ID_RES_COSA, IMG) VALUES
  (1,  'r_lightoff.gif'),
  (2,  'r_lighton.gif'),
  (3,  'r_dim.gif'),
  (4,  'r_up.gif'),
  (5,  'r_down.gif'),
  (6,  'r_stop.gif'),
  (7,  'r_temp.gif'),
  (8,  'r_heat.gif'),
  (9,  'r_cool.gif'),
  (10, 'r_load.gif'),
  (11, 'r_scene.gif'),
  (12, 'r_button.gif'),
  (13, 'r_alarm.gif'),
  (14, 'r_sound.gif'),
  (15, 'r_energy.gif'),
  (16, 'r_clock.gif'),
  (17, 'r_delay.gif'),
  (18, 'r_aux.gif'),
  (19, 'r_door.gif'),
  (20, 'r_valve.gif'),
  (21, 'r_variable.gif'),
  (22, 'r_position.gif'),
  (23, 'r_lock.gif'),
  (24, 'r_restart.gif'),
  (25, 'r_timer.gif'),
  (26, 'r_presence.gif'),
  (27, 'r_sun.gif'),
  (28, 'r_moon.gif'),
  (29, 'r_off.gif'),
  -- time conditions: hour kind (single, band, any) x week (every day, plan)
  -- x date (always, range); see ASS_RES_TIME
  (101, 't_swa.gif'),
  (102, 't_swr.gif'),
  (103, 't_spa.gif'),
  (104, 't_spr.gif'),
  (105, 't_bwa.gif'),
  (106, 't_bwr.gif'),
  (107, 't_bpa.gif'),
  (108, 't_bpr.gif'),
  (109, 't_awa.gif'),
  (110, 't_awr.gif'),
  (111, 't_apa.gif'),
  (112, 't_apr.gif');

INSERT INTO ASS_RES_TIME (ID_RES, ORA_SINGOLA, FASCIA_ORA, TUTTA_SETT, PIANO_SETT, SEMPRE, DADATA_ADATA) VALUES
  (101, 1, 0, 1, 0, 1, 0),
  (102, 1, 0, 1, 0, 0, 1),
  (103, 1, 0, 0, 1, 1, 0),
  (104, 1, 0, 0, 1, 0, 1),
  (105, 0, 1, 1, 0, 1, 0),
  (106, 0, 1, 1, 0, 0, 1),
  (107, 0, 1, 0, 1, 1, 0),
  (108, 0, 1, 0, 1, 0, 1),
  (109, 0, 0, 1, 0, 1, 0),
  (110, 0, 0, 1, 0, 0, 1),
  (111, 0, 0, 0, 1, 1, 0),
  (112, 0, 0, 0, 1, 0, 1);

-- ---------------------------------------------------------------------------
-- WHO: the bus function of an object.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_CHI (ID_CHI) VALUES
  (0), (1), (2), (3), (4), (5), (6), (9), (13), (15), (16), (17), (18), (25);

-- ---------------------------------------------------------------------------
-- WHAT: commands and states, with their bus code and icon.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_COSA (ID_COSA, OPEN_COSA, ID_RES_COSA) VALUES
  -- lighting: off, on, brightness 20..100 %, timed on
  (1,  '0',  1),
  (2,  '1',  2),
  (3,  '2',  3),
  (4,  '3',  3),
  (5,  '4',  3),
  (6,  '5',  3),
  (7,  '6',  3),
  (8,  '7',  3),
  (9,  '8',  3),
  (10, '9',  3),
  (11, '10', 3),
  (12, '11', 25),
  (13, '30', 3),
  (14, '31', 3),
  (159, '1', 2),
  (160, '0', 1),
  (161, '0', 29),
  (165, '1', 2),
  (166, '0', 1),
  (170, '11', 25),
  (171, '12', 25),
  (172, '13', 25),
  (173, '14', 25),
  (174, '15', 25),
  (175, '16', 25),
  (176, '17', 25),
  (177, '18', 25),
  (180, '1',  28),
  (181, '0',  27),
  (182, '1',  26),
  (183, '0',  26),
  (417, '1',  2),
  (418, '0',  1),
  (419, '20', 3),
  -- time and delays
  (20, '0', 16),
  (21, '0', 16),
  (22, '0', 16),
  (33, '1', 17),
  (34, '2', 17),
  (35, '3', 17),
  (314, '1', 17),
  (315, '2', 17),
  (316, '3', 17),
  -- automation
  (190, '0', 6),
  (191, '1', 4),
  (192, '2', 5),
  (195, '1', 4),
  (196, '2', 5),
  (197, '0', 6),
  (198, '1', 4),
  (199, '2', 5),
  (430, '11', 22),
  (431, '1',  4),
  (432, '12', 4),
  (433, '13', 5),
  (434, '2',  5),
  (440, '15', 22),
  -- temperature control
  (235, '1101', 7),
  (236, '110',  7),
  (238, '102',  9),
  (239, '103',  29),
  (240, '1',    8),
  (241, '0',    9),
  (245, '2101', 16),
  (246, '2102', 16),
  (247, '2103', 16),
  (237, '14',   7),
  (248, '311',  7),
  (249, '303',  29),
  (251, '0',    7),
  (252, '13',   13),
  (253, '14',   8),
  (254, '15',   9),
  (421, '1211', 25),
  (422, '1212', 25),
  (423, '1201', 8),
  (424, '1202', 9),
  (425, '1200', 7),
  (426, '1213', 25),
  (427, '1214', 25),
  (553, '110',  7),
  (554, '1210', 25),
  (555, '311',  7),
  (556, '303',  29),
  (560, '15',   7),
  -- load control
  (263, '0',   10),
  (264, '1',   29),
  (265, '2',   25),
  (266, '3',   10),
  (267, '4',   29),
  (566, '113', 15),
  (270, '1',   13),
  (271, '0',   10),
  (308, '1',   18),
  (309, '0',   29),
  (310, '2',   25),
  -- scenarios
  (151, '1',  11),
  (152, '2',  11),
  (153, '3',  11),
  (154, '4',  11),
  (155, '40', 23),
  (156, '41', 11),
  (243, '22', 16),
  (244, '23', 24),
  (255, '1',  11),
  (256, '2',  6),
  (257, '3',  11),
  (261, '4',  23),
  (258, '6',  23),
  (259, '3',  11),
  (260, '4',  23),
  (660, '0',  21),
  (661, '1',  21),
  (662, '2',  21),
  (663, '3',  21),
  -- push-button commands
  (300, '0',  12),
  (301, '3',  12),
  (302, '1',  12),
  (303, '2',  12),
  (306, '1',  12),
  (307, '0',  12),
  (320, '21', 12),
  (321, '22', 12),
  (322, '23', 12),
  -- alarm
  (610, '8',  13),
  (611, '9',  29),
  (612, '15', 13),
  (613, '16', 13),
  (615, '11', 13),
  (616, '18', 29),
  (617, '15', 13),
  (618, '1',  13),
  (619, '2',  13),
  (620, '3',  13),
  -- sound
  (567, '1',     14),
  (568, '1001',  14),
  (569, '1101',  14),
  (572, '#1',    14),
  (573, '#2',    14),
  (574, '#3',    14),
  (575, '#5',    29),
  (576, '#22',   14),
  (577, '#20',   14),
  (578, '#17',   14),
  (579, '#18',   14),
  (580, '#23',   29),
  (581, '#6',    14),
  (582, '#13',   29),
  (583, '#14',   14),
  (584, '#15',   14),
  (585, '#4',    14),
  (586, '#7',    14),
  (587, '#8',    14),
  (588, '#9',    14),
  (589, '#10',   14),
  (590, '#11',   14),
  (591, '#12',   14),
  (592, '#1001', 14),
  (593, '#1101', 14),
  (594, '#3001', 14),
  (595, '#3101', 14),
  (596, '#1201', 14),
  (597, '#1202', 14),
  (598, '#16',   14),
  (599, '#2001', 14),
  (600, '#2101', 14),
  (625, '31', 14),
  (626, '30', 29),
  (627, '9',  14),
  (628, '1',  14),
  (629, '0',  29),
  -- energy
  (520, '1',   15),
  (521, '2',   15),
  (522, '3',   15),
  (630, '113', 15),
  (632, '71',  15),
  (633, '72',  15),
  (640, '1',   27),
  (641, '0',   29),
  -- auxiliaries, door entry, irrigation
  (410, '1',  25),
  (700, '1',  18),
  (701, '0',  29),
  (702, '2',  18),
  (710, '1',  19),
  (711, '19', 19),
  (720, '1',  20),
  (721, '0',  29);

-- ---------------------------------------------------------------------------
-- WHERE: bus addresses. Descriptions come from the language files.
-- ---------------------------------------------------------------------------
-- general address
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) VALUES (1, '0');
-- rooms 1..9: ID 2..10
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT i + 1, CAST(i AS TEXT) FROM n;
-- device points 11..99 (room digit and point digit): ID equals the address.
-- These are the only wheres whose bus code is a plain number from 11 to 99, so
-- an address typed by the user (object 49) finds exactly one row.
WITH RECURSIVE n(i) AS (SELECT 11 UNION ALL SELECT i + 1 FROM n WHERE i < 99)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT i, CAST(i AS TEXT) FROM n;
-- lighting groups 1..9: ID 101..109
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 100 + i, CAST(i AS TEXT) FROM n;
-- positioned shutter motors 01..08: ID 111..118
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 110 + i, printf('%02d', i) FROM n;
-- temperature zones 1..8: ID 121..128
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 120 + i, CAST(i AS TEXT) FROM n;
-- outdoor probes 1..4: ID 131..134
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 130 + i, CAST(i AS TEXT) FROM n;
-- temperature central unit
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) VALUES (140, '#0');
-- scenario modules 01..04: ID 141..144
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 140 + i, printf('%02d', i) FROM n;
-- programmed scenarios 1..9: ID 151..159
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 150 + i, CAST(i AS TEXT) FROM n;
-- scenario variables 1..8: ID 161..168
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 160 + i, CAST(i AS TEXT) FROM n;
-- amplifiers of sound zone 1 (311..318) and of zone 10 (3106, 3107): ID 171..180
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 170 + i, '31' || i FROM n;
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) VALUES (179, '3106'), (180, '3107');
-- sound zone outputs, zone#amplifier: ID 181..184
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) VALUES
  (181, '3#1#1'), (182, '3#1#2'), (183, '3#2#1'), (184, '3#2#2');
-- sound sources 1..4: ID 185..188
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 184 + i, CAST(i AS TEXT) FROM n;
-- energy: main meter 4000 and meters 4001..4008: ID 190..198
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 8)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 190 + i, CAST(4000 + i AS TEXT) FROM n;
-- extended command addresses 100..115, bus code "2" + address: ID 201..216
WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 115)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT i + 101, '2' || i FROM n;
-- alarm control panel and alarm zones 1..8: ID 220, 221..228
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) VALUES (220, '#0');
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 220 + i, '#' || i FROM n;
-- technical alarm sensors 1..4: ID 231..234
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 230 + i, CAST(i AS TEXT) FROM n;
-- door entry panels 1..4: ID 241..244
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 240 + i, '#4' || i FROM n;
-- irrigation valves 1..4: ID 251..254
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 250 + i, '#5' || i FROM n;
-- auxiliary channels 1..9: ID 261..269
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9)
INSERT INTO ANA_DOVE (ID_DOVE, OPEN_DOVE) SELECT 260 + i, CAST(i AS TEXT) FROM n;

-- ---------------------------------------------------------------------------
-- Addressing levels. LEVEL_OPEN Null is the default local bus; "3" and "4"
-- add an extension of NUM_DIGIT_ADD digits, digit i between MIN_ADD_Ii and
-- MAX_ADD_Ii. Levels 2 and 4 require an interface to be chosen.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_RULE_OPEN_EXT (ID_OPEN_EXT, LEVEL_OPEN,
    MIN_ADD_I1, MAX_ADD_I1, MIN_ADD_I2, MAX_ADD_I2,
    MIN_ADD_I3, MAX_ADD_I3, MIN_ADD_I4, MAX_ADD_I4, NUM_DIGIT_ADD) VALUES
  (1, NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0),
  (2, '4',  0, 0, 0, 0, 0, 1, 0, 9, 4),
  (3, '3',  1, 9, 0, 0, 0, 0, 0, 0, 1),
  (4, '4',  0, 1, 0, 9, 0, 0, 0, 0, 2),
  (5, '3',  0, 0, 0, 1, 0, 9, 0, 0, 3);

-- general address, rooms, points and lighting groups
INSERT INTO ASS_RULE_OPEN_DOVE (ID_DOVE, ID_OPEN_EXT) VALUES (1, 1);
INSERT INTO ASS_RULE_OPEN_DOVE (ID_DOVE, ID_OPEN_EXT)
  SELECT ID_DOVE, r.ID FROM ANA_DOVE, (SELECT 1 AS ID UNION ALL SELECT 3 UNION ALL SELECT 4) r
  WHERE ID_DOVE BETWEEN 2 AND 99 ORDER BY ID_DOVE, r.ID;
INSERT INTO ASS_RULE_OPEN_DOVE (ID_DOVE, ID_OPEN_EXT)
  SELECT ID_DOVE, r.ID FROM ANA_DOVE, (SELECT 1 AS ID UNION ALL SELECT 4) r
  WHERE ID_DOVE BETWEEN 101 AND 109 ORDER BY ID_DOVE, r.ID;
-- scenario modules
INSERT INTO ASS_RULE_OPEN_DOVE (ID_DOVE, ID_OPEN_EXT)
  SELECT ID_DOVE, r.ID FROM ANA_DOVE, (SELECT 1 AS ID UNION ALL SELECT 2 UNION ALL SELECT 5) r
  WHERE ID_DOVE BETWEEN 141 AND 144 ORDER BY ID_DOVE, r.ID;
-- energy meters
INSERT INTO ASS_RULE_OPEN_DOVE (ID_DOVE, ID_OPEN_EXT)
  SELECT ID_DOVE, r.ID FROM ANA_DOVE, (SELECT 1 AS ID UNION ALL SELECT 5) r
  WHERE ID_DOVE BETWEEN 191 AND 198 ORDER BY ID_DOVE, r.ID;

-- ---------------------------------------------------------------------------
-- Associations per object and area. The helper table lists, for each object,
-- the areas it is placed in (area 0 once, for both of its uses).
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE obj_area (ID_OBJ INTEGER, ID_AREA INTEGER);
INSERT INTO obj_area
  SELECT ID_OBJ, 3 FROM ASS_OBJ_AREE WHERE TRIGGER <> 0
  UNION SELECT ID_OBJ, 6 FROM ASS_OBJ_AREE WHERE TRIGGERSTOP <> 0
  UNION SELECT ID_OBJ, 4 FROM ASS_OBJ_AREE WHERE COND_OK <> 0
  UNION SELECT ID_OBJ, 5 FROM ASS_OBJ_AREE WHERE ACT <> 0
  UNION SELECT ID_OBJ, 0 FROM ASS_OBJ_AREE WHERE COND_KO <> 0 OR ACT_ELSE <> 0;

-- WHO of every object, in every area it is placed in
CREATE TEMP TABLE obj_who (ID_OBJ INTEGER, ID_CHI INTEGER);
INSERT INTO obj_who VALUES
  (1, 1), (42, 1), (49, 1), (27, 1), (24, 1), (28, 1), (29, 1), (100, 1),
  (101, 1), (102, 1), (108, 1),
  (103, 2), (51, 2), (52, 2), (104, 2), (105, 2),
  (43, 3), (44, 3), (106, 3),
  (37, 4), (56, 4), (50, 4), (38, 4), (58, 4), (34, 4), (35, 4), (36, 4), (39, 4),
  (61, 5), (109, 5), (110, 5),
  (117, 6), (118, 6),
  (114, 9), (48, 9), (115, 9), (116, 9), (120, 9),
  (23, 13), (8, 13), (9, 13), (45, 13),
  (30, 15),
  (112, 16), (31, 16), (60, 16), (111, 16),
  (26, 0), (33, 17), (41, 17), (40, 17), (66, 17),
  (62, 18), (54, 18), (113, 18),
  (67, 25);
INSERT INTO ASS_OBJ_CHI (ID_OBJ, ID_CHI, ID_AREA)
  SELECT w.ID_OBJ, w.ID_CHI, a.ID_AREA FROM obj_who w JOIN obj_area a ON a.ID_OBJ = w.ID_OBJ
  ORDER BY w.ID_OBJ, a.ID_AREA;

-- WHAT lists: (object, area, codes in display order)
CREATE TEMP TABLE what_list (ID_OBJ INTEGER, ID_AREA INTEGER, CODES TEXT);
INSERT INTO what_list VALUES
  (1, 3, '2 1 3 4 5 6 7 8 9 10 11'), (1, 6, '2 1 3 4 5 6 7 8 9 10 11'),
  (1, 4, '2 1 3 4 5 6 7 8 9 10 11'), (1, 5, '2 1 12'),
  (1, 0, '2 1 3 4 5 6 7 8 9 10 11 12'),
  (42, 3, '2 1 3 4 5 6 7 8 9 10 11'), (42, 6, '2 1 3 4 5 6 7 8 9 10 11'),
  (42, 4, '2 1 3 4 5 6 7 8 9 10 11'), (42, 5, '2 1 3 4 5 6 7 8 9 10 11 13 14'),
  (42, 0, '2 1 3 4 5 6 7 8 9 10 11 13 14'),
  (49, 5, '417 418 419'),
  (27, 5, '170 171 172 173 174 175 176 177'), (27, 0, '170 171 172 173 174 175 176 177'),
  (24, 5, '2 1'), (24, 0, '2 1'),
  (28, 3, '159 160 161'), (28, 6, '159 160 161'), (28, 5, '159 160 161'), (28, 0, '159 160 161'),
  (29, 5, '165 166'), (29, 0, '165 166'),
  (100, 5, '2 174'), (100, 0, '2 174'),
  (101, 3, '180 181'), (101, 6, '180 181'), (101, 4, '180 181'), (101, 0, '180 181'),
  (102, 3, '182 183'), (102, 6, '182 183'), (102, 4, '182 183'), (102, 0, '182 183'),
  (103, 3, '191 192 190'), (103, 6, '191 192 190'), (103, 4, '191 192 190'),
  (103, 5, '191 192 190'), (103, 0, '191 192 190'),
  (51, 5, '430 431 434 432 433'), (51, 0, '430 431 434 432 433'),
  (52, 5, '440'), (52, 0, '440'),
  (104, 5, '195 196 197'), (104, 0, '195 196 197'),
  (105, 3, '198 199'), (105, 4, '198 199'), (105, 5, '198 199'), (105, 0, '198 199'),
  (37, 3, '248 249'), (37, 6, '248 249'), (37, 5, '237 248 249'),
  (56, 5, '553 554 555 556'),
  (50, 5, '421 422 423 424 425 426 427'),
  (38, 4, '251'), (38, 0, '251'),
  (58, 4, '560'), (58, 0, '560'),
  (34, 5, '235 236 238 239'),
  (35, 5, '241 240'),
  (36, 5, '245 246 247'),
  (39, 3, '252 253 254'), (39, 6, '252 253 254'), (39, 4, '252 253 254'), (39, 0, '252 253 254'),
  (43, 4, '566 266 267'), (43, 5, '263 264 265'), (43, 0, '263 264 265'),
  (44, 5, '310 308 309'), (44, 0, '310 308 309'),
  (106, 3, '270 271'), (106, 6, '270 271'), (106, 4, '270 271'), (106, 0, '270 271'),
  (26, 3, '151 152 153 154'), (26, 6, '151 152 153 154'),
  (26, 5, '151 152 153 154 155 156'), (26, 0, '151 152 153 154 155 156'),
  (33, 3, '255 256 257 261 258'), (33, 6, '255 256 257 261 258'),
  (33, 4, '255 256 257 261 258'), (33, 0, '255 256 257 261 258'),
  (41, 5, '259 260 258'), (41, 0, '259 260 258'),
  (40, 5, '243 244'),
  (66, 4, '660'), (66, 5, '661 662 663'),
  (30, 3, '300 301 302 303'), (30, 6, '300 301 302 303'), (30, 4, '300 301 302 303'),
  (67, 3, '320 321 322'), (67, 6, '320 321 322'),
  (108, 3, '306 307'), (108, 6, '306 307'),
  (61, 3, '610 611 612 613'), (61, 6, '610 611 612 613'),
  (61, 4, '610 611 612 613'), (61, 0, '610 611 612 613'),
  (109, 3, '615 616 617'), (109, 6, '615 616 617'), (109, 4, '615 616 617'), (109, 0, '615 616 617'),
  (110, 3, '618 619 620'), (110, 6, '618 619 620'), (110, 4, '618 619 620'), (110, 0, '618 619 620'),
  (112, 3, '628 629'), (112, 4, '628 629'), (112, 5, '628 629'), (112, 0, '628 629'),
  (31, 4, '567'), (31, 5, '567 568 569'),
  (60, 4, '572 573 574 575 576 577 578 580 581 582 583 584 585 586 587 588 589 590 591'),
  (60, 5, '572 573 574 575 596 576 580 577 578 579 581 598 582 583 584 585 597 586 587 588 589 590 591 592 593 594 595 599 600'),
  (111, 5, '625 626 627'), (111, 0, '625 626 627'),
  (62, 3, '632 633'), (62, 4, '630'),
  (54, 3, '520 521 522'), (54, 6, '520 521 522'), (54, 4, '520 521 522'), (54, 0, '520 521 522'),
  (113, 3, '640 641'), (113, 6, '640 641'), (113, 4, '640 641'),
  (23, 3, '21'), (23, 6, '21'), (23, 4, '22'), (23, 0, '22'),
  (8, 3, '20'), (8, 6, '20'),
  (9, 5, '33 34 35'),
  (45, 5, '314 315 316'),
  (114, 3, '700 701'), (114, 6, '700 701'), (114, 4, '700 701'), (114, 5, '700 701'), (114, 0, '700 701'),
  (48, 5, '410'), (48, 0, '410'),
  (115, 3, '702'), (115, 6, '702'),
  (117, 3, '710'), (117, 6, '710'),
  (118, 5, '711'), (118, 0, '711'),
  (120, 5, '720 721'), (120, 0, '720 721');

-- Split the code lists into one row per code; ORDINE follows the list.
WITH RECURSIVE split(ID_OBJ, ID_AREA, ORD, HEAD, REST) AS (
  SELECT ID_OBJ, ID_AREA, 0, NULL, CODES || ' ' FROM what_list
  UNION ALL
  SELECT ID_OBJ, ID_AREA, ORD + 1,
         CAST(substr(REST, 1, instr(REST, ' ') - 1) AS INTEGER),
         substr(REST, instr(REST, ' ') + 1)
  FROM split WHERE REST <> '')
INSERT INTO ASS_OBJ_COSA (ID_OBJ, ID_COSA, ID_AREA, ORDINE)
  SELECT ID_OBJ, HEAD, ID_AREA, ORD FROM split WHERE HEAD IS NOT NULL
  ORDER BY ID_OBJ, ID_AREA, ORD;

-- WHERE lists: (object, area, first and last ID_DOVE of a range, order offset,
-- user-entered value allowed)
CREATE TEMP TABLE where_list (ID_OBJ INTEGER, ID_AREA INTEGER, FIRST_ID INTEGER,
                              LAST_ID INTEGER, BASE INTEGER, CUSTOM INTEGER);
INSERT INTO where_list VALUES
  -- lights and dimmers: points everywhere; in actions also the general address and rooms
  (1, 3, 11, 99, 0, 0), (1, 6, 11, 99, 0, 0), (1, 4, 11, 99, 0, 0),
  (1, 5, 1, 10, 0, 0), (1, 5, 11, 99, 100, 0),
  (1, 0, 1, 10, 0, 0), (1, 0, 11, 99, 100, 0),
  (42, 3, 11, 99, 0, 0), (42, 6, 11, 99, 0, 0), (42, 4, 11, 99, 0, 0),
  (42, 5, 11, 99, 0, 0), (42, 0, 11, 99, 0, 0),
  -- typed address: the dialog shows the first and last row as the range
  (49, 5, 11, 99, 0, 1),
  (27, 5, 11, 99, 0, 1), (27, 0, 11, 99, 0, 1),
  (24, 5, 101, 109, 0, 0), (24, 0, 101, 109, 0, 0),
  (28, 3, 1, 10, 0, 1), (28, 6, 1, 10, 0, 1), (28, 5, 1, 10, 0, 1), (28, 0, 1, 10, 0, 1),
  (100, 5, 11, 99, 0, 0), (100, 0, 11, 99, 0, 0),
  (101, 3, 11, 99, 0, 0), (101, 6, 11, 99, 0, 0), (101, 4, 11, 99, 0, 0), (101, 0, 11, 99, 0, 0),
  (102, 3, 11, 99, 0, 0), (102, 6, 11, 99, 0, 0), (102, 4, 11, 99, 0, 0), (102, 0, 11, 99, 0, 0),
  (108, 3, 11, 99, 0, 0), (108, 6, 11, 99, 0, 0),
  -- automation
  (103, 3, 11, 99, 0, 0), (103, 6, 11, 99, 0, 0), (103, 4, 11, 99, 0, 0),
  (103, 5, 11, 99, 0, 0), (103, 0, 11, 99, 0, 0),
  (104, 5, 11, 99, 0, 0), (104, 0, 11, 99, 0, 0),
  (105, 3, 11, 99, 0, 0), (105, 4, 11, 99, 0, 0), (105, 5, 11, 99, 0, 0), (105, 0, 11, 99, 0, 0),
  (51, 5, 111, 118, 0, 1), (51, 0, 111, 118, 0, 1),
  (52, 5, 111, 118, 0, 1), (52, 0, 111, 118, 0, 1),
  -- temperature control
  (34, 5, 140, 140, 0, 1), (35, 5, 140, 140, 0, 1), (36, 5, 140, 140, 0, 1),
  (37, 3, 121, 128, 0, 1), (37, 6, 121, 128, 0, 1), (37, 5, 121, 128, 0, 1),
  (38, 4, 121, 128, 0, 1), (38, 0, 121, 128, 0, 1),
  (50, 5, 121, 128, 0, 1), (56, 5, 121, 128, 0, 1),
  (58, 4, 131, 134, 0, 1), (58, 0, 131, 134, 0, 1),
  -- load control: actuators on device points
  (43, 4, 11, 99, 0, 1), (43, 5, 11, 99, 0, 1), (43, 0, 11, 99, 0, 1),
  (44, 5, 11, 99, 0, 1), (44, 0, 11, 99, 0, 1),
  -- scenarios
  (26, 3, 141, 144, 0, 1), (26, 6, 141, 144, 0, 1), (26, 5, 141, 144, 0, 1), (26, 0, 141, 144, 0, 1),
  (33, 3, 151, 159, 0, 0), (33, 6, 151, 159, 0, 0), (33, 4, 151, 159, 0, 0), (33, 0, 151, 159, 0, 0),
  (41, 5, 151, 159, 0, 0), (41, 0, 151, 159, 0, 0),
  (66, 4, 161, 168, 0, 1), (66, 5, 161, 168, 0, 1),
  -- push-button commands
  (30, 3, 11, 99, 0, 1), (30, 6, 11, 99, 0, 1), (30, 4, 11, 99, 0, 1),
  (67, 3, 201, 216, 0, 1), (67, 6, 201, 216, 0, 1),
  -- alarm
  (61, 3, 220, 220, 0, 1), (61, 6, 220, 220, 0, 1), (61, 4, 220, 220, 0, 1), (61, 0, 220, 220, 0, 1),
  (109, 3, 221, 228, 0, 0), (109, 6, 221, 228, 0, 0), (109, 4, 221, 228, 0, 0), (109, 0, 221, 228, 0, 0),
  (110, 3, 231, 234, 0, 0), (110, 6, 231, 234, 0, 0), (110, 4, 231, 234, 0, 0), (110, 0, 231, 234, 0, 0),
  -- sound
  (112, 3, 171, 180, 0, 0), (112, 4, 171, 180, 0, 0), (112, 5, 171, 180, 0, 0), (112, 0, 171, 180, 0, 0),
  (31, 4, 171, 180, 0, 1), (31, 5, 171, 180, 0, 1),
  (60, 4, 181, 184, 0, 1), (60, 5, 181, 184, 0, 1),
  (111, 5, 185, 188, 0, 0), (111, 0, 185, 188, 0, 0),
  -- energy
  (62, 3, 191, 198, 0, 1), (62, 4, 191, 198, 0, 1),
  (54, 3, 190, 190, 0, 1), (54, 6, 190, 190, 0, 1), (54, 4, 190, 190, 0, 1), (54, 0, 190, 190, 0, 1),
  -- auxiliaries, door entry, irrigation
  (114, 3, 261, 269, 0, 0), (114, 6, 261, 269, 0, 0), (114, 4, 261, 269, 0, 0),
  (114, 5, 261, 269, 0, 0), (114, 0, 261, 269, 0, 0),
  (48, 5, 11, 99, 0, 1), (48, 0, 11, 99, 0, 1),
  (117, 3, 241, 244, 0, 0), (117, 6, 241, 244, 0, 0),
  (118, 5, 241, 244, 0, 0), (118, 0, 241, 244, 0, 0),
  (120, 5, 251, 254, 0, 0), (120, 0, 251, 254, 0, 0);

INSERT INTO ASS_OBJ_DOVE (ID_OBJ, ID_DOVE, ID_AREA, ORDINE, GESTIONE_CUSTOM)
  SELECT w.ID_OBJ, d.ID_DOVE, w.ID_AREA, w.BASE + d.ID_DOVE - w.FIRST_ID + 1, w.CUSTOM
  FROM where_list w JOIN ANA_DOVE d ON d.ID_DOVE BETWEEN w.FIRST_ID AND w.LAST_ID
  ORDER BY w.ID_OBJ, w.ID_AREA, w.BASE, d.ID_DOVE;

-- Wheres that make no sense for a given WHAT of an object.
-- Room lights: "general switch-off" addresses the whole installation only,
-- the room commands never the general address.
INSERT INTO ANA_NOT_COSA_DOVE (ID_OBJ, ID_COSA, ID_DOVE)
  SELECT 28, 161, ID_DOVE FROM ANA_DOVE WHERE ID_DOVE BETWEEN 2 AND 10;
INSERT INTO ANA_NOT_COSA_DOVE (ID_OBJ, ID_COSA, ID_DOVE) VALUES (28, 159, 1), (28, 160, 1);
-- A timed switch-on is refused by the general address.
INSERT INTO ANA_NOT_COSA_DOVE (ID_OBJ, ID_COSA, ID_DOVE) VALUES (1, 12, 1);

DROP TABLE obj_area;
DROP TABLE obj_who;
DROP TABLE what_list;
DROP TABLE where_list;

-- ---------------------------------------------------------------------------
-- Configurator key objects: which catalogue object a configured device stands
-- for, and how its parameters become WHAT, WHERE, level and interface codes.
-- ---------------------------------------------------------------------------
INSERT INTO ANA_CONVERSION_TYPE (ID_CONV_TYPE, CONVERSION) VALUES
  (1,  'X'),
  (2,  '2[X]'),
  (3,  '1[X]'),
  (4,  '4000+[X]'),
  (5,  'IIF(X<10;0[X];X)'),
  (6,  'VAL(X)'),
  (7,  '2[VAL(X)]'),
  (8,  '3[X]'),
  (9,  '3#X#Y'),
  (10, '3[F[HEX(X)-HEX(Y)]]');

INSERT INTO ANA_KEYOBJECT (ID_KO) VALUES (1), (2), (3), (4), (5), (6), (7), (8), (9), (10);

INSERT INTO ASS_KEYOBJ_OBJ (ID_ASS, ID_OBJ, ID_KO, ID_AREA, KEY_SYSTEM) VALUES
  -- light actuator
  (1,  1,   1,  5, 'AUTOMATION'),
  (2,  1,   1,  3, 'AUTOMATION'),
  (3,  1,   1,  4, 'AUTOMATION'),
  -- dimmer actuator: as an action it may be an on/off light or a dimmer,
  -- so the user is asked which one
  (4,  1,   2,  5, 'AUTOMATION'),
  (5,  42,  2,  5, 'AUTOMATION'),
  -- shutter actuator: a positioning motor when configured so, else a plain shutter
  (6,  51,  3,  5, 'AUTOMATION'),
  (7,  103, 3,  5, 'AUTOMATION'),
  -- zone thermostat
  (8,  38,  4,  4, 'AUTOMATION'),
  (9,  37,  4,  5, 'AUTOMATION'),
  -- scenario push-buttons
  (10, 30,  5,  3, 'AUTOMATION'),
  (11, 67,  6,  3, 'AUTOMATION'),
  -- sound system
  (12, 31,  7,  5, 'SOUND'),
  (13, 60,  7,  4, 'SOUND'),
  (14, 111, 8,  5, 'SOUND'),
  -- timed light actuator
  (15, 27,  9,  5, 'AUTOMATION'),
  -- energy meter
  (16, 62,  10, 4, 'ENERGY'),
  -- dimmer actuator as an event or a condition: only the dimmer reports a level
  (17, 42,  2,  3, 'AUTOMATION'),
  (18, 42,  2,  4, 'AUTOMATION');

-- The positioning-motor association applies only to actuators configured in
-- position mode.
INSERT INTO ANA_KEYCONF (ID_ASS, KEY_CONF, KEY_VALUE) VALUES (6, 'MODO', 'POSIZIONE');

INSERT INTO ANA_PARAMETER (ID_ASS, PROPERTY, PARAMETER, ID_CONV_TYPE, "ORDER", CUSTOM) VALUES
  -- light actuator (three areas)
  (1, 'ID_DOVE', 'A+PL', 1, 1, 1), (1, 'LEVEL_KEY', '', 1, 2, 0),
  (1, 'ADD_INT', 'I1+I2', 1, 3, 1), (1, 'DESCRI', '', 1, 4, 0),
  (2, 'ID_DOVE', 'A+PL', 1, 1, 1), (2, 'LEVEL_KEY', '', 1, 2, 0),
  (2, 'ADD_INT', 'I1+I2', 1, 3, 1), (2, 'DESCRI', '', 1, 4, 0),
  (3, 'ID_DOVE', 'A+PL', 1, 1, 1), (3, 'LEVEL_KEY', '', 1, 2, 0),
  (3, 'ADD_INT', 'I1+I2', 1, 3, 1), (3, 'DESCRI', '', 1, 4, 0),
  -- dimmer actuator
  (4, 'ID_DOVE', 'A+PL', 1, 1, 1), (4, 'LEVEL_KEY', '', 1, 2, 0),
  (4, 'ID_COSA', 'LIVELLO', 6, 3, 0), (4, 'DESCRI', '', 1, 4, 0),
  (5, 'ID_DOVE', 'A+PL', 1, 1, 1), (5, 'LEVEL_KEY', '', 1, 2, 0),
  (5, 'ID_COSA', 'LIVELLO', 6, 3, 0), (5, 'DESCRI', '', 1, 4, 0),
  -- positioning motor: the motor number may come as "5" or as "05"
  (6, 'ID_DOVE', 'MOTORE', 5, 1, 0), (6, 'ID_DOVE', 'MOTORE', 1, 2, 0),
  (6, 'DESCRI', '', 1, 3, 0),
  -- plain shutter
  (7, 'ID_DOVE', 'A+PL', 1, 1, 1), (7, 'LEVEL_KEY', '', 1, 2, 0),
  (7, 'ID_COSA', 'COMANDO', 1, 3, 0), (7, 'DESCRI', '', 1, 4, 0),
  -- zone thermostat: zone number, probe index
  (8, 'ID_DOVE', 'ZONA', 6, 1, 0), (8, 'SONDA', 'SLA', 1, 2, 0), (8, 'DESCRI', '', 1, 3, 0),
  (9, 'ID_DOVE', 'ZONA', 6, 1, 0), (9, 'DESCRI', '', 1, 2, 0),
  -- scenario push-button
  (10, 'ID_DOVE', 'A+PL', 1, 1, 1), (10, 'LEVEL_KEY', '', 1, 2, 0),
  (10, 'ID_COSA', 'EVENTO', 1, 3, 0), (10, 'DESCRI', '', 1, 4, 0),
  -- extended push-button: address 123 is bus code 2123, event 1 is code 21
  (11, 'ID_DOVE', 'INDIRIZZO', 7, 1, 0), (11, 'ID_COSA', 'EVENTO', 2, 2, 0),
  (11, 'DESCRI', '', 1, 3, 0),
  -- amplifier: zone and amplifier number packed by the hexadecimal rule
  (12, 'ID_DOVE', 'A-PF', 10, 1, 1), (12, 'DESCRI', '', 1, 2, 0),
  -- sound zone output: zone#amplifier
  (13, 'ID_DOVE', 'Z-N_AI', 9, 1, 1), (13, 'DESCRI', '', 1, 2, 0),
  -- sound source: command 1/0 becomes 31/30
  (14, 'ID_COSA', 'COMANDO', 8, 1, 0), (14, 'ID_DOVE', 'SORGENTE', 1, 2, 0),
  (14, 'DESCRI', '', 1, 3, 0),
  -- timed light: time index 1..8 becomes code 11..18
  (15, 'ID_DOVE', 'A+PL', 1, 1, 1), (15, 'LEVEL_KEY', '', 1, 2, 0),
  (15, 'ID_COSA', 'TEMPO', 3, 3, 0), (15, 'DESCRI', '', 1, 4, 0),
  -- energy meter: meter n is bus code 4000 + n
  (16, 'ID_DOVE', 'NUMERO', 4, 1, 0), (16, 'LEVEL_KEY', '', 1, 2, 0),
  (16, 'DESCRI', '', 1, 3, 0),
  -- dimmer actuator as an event or a condition
  (17, 'ID_DOVE', 'A+PL', 1, 1, 1), (17, 'LEVEL_KEY', '', 1, 2, 0),
  (17, 'ID_COSA', 'LIVELLO', 6, 3, 0), (17, 'DESCRI', '', 1, 4, 0),
  (18, 'ID_DOVE', 'A+PL', 1, 1, 1), (18, 'LEVEL_KEY', '', 1, 2, 0),
  (18, 'ID_COSA', 'LIVELLO', 6, 3, 0), (18, 'DESCRI', '', 1, 4, 0);
