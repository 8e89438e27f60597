test_that("every argument is checked with an error naming it and no call", {
  data <- small_data()
  sets <- small_sets()
  expect_argument_error <- function(expr, pattern) {
    e <- error_of(expr)
    expect_s3_class(e, "error")
    expect_match(conditionMessage(e), pattern, fixed = TRUE)
    expect_null(conditionCall(e))
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
                        "names columns not in `data`: 'zz'")
  expect_argument_error(cac(data, list(list(items = c(1, 99), points = 0:2)), 5),
                        "column indices outside 1..13: 99")
  expect_argument_error(cac(data, list(list(items = c(1, 1), points = 0:2)), 5),
                        "more than once")
  expect_argument_error(cac(data, list(list(items = 1:2, points = c(0, NA))), 5),
                        "`sets[[1]]$points` must hold finite numbers only")
  expect_argument_error(cac(data, list(list(items = 1:2, points = 0:2, weight = "a")), 5),
                        "`sets[[1]]$weight` must be one finite number")
  expect_argument_error(cac(data, list(list(items = "name", points = 0:2)), 5),
                        "Item columns must be numeric; these are not: 'name'")
  expect_argument_error(cac(data, sets, "5"), "`cuts` must be a numeric vector")
  expect_argument_error(cac(data, sets, c(5, 10), true_cuts = 5),
                        "`true_cuts` must have as many values as `cuts` (2), not 1")
  expect_argument_error(cac(data, sets, 5, bias_correction = "yes"), "`bias_correction` must be TRUE or FALSE")
  expect_argument_error(cac(data, sets, 5, bootstrap = 1), "`bootstrap` must be 0 (no bootstrap) or at least 2")
  expect_argument_error(cac(data, sets, 5, bootstrap = 2.5), "`bootstrap` must be one whole number")
  expect_argument_error(cac(data, sets, 5, seed = -1), "`seed` must be one whole number")
  expect_argument_error(cac(data, sets, 5, threads = -1), "`threads` must be one whole number")
  expect_argument_error(cac(data, sets, 5, id = "nobody"), "`id` names columns not in `data`")
  expect_argument_error(cac(data, sets, 5, id = "p1"), "`id` column 'p1' is also an item column")
  expect_argument_error(cac(data, sets, 5, na = "drop"), "`na` must be one of \"error\", \"omit\"")
  expect_argument_error(cac(data, sets, 5, unmatched = "skip"), "`unmatched` must be one of")
  expect_argument_error(cac(data, sets), "`cuts` is missing")
  expect_argument_error(run_card(3), "`path` must be the control card's file name")
  expect_argument_error(run_card("card.txt", report = 1), "`report` must be NULL")
  expect_argument_error(as.data.frame(cac(data, sets, 10, threads = 1), what = "nothing"),
                        "`what` must be one of")
})

test_that("the card's limits and refusals are the program's", {
  data <- small_data()
  sets <- small_sets()
  expect_error(cac(data, sets, 40), "^Cut scores are out of score range!$")
  expect_error(cac(data, sets, 1:10), "The number of categories must be from 2 to 10, not 11.",
               fixed = TRUE)
  expect_error(cac(data, sets, c(10, 5)), "The observed cut scores must not decrease.",
               fixed = TRUE)
  expect_error(cac(data, list(list(items = 1:8, points = c(0, 2, 1))), 5),
               "Set 1: the score points must be listed in ascending order, each once.",
               fixed = TRUE)
  ten <- rep(list(list(items = 1:2, points = 0:2)), 10)
  expect_error(cac(data, ten, 5), "# item sets greater than 9: Stopped!", fixed = TRUE)
  many <- list(list(items = 1:8, points = 0:15))
  expect_error(cac(data, many, 5, unmatched = "ignore"),
               "# score categories greater than 15: Stopped!", fixed = TRUE)
  expect_error(run_card(file.path(tempdir(), "no-such-card.txt")), "does not exist")
})
