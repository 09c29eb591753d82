;dwg: netz.dxf
;; LISP over examples/netz.dxf: tables, selection sets, entity and extended data, picks, commands.

(list (sslength (ssget "X" '((0 . "INSERT")))) (sslength (ssget "X" '((0 . "INSERT") (2 . "HYDRANT"))))) ;=> (7 3)
(cdr (assoc 1 (entget (entnext (ssname (ssget "X" '((2 . "SCHIEBER"))) 2))))) ;=> "S-203"
(cdr (assoc 1 (entget (ssname (ssget "X" '((0 . "MTEXT"))) 0)))) ;=> "Versorgungszone Nord\\PStraße: Hauptstraße"
;; ssadd and ssdel answer the set they changed.
(setq hy (ssget "X" '((2 . "HYDRANT"))) e (ssname hy 0))
(list (eq (ssdel e hy) hy) (sslength hy) (eq (ssadd e hy) hy) (sslength hy) (ssdel (entlast) hy)) ;=> (T 2 T 3 nil)
(list (type (entlast)) (type (ssget "X")) (eq (entlast) (entlast))) ;=> (ENAME PICKSET T)
(list (ssget "X" '((0 . "DIMENSION"))) (handent "ZZ")) ;=> (nil nil)
(setq p (ssname (ssget "X" '((0 . "LWPOLYLINE"))) 0))
(cdr (assoc 10 (entget p))) ;=> (0.0 0.0)
(assoc -3 (entget p '("KOR*"))) ;=> (-3 ("KOR_NETZ" (1000 . "PE") (1070 . 110) (1040 . 10.0)))
(regapp "KOR_TEST")
(entmod (append (entget p) '((-3 ("KOR_TEST" (1000 . "geprüft") (1040 . 2.5))))))
(cdr (assoc -3 (entget (ssname (ssget "X" '((-3 ("KOR_TEST")))) 0) '("KOR_TEST"))))
;=> (("KOR_TEST" (1000 . "geprüft") (1040 . 2.5)))

;; Table walks leave ByBlock/ByLayer and handles out; blocks come with their first entity.
(setq lt (tblnext "LTYPE" T))
(list (car lt) (cadr lt) (assoc 5 lt) (assoc 330 lt) (assoc 100 lt)) ;=> ((0 . "LTYPE") (2 . "Continuous") nil nil nil)
(setq names nil) (while lt (setq names (cons (cdr (assoc 2 lt)) names) lt (tblnext "ltype"))) (reverse names)
;=> ("Continuous" "WASSERWERK|STRICHPUNKT" "DASHED" "DASHDOT" "HIDDEN" "BORDER")
(setq lt (tblsearch "LTYPE" "dashed" T)) (list (assoc 73 lt) (vl-remove-if-not '(lambda (g) (= (car g) 49)) lt))
;=> ((73 . 2) ((49 . 0.5) (49 . -0.25)))
(setq b (tblnext "BLOCK" T)) (list (cdr (assoc 2 b)) (type (cdr (last b))) (car (last b))) ;=> ("HYDRANT" ENAME -2)
(list (cdr (assoc 2 (tblnext "BLOCK"))) (tblnext "BLOCK")) ;=> ("SCHIEBER" nil)
;; ssget's filters: wild cards, logic groups, relations, colour by layer, extended data, flags.
(defun found (filter / s) (if (setq s (ssget "X" filter)) (sslength s) 0))
(mapcar 'found '(((0 . "INSERT")) ((0 . "insert") (2 . "HYD*")) ((0 . "LINE,LWPOLYLINE")))) ;=> (7 3 7)
(found '((-4 . "<NOT") (8 . "WASSER_*") (-4 . "NOT>"))) ;=> 2
(found '((-4 . "<XOR") (0 . "TEXT") (8 . "WASSER_TEXT") (-4 . "XOR>"))) ;=> 1
(list (found '((0 . "CIRCLE,ARC") (-4 . ">=") (40 . 5.0))) (found '((62 . 256) (0 . "LINE")))) ;=> (1 3)
(found '((-4 . ">,<,*") (10 50.0 10.0 0.0) (0 . "INSERT"))) ;=> 3
(list (found '((-3 ("KOR_NETZ")))) (found '((-4 . "&") (70 . 48)))) ;=> (4 0)

;; entsel: a block's part picks its insert, a pipe is found along its segment; end of input cancels.
;input: 30.5,0
;input: 100,0
;input: 200,200
;out: Objekt wählen: 30.5,0
;out: Rohr: 100,0
;out: Leer: 200,200
;out: Kein Objekt gefunden.
;out:
(list (cdr (assoc 2 (entget (car (entsel))))) (cadr (entsel "Rohr: ")) (entsel "Leer: ")) ;=> ("HYDRANT" (100.0 0.0 0.0) nil)
(entsel) ;error: Function cancelled
;; The user selects: a pick, the same again (counted once), a crossing adding the pipe, Enter.
;input: 30,1.5
;input: 30,1.5
;input: K
;input: 25,-5
;input: 35,5
;input:
;out: Objekte wählen oder [Fenster/Kreuzen]: 30,1.5
;out: 1 gefunden, 1 gesamt
;out: Objekte wählen oder [Fenster/Kreuzen]: 30,1.5
;out: 0 gefunden, 1 gesamt
;out: Objekte wählen oder [Fenster/Kreuzen]: K
;out: Erste Ecke angeben: 25,-5
;out: Entgegengesetzte Ecke angeben: 35,5
;out: 1 gefunden, 2 gesamt
;out: Objekte wählen oder [Fenster/Kreuzen]: 
;out:
(sslength (ssget)) ;=> 2
(list (sslength (ssget "W" '(20 -5) '(52 5))) (sslength (ssget "C" '(25 -5) '(35 5) '((0 . "INSERT"))))) ;=> (1 1)

;; Drawing commands by English and German names; "_" asks for the English one; ZOOM knows extents only.
(command "_.LAYER" "_M" "ROHRE" "") (getvar "CLAYER") ;=> "ROHRE"
(command "_.LINE" '(0 0) "10,0" '(10 10) "") (command "plinie" "0,0" "5,5" "10,0" "") ;=> nil
;input: 7,7
;out: Zentrum für Kreis angeben: 7,7
;out:
(command "KREIS" pause 2.5) (command "_.TEXT" "1,1" 2 0 "Straße") ;=> nil
;out: 2 gelöscht
;out:
(command "Löschen" (ssget "X" '((0 . "LINE") (8 . "ROHRE"))) "") ;=> nil
(command "_.LAYER" "_OFF" "ROH*" "") (minusp (cdr (assoc 62 (tblsearch "LAYER" "ROHRE")))) ;=> T
(setq s (ssget "X" '((8 . "ROHRE"))) e (mapcar '(lambda (i) (entget (ssname s i))) '(0 1 2)))
(mapcar '(lambda (g) (cdr (assoc 0 g))) e) ;=> ("LWPOLYLINE" "CIRCLE" "TEXT")
(list (cdr (assoc 10 (cadr e))) (cdr (assoc 40 (cadr e))) (cdr (assoc 1 (caddr e)))) ;=> ((7.0 7.0 0.0) 2.5 "Straße")
;out: Unbekannter Befehl "_.FLY".
;out: Unbekannter Befehl "_LINIE".
;out: ZOOM: nur Grenzen (G) ist möglich.
;out: ; 1 Argument blieb übrig.
;out:
(command "_.FLY") (command "_LINIE") (command "_.ZOOM" "Fenster") (command "_.ZOOM" "_E" "übrig") ;=> nil
;out:
(list (command "ZOOM" "G") (command "_ZOOM" "grenzen") (command "_.ZOOM" ".Extents")) ;=> (nil nil nil)

(ssget "X" '((-4 . "<NOT") (0 . "LINE") (0 . "ARC") (-4 . "NOT>"))) ;error: bad SSGET list: filter: NOT> has 2 operands
(entmod (list (cons -1 (entlast)) '(62 . "rot"))) ;error: bad DXF group: (62 . "rot")
(ssget "X" '((-4 . "<OR") (0 . "LINE"))) ;error: bad SSGET list: filter: a logic group is not closed
;; A failed filter's reason does not stay behind.
(ssget "W" '(200 200) '(300 300)) ;=> nil
