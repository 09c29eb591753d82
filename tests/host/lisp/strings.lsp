;; String functions. Lengths and positions count characters, also umlauts.

(strcat "Zeich" "nung" "1")
;=> "Zeichnung1"
(strcat "a" 1)
;error: bad argument type: stringp 1
(strcat "a" nil)
;error: bad argument type: stringp nil
(strlen "Straße")
;=> 6
(strlen "ab" "cd")
;=> 4
(substr "Hello" 2 3)
;=> "ell"
(substr "Hello" 2)
;=> "ello"
(substr "Hello" 9)
;=> ""
(substr "Größe" 3 2)
;=> "öß"
(substr "Hello" 0)
;error: bad argument value: positive: 0
(strcase "Grüße aus Köln")
;; ß has no single upper-case letter and stays.
;=> "GRÜßE AUS KÖLN"
(strcase "ÄÖÜ Abc" T)
;=> "äöü abc"
(vl-string-trim " \t" "  Wert\t ")
;=> "Wert"
(vl-string-trim "x" "xxx")
;=> ""
(itoa 42)
;=> "42"
(itoa 1.5)
;error: bad argument type: fixnump: 1.5
(atoi " -12abc")
;=> -12
(atoi "3.9")
;=> 3
(atoi "abc")
;=> 0
(atof "-1e2x")
;=> -100.0
(atof "x")
;=> 0.0
;; Only what the reader takes for a number: no "inf" or "nan", no second sign.
(list (atof "inf") (atof "nan") (atof "--5") (atof "1e-400") (atof ".5"))
;=> (0.0 0.0 0.0 0.0 0.5)
;; atoi stays at the ends of the integer range.
(list (atoi "99999999999") (atoi "-99999999999"))
;=> (2147483647 -2147483648)
(ascii "ä")
;=> 228
(ascii "")
;=> 0
(chr 252)
;=> "ü"
;; Characters are what UTF-8 can carry: the last one, but no surrogate half and nothing beyond.
(mapcar '(lambda (c) (list (strlen (chr c)) (ascii (chr c)))) '(65533 55295 57344 1114111))
;=> ((1 65533) (1 55295) (1 57344) (1 1114111))
(chr 55296)
;error: bad argument value: character code: 55296
(chr 57343)
;error: bad argument value: character code: 57343
(chr 1114112)
;error: bad argument value: character code: 1114112
(chr -1)
;error: bad argument value: character code: -1

;; rtos: decimal by default with four places; the other unit modes.
(rtos 3.14159)
;=> "3.1416"
(rtos 5 2 2)
;=> "5.00"
(rtos 2.5 2 0)
;=> "3"
(rtos -0.00001 2 2)
;=> "0.00"
(rtos 1234.5 1 3)
;=> "1.234E+03"
(rtos 14.5 3 2)
;=> "1'-2.50\""
(rtos 14.5 4 4)
;=> "1'-2 1/2\""
(rtos 24 4 2)
;=> "2'-0\""
(rtos 3.75 5 4)
;=> "3 3/4"
(rtos 1e300 4)
;error: bad argument value: length out of range: 1.0e+300
(rtos 1.0 9)
;error: bad argument value: units mode: 9
;; Infinity and NaN read as the printer shows them.
(setq inf (* 1e308 10))
;=> 1.#INF
(list (rtos inf) (rtos (- inf) 1 3) (rtos (- inf inf)) (rtos (- (- inf inf)) 1))
;=> ("1.#INF" "-1.#INF" "1.#QNAN" "1.#QNAN")
(rtos inf 4)
;error: bad argument value: length out of range: 1.#INF
(rtos "1")
;error: bad argument type: numberp: "1"
