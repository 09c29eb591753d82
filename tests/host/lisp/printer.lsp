;; How values print: prin1 writes what read reads back, princ writes text as it is.

(prin1 '(1 "c"))
;out: (1 "c")
;=> (1 "c")
(princ '(1 "c"))
;out: (1 c)
;=> (1 "c")
(prin1 "tab\there \"q\" back\\slash")
;out: "tab\there \"q\" back\\slash"
;=> "tab\there \"q\" back\\slash"
(princ "line1\nline2")
;out: line1
;out: line2
;=> "line1\nline2"
(prin1 "\e\001")
;out: "\e\001"
;=> "\e\001"

;; Reals: up to six significant digits, always a decimal point.
3.14
;=> 3.14
5.0
;=> 5.0
(/ 1.0 3)
;=> 0.333333
123456.7
;=> 123457.0
1234567.0
;=> 1.23457e+06
0.0001
;=> 0.0001
0.00001
;=> 1.0e-05
-2.5
;=> -2.5
(float 7)
;=> 7.0

;; Other values.
nil
;=> nil
T
;=> T
'(1 . "a")
;=> (1 . "a")
'((a . 1) (b . 2))
;=> ((A . 1) (B . 2))
'(nil t)
;=> (nil T)
(type car)
;=> SUBR
(defun printed-fn () 1)
(type printed-fn)
;=> USUBR
(type (lambda (x) x))
;=> USUBR

;; print: a new line first, a blank after; terpri: a new line.
(print 12)
;out: 
;out: 12 
;=> 12
(progn (princ "a") (terpri) (princ "b"))
;out: a
;out: b
;=> "b"
(prompt "Eingabe: ")
;out: Eingabe: 
;=> nil
;; (princ) returns a symbol that prints as nothing: the quiet end of a command.
(princ)
;out: 
;=> 
(vl-prin1-to-string '("a" 1.5))
;=> "(\"a\" 1.5)"
(vl-princ-to-string '("a" 1.5))
;=> "(a 1.5)"
(alert "Achtung")
;out: 
;out: Achtung
;out: 
;=> nil
