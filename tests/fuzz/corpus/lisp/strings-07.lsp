(setq inf (* 1e308 10))
(list (rtos inf) (rtos (- inf) 1 3) (rtos (- inf inf)) (rtos (- (- inf inf)) 1))
(rtos inf 4)
(rtos "1")
