d : dialog { label = "x"; : row { : button { key = "a"; label = "A"; is_default = true; } } ok_cancel_help_errtile; }
