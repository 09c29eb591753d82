;;; demo.lsp — what a program of the suite does with korDialog: offer a choice of buttons
;;; and act on the answer.

(defun demo-hydrant-art (/ antwort)
  (setq antwort
    (korDialog_ButtonDialog 1
      (list "Hydrant setzen")
      (list "Überflurhydrant" "Unterflurhydrant" "Wandhydrant")
      (list "UEFH" "UFH" "WH")))
  (cond
    ((= (car antwort) 1)
      (princ (strcat "\nGewählt: " (cadr antwort)))
      (cadr antwort))
    ((= (car antwort) 0)
      (princ "\nAbgebrochen.")
      nil)
    (T
      (princ (strcat "\nFehler im Aufruf: " (itoa (car antwort))))
      nil)))

(defun demo-pruefung (/ antwort)
  ;; A program error: the value list is shorter than the caption list.
  (setq antwort (korDialog_ButtonDialog 0 (list "Prüfung") (list "A" "B") (list "a")))
  (princ (strcat "\nFalscher Aufruf wird abgewiesen mit " (itoa (car antwort))))
  antwort)

(princ "\nkorDialog-Demo")
(setq art (demo-hydrant-art))
(setq art2 (demo-hydrant-art))
(demo-pruefung)
(princ "\nErgebnisse: ")
(prin1 (list art art2))
(terpri)

;;; ---- korDialog_ButtonValue: one value, typed or taken from the drawing ----
(defun demo-ueberdeckung (/ antwort)
  ;; Label and button caption come from the database WASSER, table TEXTE:
  ;; 1 "Überdeckung [m]", 16 "Aus Zeichnung". The default 1.2 is shown as 1.20.
  (setq antwort (korDialog_ButtonValue "WASSER" "TEXTE" 1 16 1.2 "ZEICHNUNG"))
  (cond
    ((= (car antwort) 1)
      (princ (strcat "\nÜberdeckung: " (rtos (cadr antwort) 2 2) " m"))
      (cadr antwort))
    ((= (car antwort) 2)
      (princ "\nÜberdeckung wird in der Zeichnung gemessen.")
      (cadr antwort))
    ((= (car antwort) 0)
      (princ "\nAbgebrochen.")
      nil)
    (T
      (princ (strcat "\nFehler im Aufruf: " (itoa (car antwort))))
      nil)))

(setq ueberdeckung (demo-ueberdeckung))
(terpri)
;;; ---- end of korDialog_ButtonValue ----

;;; --- korDialog_FragBox: the properties of the hydrant, labels from the text table
;;; WASSER/TEXTE (Hydrantenart, Nennweite, Baujahr, Überdeckung, Versorgungsdruck,
;;; Eigentümer) and one label given directly. Each value comes back in its own type.
;;; A label that cannot be looked up ends the call with an error, which vl-catch-all-apply
;;; turns into a value.
(defun demo-hydrant-eigenschaften (art / antwort)
  (setq antwort
    (vl-catch-all-apply 'korDialog_FragBox
      (list "WASSER" "TEXTE"
        (list 10 3 5 1 12 7 "Hydrantennummer")
        (list (if art art "UFH") 100 1998 1.5 4.5 "Stadtwerke" "H-0815"))))
  (cond
    ((vl-catch-all-error-p antwort)
      (princ (strcat "\nTexte der Tabelle WASSER/TEXTE nicht gefunden ("
                     (vl-catch-all-error-message antwort) ")."))
      nil)
    ((= (car antwort) 1)
      (princ "\nHydrant: ")
      (prin1 (cdr antwort))
      (cdr antwort))
    ((= (car antwort) 0)
      (princ "\nAbgebrochen.")
      nil)
    (T
      (princ (strcat "\nFehler im Aufruf: " (itoa (car antwort))))
      nil)))

(demo-hydrant-eigenschaften art)
(terpri)
;;; --- end of korDialog_FragBox

;;; ---- korDialog_SelectColor: the colour of the hydrant's connection pipe. The answer is
;;; red + 256 * green + 65536 * blue; examples/farbe.lsp turns it into a colour index and a
;;; true colour for the drawing.
(defun demo-farbe (/ antwort)
  (setq antwort (korDialog_SelectColor "Farbe der Anschlussleitung"))
  (cond
    ((= (car antwort) 1)
      (princ (strcat "\nFarbe: Rot " (itoa (rem (cadr antwort) 256))
                     ", Grün " (itoa (rem (/ (cadr antwort) 256) 256))
                     ", Blau " (itoa (/ (cadr antwort) 65536))))
      (cadr antwort))
    ((= (car antwort) 0)
      (princ "\nAbgebrochen.")
      nil)
    (T
      (princ (strcat "\nFehler im Aufruf: " (itoa (car antwort))))
      nil)))

(setq farbe (demo-farbe))
(terpri)
;;; ---- end of korDialog_SelectColor

;;; --- the drawing: the sample network examples/netz.dxf (korcad --dwg). Its pipes as a
;;; CSV list with their lengths (rohrliste.lsp), its hydrants and valves counted, and a
;;; check mark as extended data on the first hydrant; korcad saves the drawing at the end.
(defun demo-zeichnung (/ rohre datei hydranten)
  (if (not (ssget "X" '((0 . "INSERT"))))
    (princ "\nKeine Zeichnung mit Armaturen geöffnet (korcad --dwg examples/netz.dxf).")
    (progn
      (load "rohrliste")
      (setq rohre (rohr:aus-zeichnung)
            datei (vl-filename-mktemp "rohre.csv"))
      (rohr:csv-schreiben datei rohre)
      (princ (strcat "\n" (itoa (length rohre)) " Leitungen, zusammen "
                     (rtos (rohr:summe (rohr:csv-lesen datei)) 2 2) " m"))
      (vl-file-delete datei)
      (setq hydranten (ssget "X" '((0 . "INSERT") (2 . "HYDRANT"))))
      (princ (strcat "\n" (itoa (sslength hydranten)) " Hydranten, "
                     (itoa (sslength (ssget "X" '((0 . "INSERT") (2 . "SCHIEBER"))))) " Schieber"))
      (regapp "KOR_DEMO")
      (entmod (append (entget (ssname hydranten 0))
                      '((-3 ("KOR_DEMO" (1000 . "geprüft"))))))
      (princ "\nErster Hydrant als geprüft markiert."))))

(demo-zeichnung)
(terpri)
;;; --- end of the drawing

;;; --- korDialog_MultiEditDialog: the length and the cover of a pipe. The user measures the
;;; length in the drawing: the row's button closes the window, two picks on the pipe's ends
;;; (object snaps catch them), and the window comes back with the distance.
(defun demo-rohr-messen (/ antwort)
  (setq antwort (korDialog_MultiEditDialog "WASSER" "TEXTE" (list 4 1) (list 0.0 1.2)))
  (cond
    ((= (car antwort) 1)
      (princ (strcat "\nLänge " (rtos (cadr antwort) 2 2) " m, Überdeckung "
                     (rtos (caddr antwort) 2 2) " m"))
      (cdr antwort))
    ((= (car antwort) 0)
      (princ "\nAbgebrochen.")
      nil)
    (T
      (princ (strcat "\nFehler im Aufruf: " (itoa (car antwort))))
      nil)))

(demo-rohr-messen)
(terpri)
;;; --- end of korDialog_MultiEditDialog
;;; --- a pipe of the drawing: chosen from the pipe list in a grid, given a linetype (from the
;;; drawing's LTYPE table), a lineweight and the colour chosen above (as a colour index and a
;;; true colour, examples/farbe.lsp); korcad saves the drawing at the end of the run.
(defun demo-rohr-gestalten (/ rohre datei antwort rohr e lt lw)
  (load "rohrliste")
  (load "farbe")
  ;; The list goes through a CSV file and is shown as it was read back.
  (setq datei (vl-filename-mktemp "rohre.csv"))
  (rohr:csv-schreiben datei (rohr:aus-zeichnung))
  (setq rohre (rohr:csv-lesen datei))
  (vl-file-delete datei)
  (setq antwort
    (korDialog_GridDialog
      (list 1 "Leitung wählen" 1 (list "Leitung" "Länge [m]")
            (mapcar '(lambda (r) (list (car r) (rtos (cadr r) 2 2))) rohre))))
  (if (and antwort (car antwort) (listp (car antwort)) (> (car (car antwort)) 0))
    (progn
      (setq rohr (nth (1- (car (car antwort))) rohre)
            e (ssname (ssget "X" '((0 . "LWPOLYLINE") (8 . "WASSER_LEITUNG"))) (1- (car (car antwort)))))
      (princ (strcat "\nLeitung: " (car rohr)))
      (setq lt (korDialog_GridDialog_LType "Continuous"))
      (if (and (listp lt) (= (type (cadr lt)) 'STR))
        (progn
          (entmod (subst (cons 6 (cadr lt)) (assoc 6 (entget e))
                         (if (assoc 6 (entget e)) (entget e) (append (entget e) (list (cons 6 (cadr lt)))))))
          (princ (strcat "\nLinientyp: " (cadr lt)))))
      (setq lw (korDialog_LWeightDialog 3))
      ;; A lineweight comes back as it is (hundredths of a millimetre); Cancel as -1.
      (if (and (numberp lw) (/= lw -1))
        (progn
          (entmod (append (entget e) (list (cons 370 lw))))
          (princ (strcat "\nLinienstärke: " (itoa lw) " (1/100 mm)"))))
      (if farbe
        (progn
          (entmod (append (entget e) (list (cons 62 (farbe-aci farbe)) (cons 420 (farbe-truecolor farbe)))))
          (princ (strcat "\nFarbe: Index " (itoa (farbe-aci farbe)))))))
    (princ "\nKeine Leitung gewählt."))
  (princ))

(demo-rohr-gestalten)
(terpri)
;;; --- end of the pipe

;;; --- CAD classes: korKlasse, another module of the suite, classifies entities with korDialog's
;;; exported class assignment and the class catalogue (database KATALOG). The user selects the
;;; hydrant H-101, finds its class by a search text and confirms; then selects H-103 and takes
;;; the class over from H-101 with "Zeigen". The attributes live in the entities' extended data
;;; (KOR_ATTRIBUTE) and are saved with the drawing.
(defun demo-klassen (/ n ss i e attribute)
  (arxload "korKlasse")
  (setq n (kor_KlasseZuordnen "Hydranten klassifizieren" "Punkt"))
  (princ (strcat "\nKlassifiziert: " (if n (itoa n) "nichts") " Objekt(e)\n"))
  (setq n (kor_KlasseZuordnen "Klasse von H-101 übernehmen" "Punkt"))
  (setq ss (ssget "X" '((0 . "INSERT") (2 . "HYDRANT"))) i 0)
  (repeat (sslength ss)
    (setq e (ssname ss i)
          attribute (cdr (car (cdr (assoc -3 (entget e '("KOR_ATTRIBUTE")))))))
    (princ (strcat "\n" (cdr (assoc 1 (entget (entnext e)))) ": "
                   (if attribute (cdr (nth 5 attribute)) "ohne Klasse")))
    (setq i (1+ i)))
  (princ))

(demo-klassen)
(terpri)
;;; --- end of the CAD classes
