test_that("NA stops the run naming rows and columns, or omits those examinees", {
  data <- small_data()
  data$p3[c(4, 9)] <- NA
  data$d2[9] <- NA
  expect_error(cac(data, small_sets(), 10),
               "NA item scores in 2 rows (4, 9) and 2 columns ('p3', 'd2')", fixed = TRUE)
  expect_message(fit <- cac(data, small_sets(), 10, na = "omit", threads = 1),
                 "2 examinees with NA item scores left out (rows 4, 9)", fixed = TRUE)
  expect_equal(fit$summary$examinees, 38)
  expect_equal(fit$examinees$record, setdiff(1:40, c(4, 9)))
  same <- cac(small_data()[-c(4, 9), ], small_sets(), 10, threads = 1)
  expect_identical(fit$examinees[-1], same$examinees[-1])
  expect_identical(fit$overall, same$overall)
  data$p1 <- NA_real_
  expect_error(suppressMessages(cac(data, small_sets(), 10, na = "omit")), "none is left")
  one <- small_data()
  one$d4[7] <- NA
  e <- error_of(cac(one, small_sets(), 10))
  expect_s3_class(e, "tesserlink_error")
  expect_match(conditionMessage(e), "NA item scores in 1 row (7) and 1 column ('d4')", fixed = TRUE)
  expect_identical(e$rows, 7L)
  expect_message(cac(one, small_sets(), 10, na = "omit", threads = 1),
                 "1 examinee with NA item scores left out (row 7)", fixed = TRUE)
})

test_that("NA outside the item columns is no concern", {
  data <- small_data()
  data$name[3] <- NA
  fit <- cac(data, small_sets(), 10, id = "name", threads = 1)
  expect_true(is.na(fit$examinees$id[3]))
})

test_that("unmatched scores stop the run naming where, or count under no point", {
  data <- small_data()
  data$p5[c(6, 12)] <- 1.5
  e <- error_of(cac(data, small_sets(), 10, threads = 1))
  expect_s3_class(e, "tesserlink_error")
  expect_match(conditionMessage(e),
               paste0("Set 'poly': 2 item scores of 2 examinees equal none of its points ",
                      "(0, 1, 2); the first is 1.5 in row 6, column 'p5'"), fixed = TRUE)
  expect_identical(e[c("code", "set", "row", "column", "value")],
                   list(code = "data.unmatched_scores", set = "poly", row = 6L, column = "p5",
                        value = 1.5))
  single <- small_data()
  single$d3[9] <- 7
  expect_error(cac(single, small_sets(), 10, threads = 1),
               paste0("Set 'dich': 1 item score of 1 examinee equals none of its points (0, 1); ",
                      "it is 7 in row 9, column 'd3'"), fixed = TRUE)
  w <- tryCatch(cac(single, small_sets(), 10, unmatched = "ignore", threads = 1),
                tesserlink_warning = identity)
  expect_identical(w[c("code", "severity", "value")],
                   list(code = "data.unmatched_scores", severity = "data misfit", value = "7"))
  expect_match(conditionMessage(w), "^set 2 \\(item set 2\\): 1 item score matches none")
  # Under strict the misfit refuses the run.
  e <- error_of(cac(single, small_sets(), 10, unmatched = "ignore", strict = TRUE, threads = 1))
  expect_identical(e[c("code", "status", "argument")],
                   list(code = "run.strict", status = 2L, argument = "strict"))
  omitted <- data
  omitted$d1[1] <- NA
  expect_error(suppressMessages(cac(omitted, small_sets(), 10, na = "omit", threads = 1)),
               "the first is 1.5 in row 6, column 'p5'", fixed = TRUE)
  expect_warning(fit <- cac(data, small_sets(), 10, unmatched = "ignore", threads = 1),
                 "2 item scores match none of the score points 0 1 2", fixed = TRUE,
                 class = "tesserlink_warning")
  expect_equal(fit$sets$unmatched, c(2, 0))
  expect_equal(fit$sets$unmatched_examinees, c(2, 0))
  # The weighted score still counts in the composite: 1.5 in place of 2 or 0.
  clean <- cac(small_data(), small_sets(), 10, threads = 1)
  expect_equal(fit$examinees$observed_composite[-c(6, 12)],
               clean$examinees$observed_composite[-c(6, 12)])
  expect_equal(fit$examinees$observed_composite[6],
               clean$examinees$observed_composite[6] - small_data()$p5[6] + 1.5)
})

test_that("IDs are carried into the examinee results", {
  fit <- cac(small_data(), small_sets(), 10, id = "name", threads = 1)
  expect_identical(fit$examinees$id, small_data()$name)
  expect_identical(names(fit$examinees)[1:3], c("record", "id", "observed_composite"))
  by_index <- cac(small_data(), small_sets(), 10, id = 13, threads = 1)
  expect_identical(by_index$examinees, fit$examinees)
  plain <- cac(small_data(), small_sets(), 10, threads = 1)
  expect_false("id" %in% names(plain$examinees))
  expect_identical(plain$examinees[-1], fit$examinees[-(1:2)][names(plain$examinees)[-1]])
})

test_that("a matrix and a data frame give the same numbers", {
  data <- small_data()
  m <- as.matrix(data[1:12])
  a <- cac(m, small_sets(), 10, threads = 1)
  b <- cac(data, small_sets(), 10, threads = 1)
  expect_identical(a$examinees, b$examinees)
  unnamed <- unname(m)
  expect_error(cac(unnamed, small_sets(), 10), "`data` has no column names")
  c <- cac(unnamed, list(poly = list(items = 1:8, points = 0:2),
                         dich = list(items = 9:12, points = 0:1, weight = 2)), 10, threads = 1)
  expect_identical(c$examinees, b$examinees)
})
