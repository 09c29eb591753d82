(defun deep-bound (depth-probe) (deep-bound depth-probe))
(vl-catch-all-error-p (vl-catch-all-apply 'deep-bound '("inner")))
depth-probe
(defun count-down (n) (if (> n 0) (count-down (1- n)) "handler ran"))
(defun *error* (msg) (princ (strcat "caught: " msg ", " (count-down 500))))
(deep 0)
