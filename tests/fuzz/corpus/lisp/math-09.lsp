(listp nil)
(listp '(1 . 2))
(mapcar 'type (list 1 1.0 "s" 's '(1) nil car))
