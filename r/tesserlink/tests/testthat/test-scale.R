# cac()'s `scale`: the conversion table's checks, the scale scores and their
# summaries against the examinees' own values, and cuts on the scale.

composite_range <- function() {
  fit <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  seq(fit$summary$min_composite, fit$summary$max_composite)
}

conversion <- function(f) {
  x <- composite_range()
  data.frame(raw = x, scale = f(x))
}

test_that("the identity table gives the raw cuts and the rounded composites", {
  fit <- cac(small_data(), small_sets(), c(8, 16), threads = 1,
             scale = conversion(function(x) x))
  expect_identical(fit$scale$cuts$observed_scale, c(8, 16))
  expect_identical(fit$scale$cuts$observed_raw, c(8, 16))
  expect_identical(fit$examinees$scale_score, round(fit$examinees$observed_composite))
  expect_true(all(fit$examinees$scale_csem >= 0))
  plain <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  expect_null(plain$scale)
  expect_null(plain$examinees$scale_score)
  expect_identical(fit$overall, plain$overall)
})

test_that("the summaries follow from the examinees' scale scores and CSEMs", {
  f <- function(x) 150 + 2.5 * x + (x %% 3 == 0) * 0.5
  fit <- cac(small_data(), small_sets(), c(8, 16), threads = 2, scale = conversion(f))
  e <- fit$examinees
  expect_equal(e$scale_score, f(round(e$observed_composite)))
  s <- fit$scale$summary
  n <- nrow(e)
  expect_equal(s$mean, mean(e$scale_score), tolerance = 1e-12)
  expect_equal(s$sample_variance, sum((e$scale_score - mean(e$scale_score))^2) / n,
               tolerance = 1e-12)
  expect_equal(s$average_error_variance, mean(e$scale_csem^2), tolerance = 1e-10)
  expect_equal(s$reliability, 1 - s$average_error_variance / s$sample_variance, tolerance = 1e-12)
  rows <- fit$scale$csem
  expect_identical(rows$scale_score, sort(unique(e$scale_score)))
  expect_identical(as.numeric(rows$examinees),
                   as.numeric(table(e$scale_score)[as.character(rows$scale_score)]))
  expect_equal(rows$error_variance,
               as.numeric(tapply(e$scale_csem^2, e$scale_score, mean)), tolerance = 1e-10)
  expect_output(print(fit), "Scale scores: reliability 0\\.[0-9]{5}; cuts on the raw composite")
  expect_output(print(summary(fit)), "Scale scores \\(cuts written on the raw composite\\)")
})

test_that("cuts on the scale classify as their raw cuts", {
  f <- function(x) 300 + 4 * x
  raw <- cac(small_data(), small_sets(), c(8, 16), threads = 1, scale = conversion(f))
  scaled <- cac(small_data(), small_sets(), c(331, 363), threads = 1, scale = conversion(f),
                cuts_on = "scale")
  expect_identical(scaled$scale$cuts_on, "scale")
  expect_identical(scaled$cuts$observed_cut, c(8, 16))
  expect_identical(scaled$scale$cuts$observed_scale, c(331, 363))
  expect_identical(scaled$overall, raw$overall)
})

test_that("the scale reliability gets a bootstrap spread", {
  fit <- cac(small_data(), small_sets(), c(8, 16), threads = 1, bootstrap = 20, seed = 3,
             progress = FALSE, scale = conversion(function(x) 2 * x))
  s <- fit$scale$summary
  expect_true(s$se > 0)
  expect_true(s$ci_low <= s$ci_high)
  expect_identical(s$replicates_undefined, 0)
})

test_that("a table with a score missing or twice, or not numbers, is refused by name", {
  table <- conversion(function(x) x)
  expect_error(cac(small_data(), small_sets(), c(8, 16), scale = table[-3, ]),
               "`scale`: the raw score [0-9]+ has no scale score")
  expect_error(cac(small_data(), small_sets(), c(8, 16), scale = rbind(table, table[2, ])),
               "`scale`, line [0-9]+: the raw score [0-9]+ is given twice \\(first on line 2\\)")
  bad <- table
  bad$scale <- as.character(bad$scale)
  expect_error(cac(small_data(), small_sets(), c(8, 16), scale = bad), "`scale\\$scale` must be numeric")
  bad <- table
  bad$raw[4] <- NA
  expect_error(cac(small_data(), small_sets(), c(8, 16), scale = bad),
               "`scale\\$raw` must hold finite numbers; row 4 holds NA")
  expect_error(cac(small_data(), small_sets(), c(8, 16), scale = table[, "raw", drop = FALSE]),
               "`scale` has no column scale")
  expect_error(cac(small_data(), small_sets(), c(8, 1e6), scale = table, cuts_on = "scale"),
               "no composite score reaches the observed cut 2, 1000000 on the scale")
  expect_error(cac(small_data(), small_sets(), c(8, 16), cuts_on = "scale"),
               "needs the conversion table")
})

test_that("a table that falls somewhere is a warning", {
  table <- conversion(function(x) x)
  table$scale[5] <- -100
  w <- tryCatch(cac(small_data(), small_sets(), c(8, 16), threads = 1, scale = table),
                tesserlink_warning = identity)
  expect_identical(w$code, "scale.decreasing")
  expect_match(conditionMessage(w), "is not non-decreasing", fixed = TRUE)
})

test_that("run_analysis() takes the analysis file's [scale]", {
  folder <- example_copy("mathexam")
  writeLines(c("raw,scale", paste0(-13:52, ",", 200 + 3 * (-13:52))),
             file.path(folder, "conversion.csv"))
  toml <- readLines(file.path(folder, "analysis.toml"))
  writeLines(c(toml[!grepl("^report", toml)], "", "[scale]", "table = \"conversion.csv\"",
               "cuts_on = \"raw\""), file.path(folder, "scaled.toml"))
  fit <- run_analysis(file.path(folder, "scaled.toml"), threads = 1)
  expect_identical(fit$scale$cuts$observed_scale, 278)
  expect_identical(fit$examinees$scale_score, 200 + 3 * round(fit$examinees$observed_composite))
})
