(vl-catch-all-error-message (vl-catch-all-apply 'add2 '(1)))
(vl-catch-all-error-message 5)
(setq *error* nil)
(setq bound "outer")
(vl-catch-all-apply '(lambda (bound) (/ 1 0)) '("inner"))
bound
