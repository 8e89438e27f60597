test_that("every argument is checked with a tesserlink_error naming it and no call", {
  data <- small_data()
  sets <- small_sets()
  expect_argument_error <- function(expr, pattern) {
    e <- error_of(expr)
    expect_s3_class(e, c("tesserlink_error", "error", "condition"), exact = TRUE)
    expect_match(conditionMessage(e), pattern, fixed = TRUE)
    expect_null(conditionCall(e))
    expect_identical(e$code, "r.argument")
  }
  expect_argument_error(cac(1:3, sets, 5), "`data` must be a data frame or a matrix")
  expect_argument_error(cac(matrix("a", 2, 2), sets, 5), "`data` must be a numeric matrix")
  expect_argument_error(cac(data[0, ], sets, 5), "`data` has no rows")
  expect_argument_error(cac(data, list(), 5), "`sets` must be a non-empty list")
  expect_argument_error(cac(data, list(list(items = "p1")), 5), "needs `points`")
  expect_argument_error(cac(data, list(list(points = 0:1)), 5), "needs `items`")
  expect_argument_error(cac(data, list(list(items = "p1", points = 0:2, wt = 1)), 5),
                        "only the named elements items, points, weight and reverse")
  expect_argument_error(cac(data, list(list(items = c("p1", "zz"), points = 0:2)), 5),
                        "names a column not in `data`: 'zz'")
  # The closest names, as the command line gives them.
  expect_argument_error(cac(data, list(list(items = c("p1", "p_2"), points = 0:2)), 5),
                        "not in `data`: 'p_2'; the closest are p2, p1, p3.")
  expect_argument_error(cac(data, list(list(items = c("q1", "dd2"), points = 0:2)), 5),
                        "columns not in `data`: 'q1', 'dd2'; the closest to the first are p1,")
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

test_that("the library's limits and refusals are its findings, with the argument they are about", {
  data <- small_data()
  sets <- small_sets()
  ten <- rep(list(list(items = 1:2, points = 0:2)), 10)
  no_card <- file.path(tempdir(), "no-such-card.txt")
  # Each row: the error, its code, the argument it is about, its exit status.
  refusals <- list(
    list(error_of(cac(data, sets, 40)), "card.cuts_out_of_range", "cuts", 1L),
    list(error_of(cac(data, sets, 1:10)), "card.category_count", "cuts", 1L),
    list(error_of(cac(data, sets, c(10, 5))), "card.refused", NULL, 1L),
    list(error_of(cac(data, list(odd = list(items = 1:8, points = c(0, 2, 1))), 5)),
         "card.refused", NULL, 1L),
    list(error_of(cac(data, ten, 5)), "card.too_many_sets", "sets", 1L),
    list(error_of(cac(data, list(many = list(items = 1:8, points = 0:15)), 5,
                      unmatched = "ignore", threads = 1)), "card.too_many_points", "sets", 1L),
    list(error_of(cac(data, sets, 5, bootstrap = 1)), "run.option", "bootstrap", 2L),
    list(error_of(run_card(no_card)), "card.file_missing", NULL, 1L))
  for (r in refusals) {
    e <- r[[1]]
    expect_s3_class(e, "tesserlink_error")
    expect_identical(e$code, r[[2]])
    expect_identical(e$argument, r[[3]], label = r[[2]])
    expect_identical(e$status, r[[4]], label = r[[2]])
    expect_identical(e$severity, "error")
    # The message is the program's text, the console line where it has one.
    expect_identical(conditionMessage(e), e$text)
    if (r[[4]] == 1L) expect_identical(e$console_line, e$text)
    expect_null(conditionCall(e))
  }
  expect_identical(refusals[[1]][[1]]$console_line, "Error! Cut scores are out of score range!")
  expect_identical(refusals[[8]][[1]]$file, no_card)
  expect_identical(tryCatch(cac(data, sets, 40), tesserlink_error = function(e) e$code),
                   "card.cuts_out_of_range")
})
