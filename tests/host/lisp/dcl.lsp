;; load_dialog (errors name file and line), new_dialog, tiles' values and attributes.
(defun dcl (name lines / f) (setq f (open name "w")) (foreach l lines (write-line l f)) (close f) name) ;=> DCL
(load_dialog "fehlt") ;=> -1
;out: Error in dialog file "syntax.dcl", line 3: syntax error: ";" expected, found "}"
;out:
(load_dialog (dcl "syntax.dcl" '("a : dialog {" "  : button { key = \"b\";" "    label = \"x\" }" "}"))) ;=> -1
;out: Error in dialog file "proto.dcl", line 2: unknown tile "knopf"
;out:
(load_dialog (dcl "proto.dcl" '("a : dialog {" "  : knopf { key = \"k\"; }" "}"))) ;=> -1
;out: Error in dialog file "key.dcl", line 1: a toggle needs a key
;out:
(load_dialog (dcl "key.dcl" '("a : dialog { : toggle { label = \"T\"; } }"))) ;=> -1
;out: Error in dialog file "kreis.dcl", line 1: "b" is defined in terms of itself
;out:
(load_dialog (dcl "kreis.dcl" '("a : b { }" "b : a { }"))) ;=> -1
;out: Error in dialog file "typ.dcl", line 1: "row" is a built-in tile and cannot be defined again
;out:
(load_dialog (dcl "typ.dcl" '("row : column { }"))) ;=> -1
;out: Error in dialog file "teil.dcl", line 1: a text cannot hold other tiles
;out:
(dcl "teil.dcl" '("t : text { : spacer { } }"))
(load_dialog (dcl "haupt.dcl" '("@include \"teil\"" "d : dialog { }"))) ;=> -1
(dcl "knopf.dcl" '("knopf : button { width = 10; label = \"&Knopf\"; }")) ;=> "knopf.dcl"
(setq id (load_dialog (dcl "d.dcl" '(
  "@include \"knopf.dcl\"  // prototypes of our own"
  "d : dialog { label = \"D\"; /* a comment"
  "  over two lines */"
  "  : knopf { key = \"k1\"; }"
  "  : knopf { key = \"k2\"; label = \"Zwei\"; }"
  "  : radio_column { key = \"r\";"
  "    : radio_button { key = \"a\"; label = \"A\"; }"
  "    : radio_button { key = \"b\"; label = \"B\"; value = \"1\"; } }"
  "  : list_box { key = \"l\"; list = \"x\\ny\"; }"
  "  : edit_box { key = \"e\"; value = \"7\"; }"
  "  : image { key = \"i\"; width = 10; height = 2; }"
  "  ok_cancel_err;"
  "}")))) ;=> 1
(list (new_dialog "gibtsnicht" id) (new_dialog "d" 99) (new_dialog "knopf" id)) ;=> (nil nil nil)
(new_dialog "d" id) ;=> T
(mapcar 'get_attr '("k1" "k2" "k1" "accept" "cancel" "error") '("label" "label" "width" "label" "is_cancel" "key")) ;=> ("&Knopf" "Zwei" "10" "OK" "true" "error")
(list (get_tile "r") (get_tile "b") (get_tile "e") (get_tile "nix") (get_attr "e" "nix")) ;=> ("b" "1" "7" nil nil)
(set_tile "a" "1") (list (get_tile "r") (get_tile "a") (get_tile "b")) ;=> ("a" "1" "0")
(set_tile "r" "b") (list (get_tile "a") (get_tile "b")) ;=> ("0" "1")
(list (start_list "l" 2) (add_list "z") (end_list) (start_list "l" 1 5) (add_list "q") (start_list "nix")) ;=> ("l" "z" nil "l" nil nil)
(list (action_tile "k1" "(princ)") (action_tile "nix" "(princ)") (client_data_tile "k1" '(1 2)) (mode_tile "e" 1)) ;=> (T nil nil nil)
(list (start_image "i") (fill_image 0 0 5 5 1) (vector_image 0 0 5 5 -16) (end_image)) ;=> ("i" 1 -16 nil)
(> (dimx_tile "i") (dimy_tile "i") 0) ;=> T
(list (start_image "i") (slide_image 0 0 5 5 "dia") (end_image)) ;=> ("i" "dia" nil)
(list (term_dialog) (unload_dialog id) (new_dialog "d" id)) ;=> (nil nil nil)
