(repeat 0 "never")
(setq e "before" total 0)
(foreach e '(1 2 3) (setq total (+ total e)))
e
(foreach e nil 1)
(and 1 "a" 'b)
