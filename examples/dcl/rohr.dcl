// rohr.dcl — the properties of a pipe: material, nominal width, pressure rating, the sections
// it runs through, and a picture of its cross-section. "Details..." opens a second dialog.

// A number field of our own: eight characters, right for widths and wall thicknesses.
zahl_feld : edit_box { edit_width = 8; edit_limit = 10; }

rohr : dialog {
  label = "Rohr bearbeiten";
  initial_focus = "dn";
  : row {
    : column {
      : boxed_column {
        label = "Rohr";
        : popup_list { key = "material"; label = "Werkstoff:"; edit_width = 14; }
        : zahl_feld { key = "dn"; label = "Nennweite [mm]:"; }
        : boxed_radio_row {
          label = "Druckstufe";
          key = "druck";
          : radio_button { key = "pn10"; label = "PN 10"; value = "1"; }
          : radio_button { key = "pn16"; label = "PN 16"; }
          : radio_button { key = "pn25"; label = "PN 25"; }
        }
        : toggle { key = "gedaemmt"; label = "Gedämmt"; }
        : toggle { key = "beschriften"; label = "Beschriften"; value = "1"; }
      }
    }
    : boxed_column {
      label = "Querschnitt";
      : image { key = "bild"; width = 18; height = 7; color = -2; fixed_width = true; alignment = centered; }
      : text { key = "bild_text"; label = ""; width = 18; }
    }
  }
  : list_box { key = "abschnitte"; label = "Abschnitte"; height = 4; }
  : row {
    : button { key = "details"; label = "&Details..."; fixed_width = true; width = 14; }
    : spacer { }
  }
  ok_cancel_err;
}

rohr_details : dialog {
  label = "Rohr-Details";
  : zahl_feld { key = "wand"; label = "Wanddicke [mm]:"; }
  : popup_list { key = "verbindung"; label = "Verbindung:"; list = "Schweißen\nSteckmuffe\nFlansch"; }
  : toggle { key = "kathodisch"; label = "Kathodischer Schutz"; }
  ok_cancel;
}
