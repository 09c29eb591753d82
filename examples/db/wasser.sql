-- Database WASSER: texts of the drinking-water network, as the dialogs label their rows and
-- buttons with them. Built into share/kor/db/wasser.sqlite by the build.
--
-- TEXTE, by Identifier:
--   1 Überdeckung [m]        8 Hydrant                15 Messen
--   2 Material               9 Schieber               16 Aus Zeichnung
--   3 Nennweite [mm]        10 Hydrantenart           17 Hausanschluss
--   4 Länge [m]             11 Schieberstellung       18 Leitungsnummer
--   5 Baujahr               12 Versorgungsdruck [bar] 19 Zustand
--   6 Druckstufe [bar]      13 Straße                 20 Bemerkung
--   7 Eigentümer            14 Übernehmen
-- MATERIALIEN: the pipe materials, 1 GG .. 6 PVC.
BEGIN;

CREATE TABLE TEXTE (Identifier INTEGER PRIMARY KEY, Text TEXT);
INSERT INTO TEXTE (Identifier, Text) VALUES
  (1, 'Überdeckung [m]'),
  (2, 'Material'),
  (3, 'Nennweite [mm]'),
  (4, 'Länge [m]'),
  (5, 'Baujahr'),
  (6, 'Druckstufe [bar]'),
  (7, 'Eigentümer'),
  (8, 'Hydrant'),
  (9, 'Schieber'),
  (10, 'Hydrantenart'),
  (11, 'Schieberstellung'),
  (12, 'Versorgungsdruck [bar]'),
  (13, 'Straße'),
  (14, 'Übernehmen'),
  (15, 'Messen'),
  (16, 'Aus Zeichnung'),
  (17, 'Hausanschluss'),
  (18, 'Leitungsnummer'),
  (19, 'Zustand'),
  (20, 'Bemerkung');

CREATE TABLE MATERIALIEN (Identifier INTEGER PRIMARY KEY, Text TEXT, Kurz TEXT);
INSERT INTO MATERIALIEN (Identifier, Text, Kurz) VALUES
  (1, 'Grauguss', 'GG'),
  (2, 'Duktiles Gusseisen', 'GGG'),
  (3, 'Stahl', 'St'),
  (4, 'Asbestzement', 'AZ'),
  (5, 'Polyethylen', 'PE'),
  (6, 'Polyvinylchlorid', 'PVC');

COMMIT;
