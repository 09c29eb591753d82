;; Files in both encodings, the file system, getenv/setenv, in $LISPTEST_DIR (named with an umlaut).

(setq dir (strcat (getenv "LISPTEST_DIR") "/")) (wcmatch dir "/tmp/lisptest-Prüfung-*/") ;=> T
(setq f (open (strcat dir "a.txt") "w")) (equal (vl-prin1-to-string f) (strcat "#<file \"" dir "a.txt\">")) ;=> T
(list (write-line "Grüße" f) (write-char 65 f) (write-char 10 f) (princ "a\"b" f) (prin1 "a\"b" f) (print 1.5 f)
      (close f)) ;=> ("Grüße" 65 10 "a\"b" "a\"b" 1.5 nil)
(vl-file-size "a.txt") ;=> 24
(setq f (open "a.txt" "r")) (list (read-line f) (read-char f) (read-char f) (read-line f) (read-line f))
;=> ("Grüße" 65 10 "a\"b\"a\\\"b\"" "1.5 ")
(list (read-line f) (read-char f) (close f)) ;=> (nil nil nil)
;; A file written on Windows: Windows-1252 and CR LF; appended to, it gets LF line ends.
(vl-file-copy (findfile "win1252.csv") "win.csv") ;=> 16
(setq f (open "win.csv" "r")) (list (read-line f) (read-char f) (read-line f) (read-line f) (close f))
;=> ("Grün;1" 87 "eiß;2" nil nil)
(setq f (open "win.csv" "a")) (list (write-line "Blau;3" f) (close f) (vl-file-size "win.csv")) ;=> ("Blau;3" nil 23)
(setq f (open "win.csv" "r")) (list (read-line f) (read-line f) (read-line f) (close f))
;=> ("Grün;1" "Weiß;2" "Blau;3" nil)
;; A UTF-8 file with CR LF: each line end reads as one 10.
(setq f (open "u.txt" "w")) (mapcar '(lambda (c) (write-char c f)) '(228 13 10 98)) (close f)
(setq f (open "u.txt" "r")) (list (read-char f) (read-char f) (read-char f) (read-char f) (close f))
;=> (228 10 98 nil nil)

;; What cannot be opened answers nil: a missing file, a missing folder, a folder.
(list (open "missing.txt" "r") (open "no/such/dir/x.txt" "w") (open dir "w")) ;=> (nil nil nil)
(open "x" "x") ;error: bad argument value: file mode: "x"
(princ "x" 5) ;error: bad argument type: streamp 5
;; A file open for reading cannot be written, nor one for writing read, nor a closed one used.
(setq w (open "w.txt" "w") r (open "u.txt" "r")) ;=> #<file "u.txt">
(write-line "x" r) ;error: bad argument type: streamp #<file "u.txt">
(read-line w) ;error: bad argument type: streamp #<file "w.txt">
(list (close r) (close w)) ;=> (nil nil)
(read-line r) ;error: bad argument type: streamp #<file "u.txt">
;; Without a file the command line gets it.
;out: Zeile
;out: !
(write-line "Zeile") (write-char 33) ;=> 33

;; findfile: the current directory, then $KORCAD_APP_PATH; directories are no files.
(mapcar '(lambda (name) (close (open name "w"))) '("local.lsp" "path/shared.lsp" "path/local.lsp")) ;=> (nil nil nil)
(equal (list (findfile "local.lsp") (findfile "shared.lsp") (findfile (strcat dir "path/shared.lsp")))
       (list (strcat dir "local.lsp") (strcat dir "path/shared.lsp") (strcat dir "path/shared.lsp"))) ;=> T
(list (findfile "nowhere.lsp") (findfile "") (findfile "path")) ;=> (nil nil nil)

;; load finds NAME and NAME.lsp along the path; a file in Windows-1252 is read as such.
(setq f (open "path/helper.lsp" "w")) (write-line "(defun helper () \"from helper\") (helper)" f) (close f)
(mapcar 'load (list "helper" "helper.lsp" (strcat dir "path/helper.lsp"))) ;=> ("from helper" "from helper" "from helper")
(load "ansi") (list s (strlen s) (substr s 3 2)) ;=> ("Grüße €" 7 "üß")

;; Copy (refused onto a file that exists, unless appending), rename, delete, sizes, folders.
(setq f (open "b.txt" "w")) (princ "12345" f) (close f) (close (open "noext" "w"))
(list (vl-file-size "b.txt") (vl-file-size dir) (vl-file-size "none")) ;=> (5 0 nil)
(list (vl-file-copy "b.txt" "c.txt") (vl-file-copy "b.txt" "c.txt") (vl-file-copy "b.txt" "c.txt" T)) ;=> (5 nil 5)
(list (vl-file-size "c.txt") (vl-file-copy "none" "d.txt")) ;=> (10 nil)
(list (vl-file-rename "c.txt" "b.txt") (vl-file-rename "c.txt" "d.txt") (vl-file-rename "c.txt" "e.txt"))
;=> (nil T nil)
(list (vl-mkdir "sub") (vl-mkdir "sub") (vl-mkdir "x/y/z")) ;=> (T nil nil)
(list (vl-file-directory-p "sub") (vl-file-directory-p "b.txt") (vl-file-directory-p "none")) ;=> (T nil nil)
(list (vl-file-delete "d.txt") (vl-file-delete "d.txt") (vl-file-delete "sub") (findfile "d.txt")) ;=> (T nil nil nil)
;; Directory listings: * and ? (no #), case-insensitive; 1 files only, -1 folders only.
(mapcar 'vl-file-delete '("a.txt" "win.csv" "u.txt" "w.txt" "local.lsp"))
(vl-directory-files dir) ;=> ("." ".." "b.txt" "noext" "path" "sub")
(list (vl-directory-files dir "*.TXT" 1) (vl-directory-files dir nil -1) (vl-directory-files dir "n*"))
;=> (("b.txt") ("." ".." "path" "sub") ("noext"))
(list (vl-directory-files dir "*.*" 1) (vl-directory-files dir "?.txt" 1) (vl-directory-files dir "#*" 1))
;=> (("b.txt" "noext") ("b.txt") nil)
(setq time (vl-file-systime "b.txt"))
(list (length time) (> (car time) 2020) (vl-file-systime "none") (vl-file-systime dir)) ;=> (8 T nil nil)

(setq win "c:\\acadwin\\file.dwg")
(list (vl-filename-base win) (vl-filename-base "/a/b.tar.gz") (vl-filename-base "/a/.profile") (vl-filename-base ""))
;=> ("file" "b.tar" ".profile" "")
(mapcar 'vl-filename-extension (list win "file" "file." "/a.b/c")) ;=> (".dwg" nil nil nil)
(mapcar 'vl-filename-directory (list win "/home/u/plan.dxf" "/plan.dxf" "file.dwg"))
;=> ("c:\\acadwin" "/home/u" "/" "")
;; A temporary name: in the folder given, new each time, no file yet, 8 characters at most.
(setq tmp (vl-filename-mktemp "rohr.csv" dir))
(list (= (vl-filename-directory tmp) (getenv "LISPTEST_DIR"))
      (wcmatch (vl-filename-base tmp) "rohr[0-9a-f][0-9a-f][0-9a-f]")) ;=> (T T)
(list (vl-filename-extension tmp) (findfile tmp) (= tmp (vl-filename-mktemp "rohr.csv" dir))) ;=> (".csv" nil nil)
(list (wcmatch (vl-filename-mktemp) "*/$VL~~???") (wcmatch (vl-filename-mktemp "abcdefgh" dir ".tmp") "*/abcde???.tmp"))
;=> (T T)

;; The environment: umlauts both ways; names with "=" are refused.
(list (setenv "KORLISP_TEST_SET" "Wert äöü") (getenv "KORLISP_TEST_SET") (getenv "KORLISP_NO_SUCH_VAR"))
;=> ("Wert äöü" "Wert äöü" nil)
(setenv "A=B" "1") ;error: bad argument value: environment variable name: "A=B"

