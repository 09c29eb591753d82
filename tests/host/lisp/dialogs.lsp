;; getfiled and the colour dialogs without a window ask on the command line; end of input is nil.

(setq dir (strcat (getenv "LISPTEST_DIR") "/"))
(close (open "a.dxf" "w")) (close (open "b.txt" "w")) (vl-mkdir "sub") ;=> T
;; An existing file, its full name; the extension is added; a missing file or another one refused.
;input: fehlt
;input: b.txt
;input: a
(= (getfiled "Öffnen" "" "dxf" 0) (strcat dir "a.dxf")) ;=> T
;input: b.txt
(= (getfiled "Öffnen" "" "dxf" 4) (strcat dir "b.txt")) ;=> T
;input: b.txt
;input: b.txt
(list (= (getfiled "Öffnen" "" "" 0) (strcat dir "b.txt"))
      (= (getfiled "Öffnen" "" "dwg;txt" 0) (strcat dir "b.txt")))
;=> (T T)
;; Enter takes the default; a folder as default (flag 16, or a closing "/") proposes no name.
;input:
(= (getfiled "Öffnen" "a.dxf" "dxf" 0) (strcat dir "a.dxf")) ;=> T
;input:
;input: neu
(list (getfiled "Öffnen" "sub/" "dxf" 0) (= (getfiled "Sichern" "sub" "dxf" 17) (strcat dir "sub/neu.dxf")))
;=> (nil T)
;; A new file: an existing one is asked about (Enter is Nein) unless flag 32 says not to.
;input: a
;input: Ja
;input: a
;input:
;input: c
;input: a
(list (= (getfiled "Sichern" "" "dxf" 1) (strcat dir "a.dxf")) (= (getfiled "Sichern" "" "dxf" 1) (strcat dir "c.dxf"))
      (= (getfiled "Sichern" "" "dxf" 33) (strcat dir "a.dxf"))) ;=> (T T T)
;; The library search: a file found first on the search path comes back bare.
;input: a
(getfiled "Öffnen" "" "dxf" 8) ;=> "a.dxf"
(getfiled "Öffnen" "" "dxf" 0) ;=> nil

;; acad_colordlg: an index, VonLayer 256, VonBlock 0 (refused when the flag is nil), Enter the default.
;input: 12
;input: VonLayer
;input: byblock
;input:
(list (acad_colordlg 7) (acad_colordlg 7) (acad_colordlg 7 T) (acad_colordlg 42)) ;=> (12 256 0 42)
;input: VonLayer
;input: 0
;input: 300
;input: 3
;out: Farbe (1-255) <7>: VonLayer
;out: VonLayer und VonBlock sind hier nicht wählbar.
;out: Farbe (1-255) <7>: 0
;out: VonLayer und VonBlock sind hier nicht wählbar.
;out: Farbe (1-255) <7>: 300
;out: Erfordert eine Farbnummer von 1 bis 255.
;out: Farbe (1-255) <7>: 3
;out:
(acad_colordlg 7 nil) ;=> 3
;input:
(list (acad_colordlg 256 nil) (acad_colordlg 1)) ;=> (nil nil)
(acad_colordlg 257) ;error: bad argument value: 0 ... 256: 257

;; acad_truecolordlg: an index as ((62 . n)), a true colour with its nearest index and 420.
;input: 255,0,0
;input: 5
;input:
;input: 1,2
;input: 256,0,0
;input: VonLayer
;input: 0,255,0
(list (acad_truecolordlg '(62 . 7)) (acad_truecolordlg '(62 . 7)) (acad_truecolordlg '(420 . 255))
      (acad_truecolordlg '(62 . 7) nil '(62 . 1)))
;=> (((62 . 1) (420 . 16711680)) ((62 . 5)) ((62 . 5) (420 . 255)) ((62 . 3) (420 . 65280)))
(acad_truecolordlg '(62 . 7)) ;=> nil
(acad_truecolordlg '(430 . "RAL$1000")) ;error: bad argument value: (62 . index) or (420 . color): (430 . "RAL$1000")
