(eq 'Hello 'HELLO)
(setq MixedCase 7)
mixedcase
'nil
't
"plain"
