(setq i 0 acc nil)
(while (< i 3) (setq acc (cons i acc) i (1+ i)))
acc
(while nil 1)
(setq n 0)
(repeat 4 (setq n (+ n 2)))
