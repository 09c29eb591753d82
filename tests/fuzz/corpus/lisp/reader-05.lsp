"\344"
(strlen "Grüße")
"\q"
