test_that("every argument is checked with a tesserlink_error naming it and no call", {
  data <- small_data()
  sets <- small_sets()
  expect_argument_error <- function(expr, pattern) {
    e <- error_of(expr)
    expect_s3_class(e, c("tesserlink_error", "error", "condition"), exact = TRUE)
    expect_match(conditionMessage(e), pattern, fixed = TRUE)
    expect_null(conditionCall(e))
    expect_null(e$program_message)
  }
  expect_argument_error(cac(1:3, sets, 5), "`data` must be a data frame or a matrix")
  expect_argument_error(cac(matrix("a", 2, 2), sets, 5), "`data` must be a numeric matrix")
  expect_argument_error(cac(data[0, ], sets, 5), "`data` has no rows")
  expect_argument_error(cac(data, list(), 5), "`sets` must be a non-empty list")
  expect_argument_error(cac(data, list(list(items = "p1")), 5), "needs `points`")
  expect_argument_error(cac(data, list(list(points = 0:1)), 5), "needs `items`")
  expect_argument_error(cac(data, list(list(items = "p1", points = 0:2, wt = 1)), 5),
                        "only the named elements items, points and weight")
  expect_argument_error(cac(data, list(list(items = c("p1", "zz"), points = 0:2)), 5),
                        "names a column not in `data`: 'zz'")
  expect_argument_error(cac(data, list(list(items = c(1, 99), points = 0:2)), 5),
                        "a column index outside 1..13: 99")
  expect_argument_error(cac(data, list(list(items = c(1, 1), points = 0:2)), 5),
                        "more than once")
  expect_argument_error(cac(data, list(list(items = 1:2, points = c(0, NA))), 5),
                        "`sets[[1]]$points` must hold finite numbers only")
  expect_argument_error(cac(data, list(list(items = 1:2, points = 0:2, weight = "a")), 5),
                        "`sets[[1]]$weight` must be one finite number")
  expect_argument_error(cac(data, list(list(items = "name", points = 0:2)), 5),
                        "Item columns must be numeric; this one is not: 'name'")
  expect_argument_error(cac(data, sets, "5"), "`cuts` must be a numeric vector")
  expect_argument_error(cac(data, sets, c(5, 10), true_cuts = 5),
                        "`true_cuts` must have as many values as `cuts` (2), not 1")
  expect_argument_error(cac(data, sets, 5, bias_correction = "yes"), "`bias_correction` must be TRUE or FALSE")
  expect_argument_error(cac(data, sets, 5, bootstrap = 1), "`bootstrap` must be 0 (no bootstrap) or at least 2")
  expect_argument_error(cac(data, sets, 5, bootstrap = 2.5), "`bootstrap` must be one whole number")
  expect_argument_error(cac(data, sets, 5, seed = -1), "`seed` must be one whole number")
  expect_argument_error(cac(data, sets, 5, seed = NA), "`seed` must be one whole number")
  expect_argument_error(cac(data, sets, 5, threads = -1), "`threads` must be one whole number")
  expect_argument_error(cac(data, sets, 5, id = "nobody"), "`id` names a column not in `data`")
  expect_argument_error(cac(data, sets, 5, id = "p1"), "`id` column 'p1' is also an item column")
  expect_argument_error(cac(data, sets, 5, na = "drop"), "`na` must be one of \"error\", \"omit\"")
  expect_argument_error(cac(data, sets, 5, unmatched = "skip"), "`unmatched` must be one of")
  expect_argument_error(cac(data, sets), "`cuts` is missing")
  expect_argument_error(run_card(3), "`path` must be the control card's file name")
  expect_argument_error(run_card("card.txt", report = 1), "`report` must be NULL")
  expect_argument_error(as.data.frame(cac(data, sets, 10, threads = 1), what = "nothing"),
                        "`what` must be one of")
})

test_that("the library's limits and refusals name the argument and keep the program's line", {
  data <- small_data()
  sets <- small_sets()
  ten <- rep(list(list(items = 1:2, points = 0:2)), 10)
  no_card <- file.path(tempdir(), "no-such-card.txt")
  # Each row: the error, R's message, the program's line.
  refusals <- list(
    list(error_of(cac(data, sets, 40)),
         "`cuts` must lie within the composite score range 0 to 24; 40 lies outside it.",
         "Error! Cut scores are out of score range!"),
    list(error_of(cac(data, sets, 1:10)),
         "`cuts` must hold 1 to 9 cut scores (2 to 10 categories), not 10.",
         "Error! The number of categories must be from 2 to 10, not 11."),
    list(error_of(cac(data, sets, c(10, 5))),
         "`cuts` must not decrease: 5 comes after 10.",
         "Error! The observed cut scores must not decrease."),
    list(error_of(cac(data, sets, c(5, 10), true_cuts = c(6, 4))),
         "`true_cuts` must not decrease: 4 comes after 6.",
         "Error! The true cut scores must not decrease."),
    list(error_of(cac(data, list(odd = list(items = 1:8, points = c(0, 2, 1))), 5)),
         "`sets[[1]]$points` (set 'odd') must be in ascending order, each point once.",
         "Error! Set 1: the score points must be listed in ascending order, each once."),
    list(error_of(cac(data, list(list(items = 1:8, points = 0)), 0, unmatched = "ignore")),
         "`sets[[1]]$points` (set 'set 1') must hold at least 2 score points, not 1.",
         "Error! Set 1: at least 2 score points are needed, not 1."),
    list(error_of(cac(data, ten, 5)),
         "`sets` holds 10 item sets; at most 9 can be analysed together.",
         "# item sets greater than 9: Stopped!"),
    list(error_of(cac(data, list(many = list(items = 1:8, points = 0:15)), 5,
                      unmatched = "ignore", threads = 1)),
         "`sets[[1]]$points` (set 'many') holds 16 score points; a set may have at most 15.",
         "# score categories greater than 15: Stopped!"),
    list(error_of(run_card(no_card)),
         paste0("The control card '", no_card, "' does not exist."),
         paste0("Error! File: ", no_card, " does not exist")))
  for (r in refusals) {
    expect_s3_class(r[[1]], "tesserlink_error")
    expect_identical(conditionMessage(r[[1]]), r[[2]])
    expect_identical(r[[1]]$program_message, r[[3]])
    expect_null(conditionCall(r[[1]]))
  }
  expect_identical(tryCatch(cac(data, sets, 40), tesserlink_error = function(e) "caught"), "caught")
})
