;dwg: netz.dxf
;; Dictionaries and objects, table records, ssmemb, xdroom, ERRNO, getangle and getorient.

(setq d (namedobjdict))
(list (type d) (cdr (assoc 0 (entget d))) (cdr (assoc 0 (dictsearch d "acad_group")))) ;=> (ENAME "DICTIONARY" "DICTIONARY")
;; An object made with entmakex belongs to nothing until a dictionary takes it.
(setq x (entmakex '((0 . "XRECORD") (100 . "AcDbXrecord") (1 . "Wert") (40 . 2.5) (10 1.0 2.0 3.0))))
(list (type x) (assoc 330 (entget x)) (eq (dictadd d "KOR_DATEN" x) x) (dictadd d "kor_daten" x) (eq (cdr (assoc 330 (entget x))) d))
;=> (ENAME nil T nil T)
(mapcar '(lambda (c) (cdr (assoc c (dictsearch d "Kor_Daten")))) '(0 1 40 10)) ;=> ("XRECORD" "Wert" 2.5 (1.0 2.0 3.0))
;; dictnext walks the entries in order; rewind starts again, dictsearch with setnext sets where.
(list (cdr (assoc 0 (dictnext d T))) (cdr (assoc 1 (dictnext d))) (dictnext d) (cdr (assoc 1 (progn (dictsearch d "ACAD_GROUP" T) (dictnext d)))))
;=> ("DICTIONARY" "Wert" nil "Wert")
(list (dictrename d "KOR_DATEN" "acad_group") (dictrename d "FEHLT" "X") (dictrename d "kor_daten" "KOR_NEU") (dictsearch d "KOR_DATEN"))
;=> (nil nil "KOR_NEU" nil)
(list (eq (dictremove d "kor_neu") x) (dictremove d "KOR_NEU") (cdr (assoc 1 (entget x)))) ;=> (T nil "Wert")
(list (type (entmake '((0 . "XRECORD") (1 . "a")))) (entmakex '((0 . "XRECORD") (1 . "a\nb"))) (eq (entmakex '((0 . "POINT") (10 1.0 1.0))) (entlast)))
;=> (LIST nil T)
(dictadd d "X" "Y") ;error: bad argument type: lentityp "Y"

(list (cdr (assoc 0 (entget (tblobjname "layer" "0")))) (tblobjname "LAYER" "FEHLT") (tblobjname "KEINE" "0")) ;=> ("LAYER" nil nil)

(setq hy (ssget "X" '((2 . "HYDRANT"))) e (ssname hy 0))
(list (eq (ssmemb e hy) e) (ssmemb (entlast) hy)) ;=> (T nil)
;; Room for extended data and what a list takes are counted alike.
(setq p (ssname (ssget "X" '((0 . "LWPOLYLINE"))) 0))
(list (xdroom p) (xdsize '((-3 ("KOR_NETZ" (1000 . "PE") (1070 . 110) (1040 . 10.0))))) (xdsize '(("KOR_NETZ" (1010 1.0 2.0 0.0)))))
;=> (16366 17 17)
(list (xdsize '(("NIEMAND" (1000 . "x")))) (xdsize '(("KOR_NETZ" (1002 . "{"))))) ;=> (nil nil)
;; ERRNO: 7 after a pick that found nothing, 52 after Enter at the pick, 13 for an unknown handle.
;input: 200,200
;input:
(list (entsel) (getvar "ERRNO") (entsel) (getvar "ERRNO") (handent "FFFFF") (getvar "ERRNO")) ;=> (nil 7 nil 52 nil 13)

;; nentsel: a part of a block with the block's matrix and its insert; a pipe as entsel gives it.
;input: 30.5,0
;input: 100,0
(setq n (nentsel))
(list (cdr (assoc 0 (entget (car n)))) (cadr n) (caddr n) (cdr (assoc 2 (entget (car (last n))))) (length (nentsel "Rohr: ")))
;=> ("LINE" (30.5 0.0 0.0) ((1.0 0.0 0.0) (0.0 1.0 0.0) (0.0 0.0 1.0) (30.0 0.0 0.0)) "HYDRANT" 2)

;; Angles: typed in degrees or shown by two points; getangle from ANGBASE, getorient from east.
;input: 90
;input: 0,0
;input: 0,10
;input: 45
(mapcar '(lambda (v) (/ (fix (* v 1000)) 1000.0)) (list (getangle) (getangle) (getorient '(0 0) "")))
;=> (1.57 1.57 0.785)
(setvar "ANGBASE" (/ pi 2)) (setvar "ANGDIR" 1)
;input: 90
;input: 90
;input: 10,0
;input: zz
;input: -90
(mapcar '(lambda (v) (/ (fix (* v 1000)) 1000.0)) (list (getangle) (getorient) (getangle '(0 0)) (getangle)))
;=> (4.712 0.0 4.712 1.57)

;; Without a window grread reads the input (a point is a pick, a text its first key, Enter 13).
;input: 5,5
;input: abc
;input:
(list (grread) (grread T) (grread T 1 0)) ;=> ((3 (5.0 5.0 0.0)) (2 97) (2 13))
(list (grdraw '(0 0) '(10 10) 1 1) (grvecs '(1 (0 0) (1 1) 256 (1 0) (0 1)) '((1 0 0 5) (0 1 0 0) (0 0 1 0) (0 0 0 1)))
      (redraw) (redraw e 3) (redraw e 4))
;=> (nil nil nil nil nil)
(grvecs '((0 0))) ;error: bad argument type: 2D/3D point: nil
(list (textbox '((1 . "ABC") (40 . 2.0))) (textbox '((1 . "AB") (40 . 1.0) (41 . 0.5))) (textbox '((0 . "TEXT"))))
;=> (((0.0 0.0 0.0) (3.6 2.0 0.0)) ((0.0 0.0 0.0) (0.6 1.0 0.0)) nil)
(list (vports) (setview '((0 . "VIEW") (10 50.0 20.0) (40 . 30.0) (41 . 60.0)))) ;=> (((2 (0.0 0.0) (1.0 1.0))) ((0 . "VIEW") (10 50.0 20.0) (40 . 30.0) (41 . 60.0)))
(setview '((40 . 0.0))) ;error: bad argument type: view description: ((40 . 0.0))

;; command-s asks nothing: a prompt its arguments leave open cancels the command.
(list (command-s "_.CIRCLE" '(500 500) 3) (cdr (assoc 40 (entget (entlast))))) ;=> (nil 3.0)
(list (command-s "_.CIRCLE" '(600 600)) (cdr (assoc 10 (entget (entlast))))) ;=> (nil (500.0 500.0 0.0))
