(defun once () (defun once () "second") "first")
(list (once) (once))
(eval '(+ 1 2))
(set 'via-set 5)
via-set
(set (read "dynamic-name") "x")
