;;; farbe.lsp — from the colour korDialog_SelectColor returns to the colour of a drawing
;;; entity.
;;;
;;; (korDialog_SelectColor "Titel") answers (1 farbe) with farbe = red + 256 * green +
;;; 65536 * blue. An entity takes its colour as an AutoCAD colour index (ACI, group 62) or
;;; as a true colour (group 420, red * 65536 + green * 256 + blue). This file turns the one
;;; into the others:
;;;   (farbe-rgb farbe)        -> (red green blue)
;;;   (farbe-truecolor farbe)  -> the group-420 value
;;;   (farbe-aci farbe)        -> the nearest colour index 1 ... 255
;;;   (farbe-waehlen "Titel")  -> (aci truecolor) of the colour the user chose, or nil
;;;
;;; The index table is the AutoCAD palette built by its rule: 1 ... 9 the named colours,
;;; 10 ... 249 twenty-four hues (every 15 degrees) at five brightnesses (255, 189, 129, 104,
;;; 79), each pure and pale (a third saturated), 250 ... 255 six greys.

(defun farbe-rgb (farbe)
  (list (rem farbe 256) (rem (/ farbe 256) 256) (rem (/ farbe 65536) 256)))

(defun farbe-truecolor (farbe / rgb)
  (setq rgb (farbe-rgb farbe))
  (+ (* 65536 (car rgb)) (* 256 (cadr rgb)) (caddr rgb)))

;; Red, green, blue of hue step i (0 ... 23, 15 degrees each) at brightness v, pure or pale.
(defun farbe--hsv (i v blass / hi lo f auf ab sektor)
  (setq hi v
        lo (if blass (/ (* v 2.0) 3.0) 0.0)
        f (/ (rem i 4) 4.0)
        auf (+ lo (* (- hi lo) f))
        ab (- hi (* (- hi lo) f))
        sektor (/ i 4))
  (mapcar 'fix
    (cond
      ((= sektor 0) (list hi auf lo))
      ((= sektor 1) (list ab hi lo))
      ((= sektor 2) (list lo hi auf))
      ((= sektor 3) (list lo ab hi))
      ((= sektor 4) (list auf lo hi))
      (T (list hi lo ab)))))

;; The 255 colours of the indices 1 ... 255, as (index red green blue), built once.
(defun farbe--tabelle (/ tabelle i stufe)
  (setq tabelle
    (list '(1 255 0 0) '(2 255 255 0) '(3 0 255 0) '(4 0 255 255) '(5 0 0 255)
          '(6 255 0 255) '(7 255 255 255) '(8 128 128 128) '(9 192 192 192)))
  (setq i 0)
  (repeat 24
    (setq stufe 0)
    (foreach v '(255 189 129 104 79)
      (setq tabelle
        (cons (cons (+ 11 (* i 10) (* stufe 2)) (farbe--hsv i v T))
          (cons (cons (+ 10 (* i 10) (* stufe 2)) (farbe--hsv i v nil)) tabelle)))
      (setq stufe (1+ stufe)))
    (setq i (1+ i)))
  (setq i 250)
  (foreach g '(51 91 132 173 214 255)
    (setq tabelle (cons (list i g g g) tabelle))
    (setq i (1+ i)))
  (vl-sort tabelle '(lambda (a b) (< (car a) (car b)))))

(setq *farbe-aci* (farbe--tabelle))

;; The index whose colour is nearest (least squared distance of red, green and blue); of
;; equally near ones the lowest index. A grey is matched among the greys only (7, 8, 9,
;; 250 ... 255), so that black becomes the darkest grey and not a dark red.
(defun farbe--grau-p (e) (and (= (nth 1 e) (nth 2 e)) (= (nth 2 e) (nth 3 e))))

(defun farbe-aci (farbe / rgb grau beste abstand d)
  (setq rgb (farbe-rgb farbe) beste nil abstand nil
        grau (and (= (car rgb) (cadr rgb)) (= (cadr rgb) (caddr rgb))))
  (foreach e *farbe-aci*
    (setq d (+ (* (- (nth 1 e) (car rgb)) (- (nth 1 e) (car rgb)))
               (* (- (nth 2 e) (cadr rgb)) (- (nth 2 e) (cadr rgb)))
               (* (- (nth 3 e) (caddr rgb)) (- (nth 3 e) (caddr rgb)))))
    (if (and (or (not grau) (farbe--grau-p e)) (or (null abstand) (< d abstand)))
      (setq beste (car e) abstand d)))
  beste)

;; Asks the user for a colour; (aci truecolor) after OK, nil after Cancel or a wrong call.
(defun farbe-waehlen (titel / antwort)
  (setq antwort (korDialog_SelectColor titel))
  (if (= (car antwort) 1)
    (list (farbe-aci (cadr antwort)) (farbe-truecolor (cadr antwort)))
    nil))
