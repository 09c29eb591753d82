;; List functions.

(list 1 "c" 2.5)
;=> (1 "c" 2.5)
(list)
;=> nil
(cons 1 '(2 3))
;=> (1 2 3)
(cons 1 2)
;=> (1 . 2)
(car nil)
;=> nil
(cdr nil)
;=> nil
(setq l '((1 2 3) (4 5 6) (7 8 9)))
(list (caar l) (cadr l) (cdar l) (cddr l))
;=> (1 (4 5 6) (2 3) ((7 8 9)))
(list (caddr l) (cadar l) (caadr l) (cdadr l))
;=> ((7 8 9) 2 4 (5 6))
(list (cdddr '(1 2 3 4)) (cddar l) (caaar '(((x)))) (cdaar '(((x y)))))
;=> ((4) (3) X (Y))
(car 5)
;error: bad argument type: consp 5
(cadr '(1 . 2))
;error: bad argument type: consp 2

(nth 2 '(a b c))
;=> C
(nth 3 '(a b c))
;=> nil
(nth -1 '(a b c))
;=> nil
(nth 1.0 '(a b))
;error: bad argument type: fixnump: 1.0

(length '(1 2 (3 4)))
;=> 3
(length nil)
;=> 0
(length '(1 . 2))
;error: bad list: (1 . 2)
(length "abc")
;error: bad argument type: listp "abc"

(append '(1 2) '(3) nil '(4 5))
;=> (1 2 3 4 5)
(append)
;=> nil
(reverse '(1 2 3))
;=> (3 2 1)
(last '(1 2 3))
;=> 3
(last nil)
;=> nil

(member 2 '(1 2 3))
;=> (2 3)
(member '(1) '(0 (1) 2))
;=> ((1) 2)
(member 9 '(1 2))
;=> nil
(assoc 2 '((1 . "a") (2 . "b")))
;=> (2 . "b")
(assoc "k" '(("j" 1) ("k" 2)))
;=> ("k" 2)
(assoc 3 '((1 . "a")))
;=> nil
(subst 'x 'b '(a b c b))
;=> (A X C X)
(subst '(8 . "NEU") '(8 . "ALT") '((0 . "LINE") (8 . "ALT")))
;=> ((0 . "LINE") (8 . "NEU"))

(mapcar '1+ '(1 2 3))
;=> (2 3 4)
(mapcar '+ '(1 2 3) '(10 20))
;=> (11 22)
(mapcar 'car nil)
;=> nil
(apply '+ '(1 2 3))
;=> 6
(apply 'list nil)
;=> nil

(vl-remove 2 '(1 2 3 2))
;=> (1 3)
(vl-position 'c '(a b c))
;=> 2
(vl-position 'z '(a b c))
;=> nil
(vl-sort '(3 1 2) '<)
;=> (1 2 3)
(vl-sort '("b" "c" "a") '>)
;=> ("c" "b" "a")
(vl-sort '((2 . "b") (1 . "a") (2 . "c")) '(lambda (x y) (< (car x) (car y))))
;=> ((1 . "a") (2 . "b") (2 . "c"))
(vl-sort nil '<)
;=> nil
;; An element eq to its neighbour goes; reals and strings are objects of their own and stay.
(vl-sort '(3 2 1 3) '<)
;=> (1 2 3)
(vl-sort (list 2.0 1 2.0 "b" "b") '(lambda (x y) (and (numberp x) (or (not (numberp y)) (< x y)))))
;=> (1 2.0 2.0 "b" "b")
;; A comparison that is no order still ends with every element in the list.
(length (vl-sort '(5 3 9 1 7 2 8) '(lambda (x y) T)))
;=> 7
