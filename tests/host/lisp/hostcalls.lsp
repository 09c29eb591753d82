;; An application's requests to the host: user input with acedInitGet, the symbol tables,
;; the command line; and LISP's own get... functions, which the same input service answers.

(arxload "korTestApp")
;=> "korTestApp"

;; Distances: a number, or two points.
(kortest_ask "dist" 0 "" "Länge: ")
;input: 12.5
;=> (5100 12.5)
(kortest_ask "dist" 0 "" "Länge: ")
;input: 0,0
;input: 3,4
;=> (5100 5.0)
;; RSG_NONEG refuses a negative answer and asks again; RSG_NONULL an empty one.
(kortest_ask "dist" 4 "" "Länge: ")
;input: -2
;input: 2
;out: Wert muss positiv sein.
;out: 
;=> (5100 2.0)
(kortest_ask "dist" 1 "" "Länge: ")
;input: 
;input: 7
;=> (5100 7.0)
(kortest_ask "dist" 0 "" "Länge: ")
;input: 
;=> (5000)
;; A keyword where a value was asked for: RTKWORD, acedGetInput tells which.
(kortest_ask "dist" 0 "Ende Zurück" "Länge: ")
;input: z
;=> (-5005 "Zurück")
;; The end of the input cancels the request, as Escape does.
(kortest_ask "dist" 0 "" "Länge: ")
;=> (-5002)

;; Points: typed, or relative to the base point (1,1).
(kortest_ask "point" 0 "" "Punkt: ")
;input: 2.5,3
;=> (5100 (2.5 3.0 0.0))
(kortest_ask "point" 0 "" "Punkt: ")
;input: @2,3
;=> (5100 (3.0 4.0 0.0))
(kortest_ask "point" 0 "" "Punkt: ")
;input: irgendwo
;input: 1,2,3
;out: Punkt oder Option-Schlüsselwort erforderlich.
;out: 
;=> (5100 (1.0 2.0 3.0))

;; Integers in the 16-bit range; keywords by their capital letters; strings end at a blank
;; and are cut to the caller's buffer.
(kortest_ask "int" 0 "" "Anzahl: ")
;input: 70000
;input: 5
;=> (5100 5)
(kortest_ask "kword" 0 "Ja Nein" "Weiter? ")
;input: n
;=> (5100 "Nein")
(kortest_ask "kword" 0 "Ja Nein" "Weiter? ")
;input: vielleicht
;input: ja
;out: Ungültiges Option-Schlüsselwort.
;out: 
;=> (5100 "Ja")
(kortest_ask "string" 0 "" "Name: ")
;input: Hydranten Nord
;=> (5100 "Hydrant")

;; An entity pick: the drawing holds no entities, so nothing is found.
(kortest_ask "entsel" 0 "" "Objekt wählen: ")
;input: 1,1
;=> (-5001)

;; The symbol tables of a new drawing.
(kortest_table "LTYPE")
;=> ("Continuous" "Continuous")
(kortest_table "layer")
;=> ("0" "0")
(kortest_table "BLOCK")
;=> nil
(cdr (assoc 2 (tblnext "LTYPE" T)))
;=> "Continuous"
(tblnext "LTYPE")
;=> nil
(cdr (assoc 2 (tblsearch "STYLE" "standard")))
;=> "Standard"
(tblsearch "LAYER" "Wasser")
;=> nil

;; acutPrintf writes to the command line; without a window there is no drawing view.
(kortest_print "Hallo Welt")
;out: Hallo Welt
;out: 
;=> nil

;; LISP's get... functions with initget.
(progn (initget 1 "Ja Nein") (getkword "Weiter? "))
;input: 
;input: j
;=> "Ja"
(getpoint '(1 1) "Punkt: ")
;input: @1,1
;=> (2.0 2.0 0.0)
(getdist "Abstand: ")
;input: 1,1
;input: 4,5
;=> 5.0
(progn (initget "Mitte") (getpoint "Punkt: "))
;input: m
;=> "Mitte"
(progn (initget 6) (getint "Anzahl: "))
;input: 0
;input: 3
;out: Wert muss ungleich Null sein.
;out: 
;=> 3
;; initget applies to the next request only.
(getint "Anzahl: ")
;input: 0
;=> 0
(getcorner '(0 0) "Ecke: ")
;input: 5,5
;=> (5.0 5.0 0.0)
