-2.5
(float 7)
nil
T
'(1 . "a")
'((a . 1) (b . 2))
