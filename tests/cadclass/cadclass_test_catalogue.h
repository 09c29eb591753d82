// A small class catalogue for the CAD-class tests, written into a SQLite file: types Punkt,
// Linie, Flaeche and Hydrant (under Punkt); two classes with the same display text in
// different case; an area class; standard values that differ between the hydrant classes.
#pragma once

#include <sqlite3.h>

#include <string>

namespace cadclasstest {

inline const char* catalogueSql()
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

// Writes the catalogue into a new SQLite file at `path`; false with the reason in `error`.
inline bool writeCatalogue(const std::string& path, std::string* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        *error = sqlite3_errmsg(db);
        sqlite3_close(db);
        return false;
    }
    char* message = nullptr;
    bool ok = sqlite3_exec(db, catalogueSql(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok) {
        *error = message ? message : "sqlite3_exec failed";
        sqlite3_free(message);
    }
    sqlite3_close(db);
    return ok;
}

}  // namespace cadclasstest
