(kortest_echo 2)
