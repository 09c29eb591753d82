;; The reader: numbers, strings, symbols, comments, quote, lists and dotted pairs.

;; Integers are 32 bits; a literal beyond that reads as a real.
42
;=> 42
+5
;=> 5
2147483647
;=> 2147483647
-2147483648
;=> -2147483648
2147483648
;=> 2.14748e+09
(type 2147483648)
;=> REAL
99999999999999999999
;=> 1.0e+20
;; Beyond a double's range: too small is zero, too large infinite.
(list 1e-400 -1e-400 1e400)
;=> (0.0 -0.0 1.#INF)

;; Reals in their spellings.
1.5
;=> 1.5
.5
;=> 0.5
-.25
;=> -0.25
1.
;=> 1.0
1e3
;=> 1000.0
2.5E-3
;=> 0.0025
(type 1.)
;=> REAL

;; Tokens that look almost like numbers are symbols.
(quote 1+)
;=> 1+
(quote 1e)
;=> 1E

;; Symbols are read case-insensitively and print upper case.
(quote hello)
;=> HELLO
(eq 'Hello 'HELLO)
;=> T
(setq MixedCase 7)
mixedcase
;=> 7
'nil
;=> nil
't
;=> T

;; Strings and their escapes.
"plain"
;=> "plain"
(strlen "a\\b")
;=> 3
(strlen "q\"q")
;=> 3
(ascii "\n")
;=> 10
(ascii "\e")
;=> 27
(ascii "\101")
;=> 65
"\101\102C"
;=> "ABC"
;; An octal code above 127 is that character: \344 is ä.
"\344"
;=> "ä"
(strlen "Grüße")
;=> 5
;; An unknown escape stands for the character itself.
"\q"
;=> "q"

;; Comments: to the end of the line, and inline blocks.
(+ 1 ; a comment (with a paren
   2)
;=> 3
(+ 1 ;| a block comment
spanning lines ) ( |; 2)
;=> 3

;; Quote, lists, dotted pairs.
'(a b (c d))
;=> (A B (C D))
''a
;=> (QUOTE A)
'(1 . 2)
;=> (1 . 2)
'(1 2 . 3)
;=> (1 2 . 3)
'(1 . (2 3))
;=> (1 2 3)
'()
;=> nil
(cdr '(1 . "a"))
;=> "a"
'(a.b c)
;=> (A.B C)

;; read parses the first expression of a text.
(read "(1 2.5 \"x\" sym)")
;=> (1 2.5 "x" SYM)
(read "  42  43")
;=> 42
(read "")
;=> nil
(read "(1 2")
;error: malformed list on input
(read ")")
;error: extra right paren on input
(read "\"open")
;error: malformed string on input
(read "(. 1)")
;error: misplaced dot on input
(read "(1 . 2 3)")
;error: malformed list on input
