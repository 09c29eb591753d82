;; List functions.

(list (list 1 "c" 2.5) (list) (cons 1 '(2 3)) (cons 1 2) (car nil) (cdr nil))
;=> ((1 "c" 2.5) nil (1 2 3) (1 . 2) nil nil)
(setq l '((1 2 3) (4 5 6) (7 8 9)))
(list (caar l) (cadr l) (cdar l) (cddr l)) ;=> (1 (4 5 6) (2 3) ((7 8 9)))
(list (caddr l) (cadar l) (caadr l) (cdadr l)) ;=> ((7 8 9) 2 4 (5 6))
(list (cdddr '(1 2 3 4)) (cddar l) (caaar '(((x)))) (cdaar '(((x y))))) ;=> ((4) (3) X (Y))
(list (cadddr '(1 2 3 4)) (caaaar '((((x))))) (cddddr '(1 2 3 4 5)) (cdaddr '(1 2 (3 4 5)))) ;=> (4 X (5) (4 5))
(list (cadadr '(1 (2 3))) (caddar '((1 2 3))) (cadddr '(1 2)) (cadddr nil)) ;=> (3 3 nil nil)
(cadr '(1 . 2)) ;error: bad argument type: consp 2

(list (nth 2 '(a b c)) (nth 3 '(a b c)) (nth -1 '(a b c))) ;=> (C nil nil)
(nth 1.0 '(a b)) ;error: bad argument type: fixnump: 1.0
(list (length '(1 2 (3 4))) (length nil)) ;=> (3 0)
(length '(1 . 2)) ;error: bad list: (1 . 2)
(list (append '(1 2) '(3) nil '(4 5)) (append) (reverse '(1 2 3))) ;=> ((1 2 3 4 5) nil (3 2 1))
(list (last '(1 2 3)) (last '(1 2 . 3)) (last '(1 . 2)) (last nil)) ;=> (3 2 1 nil)
(list (member 2 '(1 2 3)) (member '(1) '(0 (1) 2)) (member 9 '(1 2))) ;=> ((2 3) ((1) 2) nil)
(list (assoc 2 '((1 . "a") (2 . "b"))) (assoc "k" '(("j" 1) ("k" 2))) (assoc 3 '((1 . "a"))))
;=> ((2 . "b") ("k" 2) nil)
;; subst replaces at every depth, whatever equal finds (numbers by value); an atom is no list.
(subst 'x 'a '(a (b a) ((a)))) ;=> (X (B X) ((X)))
(subst '(8 . "NEU") '(8 . "ALT") '((0 . "LINE") (8 . "ALT"))) ;=> ((0 . "LINE") (8 . "NEU"))
(list (subst '(1) 2 '(2 (2 . 2))) (subst 9 '(1 2) '((1 2) (0 (1 2))))) ;=> (((1) ((1) 1)) (9 (0 9)))

(list (mapcar '1+ '(1 2 3)) (mapcar '+ '(1 2 3) '(10 20)) (mapcar 'car nil)) ;=> ((2 3 4) (11 22) nil)
(list (apply '+ '(1 2 3)) (apply 'list nil)) ;=> (6 nil)

;; The vl- predicates and filters; vl-every and vl-some stop at the end of the shortest list.
(list (vl-every '= '(1 2) '(1 2 3)) (vl-every 'numberp '(1 "a")) (vl-every 'numberp nil)) ;=> (T nil T)
(list (vl-some '(lambda (x) (if (> x 2) (* x 10))) '(1 3 5)) (vl-some 'numberp '("a" x)) (vl-some '/= '(1 2) '(1 3)))
;=> (30 nil T)
(defun textp (x) (= (type x) 'STR))
(list (vl-member-if 'textp '(1 "a" 2)) (vl-member-if 'textp '(1 2)) (vl-member-if 'minusp '(1 . 2)))
;=> (("a" 2) nil nil)
(list (vl-remove-if 'minusp '(1 -2 3 -4)) (vl-remove-if-not 'minusp '(1 -2 3 -4)) (vl-remove-if 'minusp nil))
;=> ((1 3) (-2 -4) nil)
(list (vl-remove 2 '(1 2 3 2)) (vl-remove '(8 . "0") '((0 . "LINE") (8 . "0")))) ;=> ((1 3) ((0 . "LINE")))
(vl-every 'numberp 5) ;error: bad argument type: listp 5
(vl-remove-if 'nosuchfn '(1)) ;error: no function definition: NOSUCHFN
(list (vl-list* 1) (vl-list* 1 2) (vl-list* 1 2 '(3 4)) (vl-list* nil)) ;=> (1 (1 . 2) (1 2 3 4) nil)
(list (vl-consp nil) (vl-consp '(1)) (vl-consp '(1 . 2)) (vl-consp "a")) ;=> (nil T T nil)
(list (vl-list-length '(1 2 3)) (vl-list-length nil) (vl-list-length '(1 2 . 3))) ;=> (3 0 nil)
(list (vl-position 'c '(a b c)) (vl-position "x" '("a" "x")) (vl-position 'z '(a b))) ;=> (2 1 nil)

(list (vl-sort '(3 1 2) '<) (vl-sort '("b" "c" "a") '>) (vl-sort nil '<)) ;=> ((1 2 3) ("c" "b" "a") nil)
(vl-sort '((2 . "b") (1 . "a") (2 . "c")) '(lambda (x y) (< (car x) (car y)))) ;=> ((1 . "a") (2 . "b") (2 . "c"))
;; An element eq to its neighbour goes; reals and strings are objects of their own and stay.
(vl-sort '(3 2 1 3) '<) ;=> (1 2 3)
(vl-sort (list 2.0 1 2.0 "b" "b") '(lambda (x y) (and (numberp x) (or (not (numberp y)) (< x y)))))
;=> (1 2.0 2.0 "b" "b")
;; A comparison that is no order still ends with every element in the list.
(length (vl-sort '(5 3 9 1 7 2 8) '(lambda (x y) T))) ;=> 7
;; vl-sort-i keeps every element, equal ones in their order.
(list (vl-sort-i '(3 2 1 3) '<) (vl-sort-i '(1 3 2) '>) (vl-sort-i '("b" "a" "c") '<) (vl-sort-i nil '<))
;=> ((2 1 0 3) (1 2 0) (1 0 2) nil)
(vl-sort-i '(1 "a") '<) ;error: bad argument type: stringp 1
(list (acad_strlsort '("Mar" "Feb" "Jan" "Feb")) (acad_strlsort nil)) ;=> (("Feb" "Feb" "Jan" "Mar") nil)
