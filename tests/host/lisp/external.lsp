;; Functions of an application, called through ADS (the test application korTestApp).

(arxload "korTestApp")
;=> "korTestApp"
(arxload "korTestApp")
;error: ARXLOAD failed: application "korTestApp" already loaded
(arxload "korTestApp" "kept")
;=> "kept"
(arxload "no-such-application" 'failed)
;=> FAILED
(car (member "korTestApp.so" (arx)))
;=> "korTestApp.so"

;; Every kind of value goes over and comes back unchanged.
(kortest_echo)
;=> nil
(kortest_echo 0 1 -1 -32768 32767 -32769 32768 2147483647 -2147483648)
;=> (0 1 -1 -32768 32767 -32769 32768 2147483647 -2147483648)
(kortest_echo 1.5 -0.25 1e20 0.0)
;=> (1.5 -0.25 1.0e+20 0.0)
(kortest_echo "Grüße" "" "Zeile\nZwei" "ß€ \"q\"")
;=> ("Grüße" "" "Zeile\nZwei" "ß€ \"q\"")
(kortest_echo nil T)
;=> (nil T)
(kortest_echo '(1 (2 (3 "x")) nil))
;=> ((1 (2 (3 "x")) nil))
(kortest_echo '(1 . "a"))
;=> ((1 . "a"))
(kortest_echo '(1 2 . 3.5))
;=> ((1 2 . 3.5))
(kortest_echo '((8 . "0") (62 . 1) (10 1.0 2.0 0.0)))
;=> (((8 . "0") (62 . 1) (10 1.0 2.0 0.0)))
(kortest_echo '(nil))
;=> ((nil))
(type (kortest_ename))
;=> ENAME
(equal (kortest_ename) (car (kortest_echo (kortest_ename))))
;=> T

;; The type codes the application sees: 16-bit integers as RTSHORT (5003), others as
;; RTLONG (5010); RTREAL 5001, RTSTR 5005, RTENAME 5006, RTNIL 5019, RTT 5021; lists as
;; RTLB (5016) ... RTLE (5017), with RTDOTE (5018) before the tail of a dotted pair.
(kortest_types 32767 32768 -32768 -32769 0)
;=> (5003 5010 5003 5010 5003)
(kortest_types 1.5 "a" nil T (kortest_ename))
;=> (5001 5005 5019 5021 5006)
(kortest_types '(1 (2)))
;=> (5016 5003 5016 5003 5017 5017)
(kortest_types '(1 . "a"))
;=> (5016 5003 5018 5005 5017)

;; Names are case-insensitive; the functions serve as function arguments too.
(KorTest_Echo 1)
;=> (1)
(mapcar 'kortest_echo '(1 2))
;=> ((1) (2))
(apply 'kortest_echo '(1 2))
;=> (1 2)
(type (eval '(function kortest_echo)))
;=> SYM
;; The function is the symbol's value, so "(or fn (arxload ...))" finds it loaded.
(list (type kortest_echo) (boundp 'kortest_echo) (type kortest_no_such_function))
;=> (EXRXSUBR T nil)
(or kortest_echo (arxload "korTestApp"))
;=> T
((eval 'kortest_echo) 3)
;=> (3)

;; The void answer is no value: nil.
(kortest_void)
;=> nil

;; A value handed over reaches LISP even when the handler returns RSERR.
(kortest_errval)
;=> (-1)

;; RSERR without a value is a LISP error naming the function.
(kortest_errnone)
;error: ADS request error: kortest_errnone
(vl-catch-all-error-message (vl-catch-all-apply 'kortest_errnone nil))
;=> "ADS request error: kortest_errnone"
(defun *error* (msg) (princ (strcat "*error*: " msg)))
(kortest_errnone)
;out: *error*: ADS request error: kortest_errnone
;error: ADS request error: kortest_errnone
(setq *error* nil)

;; Functions without a handler are answered through the invoke message.
(kortest_unreg 1 "b")
;=> ("unreg" 1 "b")
(kortest_unregvoid)
;error: ADS request error: kortest_unregvoid

;; Values ADS cannot carry are refused before the call.
(kortest_echo 'abc)
;error: bad argument type: ads value: ABC

;; A LISP definition of the same name takes precedence.
(defun kortest_void () "lisp")
(kortest_void)
;=> "lisp"
(setq kortest_void nil)
(kortest_void)
;=> nil

;; After arxunload the functions are gone; loading again brings them back.
(arxunload "korTestApp")
;=> "korTestApp"
(kortest_echo 1)
;error: no function definition: KORTEST_ECHO
(type kortest_echo)
;=> nil
(arxunload "korTestApp")
;error: ARXUNLOAD failed: application not loaded: korTestApp
(arxunload "korTestApp" nil)
;=> nil
(arxload "korTestApp")
(kortest_echo 2)
;=> (2)
