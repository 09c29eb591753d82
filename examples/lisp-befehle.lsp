;;; lisp-befehle.lsp — a small tour of korcad's command line.
;;;
;;;   korcad examples/lisp-befehle.lsp -e '(laengen-summe (list 1.5 2 "x"))'
;;;   korcad, then at "Befehl: " (load "examples/lisp-befehle") and LAENGEN

;; Sums the numbers of a list and counts what was no number.
(defun laengen-summe (werte / summe fehler)
  (setq summe 0.0 fehler 0)
  (foreach w werte
    (if (numberp w)
      (setq summe (+ summe w))
      (setq fehler (1+ fehler))))
  (list summe fehler))

;; A command: asks for lengths until the answer is empty, then shows their sum.
;; Its local *error* reports a cancelled input in its own words.
(defun c:laengen (/ *error* wert werte)
  (defun *error* (msg)
    (princ (strcat "\nLAENGEN abgebrochen: " msg "\n"))
    (princ))
  (while (setq wert (getreal "\nLänge <Ende>: "))
    (setq werte (cons wert werte)))
  (princ (strcat "\nSumme: " (rtos (car (laengen-summe werte)) 2 2) "\n"))
  (princ))

;; vl-catch-all-apply keeps an error from ending the program.
(defun sicher-teilen (a b / r)
  (setq r (vl-catch-all-apply '/ (list a b)))
  (if (vl-catch-all-error-p r)
    (progn (princ (strcat "Fehler: " (vl-catch-all-error-message r) "\n")) nil)
    r))

(princ "Befehle geladen: LAENGEN, (laengen-summe liste), (sicher-teilen a b)\n")
(princ)
