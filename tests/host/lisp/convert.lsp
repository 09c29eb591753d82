;; itoa, atoi, atof, ascii, chr; rtos/distof and angtos/angtof in every mode; cvunit.

(itoa 42) ;=> "42"
(itoa 1.5) ;error: bad argument type: fixnump: 1.5
(list (atoi " -12abc") (atoi "3.9") (atoi "abc") (atof "-1e2x") (atof "x")) ;=> (-12 3 0 -100.0 0.0)
(list (atof "inf") (atof "nan") (atof "--5") (atof "1e-400") (atof ".5")) ;=> (0.0 0.0 0.0 0.0 0.5)
(list (atoi "99999999999") (atoi "-99999999999")) ;=> (2147483647 -2147483648)
(list (ascii "ä") (ascii "€") (ascii "😀") (ascii "") (chr 252) (chr 8364) (strlen (chr 128512)) (chr 0))
;=> (228 8364 128512 0 "ü" "€" 1 "")
;; Characters are what UTF-8 can carry: no surrogate half, nothing beyond.
(mapcar '(lambda (c) (ascii (chr c))) '(1 127 255 55295 57344 65533 65535 1114111))
;=> (1 127 255 55295 57344 65533 65535 1114111)
(chr 55296) ;error: bad argument value: character code: 55296
(chr 1114112) ;error: bad argument value: character code: 1114112

;; rtos: LUNITS 2 (decimal) and LUPREC 4 by default; the five unit modes.
(list (rtos 3.14159) (rtos 5 2 2) (rtos 2.5 2 0) (rtos -0.00001 2 2) (rtos 1234.5 1 3))
;=> ("3.1416" "5.00" "3" "0.00" "1.234E+03")
(list (rtos 14.5 3 2) (rtos 14.5 4 4) (rtos 24 4 2) (rtos 3.75 5 4)) ;=> ("1'-2.50\"" "1'-2 1/2\"" "2'-0\"" "3 3/4")
(rtos 1e300 4) ;error: bad argument value: length out of range: 1.0e+300
(rtos 1.0 9) ;error: bad argument value: units mode: 9
(rtos 1.0 2 9) ;error: bad argument value: precision: 9
(rtos nil) ;error: bad argument type: numberp: nil
(setq inf (* 1e308 10)) ;=> 1.#INF
(list (rtos inf) (rtos (- inf) 1 3) (rtos (- inf inf)) (rtos (- (- inf inf)) 1))
;=> ("1.#INF" "-1.#INF" "1.#QNAN" "1.#QNAN")
;; DIMZIN: 8 drops trailing zeros, 4 leading ones; feet/inches: 1 keeps zeros, 2 drops inches, 0 feet.
(setvar "DIMZIN" 8) (list (rtos 1.5 2 4) (rtos 2.0 2 4) (rtos 0.5 2 3) (rtos 100 2 2)) ;=> ("1.5" "2" "0.5" "100")
(list (rtos 1234.5 1 4) (rtos 1500 1 4) (rtos 14.5 3 4)) ;=> ("1.2345E+03" "1.5E+03" "1'-2.5\"")
(setvar "DIMZIN" 4) (list (rtos 0.5 2 2) (rtos -0.25 2 2) (rtos 10.5 2 1)) ;=> (".50" "-.25" "10.5")
(setvar "DIMZIN" 12) (list (rtos 0.5 2 4) (rtos 0.0 2 2)) ;=> (".5" "0")
(setvar "DIMZIN" 1) (list (rtos 6 4 0) (rtos 24 4 0)) ;=> ("0'-6\"" "2'-0\"")
(setvar "DIMZIN" 2) (list (rtos 6 4 0) (rtos 24 4 0) (rtos 30 4 0)) ;=> ("0'-6\"" "2'" "2'-6\"")
(setvar "DIMZIN" 0) (list (rtos 6 4 0) (rtos 24 4 0) (rtos 1.5 2 4)) ;=> ("6\"" "2'-0\"" "1.5000")
(setvar "LUPREC" 2) (list (rtos 3.14159) (rtos 3.14159 2 3)) ;=> ("3.14" "3.142")
(setvar "LUNITS" 4) (list (rtos 14.5) (rtos 14.5 nil 1) (rtos 14.5 2)) ;=> ("1'-2 1/2\"" "1'-2 1/2\"" "14.50")
(setvar "LUNITS" 2) (setvar "LUPREC" 4) (rtos 1.5) ;=> "1.5000"

;; distof reads every mode, blanks around; what rtos writes it reads back.
(list (distof "12.5") (distof " 12.5 " 2) (distof "1.25E+01" 1) (distof "1'-2.5\"" 3) (distof "1'-2 1/2\"" 4))
;=> (12.5 12.5 12.5 14.5 14.5)
(list (distof "2'" 4) (distof "6\"" 4) (distof "-1'-6\"" 4) (distof "3 3/4" 5) (distof "3/4" 5) (distof "-3/4" 5))
;=> (24.0 6.0 -18.0 3.75 0.75 -0.75)
(list (distof "1'" 2) (distof "abc") (distof "") (distof "1/0" 5) (distof "1'-x\"" 4)) ;=> (nil nil nil nil nil)
(mapcar '(lambda (m) (distof (rtos 17.5 m 2) m)) '(1 2 3 4 5)) ;=> (17.5 17.5 17.5 17.5 17.5)

;; angtos in its five modes; angles are taken into 0 .. 2 pi.
(list (angtos 0.785398) (angtos 0.785398 0 4) (angtos pi 1 4) (angtos 0.5 1 0) (angtos 0.5 1 2))
;=> ("45" "45.0000" "180d0'0\"" "29d" "28d39'")
(list (angtos 0.5 1 6) (angtos 0.785398 2 2) (angtos 1 3 4)) ;=> ("28d38'52.40\"" "50.00g" "1.0000r")
(list (angtos (* pi 0.75) 4 4) (angtos (* pi 1.75) 4 4) (angtos (/ pi 6) 4 4))
;=> ("N 45d0'0\" W" "S 45d0'0\" E" "N 60d0'0\" E")
(mapcar '(lambda (a) (angtos a 4)) (list 0 (/ pi 2) pi (* 1.5 pi))) ;=> ("E" "N" "W" "S")
(list (angtos -0.5 0 2) (angtos (+ (* 2 pi) 0.1) 0 2) (angtos (* 2 pi) 0 2)) ;=> ("331.35" "5.73" "0.00")
(setvar "AUNITS" 2) (angtos pi) ;=> "200g"
(setvar "AUPREC" 3) (angtos pi) ;=> "200.000g"
(setvar "AUNITS" 0) (setvar "AUPREC" 0) (angtos pi) ;=> "180"
(angtos 1 5) ;error: bad argument value: angle units mode: 5
(list (angtof "45") (angtof "45d30'" 1) (angtof "45d30'15.5\"" 1) (angtof "50g" 2) (angtof "1.5r" 3))
;=> (0.785398 0.794125 0.7942 0.785398 1.5)
(list (angtof "N 45d E" 4) (angtof "S 45d0'0\" W" 4) (angtof "N" 4) (angtof "-90"))
;=> (0.785398 3.92699 1.5708 4.71239)
(list (angtof "xyz") (angtof "") (angtof "N 95d E" 4) (angtof "45d x" 1)) ;=> (nil nil nil nil)
(mapcar '(lambda (m) (equal (angtof (angtos 1.2345 m 8) m) 1.2345 1e-6)) '(0 1 2 3 4)) ;=> (T T T T T)

(list (cvunit 1 "inch" "cm") (cvunit 2 "feet" "inches") (cvunit 1500 "mm" "m") (cvunit 1 "minute" "second"))
;=> (2.54 24.0 1.5 60.0)
(list (cvunit 180 "degree" "radian") (cvunit 100 "grad" "degree") (cvunit 1 "acre" "sq yard")) ;=> (3.14159 90.0 4840.0)
(list (cvunit '(1 2 3) "m" "mm") (cvunit 1.0 "meter" "degree") (cvunit 1 "furlong" "m"))
;=> ((1000.0 2000.0 3000.0) nil nil)
