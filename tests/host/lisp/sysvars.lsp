;; getvar and setvar: defaults, types and ranges, read-only and computed variables, table names.

(list (getvar "CLAYER") (getvar "clayer") (getvar "CELTYPE") (getvar "CECOLOR") (getvar "TEXTSIZE"))
;=> ("0" "0" "ByLayer" "BYLAYER" 2.5)
(list (getvar "NOSUCHVAR") (getvar "")) ;=> (nil nil)
;; The drawing's name, folder (a new drawing's is the current directory) and whether it has a file.
(list (getvar "DWGNAME") (equal (getvar "DWGPREFIX") (strcat (getenv "LISPTEST_DIR") "/")) (getvar "DWGTITLED"))
;=> ("Zeichnung1.dwg" T 0)
;; The clock: a Julian day after 2020, the calendar date as YYYYMMDD.HHMMSS, milliseconds.
(list (> (getvar "DATE") 2459000.0) (> (getvar "CDATE") 20200101.0) (< (fix (rem (getvar "CDATE") 10000)) 1232))
;=> (T T T)
(<= (getvar "MILLISECS") (getvar "MILLISECS")) ;=> T

;; setvar checks types and ranges; a refused value changes nothing. Reals take integers.
(list (setvar "OSMODE" 0) (getvar "OSMODE") (setvar "osmode" 16383)) ;=> (0 0 16383)
(setvar "OSMODE" 99999) ;error: AutoCAD variable setting rejected: "OSMODE" 99999
(setvar "OSMODE" 1.0) ;error: AutoCAD variable setting rejected: "OSMODE" 1.0
(getvar "OSMODE") ;=> 16383
(list (setvar "TEXTSIZE" 5) (setvar "CMDECHO" 0) (setvar "AUPREC" 8) (setvar "ANGBASE" (/ pi 2)) (setvar "EXPERT" 5))
;=> (5.0 0 8 1.5708 5)
(list (setvar "FILEDIA" 0) (setvar "USERS1" "Rohrnetz") (setvar "USERR1" 2)) ;=> (0 "Rohrnetz" 2.0)
(setvar "TEXTSIZE" 0) ;error: AutoCAD variable setting rejected: "TEXTSIZE" 0
(setvar "LASTPOINT" '(1 2)) ;=> (1.0 2.0 0.0)
(setvar "LASTPOINT" '(1 "a")) ;error: AutoCAD variable setting rejected: "LASTPOINT" (1 "a")
(setvar "CELWEIGHT" 25) ;=> 25
(setvar "CELWEIGHT" 26) ;error: AutoCAD variable setting rejected: "CELWEIGHT" 26
(list (setvar "CECOLOR" "1") (setvar "CECOLOR" "RGB:255,0,0") (setvar "CECOLOR" "BYBLOCK"))
;=> ("1" "RGB:255,0,0" "BYBLOCK")
(setvar "CECOLOR" "256") ;error: AutoCAD variable setting rejected: "CECOLOR" "256"
(setvar "CECOLOR" "RGB:1,2") ;error: AutoCAD variable setting rejected: "CECOLOR" "RGB:1,2"
(setvar "PDMODE" 35) ;=> 35
(setvar "PDMODE" 5) ;error: AutoCAD variable setting rejected: "PDMODE" 5
(setvar 'OSMODE 1) ;error: bad argument type: stringp OSMODE
(setvar "OSMODE") ;error: too few arguments
(setvar "DWGNAME" "x.dwg") ;error: AutoCAD variable setting rejected: "DWGNAME" "x.dwg"
(setvar "NOSUCHVAR" 1) ;error: AutoCAD variable setting rejected: "NOSUCHVAR" 1

;; A layer, linetype or text style must exist in the drawing.
(mapcar 'setvar '("CLAYER" "CELTYPE" "CELTYPE" "TEXTSTYLE") '("0" "Continuous" "bylayer" "Standard"))
;=> ("0" "Continuous" "bylayer" "Standard")
(setvar "CLAYER" "Rohre") ;error: AutoCAD variable setting rejected: "CLAYER" "Rohre"
(getvar "CLAYER") ;=> "0"
(setvar "CELTYPE" "DASHED") ;error: AutoCAD variable setting rejected: "CELTYPE" "DASHED"
