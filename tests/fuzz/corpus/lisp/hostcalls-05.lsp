(getcorner '(0 0) "Ecke: ")
