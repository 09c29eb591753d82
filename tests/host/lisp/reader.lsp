;; The reader: numbers, strings, symbols, comments, quote, lists and dotted pairs.

;; Integers are 32 bits; a literal beyond that reads as a real.
(list 42 +5 2147483647 -2147483648 2147483648 (type 2147483648) 99999999999999999999)
;=> (42 5 2147483647 -2147483648 2.14748e+09 REAL 1.0e+20)
;; Beyond a double's range: too small is zero, too large infinite.
(list 1e-400 -1e-400 1e400) ;=> (0.0 -0.0 1.#INF)
;; Reals in their spellings; tokens that look almost like numbers are symbols.
(list 1.5 .5 -.25 1. 1e3 2.5E-3 (type 1.)) ;=> (1.5 0.5 -0.25 1.0 1000.0 0.0025 REAL)
(list '1+ '1e) ;=> (1+ 1E)
(setq MixedCase 7)
(list 'hello (eq 'Hello 'HELLO) mixedcase 'nil 't) ;=> (HELLO T 7 nil T)

;; Escapes: octal (\344 is ä), an unknown one stands for the character itself.
(list "plain" (strlen "a\\b") (strlen "q\"q") (ascii "\n") (ascii "\e") (ascii "\101")) ;=> ("plain" 3 3 10 27 65)
(list "\101\102C" "\344" (strlen "Grüße") "\q") ;=> ("ABC" "ä" 5 "q")

(+ 1 ; a comment (with a paren
   2) ;=> 3
(+ 1 ;| a block comment
spanning lines ) ( |; 2) ;=> 3

(list '(a b (c d)) ''a '(1 . 2) '(1 2 . 3) '(1 . (2 3)) '() (cdr '(1 . "a")) '(a.b c))
;=> ((A B (C D)) (QUOTE A) (1 . 2) (1 2 . 3) (1 2 3) nil "a" (A.B C))

(list (read "(1 2.5 \"x\" sym)") (read "  42  43") (read "")) ;=> ((1 2.5 "x" SYM) 42 nil)
(read "(1 2") ;error: malformed list on input
(read ")") ;error: extra right paren on input
(read "\"open") ;error: malformed string on input
(read "(. 1)") ;error: misplaced dot on input
