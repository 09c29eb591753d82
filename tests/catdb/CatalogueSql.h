// CatalogueSql.h — catalogue databases for the tests: a small one, the dialogs' one, and the
// SQLite file made from SQL text.
#pragma once

#include "test_db.h"

#include <string>

namespace catdbtest {

// Types Punkt, Linie, Flaeche with Hydrant and Armatur under Punkt and Leitung under Linie;
// five classes (one of each kind, and two keys that differ only in case), their standard
// values, and a class with no English name.
inline const char* smallCatalogueSql()
{
    return R"SQL(
CREATE TABLE TYPEN (Nr INTEGER, Name TEXT, Obertyp TEXT, Name_DE TEXT, Name_EN TEXT);
INSERT INTO TYPEN VALUES
  (1, 'Punkt', NULL, 'Punkt', 'Point'),
  (2, 'Linie', NULL, 'Linie', 'Line'),
  (3, 'Flaeche', NULL, 'Fläche', 'Area'),
  (4, 'Hydrant', 'Punkt', 'Hydrant', 'Hydrant'),
  (6, 'Leitung', 'Linie', 'Leitung', 'Pipe'),
  (5, 'Armatur', 'Punkt', 'Armatur', 'Valve');
CREATE TABLE KLASSEN (Nr INTEGER, Schluessel TEXT, Typ TEXT, Version INTEGER, Name_DE TEXT, Name_EN TEXT);
INSERT INTO KLASSEN VALUES
  (1, 'HY-UF-080', 'Hydrant', 1, 'Unterflurhydrant DN 80', 'Underground hydrant DN 80'),
  (2, 'AR-SC-100', 'armatur', 2, 'Schieber DN 100', 'Gate valve DN 100'),
  (3, 'LT-PE-110', 'Leitung', 1, 'Leitung PE DN 110', 'Pipe PE DN 110'),
  (5, 'FL-BF', 'Flaeche', 1, 'Baufeld', NULL),
  (4, 'fl-bf', 'Flaeche', 1, 'baufeld (klein)', 'small construction area');
CREATE TABLE STANDARDWERTE (Schluessel TEXT, Attribut TEXT, Wert TEXT);
INSERT INTO STANDARDWERTE VALUES
  ('HY-UF-080', 'Nennweite', '80'), ('HY-UF-080', 'Material', 'GGG'),
  ('HY-UF-080', 'Hydrantenart', 'Unterflur'),
  ('AR-SC-100', 'Nennweite', '100'), ('AR-SC-100', 'Material', 'GGG'), ('AR-SC-100', 'Druckstufe', 'PN 16'),
  ('LT-PE-110', 'Nennweite', '110'), ('LT-PE-110', 'Material', 'PE');
)SQL";
}

// The catalogue of the CAD-class dialog tests: types Punkt, Linie, Flaeche and Hydrant (under
// Punkt); two classes with the same display text in different case; an area class; standard
// values that differ between the hydrant classes.
inline const char* dialogCatalogueSql()
{
    return R"SQL(
CREATE TABLE TYPEN (Nr INTEGER, Name TEXT, Obertyp TEXT, Name_DE TEXT, Name_EN TEXT);
INSERT INTO TYPEN VALUES
  (1, 'Punkt', '', 'Punkt', 'Point'),
  (2, 'Linie', '', 'Linie', 'Line'),
  (3, 'Flaeche', '', 'Fläche', 'Area'),
  (4, 'Hydrant', 'Punkt', 'Hydrant', 'Hydrant');
CREATE TABLE KLASSEN (Nr INTEGER, Schluessel TEXT, Typ TEXT, Version INTEGER, Name_DE TEXT, Name_EN TEXT);
INSERT INTO KLASSEN VALUES
  (1, 'HY-OF-100', 'Hydrant', 1, 'Hydrant Überflur DN 100', 'Pillar hydrant DN 100'),
  (2, 'HY-OF-150', 'Hydrant', 1, 'Hydrant Überflur DN 150', 'Pillar hydrant DN 150'),
  (3, 'HY-UF-100', 'Hydrant', 2, 'Hydrant Unterflur DN 100', 'Underground hydrant DN 100'),
  (4, 'SV-100', 'Punkt', 1, 'Schieber DN 100', 'Gate valve DN 100'),
  (5, 'SV-100-ALT', 'Punkt', 1, 'SCHIEBER DN 100', 'Old gate valve DN 100'),
  (6, 'L-PE-110', 'Linie', 1, 'Leitung PE 110', 'Pipe PE 110'),
  (7, 'WSG-1', 'Flaeche', 1, 'Wasserschutzgebiet Zone I', 'Water protection zone I');
CREATE TABLE STANDARDWERTE (Schluessel TEXT, Attribut TEXT, Wert TEXT);
INSERT INTO STANDARDWERTE VALUES
  ('HY-OF-100', 'Nennweite', '100'),
  ('HY-OF-100', 'Material', 'GG'),
  ('HY-OF-150', 'Nennweite', '150'),
  ('HY-UF-100', 'Nennweite', '100'),
  ('HY-UF-100', 'Deckel', 'Guss'),
  ('SV-100', 'Nennweite', '100');
)SQL";
}

// Makes the SQLite file `path` (replacing one there) from SQL text; the error text, or "".
inline std::string makeDatabase(const std::string& path, const std::string& sql) { return testdb::sqliteFile(path, sql); }

}  // namespace catdbtest
