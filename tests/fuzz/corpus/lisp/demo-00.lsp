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
  (setq antwort (korDialog_ButtonDialog 0 (list "Prüfung") (list "A" "B") (list "a")))
  (princ (strcat "\nFalscher Aufruf wird abgewiesen mit " (itoa (car antwort))))
  antwort)
(princ "\nkorDialog-Demo")
(setq art (demo-hydrant-art))
(setq art2 (demo-hydrant-art))
(demo-pruefung)
