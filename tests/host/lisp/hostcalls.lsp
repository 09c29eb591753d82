;; Prompts of LISP's get... functions and an application's acedGet...; each prompt and answer printed.

;input: Anna Maria
;input: Anna Maria
;input:
;out: Name: Anna Maria
;out: Name: Anna Maria
;out:
;out:
(list (getstring "Name: ") (getstring T "Name: ") (getstring)) ;=> ("Anna" "Anna Maria" "")
;input: abc
;input: 3.5
;out: Abstand: abc
;out: Erfordert numerischen Wert.
;out: Abstand: 3.5
;out:
(getreal "Abstand: ") ;=> 3.5
;input: 2
;input:
(list (getreal) (getreal)) ;=> (2.0 nil)
;input: 40000
;input: 1.5
;input: 12
;out: Anzahl: 40000
;out: Erfordert eine ganze Zahl zwischen -32768 und 32767.
;out: Anzahl: 1.5
;out: Erfordert eine ganze Zahl zwischen -32768 und 32767.
;out: Anzahl: 12
;out:
(getint "Anzahl: ") ;=> 12
(getreal "x: ") ;error: Function cancelled
;; initget applies to the next request only.
;input:
;input: j
(progn (initget 1 "Ja Nein") (getkword "Weiter? ")) ;=> "Ja"
;input: m
(progn (initget "Mitte") (getpoint "Punkt: ")) ;=> "Mitte"
;input: 0
;input: 3
;input: 0
;out: Anzahl: 0
;out: Wert muss ungleich Null sein.
;out: Anzahl: 3
;out: Anzahl: 0
;out:
(list (progn (initget 6) (getint "Anzahl: ")) (getint "Anzahl: ")) ;=> (3 0)
;input: @1,1
;input: 1,1
;input: 4,5
;input: 5,5
(list (getpoint '(1 1) "Punkt: ") (getdist "Abstand: ") (getcorner '(0 0) "Ecke: "))
;=> ((2.0 2.0 0.0) 5.0 (5.0 5.0 0.0))

(arxload "korTestApp") ;=> "korTestApp"
;input: 12.5
;input: 0,0
;input: 3,4
;out: Länge: 12.5
;out: Länge: 0,0
;out: Zweiten Punkt angeben: 3,4
;out:
(list (kortest_ask "dist" 0 "" "Länge: ") (kortest_ask "dist" 0 "" "Länge: ")) ;=> ((5100 12.5) (5100 5.0))
;; RSG_NONEG refuses a negative answer, RSG_NONULL an empty one; else empty is RTNONE (5000).
;input: -2
;input: 2
;out: Länge: -2
;out: Wert muss positiv sein.
;out: Länge: 2
;out:
(kortest_ask "dist" 4 "" "Länge: ") ;=> (5100 2.0)
;input:
;input: 7
;input:
(list (kortest_ask "dist" 1 "" "Länge: ") (kortest_ask "dist" 0 "" "Länge: ")) ;=> ((5100 7.0) (5000))
;; A keyword: RTKWORD, acedGetInput tells which. The end of the input cancels.
;input: z
(list (kortest_ask "dist" 0 "Ende Zurück" "Länge: ") (kortest_ask "dist" 0 "" "Länge: ")) ;=> ((-5005 "Zurück") (-5002))
;; Points: typed, relative to the base point (1,1), or asked again.
;input: 2.5,3
;input: @2,3
(list (kortest_ask "point" 0 "" "Punkt: ") (kortest_ask "point" 0 "" "Punkt: "))
;=> ((5100 (2.5 3.0 0.0)) (5100 (3.0 4.0 0.0)))
;input: irgendwo
;input: 1,2,3
;out: Punkt: irgendwo
;out: Punkt oder Option-Schlüsselwort erforderlich.
;out: Punkt: 1,2,3
;out:
(kortest_ask "point" 0 "" "Punkt: ") ;=> (5100 (1.0 2.0 3.0))
;; 16-bit integers; keywords by their capitals; strings end at a blank, cut to the buffer.
;input: 70000
;input: 5
;input: n
(list (kortest_ask "int" 0 "" "Anzahl: ") (kortest_ask "kword" 0 "Ja Nein" "Weiter? ")) ;=> ((5100 5) (5100 "Nein"))
;input: vielleicht
;input: ja
;out: Weiter? vielleicht
;out: Ungültiges Option-Schlüsselwort.
;out: Weiter? ja
;out:
(kortest_ask "kword" 0 "Ja Nein" "Weiter? ") ;=> (5100 "Ja")
;input: Hydranten Nord
(kortest_ask "string" 0 "" "Name: ") ;=> (5100 "Hydrant")
;; An entity pick: the drawing holds no entities, so nothing is found.
;input: 1,1
(kortest_ask "entsel" 0 "" "Objekt wählen: ") ;=> (-5001)

(list (cdr (assoc 2 (tblnext "LTYPE" T))) (tblnext "LTYPE") (tblsearch "LAYER" "Wasser")) ;=> ("Continuous" nil nil)
;; acutPrintf writes to the command line; without a window there is no drawing view.
;out: Hallo Welt
;out:
(kortest_print "Hallo Welt") ;=> nil
