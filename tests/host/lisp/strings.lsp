;; String functions. Lengths and positions count characters from 0, umlauts included.

(list (strcat "Zeich" "nung" "1") (strlen "Straße") (strlen "ab" "cd")) ;=> ("Zeichnung1" 6 4)
(strcat "a" 1) ;error: bad argument type: stringp 1
(list (substr "Hello" 2 3) (substr "Hello" 2) (substr "Hello" 9) (substr "Größe" 3 2)) ;=> ("ell" "ello" "" "öß")
(substr "Hello" 0) ;error: bad argument value: positive: 0
;; ß has no single upper-case letter and stays.
(list (strcase "Grüße aus Köln") (strcase "ÄÖÜ Abc" T) (xstrcase "größe straße"))
;=> ("GRÜßE AUS KÖLN" "äöü abc" "GRÖßE STRAßE")
(list (vl-string-trim " \t" "  Wert\t ") (vl-string-trim "x" "xxx")) ;=> ("Wert" "")
(list (vl-string-left-trim " \t\n" "\n\t STR ") (vl-string-right-trim " \t\n" " STR \n\t ")) ;=> ("STR " " STR")
(list (vl-string-left-trim "ab" "abab") (vl-string-right-trim "" "x ")) ;=> ("" "x ")

;; wcmatch: case counts, ~ negates, commas separate patterns (an empty one too), ` escapes.
(list (wcmatch "Name" "N*") (wcmatch "name" "N*") (wcmatch "Name" "???,~*m*,N*")) ;=> (T nil T)
(list (wcmatch "Name" "~*m*") (wcmatch "Nose" "~*m*")) ;=> (nil T)
(list (wcmatch "A1" "@#") (wcmatch "1A" "@#") (wcmatch "Ö7" "@#")) ;=> (T nil T)
(list (wcmatch "-" ".") (wcmatch " " ".") (wcmatch "a" ".") (wcmatch "5" ".")) ;=> (T T nil nil)
(list (wcmatch "b" "[abc]") (wcmatch "d" "[abc]") (wcmatch "d" "[~abc]") (wcmatch "b" "[~abc]")) ;=> (T nil T nil)
(list (wcmatch "K7" "[A-Z][0-9]") (wcmatch "k7" "[A-Z][0-9]") (wcmatch "-" "[a-]")) ;=> (T nil T)
(list (wcmatch "Layer-12" "[A-Z]*[~a-z]##") (wcmatch "Größe" "Gr?ße") (wcmatch "Größe" "Gr@ße")) ;=> (T T T)
(list (wcmatch "" "") (wcmatch "" "*") (wcmatch "" "?") (wcmatch "x" "")) ;=> (T T nil nil)
(list (wcmatch "x" "a,,b") (wcmatch "" "a,,b")) ;=> (nil T)
(list (wcmatch "a*b" "a`*b") (wcmatch "axb" "a`*b") (wcmatch "a,b" "a`,b") (wcmatch "a,b" "*`,*") (wcmatch "ab" "*`,*"))
;=> (T nil T T nil)
(list (wcmatch "#1" "`##") (wcmatch "~x" "`~x") (wcmatch "x" "`~x") (wcmatch "a`b" "a``b")) ;=> (T T nil T)
;; An open bracket without its close stands for itself.
(wcmatch "[a" "[a") ;=> T
;; Several stars cost no more than one: the match is linear, not backtracking.
(wcmatch "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaac" "*a*a*a*a*a*a*a*a*a*b") ;=> nil

(list (vl-string-search "foo" "fooey-more-fooey" 1) (vl-string-search "" "abc") (vl-string-search "ß" "Straße"))
;=> (11 0 4)
(list (vl-string-search "a" "abc" 10) (vl-string-search "a" "abc" -3)) ;=> (nil 0)
;; vl-string-position, also backwards (from the end, or from a given position).
(setq z (ascii "z") s "azbdc az")
(list (vl-string-position z s) (vl-string-position z s 2) (vl-string-position z s nil T) (vl-string-position z s 3 T))
;=> (1 7 7 1)
(list (vl-string-position (ascii "a") s 0 T) (vl-string-position (ascii "q") "abc") (vl-string-position z ""))
;=> (0 nil nil)
(list (vl-string-elt "May the Force" 2) (vl-string-elt "Größe" 2)) ;=> (121 246)
(vl-string-elt "abc" 3) ;error: bad argument value: string position out of range: 3
;; vl-string-subst replaces the first one only (from a position), case counting.
(list (vl-string-subst "Obi-wan" "Ben" "Ben Kenobi") (vl-string-subst "Obi-wan" "Ben" "ben Kenobi"))
;=> ("Obi-wan Kenobi" "ben Kenobi")
(list (vl-string-subst "x" "a" "banana") (vl-string-subst "x" "a" "banana" 2) (vl-string-subst "" "na" "banana"))
;=> ("bxnana" "banxna" "bana")
(list (vl-string-translate "äöü" "aou" "Größe für Kühe") (vl-string-translate "xyz" "1" "xyz"))
;=> ("Große fur Kuhe" "1yz")
(list (vl-string-mismatch "VL-FUN" "VL-VAR") (vl-string-mismatch "vl-fun" "avl-var")
      (vl-string-mismatch "vl-fun" "avl-var" 0 1)) ;=> (3 0 3)
(list (vl-string-mismatch "VL-FUN" "Vl-vAR" 0 0 T) (vl-string-mismatch "" "abc") (vl-string-mismatch "abc" "abc"))
;=> (3 0 3)
(list (vl-string->list "12") (vl-string->list "Öl") (vl-string->list "")) ;=> ((49 50) (214 108) nil)
(list (vl-list->string '(72 252 116 116 101)) (vl-list->string nil)) ;=> ("Hütte" "")

;; snvalid: symbol table names, at most 255 characters, | only when allowed.
(list (snvalid "Rohre-DN150_alt") (snvalid "Rohre DN150") (snvalid "") (snvalid "tab\there")) ;=> (T T nil nil)
(mapcar 'snvalid '("a<b" "a>b" "a/b" "a\\b" "a\"b" "a:b" "a;b" "a?b" "a*b" "a=b" "a`b" "a,b"))
;=> (nil nil nil nil nil nil nil nil nil nil nil nil)
(list (snvalid "xref|layer") (snvalid "xref|layer" 1) (snvalid "xref|layer" 0)) ;=> (nil T nil)
(setq s "") (repeat 256 (setq s (strcat s "x"))) (list (snvalid s) (snvalid (substr s 2))) ;=> (nil T)
