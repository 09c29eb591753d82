1e3
2.5E-3
(type 1.)
(quote 1+)
(quote 1e)
(quote hello)
