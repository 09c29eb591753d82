;dwg: netz.dxf
;; Functions of an application, called through ADS (the test application korTestApp).

(arxload "korTestApp") ;=> "korTestApp"
(arxload "korTestApp") ;error: ARXLOAD failed: application "korTestApp" already loaded
(list (arxload "korTestApp" "kept") (arxload "no-such-application" 'failed)) ;=> ("kept" FAILED)
(car (member "korTestApp.so" (arx))) ;=> "korTestApp.so"

(kortest_echo) ;=> nil
(kortest_echo 0 1 -1 -32768 32767 -32769 32768 2147483647 -2147483648)
;=> (0 1 -1 -32768 32767 -32769 32768 2147483647 -2147483648)
(kortest_echo 1.5 -0.25 1e20 0.0 nil T) ;=> (1.5 -0.25 1.0e+20 0.0 nil T)
(kortest_echo "Grüße" "" "Zeile\nZwei" "ß€ \"q\"") ;=> ("Grüße" "" "Zeile\nZwei" "ß€ \"q\"")
(kortest_echo '(1 (2 (3 "x")) nil) '(1 . "a") '(1 2 . 3.5) '(nil)) ;=> ((1 (2 (3 "x")) nil) (1 . "a") (1 2 . 3.5) (nil))
(setq ss (ssget "X")) (equal (list (entlast) ss) (kortest_echo (entlast) ss)) ;=> T
;; The type codes the application sees: 16-bit integers as RTSHORT (5003), others RTLONG (5010).
(kortest_types 32767 32768 -32768 -32769 0) ;=> (5003 5010 5003 5010 5003)
(kortest_types 1.5 "a" nil T (entlast) ss) ;=> (5001 5005 5019 5021 5006 5007)
(kortest_types '(1 (2))) ;=> (5016 5003 5016 5003 5017 5017)
(kortest_types '(1 . "a")) ;=> (5016 5003 5018 5005 5017)
;; Values ADS cannot carry are refused before the call.
(kortest_echo 'abc) ;error: bad argument type: ads value: ABC

;; Names are case-insensitive; the function is the symbol's value and serves as an argument.
(list (KorTest_Echo 1) (mapcar 'kortest_echo '(1 2)) (apply 'kortest_echo '(1 2)) ((eval 'kortest_echo) 3))
;=> ((1) ((1) (2)) (1 2) (3))
(list (type (eval '(function kortest_echo))) (type kortest_echo) (boundp 'kortest_echo) (type kortest_no_such_function))
;=> (SYM EXRXSUBR T nil)

;; The void answer is nil; a value handed with RSERR reaches LISP; RSERR alone is an error.
(list (kortest_void) (kortest_errval)) ;=> (nil (-1))
(kortest_errnone) ;error: ADS request error: kortest_errnone
(defun *error* (msg) (princ (strcat "*error*: " msg)))
;out: *error*: ADS request error: kortest_errnone
(kortest_errnone) ;error: ADS request error: kortest_errnone
(setq *error* nil)
(kortest_unreg 1 "b") ;=> ("unreg" 1 "b")
(kortest_unregvoid) ;error: ADS request error: kortest_unregvoid

;; A LISP definition of the same name takes precedence.
(defun kortest_void () "lisp")
(kortest_void) ;=> "lisp"
(setq kortest_void nil)
(kortest_void) ;=> nil

;; After arxunload the functions are gone; loading again brings them back.
(arxunload "korTestApp") ;=> "korTestApp"
(kortest_echo 1) ;error: no function definition: KORTEST_ECHO
(arxunload "korTestApp") ;error: ARXUNLOAD failed: application not loaded: korTestApp
(arxload "korTestApp")
(kortest_echo 2) ;=> (2)
