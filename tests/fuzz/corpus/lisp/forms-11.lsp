dynamic-name
(boundp 'via-set)
(boundp 'never-set-anywhere)
