(prin1 '(1 "c"))
(princ '(1 "c"))
(prin1 "tab\there \"q\" back\\slash")
(princ "line1\nline2")
(prin1 "\e\001")
3.14
