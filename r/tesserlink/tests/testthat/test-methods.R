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

test_that("print takes digits, and summary shows the tables in fixed decimals", {
  fit <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  expect_output(print(fit, digits = 2), "Consistency 0\\.[0-9]{2}   kappa 0\\.[0-9]{2}\n")
  expect_output(print(fit, digits = 7), "Reliability 0\\.[0-9]{7}\n")
  expect_error(print(fit, digits = -1), "`digits` must be one whole number")
  s <- summary(fit)
  shown <- capture.output(print(s, digits = 4))
  expect_false(any(grepl("[0-9]e[-+][0-9]", shown)))
  start <- grep("^True by observed category", shown)
  expect_match(shown[start + 3], "^ +1 0\\.[0-9]{4} 0\\.[0-9]{4} 0\\.[0-9]{4}$")
  # A tiny proportion is shown as zero in the same decimals, never as -0.
  expect_identical(fmt(c(1.2148e-06, -1e-9, 0.5), 5), c("0.00000", "0.00000", "0.50000"))
})

test_that("confint gives the bootstrap intervals and nobs the examinees", {
  boot <- cac(small_data(), small_sets(), c(8, 16), bootstrap = 20, seed = 3, threads = 2)
  ci <- confint(boot)
  b <- boot$bootstrap
  expect_identical(dimnames(ci), list(names(boot$overall), c("2.5 %", "97.5 %")))
  expect_identical(unname(ci[, 1]), b$ci_low[is.na(b$cut)])
  expect_identical(unname(ci[, 2]), b$ci_high[is.na(b$cut)])
  second <- confint(boot, c("kappa", "accuracy"), cut = 2)
  at <- which(b$cut == 2 & b$index %in% c("kappa", "accuracy"))
  expect_identical(unname(second), cbind(b$ci_low[at], b$ci_high[at]))
  expect_identical(confint(boot, 3), ci[3, , drop = FALSE])
  expect_error(confint(boot, level = 0.9), "`level` must be 0.95")
  expect_error(confint(boot, "theta"), "`parm` must name indices")
  expect_error(confint(boot, cut = 3), "`cut` must be one whole number from 1 to 2")
  plain <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  expect_s3_class(error_of(confint(plain)), "tesserlink_error")
  expect_identical(nobs(plain), 40L)
  omitted <- small_data()
  omitted$p1[2] <- NA
  expect_identical(nobs(suppressMessages(cac(omitted, small_sets(), 10, na = "omit", threads = 1))), 39L)
})

test_that("the distribution plot names each category by its scores", {
  expect_identical(category_names(c(8, 16.5)),
                   c("1: below 8", "2: 8 to below 16.5", "3: 16.5 or above"))
  expect_identical(category_names(26), c("1: below 26", "2: 26 or above"))
})

test_that("the distribution plot's legend shows every category's swatch", {
  for (k in 2:10) {
    fills <- category_fills(k)
    expect_length(unique(fills), k)
    # Each swatch is visibly darker than the white page.
    expect_true(all(colSums(grDevices::col2rgb(fills)) < 3 * 245), info = paste(k, "categories"))
  }
})
