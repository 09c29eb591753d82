;; Arithmetic and comparisons.

(+ 1 2 3)
;=> 6
(+)
;=> 0
(+ 1 2.0)
;=> 3.0
(- 10 3 2)
;=> 5
(* 2 3 4)
;=> 24
(/ 7 2)
;=> 3
(/ 7 2.0)
;=> 3.5
(/ 1 0)
;error: divide by zero
(/ 1.0 0)
;error: divide by zero
(+ 1 "2")
;error: bad argument type: numberp: "2"

;; 32-bit integers wrap around.
(+ 2147483647 1)
;=> -2147483648
(- -2147483648 1)
;=> 2147483647
(* 65536 65536)
;=> 0
(/ -2147483648 -1)
;=> -2147483648
(1+ 2147483647)
;=> -2147483648
(abs -2147483648)
;=> -2147483648

(1- 1.5)
;=> 0.5
(rem 7 3)
;=> 1
(rem -7 3)
;=> -1
(rem 7.5 2)
;=> 1.5
(rem 5 0)
;error: divide by zero
(fix 3.7)
;=> 3
(fix -3.7)
;=> -3
(fix 1e10)
;=> 1.0e+10
(min 3 1 2)
;=> 1
(max 1 2.0)
;=> 2.0
(min)
;=> 0
(zerop 0.0)
;=> T
(minusp -1)
;=> T

(= 1 1)
;=> T
(= 1 1.0)
;=> T
(= 1 1 2)
;=> nil
(= "a" "a")
;=> T
(= "a" "A")
;=> nil
(/= 1 2)
;=> T
(< 1 2 3)
;=> T
(< 1 3 2)
;=> nil
(<= 1 1 2)
;=> T
(>= 2 2 3)
;=> nil
(< "abc" "abd")
;=> T
(< 1 "a")
;error: bad argument type: numberp: "a"

(eq 'a 'a)
;=> T
(eq 1 1)
;=> T
(eq "a" "a")
;=> nil
(setq shared '(1 2))
(eq shared shared)
;=> T
(eq '(1 2) '(1 2))
;=> nil
(equal '(1 (2 "x")) '(1 (2 "x")))
;=> T
(equal 1.0 1.05 0.1)
;=> T
(equal 1.0 1.2 0.1)
;=> nil
(equal '(1 . 2) '(1 . 3))
;=> nil

(not nil)
;=> T
(atom '(1))
;=> nil
(atom nil)
;=> T
(listp nil)
;=> T
(listp '(1 . 2))
;=> T
(mapcar 'type (list 1 1.0 "s" 's '(1) nil car))
;=> (INT REAL STR SYM LIST nil SUBR)
