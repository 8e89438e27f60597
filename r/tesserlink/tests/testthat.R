library(testthat)
library(tesserlink)

test_check("tesserlink")
