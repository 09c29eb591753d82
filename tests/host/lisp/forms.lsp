;; Special forms and how user functions bind their names.

(setq a 1 b (+ a 1))
;=> 2
(list a b)
;=> (1 2)
(setq)
;=> nil
(quote (x y))
;=> (X Y)

;; defun returns the name; "/" separates the locals.
(defun add2 (x y) (+ x y))
;=> ADD2
(add2 3 4)
;=> 7
(defun no-args () "done")
(no-args)
;=> "done"
(defun empty-body ())
(empty-body)
;=> nil

;; Parameters and locals are bound while the function runs and restored after it.
(setq x 100 tmp "outer")
(defun uses-locals (x / tmp) (setq tmp (* x 2)) tmp)
(uses-locals 5)
;=> 10
(list x tmp)
;=> (100 "outer")
;; Locals start as nil, even when the name has a global value.
(defun local-is-nil (/ tmp) tmp)
(local-is-nil)
;=> nil

;; Scoping is dynamic: a called function sees its caller's bindings.
(setq depth "global")
(defun show-depth () depth)
(defun with-depth (depth) (show-depth))
(with-depth "inner")
;=> "inner"
(show-depth)
;=> "global"

;; lambda and function.
((lambda (n) (* n n)) 7)
;=> 49
(mapcar '(lambda (n) (+ n 1)) '(1 2 3))
;=> (2 3 4)
(mapcar (function (lambda (n) (* n 10))) '(1 2))
;=> (10 20)
(setq sq (lambda (n) (* n n)))
(sq 6)
;=> 36
(apply '(lambda (a b) (- a b)) '(10 3))
;=> 7

;; if, cond, progn.
(if T "yes" "no")
;=> "yes"
(if nil "yes" "no")
;=> "no"
(if nil "yes")
;=> nil
(if 0 "zero is true")
;=> "zero is true"
(cond ((= 1 2) "a") ((= 1 1) "b") (T "c"))
;=> "b"
(cond (nil 1))
;=> nil
;; A clause without body gives its test's value.
(cond ((member 2 '(1 2 3))))
;=> (2 3)
(progn 1 2 3)
;=> 3
(progn)
;=> nil

;; Loops.
(setq i 0 acc nil)
(while (< i 3) (setq acc (cons i acc) i (1+ i)))
;=> 3
acc
;=> (2 1 0)
(while nil 1)
;=> nil
(setq n 0)
(repeat 4 (setq n (+ n 2)))
;=> 8
(repeat 0 "never")
;=> nil
(setq e "before" total 0)
(foreach e '(1 2 3) (setq total (+ total e)))
;=> 6
;; The loop variable is restored after the loop.
e
;=> "before"
(foreach e nil 1)
;=> nil

;; and / or answer T or nil and stop early.
(and 1 "a" 'b)
;=> T
(and 1 nil (undefined-function))
;=> nil
(and)
;=> T
(or nil 2)
;=> T
(or nil nil)
;=> nil
(or T (undefined-function))
;=> T

;; and / or as function arguments get the values as their form's arguments.
(apply 'and (mapcar '= '(1 2) '(1 2)))
;=> T
(apply 'or '(nil nil))
;=> nil
(mapcar 'and '(1 nil 2) '(T T nil))
;=> (T nil nil)

;; Recursion.
(defun fact (n) (if (< n 2) 1 (* n (fact (1- n)))))
(fact 10)
;=> 3628800
(defun count-down (n) (if (> n 0) (count-down (1- n)) "bottom"))
(count-down 2000)
;=> "bottom"

;; A function may redefine itself while it runs.
(defun once () (defun once () "second") "first")
(list (once) (once))
;=> ("first" "second")

;; eval and set.
(eval '(+ 1 2))
;=> 3
(set 'via-set 5)
via-set
;=> 5
(set (read "dynamic-name") "x")
dynamic-name
;=> "x"
(boundp 'via-set)
;=> T
(boundp 'never-set-anywhere)
;=> nil
