// The German texts of the resource-string library.
#include "korres/korresstrings.h"

const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_TOTAL_START = L"CAD-Klasse zuordnen";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_TOTAL_ENDE = L"CAD-Klasse zugeordnet";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SELECTCADCLASS_START = L"CAD-Klasse auswählen";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SELECTCADCLASS_ENDE = L"CAD-Klasse ausgewählt";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_REMOVEATTRIBUTES_START =
    L"Attribute der bisherigen Klasse entfernen";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_START = L"CAD-Klasse an die Objekte schreiben";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_ENDE = L"Erledigt";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_UPDATEATTRIBUTES_START =
    L"Standardwerte der Klasse eintragen";

const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_DLGTITLE = L"Fremdobjekte einer CAD-Klasse zuordnen";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_DLGHINT =
    L"Klasse wählen und mit OK zuordnen – oder mit \u201EZeigen\u201C von einem Objekt der Zeichnung übernehmen.";
const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_QUESTION_ASSIGN =
    L"Sollen %d Objekte der CAD-Klasse \u201E%s\u201C zugeordnet werden?";

const CString gstr_KORPALETTE_OBJECTZEIGEN = L"Objekt wählen, dessen CAD-Klasse übernommen werden soll: ";
const CString gstr_KORPALETTE_OBJEKTENTSPRICHTNICHTAUSWAHL =
    L"Das gewählte Objekt hat keine CAD-Klasse, die hier zur Auswahl steht.";

const CString gstr_KORFLAECHENLMK_ERSTELLE_MESSAGE_BERECHNUNGABBRECHEN = L"Soll die Berechnung abgebrochen werden?";
