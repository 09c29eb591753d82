;; How values print: prin1 writes what read reads back, princ writes text as it is.

;out: (1 "c")(1 c)
(prin1 '(1 "c")) (princ '(1 "c")) ;=> (1 "c")
;out: "tab\there \"q\" back\\slash"
(prin1 "tab\there \"q\" back\\slash") ;=> "tab\there \"q\" back\\slash"
;out: line1
;out: line2
(princ "line1\nline2") ;=> "line1\nline2"
;out: "\e\001"
(prin1 "\e\001") ;=> "\e\001"

;; Reals: up to six significant digits, always a decimal point.
(list 3.14 5.0 (/ 1.0 3) 123456.7 1234567.0 0.0001 0.00001 -2.5 (float 7))
;=> (3.14 5.0 0.333333 123457.0 1.23457e+06 0.0001 1.0e-05 -2.5 7.0)
(list nil T '(1 . "a") '((a . 1) (b . 2)) '(nil t)) ;=> (nil T (1 . "a") ((A . 1) (B . 2)) (nil T))
(defun printed-fn () 1)
(list (type car) (type printed-fn) (type (lambda (x) x))) ;=> (SUBR USUBR USUBR)
(list (vl-prin1-to-string '("a" 1.5)) (vl-princ-to-string '("a" 1.5))) ;=> ("(\"a\" 1.5)" "(a 1.5)")

;; print: a new line first, a blank after; terpri: a new line.
;out:
;out: 12 a
;out: b
(progn (print 12) (princ "a") (terpri) (princ "b")) ;=> "b"
;out: Eingabe: 
(prompt "Eingabe: ") ;=> nil
;; (princ) returns a symbol that prints as nothing: the quiet end of a command.
;out:
(princ) ;=>
;; Without a window, alert writes a line.
;out:
;out: Achtung
;out:
(alert "Achtung") ;=> nil
