# The models beside the multinomial from R: the same numbers as the command
# line's run of the IRT example, and the model named in the result.

irt_example <- function() file.path(example_dir("spisa"), "irt")

test_that("the IRT summed-score method gives the command line's numbers", {
  folder <- irt_example()
  skip_if_not(dir.exists(file.path(folder, "results")))
  data <- read.csv(file.path(folder, "spisa.csv"))
  items <- read.csv(file.path(folder, "parameters.csv"))
  fit <- cac(data, sets = list(quiz = list(items = names(data)[-1], points = c(0, 1))),
             cuts = c(23, 32), id = "id", labels = c("low", "middle", "high"),
             model = "irt", method = "summed-p", items = items)
  expect_identical(fit$model$kind, "irt")
  expect_identical(fit$model$method, "summed-p")
  expected <- read.csv(file.path(folder, "results", "overall.csv"))
  expect_identical(unname(unlist(fit$overall[expected$index])), expected$value)
  examinees <- read.csv(file.path(folder, "results", "examinees.csv"))
  expect_identical(fit$examinees$theta, examinees$theta)
  expect_output(print(fit), "Model: irt, method summed-p")
})

test_that("a model's refusal is a condition with its code", {
  folder <- irt_example()
  skip_if_not(dir.exists(folder))
  data <- read.csv(file.path(folder, "spisa.csv"))
  sets <- list(quiz = list(items = names(data)[-1], points = c(0, 1)))
  code <- tryCatch(cac(data, sets, cuts = c(23, 32), model = "irt"),
                   tesserlink_error = function(e) e$code)
  expect_identical(code, "model.refused")
})

test_that("reverse-keyed items are turned by the library as a file turns them", {
  data <- small_data()
  turned <- data
  turned$p2 <- 2 - turned$p2
  turned$d3 <- 1 - turned$d3
  sets <- small_sets()
  keyed <- sets
  keyed$poly$reverse <- "p2"
  keyed$dich$reverse <- "d3"
  expect_identical(cac(data, keyed, cuts = 6)$overall, cac(turned, sets, cuts = 6)$overall)
  expect_error(cac(data, list(list(items = "p1", points = 0:2, reverse = "d1")), cuts = 1),
               "not an item of the set")
})
