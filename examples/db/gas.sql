-- Database GAS: texts of the gas network. Its TEXTE has the same identifiers as that of
-- WASSER with texts of its own, so a lookup shows which database it read.
-- Built into share/kor/db/gas.sqlite by the build.
--
-- TEXTE, by Identifier:
--   1 Überdeckung [m]     5 Baujahr                 9 Hausdruckregler
--   2 Werkstoff           6 Druckstufe [mbar]      10 Übernehmen
--   3 Nennweite [mm]      7 Netzbetreiber          11 Messen
--   4 Länge [m]           8 Absperrarmatur
BEGIN;

CREATE TABLE TEXTE (Identifier INTEGER PRIMARY KEY, Text TEXT);
INSERT INTO TEXTE (Identifier, Text) VALUES
  (1, 'Überdeckung [m]'),
  (2, 'Werkstoff'),
  (3, 'Nennweite [mm]'),
  (4, 'Länge [m]'),
  (5, 'Baujahr'),
  (6, 'Druckstufe [mbar]'),
  (7, 'Netzbetreiber'),
  (8, 'Absperrarmatur'),
  (9, 'Hausdruckregler'),
  (10, 'Übernehmen'),
  (11, 'Messen');

COMMIT;
