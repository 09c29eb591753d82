;; Errors: AutoLISP's messages, *error*, exit, vl-exit-with-..., vl-catch-all-apply, the stack limit.

(undefined-fn 1) ;error: no function definition: UNDEFINED-FN
(defun add2 (x y) (+ x y))
(add2 1) ;error: too few arguments
(add2 1 2 3) ;error: too many arguments
(car) ;error: too few arguments
(setq 5 1) ;error: bad argument type: symbolp 5
(setq T 1) ;error: attempt to set a constant: T
;; Binding T is setting it, as a foreach variable or a parameter.
;out:
(foreach t '(1 2) (princ t)) ;error: attempt to set a constant: T
(defun param-t (t) t)
(param-t 5) ;error: attempt to set a constant: T
(list T (if T "T is still T")) ;=> (T "T is still T")
(defun "name" () 1) ;error: bad argument type: symbolp "name"
(setq notfn 5)
(notfn) ;error: bad function: 5
((car '(nil)) 1) ;error: bad function: nil
(repeat "3" 1) ;error: bad argument type: fixnump: "3"

;; A defined *error* receives the message; the error still ends the expression.
(defun *error* (msg) (princ (strcat "caught: " msg)))
;out: caught: bad argument type: consp 1
(car 1) ;error: bad argument type: consp 1
(defun inner () (/ 1 0))
(defun outer () (inner))
;out: caught: divide by zero
(outer) ;error: divide by zero
;; *error* runs once, however deep, while the failing function's bindings stand.
(defun c:cmd (/ *error*)
  (defun *error* (msg) (princ (strcat "local: " msg)))
  (/ 1 0))
;out: local: divide by zero
(c:cmd) ;error: divide by zero
;out: caught: bad argument type: consp 1
(car 1) ;error: bad argument type: consp 1
(defun *error* (msg) (princ (strcat msg " with v=" (itoa v))))
(defun fails-with-v (v) (/ v 0))
;out: divide by zero with v=7
(fails-with-v 7) ;error: divide by zero
;; An error inside *error* takes the place of the first one.
(defun *error* (msg) (car msg))
(/ 1 0) ;error: bad argument type: consp "divide by zero"

;; exit and quit end the program through *error*.
(setq *error* nil)
(exit) ;error: quit / exit abort
(defun *error* (msg) (princ (strcat "[" msg "]")))
;out: a[quit / exit abort]
(progn (princ "a") (exit) (princ "b")) ;error: quit / exit abort
;; vl-exit-with-error: its message reaches *error*, or vl-catch-all-apply.
(defun *error* (msg) (setq seen msg) (princ))
(defun abbruch () (vl-exit-with-error "Abbruch durch Benutzer") 1)
(abbruch) ;error: Abbruch durch Benutzer
seen ;=> "Abbruch durch Benutzer"
(setq *error* nil) (vl-catch-all-error-message (vl-catch-all-apply 'abbruch nil)) ;=> "Abbruch durch Benutzer"
;; vl-exit-with-value ends the whole command with its value, setq included; nothing to catch.
(defun f () (vl-exit-with-value 42) (princ "never"))
(defun g () (+ 1 (f)))
;out:
(g) ;=> 42
(setq after (g)) after ;=> nil
(vl-catch-all-apply 'g nil) ;=> 42

;; vl-catch-all-apply turns an error into a value and leaves *error* alone.
(defun *error* (msg) (princ "*error* must not run"))
;out:
(setq r (vl-catch-all-apply '/ '(1 0))) ;=> #<%catch-all-apply-error%>
(list (vl-catch-all-error-p r) (vl-catch-all-error-message r) (type r))
;=> (T "divide by zero" VL-CATCH-ALL-APPLY-ERROR)
(list (vl-catch-all-apply '+ '(1 2)) (vl-catch-all-apply 'wcmatch '("abc" "a*"))) ;=> (3 T)
;out:
(vl-catch-all-error-message (vl-catch-all-apply 'outer nil)) ;=> "divide by zero"
(vl-catch-all-error-message (vl-catch-all-apply 'exit nil)) ;=> "quit / exit abort"
(vl-catch-all-error-message (vl-catch-all-apply '(lambda () (nosuchfn)) nil)) ;=> "no function definition: NOSUCHFN"
(vl-catch-all-error-message (vl-catch-all-apply 'nosuchfn nil)) ;=> "no function definition: NOSUCHFN"
(vl-catch-all-error-p (vl-catch-all-apply 'open '("/nonexistent/x" "q"))) ;=> T
(vl-catch-all-error-message 5) ;error: bad argument type: vl-catch-all-apply-error-p 5
(setq *error* nil)
;; Bindings made inside the failed call are undone.
(setq bound "outer")
(vl-catch-all-apply '(lambda (bound) (/ 1 0)) '("inner"))
bound ;=> "outer"
(vl-catch-all-apply '(lambda () (vl-catch-all-error-p (vl-catch-all-apply '/ '(1 0)))) nil) ;=> T

;; Deep recursion ends in an error instead of a crash, and everything works afterwards.
(defun deep (n) (+ 1 (deep (1+ n))))
(deep 0) ;error: internal stack limit reached
(+ 1 2) ;=> 3
(vl-catch-all-error-message (vl-catch-all-apply 'deep '(0))) ;=> "internal stack limit reached"
(setq depth-probe "kept")
(defun deep-bound (depth-probe) (deep-bound depth-probe))
(vl-catch-all-error-p (vl-catch-all-apply 'deep-bound '("inner"))) ;=> T
depth-probe ;=> "kept"
;; *error* runs for the stack limit too, with room to work and a command's locals in place.
(defun count-down (n) (if (> n 0) (count-down (1- n)) "handler ran"))
(defun *error* (msg) (princ (strcat "caught: " msg ", " (count-down 500))))
;out: caught: internal stack limit reached, handler ran
(deep 0) ;error: internal stack limit reached
(defun c:deepcmd (/ *error* v)
  (setq v 7)
  (defun *error* (msg) (princ (strcat "local: " msg ", v=" (itoa v))))
  (deep 0))
;out: local: internal stack limit reached, v=7
(c:deepcmd) ;error: internal stack limit reached
(setq *error* nil) ;=> nil

(setq nest nil) (repeat 1000000 (setq nest (list nest)))
(vl-catch-all-error-message (vl-catch-all-apply 'vl-prin1-to-string (list nest))) ;=> "internal stack limit reached"
(setq nest nil) ;=> nil
(setq long nil) (repeat 500000 (setq long (cons 1 long))) (length long) ;=> 500000
(setq long nil) ;=> nil

(load "no-such-file-anywhere") ;error: LOAD failed: "no-such-file-anywhere"
(load "no-such-file-anywhere" "fallback") ;=> "fallback"
(vl-load-com) ;=> nil
