test_that("print, summary, as.data.frame and plot", {
  fit <- cac(small_data(), small_sets(), c(8, 16), id = "name", threads = 1)
  expect_output(print(fit), "40 examinees, 2 item sets, 3 categories; observed cuts 8, 16")
  expect_output(print(fit), "Consistency 0\\.[0-9]{5}   kappa")
  s <- summary(fit)
  expect_s3_class(s, "summary.tesserlink")
  expect_identical(dim(s$true_by_observed), c(3L, 3L))
  expect_identical(s$true_by_observed[2, 3],
                   fit$true_by_observed$proportion[fit$true_by_observed$true_category == 2 &
                                                     fit$true_by_observed$observed_category == 3])
  expect_output(print(s), "Each cut alone")
  expect_output(print(s), "True by observed category")
  expect_identical(as.data.frame(fit), fit$examinees)
  expect_identical(as.data.frame(fit, what = "cuts"), fit$cuts)
  expect_error(as.data.frame(fit, what = "bootstrap"), "has no bootstrap table")
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  expect_invisible(plot(fit))
  expect_invisible(plot(fit, type = "distribution"))
  expect_error(plot(fit, type = "pie"), "`type` must be one of")
})

test_that("the README walkthrough runs", {
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  script <- system.file("demo", "mathexam.R", package = "tesserlink")
  expect_true(nzchar(script))
  expect_output(source(script, local = new.env()), "Consistency")
})
