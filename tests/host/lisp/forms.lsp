;; Special forms, how user functions bind their names, and symbols as data.

(setq a 1 b (+ a 1)) ;=> 2
(list a b (setq) (quote (x y))) ;=> (1 2 nil (X Y))
(defun add2 (x y) (+ x y)) ;=> ADD2
(defun no-args () "done") (defun empty-body ())
(list (add2 3 4) (no-args) (empty-body)) ;=> (7 "done" nil)
;; Parameters and locals are bound while the function runs, locals start as nil.
(setq x 100 tmp "outer")
(defun uses-locals (x / tmp) (setq tmp (* x 2)) tmp)
(defun local-is-nil (/ tmp) tmp)
(list (uses-locals 5) x tmp (local-is-nil)) ;=> (10 100 "outer" nil)
;; Scoping is dynamic: a called function sees its caller's bindings.
(setq depth "global")
(defun show-depth () depth)
(defun with-depth (depth) (show-depth))
(list (with-depth "inner") (show-depth)) ;=> ("inner" "global")

((lambda (n) (* n n)) 7) ;=> 49
(mapcar '(lambda (n) (+ n 1)) '(1 2 3)) ;=> (2 3 4)
(setq sq (lambda (n) (* n n)))
(list (sq 6) (apply '(lambda (a b) (- a b)) '(10 3))) ;=> (36 7)

;; if, cond (a clause without body gives its test's value), progn.
(list (if T "yes" "no") (if nil "yes" "no") (if nil "yes") (if 0 "zero is true")) ;=> ("yes" "no" nil "zero is true")
(list (cond ((= 1 2) "a") ((= 1 1) "b") (T "c")) (cond (nil 1)) (cond ((member 2 '(1 2 3))))) ;=> ("b" nil (2 3))
(list (progn 1 2 3) (progn)) ;=> (3 nil)

;; Loops; the loop variable of foreach is restored after the loop.
(setq i 0 acc nil)
(while (< i 3) (setq acc (cons i acc) i (1+ i))) ;=> 3
(list acc (while nil 1)) ;=> ((2 1 0) nil)
(setq n 0)
(list (repeat 4 (setq n (+ n 2))) (repeat 0 "never")) ;=> (8 nil)
(setq e "before" total 0)
(foreach e '(1 2 3) (setq total (+ total e))) ;=> 6
(list e (foreach e nil 1)) ;=> ("before" nil)

;; and / or answer T or nil and stop early; applied, they take values as arguments.
(list (and 1 "a" 'b) (and 1 nil (undefined-function)) (and)) ;=> (T nil T)
(list (or nil 2) (or nil nil) (or T (undefined-function))) ;=> (T nil T)
(list (apply 'and (mapcar '= '(1 2) '(1 2))) (apply 'or '(nil nil)) (mapcar 'and '(1 nil 2) '(T T nil)))
;=> (T nil (T nil nil))

(defun fact (n) (if (< n 2) 1 (* n (fact (1- n)))))
(defun count-down (n) (if (> n 0) (count-down (1- n)) "bottom"))
(list (fact 10) (count-down 2000)) ;=> (3628800 "bottom")
(defun once () (defun once () "second") "first")
(list (once) (once)) ;=> ("first" "second")

;; A parameter named like the function passed in it still finds the global function.
(defun helper (x) (* x 2))
(defun hof (helper x) (apply helper (list x)))
(defun hof2 (helper x) (helper x))
(defun hof3 (x / helper) (setq helper 'helper) (apply helper (list x)))
(defun outer (helper) (hof helper 3))
(list (hof 'helper 21) (hof2 'helper 4) (hof3 5) (outer 'helper)) ;=> (42 8 10 6)
(defun each (fn lst) (mapcar fn lst)) (defun fn (x) (1+ x)) (each 'fn '(1 2)) ;=> (2 3)
(defun vorbei (ghost) (apply ghost nil)) (vorbei 'ghost) ;error: no function definition: GHOST

(eval '(+ 1 2)) ;=> 3
(set 'via-set 5)
(set (read "dynamic-name") "x")
(list via-set dynamic-name (boundp 'via-set) (boundp 'never-set-anywhere)) ;=> (5 "x" T nil)
(setq v1 5)
(list (vl-symbol-name 'abc) (vl-symbol-value 'v1) (vl-symbol-value 'never-set-here) (type (vl-symbol-value 'car)))
;=> ("ABC" 5 nil SUBR)
(list (vl-symbolp 'a) (vl-symbolp nil) (vl-symbolp "a") (vl-symbolp 1) (vl-symbolp T)) ;=> (T nil nil nil T)
;; atoms-family: names (1) or symbols (0), all or those asked for; a new symbol joins.
(list (atoms-family 1 '("CAR" "NO-SUCH-THING-XYZ" "vl-sort")) (atoms-family 0 '("car")))
;=> (("CAR" nil "VL-SORT") (CAR))
(member 'ZZ-NEW (atoms-family 0)) ;=> nil
(setq zz-new 1) (car (member 'ZZ-NEW (atoms-family 0))) ;=> ZZ-NEW
(atoms-family 2) ;error: bad argument value: 0 or 1: 2
