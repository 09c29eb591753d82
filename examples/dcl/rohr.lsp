;;; rohr.lsp — a pipe's properties asked twice: in a DCL dialog (rohr.dcl) and with
;;; korDialog_FragBox. Both answer a list (WERKSTOFF NENNWEITE DRUCKSTUFE ...), nil after Cancel.

(setq rohr-werkstoffe '("Stahl" "PE 100" "Guss" "PVC"))
(setq rohr-farben '(8 5 1 3))  ; each material's colour in the picture

;; The nominal width as a number between 20 and 1000, else nil.
(defun rohr-dn (text / n)
  (setq n (distof text 2))
  (if (and n (>= n 20) (<= n 1000)) n))

;; The cross-section: a ring in the material's colour, its wall as thick as the pressure needs.
(defun rohr-bild (/ w h cx cy r wand farbe i a1 a2)
  (setq w (dimx_tile "bild") h (dimy_tile "bild")
        cx (/ w 2) cy (/ h 2) r (* 0.4 (min w h))
        farbe (nth (atoi (get_tile "material")) rohr-farben)
        wand (cond ((= (get_tile "druck") "pn25") 6) ((= (get_tile "druck") "pn16") 4) (T 2)))
  (start_image "bild")
  (fill_image 0 0 w h -2)
  (repeat wand
    (setq i 0)
    (repeat 36
      (setq a1 (* i (/ pi 18)) a2 (* (1+ i) (/ pi 18)))
      (vector_image (fix (+ cx (* r (cos a1)))) (fix (+ cy (* r (sin a1))))
                    (fix (+ cx (* r (cos a2)))) (fix (+ cy (* r (sin a2)))) farbe)
      (setq i (1+ i)))
    (setq r (1- r)))
  (end_image)
  (set_tile "bild_text" (strcat (nth (atoi (get_tile "material")) rohr-werkstoffe) ", "
                                (strcase (get_tile "druck")))))

;; The nominal width leaves its field: say what is wrong and go back to it.
(defun rohr-pruefe-dn (wert)
  (if (rohr-dn wert)
    (set_tile "error" "")
    (progn (set_tile "error" "Nennweite: eine Zahl von 20 bis 1000 mm.")
           (mode_tile "dn" 2))))

;; Details in a dialog of their own, over the first one.
(defun rohr-details (dcl / antwort)
  (new_dialog "rohr_details" dcl)
  (set_tile "wand" (rtos rohr-wand 2 1))
  (set_tile "verbindung" "1")
  (action_tile "accept"
    "(setq rohr-wand (distof (get_tile \"wand\") 2)
           rohr-verbindung (get_tile \"verbindung\"))
     (done_dialog 1)")
  (setq antwort (start_dialog))
  (set_tile "error" (if (= antwort 1) (strcat "Wanddicke " (rtos rohr-wand 2 1) " mm") "")))

(defun rohr-dcl (/ dcl status ergebnis)
  (setq dcl (load_dialog "rohr.dcl") rohr-wand 4.2 rohr-verbindung "0")
  (if (not (new_dialog "rohr" dcl))
    (exit))
  (start_list "material")
  (mapcar 'add_list rohr-werkstoffe)
  (end_list)
  (set_tile "material" "1")
  (set_tile "dn" "100")
  (start_list "abschnitte")
  (mapcar 'add_list '("Hauptstraße 1-12" "Hauptstraße 12-40" "Am Anger"))
  (end_list)
  (client_data_tile "abschnitte" "Abschnitte")
  (rohr-bild)
  (action_tile "dn" "(rohr-pruefe-dn $value)")
  (action_tile "material" "(rohr-bild)")
  (action_tile "druck" "(rohr-bild)")
  (action_tile "abschnitte" "(set_tile \"error\" (strcat $data \": \" (itoa (1+ (atoi $value)))))")
  (action_tile "details" "(rohr-details dcl)")
  (action_tile "accept"
    "(if (rohr-dn (get_tile \"dn\"))
       (progn
         (setq ergebnis (list (nth (atoi (get_tile \"material\")) rohr-werkstoffe)
                              (rohr-dn (get_tile \"dn\"))
                              (strcase (get_tile \"druck\"))
                              (= (get_tile \"gedaemmt\") \"1\")
                              (get_tile \"abschnitte\")
                              rohr-wand))
         (done_dialog 1))
       (rohr-pruefe-dn (get_tile \"dn\")))")
  (setq status (start_dialog))
  (unload_dialog dcl)
  (if (= status 1) ergebnis))

(defun rohr-fragbox (/ antwort)
  (setq antwort
    (korDialog_FragBox "WASSER" "TEXTE"
      (list "Werkstoff" "Nennweite [mm]" "Druckstufe")
      (list "PE 100" 100.0 "PN 10")))
  (if (= (car antwort) 1) (cdr antwort)))

(princ "\nRohr (DCL): ")
(prin1 (rohr-dcl))
(princ "\nRohr (FragBox): ")
(prin1 (rohr-fragbox))
(terpri)
(princ)
