;;; rohrliste.lsp — a list of pipes with their lengths as a CSV file: written, read back,
;;; summed up.
;;;
;;;   korcad examples/rohrliste.lsp -e '(c:rohrliste)'
;;;   korcad examples/rohrliste.lsp -e '(rohr:csv-schreiben "rohre.csv" (list (list "W-1" 12.5)))'
;;;
;;; The list is one of (name length) pairs, so that a program can fill it from the drawing's
;;; pipes and hand it to rohr:csv-schreiben as it is.
;;;
;;; The file: a header line "Name;Laenge", then one line per pipe, the fields separated by ";";
;;; a name holding ";" or a quote stands in quotes, a quote in it doubled. Lengths are written
;;; with rtos in decimal units with two places, whatever the drawing's units are.

;; A field as it goes into a line of the file.
(defun rohr:feld (text)
  (if (or (vl-string-search ";" text) (vl-string-search "\"" text))
    (strcat "\"" (rohr:verdoppeln text) "\"")
    text))

;; Every quote of the text doubled.
(defun rohr:verdoppeln (text / pos)
  (setq pos 0)
  (while (setq pos (vl-string-search "\"" text pos))
    (setq text (vl-string-subst "\"\"" "\"" text pos)
          pos (+ pos 2)))
  text)

;; Writes the pipes to the file; the number of pipes written, nil when the file cannot be
;; opened. A pair that is no (name length) stops the program with an error naming it.
(defun rohr:csv-schreiben (datei rohre / f n)
  (foreach r rohre
    (if (not (and (= (type r) 'LIST) (= (type (car r)) 'STR) (numberp (cadr r))))
      (vl-exit-with-error (strcat "Rohrliste: kein (Name Laenge): " (vl-prin1-to-string r)))))
  (if (setq f (open datei "w"))
    (progn
      (write-line "Name;Laenge" f)
      (setq n 0)
      (foreach r rohre
        (write-line (strcat (rohr:feld (car r)) ";" (rtos (cadr r) 2 2)) f)
        (setq n (1+ n)))
      (close f)
      n)))

;; The fields of one line, quotes taken off.
(defun rohr:felder (zeile / felder feld i c quoted)
  (setq felder nil feld "" i 1 quoted nil)
  (while (<= i (strlen zeile))
    (setq c (substr zeile i 1))
    (cond
      ((and quoted (= c "\"") (= (substr zeile (1+ i) 1) "\""))
        (setq feld (strcat feld "\"") i (1+ i)))
      ((= c "\"") (setq quoted (not quoted)))
      ((and (not quoted) (= c ";"))
        (setq felder (cons feld felder) feld ""))
      (T (setq feld (strcat feld c))))
    (setq i (1+ i)))
  (reverse (cons feld felder)))

;; The pipes of a file as (name length) pairs; nil when it cannot be read. A line whose length
;; is no number stops the program with an error naming the line.
(defun rohr:csv-lesen (datei / f zeile felder laenge rohre)
  (if (setq f (open datei "r"))
    (progn
      (read-line f)  ; the header
      (while (setq zeile (read-line f))
        (if (/= (vl-string-trim " " zeile) "")
          (progn
            (setq felder (rohr:felder zeile)
                  laenge (distof (cadr felder) 2))
            (if (null laenge)
              (progn
                (close f)
                (vl-exit-with-error (strcat "Rohrliste: keine Laenge in \"" zeile "\""))))
            (setq rohre (cons (list (car felder) laenge) rohre)))))
      (close f)
      (reverse rohre))))

;; The sum of the lengths.
(defun rohr:summe (rohre)
  (apply '+ (cons 0.0 (mapcar 'cadr rohre))))

;; A command: writes a sample list to a temporary file, reads it back and shows it as a table,
;; longest pipe first.
(defun c:rohrliste (/ datei rohre gelesen r)
  (setq rohre (list (list "W-101 Hauptleitung" 125.4)
                    (list "W-102; Abzweig Schule" 18.25)
                    (list "W-103 Hausanschluss" 7.5)
                    (list "W-101" 12.5))
        datei (vl-filename-mktemp "rohr.csv"))
  (rohr:csv-schreiben datei rohre)
  (setq gelesen (rohr:csv-lesen datei))
  (vl-file-delete datei)
  (princ (strcat "\n" (rohr:spalte "Rohr" 24) "Laenge [m]"))
  (foreach i (vl-sort-i gelesen '(lambda (a b) (> (cadr a) (cadr b))))
    (setq r (nth i gelesen))
    (princ (strcat "\n" (rohr:spalte (car r) 24) (rtos (cadr r) 2 2))))
  (princ (strcat "\n" (rohr:spalte "Summe" 24) (rtos (rohr:summe gelesen) 2 2)))
  (princ))

;; The pipes of the open drawing: every lightweight polyline on layer WASSER_LEITUNG, named by
;; its handle, material and nominal width (extended data of KOR_NETZ), with its length (the
;; sum of its segments; bulges are not arcs here, the sample's pipes have none).
(defun rohr:aus-zeichnung (/ ss i e daten punkte laenge netz name rohre)
  (setq ss (ssget "X" '((0 . "LWPOLYLINE") (8 . "WASSER_LEITUNG"))) i 0)
  (while (and ss (< i (sslength ss)))
    (setq e (ssname ss i)
          daten (entget e '("KOR_NETZ"))
          punkte (mapcar 'cdr (vl-remove-if-not '(lambda (g) (= (car g) 10)) daten))
          laenge 0.0
          netz (cdr (car (cdr (assoc -3 daten))))
          name (strcat "W-" (cdr (assoc 5 daten))))
    (if netz
      (setq name (strcat name " " (cdr (assoc 1000 netz)) " DN " (itoa (cdr (assoc 1070 netz))))))
    (while (cdr punkte)
      (setq laenge (+ laenge (distance (car punkte) (cadr punkte)))
            punkte (cdr punkte)))
    (setq rohre (cons (list name laenge) rohre)
          i (1+ i)))
  (reverse rohre))

;; The text filled up with blanks to the width.
(defun rohr:spalte (text breite)
  (while (< (strlen text) breite)
    (setq text (strcat text " ")))
  text)

(princ)
