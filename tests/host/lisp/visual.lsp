;; Visual LISP's run time: defun-q, the blackboard, the registry, ver, startapp, system variables.

;; defun-q keeps the function as a list that a call runs and a program may change.
(defun-q gruss (name / text) (setq text (strcat "Hallo " name)) text) ;=> GRUSS
(list gruss (gruss "Welt")) ;=> (((NAME / TEXT) (SETQ TEXT (STRCAT "Hallo " NAME)) TEXT) "Hallo Welt")
(defun-q-list-set 'gruss (append (defun-q-list-ref 'gruss) '((strcase text))))
(list (gruss "x") (mapcar 'gruss '("a")) (defun-q-list-ref 'car)) ;=> ("HALLO X" ("HALLO A") nil)
(defun-q-list-set 'leer '(nil 42)) (leer) ;=> 42
(defun-q-list-set 'gruss 5) ;error: bad argument type: listp 5

;; The blackboard is apart from the drawing's symbols; vl-doc-ref reads those.
(setq wert 1)
(list (vl-bb-set 'wert 2) (vl-bb-ref 'wert) wert (vl-bb-ref 'sonst)) ;=> (2 2 1 nil)
(list (vl-doc-set 'wert 3) (vl-doc-ref 'wert) wert) ;=> (3 3 3)

;; The registry: any case, a key's default value, a key with keys below it stays.
(setenv "XDG_CONFIG_HOME" (getenv "LISPTEST_DIR"))
(list (vl-registry-write "HKEY_CURRENT_USER\\Software\\Kor" "Pfad" "C:\\kor") (vl-registry-write "HKEY_CURRENT_USER\\Software\\Kor" 7)
      (vl-registry-write "HKEY_CURRENT_USER\\Software\\Kor\\Sub" "N" 1))
;=> ("C:\\kor" 7 1)
(list (vl-registry-read "hkey_current_user\\software\\kor" "PFAD") (vl-registry-read "HKEY_CURRENT_USER\\Software\\Kor")
      (vl-registry-read "HKEY_CURRENT_USER\\Software\\Kor" "fehlt"))
;=> ("C:\\kor" 7 nil)
(list (vl-registry-delete "HKEY_CURRENT_USER\\Software\\Kor") (vl-registry-delete "HKEY_CURRENT_USER\\Software\\Kor" "Pfad")
      (vl-registry-delete "HKEY_CURRENT_USER\\Software\\Kor" "Pfad") (vl-registry-read "HKEY_CURRENT_USER\\Software\\Kor" "Pfad"))
;=> (nil T nil nil)

(list (ver) (textscr) (graphscr)) ;=> ("Visual LISP 2022 (de)" nil nil)
(list (numberp (startapp "true")) (startapp "kein-solches-programm-da") (startapp "")) ;=> (T nil nil)

;; MAXSORT for acad_strlsort, EXTNAMES for snvalid, SRCHPATH for findfile; ERRNO is read-only.
(setvar "MAXSORT" 2)
(list (acad_strlsort '("b" "a")) (acad_strlsort '("c" "b" "a"))) ;=> (("a" "b") ("c" "b" "a"))
(list (snvalid "Schicht 1") (snvalid "NETZ$-_1") (setvar "EXTNAMES" 0) (snvalid "Schicht 1") (snvalid "NETZ$-_1")
      (snvalid "ABCDEFGHIJKLMNOPQRSTUVWXYZ123456"))
;=> (T T 0 nil T nil)
(vl-mkdir "suche") (close (open "suche/hier.txt" "w"))
(list (findfile "hier.txt") (setvar "SRCHPATH" "nirgends;suche")
      (equal (findfile "hier.txt") (strcat (getenv "LISPTEST_DIR") "/suche/hier.txt")))
;=> (nil "nirgends;suche" T)
(list (getvar "ERRNO") (getvar "TILEMODE") (getvar "CVPORT") (getvar "EXTNAMES") (type (getvar "TDCREATE"))) ;=> (0 1 2 0 REAL)
(setvar "ERRNO" 0) ;error: AutoCAD variable setting rejected: "ERRNO" 0
