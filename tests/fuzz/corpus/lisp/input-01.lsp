(getint "Anzahl: ")
(getreal "x: ")
(vl-catch-all-error-message (vl-catch-all-apply 'getint nil))
