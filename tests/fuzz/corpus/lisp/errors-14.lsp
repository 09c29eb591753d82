(load "no-such-file-anywhere" "fallback")
