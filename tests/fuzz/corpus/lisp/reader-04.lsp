(strlen "a\\b")
(strlen "q\"q")
(ascii "\n")
(ascii "\e")
(ascii "\101")
"\101\102C"
