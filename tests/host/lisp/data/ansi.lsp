(setq s "Grüße €")
