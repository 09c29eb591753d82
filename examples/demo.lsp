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
(defun demo-hydrant-eigenschaften (art / antwort)
  (setq antwort
    (korDialog_FragBox "WASSER" "TEXTE"
      (list 10 3 5 1 12 7 "Hydrantennummer")
      (list (if art art "UFH") 100 1998 1.5 4.5 "Stadtwerke" "H-0815")))
  (cond
    ((null antwort)
      (princ "\nTexte der Tabelle WASSER/TEXTE nicht gefunden.")
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

(demo-farbe)
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
