;; Prompts read their answers from the host's input source (here: scripted lines).

(getstring "Name: ")
;input: Anna Maria
;=> "Anna"
(getstring T "Name: ")
;input: Anna Maria
;=> "Anna Maria"
(getstring)
;input: 
;=> ""
(getreal "Abstand: ")
;input: abc
;input: 3.5
;out: Erfordert numerischen Wert.
;out: 
;=> 3.5
(getreal)
;input: 2
;=> 2.0
(getreal)
;input: 
;=> nil
(getint "Anzahl: ")
;input: 40000
;input: 1.5
;input: 12
;out: Erfordert eine ganze Zahl zwischen -32768 und 32767.
;out: Erfordert eine ganze Zahl zwischen -32768 und 32767.
;out: 
;=> 12
;; No more input: the function is cancelled.
(getreal "x: ")
;error: Function cancelled
(vl-catch-all-error-message (vl-catch-all-apply 'getint nil))
;=> "Function cancelled"
