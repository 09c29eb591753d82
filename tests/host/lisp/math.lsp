;; Arithmetic, comparisons, functions of reals, integer bits, and the point functions.

(list (+ 1 2 3) (+) (+ 1 2.0) (- 10 3 2) (* 2 3 4) (/ 7 2) (/ 7 2.0) (1- 1.5)) ;=> (6 0 3.0 5 24 3 3.5 0.5)
(/ 1 0) ;error: divide by zero
(+ 1 "2") ;error: bad argument type: numberp: "2"
;; 32-bit integers wrap around.
(list (+ 2147483647 1) (- -2147483648 1) (* 65536 65536) (/ -2147483648 -1)) ;=> (-2147483648 2147483647 0 -2147483648)
(list (1+ 2147483647) (abs -2147483648) (expt 2 31)) ;=> (-2147483648 -2147483648 -2147483648)

(list (rem 7 3) (rem -7 3) (rem 7.5 2) (rem 7 2.5) (rem 17 5 2)) ;=> (1 -1 1.5 2.0 0)
(rem 5 0) ;error: divide by zero
(list (fix 3.7) (fix -3.7) (fix 1e10)) ;=> (3 -3 1.0e+10)
(list (min 3 1 2) (max 1 2.0) (min) (zerop 0.0) (minusp -1)) ;=> (1 2.0 0 T T)

(list (= 1 1) (= 1 1.0) (= 1 1 2) (= "a" "a") (= "a" "A") (/= 1 2)) ;=> (T T nil T nil T)
(list (< 1 2 3) (< 1 3 2) (<= 1 1 2) (>= 2 2 3) (< "abc" "abd")) ;=> (T nil T nil T)
(< 1 "a") ;error: bad argument type: numberp: "a"
(setq shared '(1 2))
(list (eq 'a 'a) (eq 1 1) (eq "a" "a") (eq shared shared) (eq '(1 2) '(1 2))) ;=> (T T nil T nil)
(list (equal '(1 (2 "x")) '(1 (2 "x"))) (equal 1.0 1.05 0.1) (equal 1.0 1.2 0.1) (equal '(1 . 2) '(1 . 3)))
;=> (T T nil nil)
(list (not nil) (atom '(1)) (atom nil) (listp nil) (listp '(1 . 2))) ;=> (T nil T T T)
(mapcar 'type (list 1 1.0 "s" 's '(1) nil car)) ;=> (INT REAL STR SYM LIST nil SUBR)

(list (sqrt 16) (sqrt 2.25) (sin 0) (cos 0) (equal (sin pi) 0.0 1e-12)) ;=> (4.0 1.5 0.0 1.0 T)
(sqrt -1) ;error: function undefined for argument: -1
;; atan of two numbers: the angle of the point (x, y) in its quadrant.
(list (atan 1) (atan 1 -1) (atan -1 0) (atan 0 -1)) ;=> (0.785398 2.35619 -1.5708 3.14159)
(list (exp 0) (exp 1) (log 1) (log (exp 2))) ;=> (1.0 2.71828 0.0 2.0)
(log 0) ;error: function undefined for argument: 0
(list pi (type pi) (equal (* 4 (atan 1)) pi 1e-15) (boundp 'pi)) ;=> (3.14159 REAL T T)
(list (expt 2 10) (expt 2.0 3) (expt 4 0.5) (expt 2 -1) (expt 1 -5) (expt -1 -3) (expt 5 0)) ;=> (1024 8.0 2.0 0 1 -1 1)
(expt 0 -1) ;error: divide by zero
(expt -8 0.5) ;error: function undefined for argument: -8
(setq inf (* 1e308 10)) (list (vl-infp inf) (vl-infp 1) (vl-nanp (- inf inf)) (vl-nanp 0.0)) ;=> (T nil T nil)

(list (gcd 12 18) (gcd 7 5)) ;=> (6 1)
(list (logand 7 12) (logand) (logand 5) (logand 15 6 3) (logior 1 2 4) (logior) (logior 8)) ;=> (4 0 5 2 7 0 8)
(list (lsh 2 1) (lsh 8 -2) (lsh 1 31) (lsh -1 -28) (lsh 5 0) (lsh 1 32)) ;=> (4 2 -2147483648 15 5 0)
(list (~ 5) (~ 0) (~ -1)) ;=> (-6 -1 0)
(list (boole 1 12 5) (boole 6 6 5) (boole 7 1 2 4) (boole 8 0 0) (boole 1 5)) ;=> (4 3 7 -1 5)

;; Points: angles from 0 to 2 pi in the XY plane, 2D points in the XY plane.
(list (angle '(0 0) '(0 1)) (angle '(0 0) '(0 -1)) (angle '(1 1) '(1 1)) (angle '(0 0 5) '(1 1 -3)))
;=> (1.5708 4.71239 0.0 0.785398)
(list (distance '(0 0) '(3 4)) (distance '(0 0 0) '(0 0 5)) (distance '(0 0) '(0 0 5))) ;=> (5.0 5.0 0.0)
(polar '(1 1) 0 2) ;=> (3.0 1.0)
(equal (polar '(0 0 5) (/ pi 2) 1) '(0.0 1.0 5.0) 1e-9) ;=> T
(distance '(0 0) nil) ;error: bad argument type: 2D/3D point: nil
(distance '(0 0 0 0) '(1 1)) ;error: bad argument type: 2D/3D point: (0 0 0 0)
;; inters checks the segments unless told not to; parallel, collinear and skew lines never meet.
(inters '(0 0) '(10 10) '(0 10) '(10 0)) ;=> (5.0 5.0)
(list (inters '(0 0) '(1 1) '(0 10) '(10 0)) (inters '(0 0) '(1 1) '(0 10) '(10 0) nil)) ;=> (nil (5.0 5.0))
(list (inters '(0 0) '(1 0) '(0 1) '(1 1) nil) (inters '(0 0) '(2 0) '(1 0) '(3 0) nil)) ;=> (nil nil)
(list (inters '(0 0) '(0 0) '(0 1) '(1 1)) (inters '(0 0 0) '(1 0 0) '(0 1 1) '(0 -1 1) nil)) ;=> (nil nil)
(inters '(0 0) '(1 0) '(1 0) '(1 1)) ;=> (1.0 0.0)
(inters '(0 0 1) '(2 0 1) '(1 -1 1) '(1 1 1)) ;=> (1.0 0.0 1.0)
;; trans in the world system: every system is the world.
(list (trans '(1 2) 0 1) (trans '(1 2 3) 1 0) (trans '(1 2 3) 0 2 T) (trans '(1 2 3) 0 '(0 0 1)))
;=> ((1.0 2.0 0.0) (1.0 2.0 3.0) (1.0 2.0 3.0) (1.0 2.0 3.0))
(trans '(1 2) 0 7) ;error: bad argument value: coordinate system: 7
(trans '(1 2) "x" 0) ;error: bad argument type: coordinate system: "x"
