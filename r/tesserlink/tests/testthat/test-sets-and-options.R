test_that("one set and several sets", {
  one <- cac(small_data(), list(poly = list(items = paste0("p", 1:8), points = 0:2)),
             cuts = c(5, 11), threads = 1)
  expect_equal(one$summary$sets, 1)
  expect_equal(one$summary$categories, 3)
  expect_identical(one$sets$set, "poly")
  bare <- cac(small_data(), list(items = paste0("p", 1:8), points = 0:2), cuts = c(5, 11),
              threads = 1)
  expect_identical(bare$examinees, one$examinees)
  expect_identical(bare$sets$set, "set 1")

  two <- cac(small_data(), small_sets(), cuts = 10, threads = 1)
  expect_identical(two$sets$set, c("poly", "dich"))
  expect_identical(two$sets$weight, c(1, 2))
  expect_equal(two$summary$max_composite, 16 + 8)
  expect_equal(nrow(two$cuts), 1)
  # With two categories the one cut's indices are the overall ones.
  expect_identical(two$cuts$consistency, two$overall$consistency)
  expect_identical(two$cuts$kappa, two$overall$kappa)
  k <- two$summary$categories
  expect_identical(names(two$examinees),
                   c("record", "observed_composite", "true_category_composite", "observed_category",
                     "true_category", paste0("p_", 1:k), "consistency", "accuracy",
                     "false_positive", "false_negative", "error_variance", "csem"))
  expect_identical(names(two$conditional),
                   c("score", "examinees", "consistency", "accuracy", paste0("p_", 1:k),
                     "false_positive", "false_negative", "error_variance", "csem"))
  expect_identical(names(two$cuts),
                   c("cut", "observed_cut", "true_cut", "consistency", "chance", "kappa",
                     "accuracy", "false_positive", "false_negative", "csem", "sensitivity",
                     "specificity", "ppv", "npv", "youden"))
  # With two categories both weighted kappas are kappa, and within one says nothing.
  expect_identical(two$agreement$weighted_kappa_linear, two$overall$kappa)
  expect_identical(names(two$agreement), c("weighted_kappa_linear", "weighted_kappa_quadratic"))
  expect_identical(names(two$overall),
                   c("consistency", "chance", "kappa", "accuracy", "false_positive",
                     "false_negative"))
})

test_that("any thread count gives the same numbers", {
  a <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  b <- cac(small_data(), small_sets(), c(8, 16), threads = 2)
  expect_identical(a[names(a) != "call"], b[names(b) != "call"])
})

test_that("bias correction takes the true category from the corrected composite", {
  plain <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  corrected <- cac(small_data(), small_sets(), c(8, 16), bias_correction = TRUE, threads = 1)
  expect_false(plain$summary$bias_corrected)
  expect_true(corrected$summary$bias_corrected)
  expect_identical(plain$examinees$true_category_composite, plain$examinees$observed_composite)
  expect_false(identical(corrected$examinees$true_category_composite,
                         corrected$examinees$observed_composite))
  # The first pass's error variances and reliability are kept.
  expect_identical(corrected$reliability, plain$reliability)
  expect_identical(corrected$examinees$observed_composite, plain$examinees$observed_composite)
  expect_false(identical(corrected$overall, plain$overall))
})

test_that("true cuts may differ from the observed ones", {
  fit <- cac(small_data(), small_sets(), cuts = 10, true_cuts = 12, threads = 1)
  expect_identical(fit$cuts$true_cut, 12)
  expect_identical(fit$examinees$true_category,
                   ifelse(fit$examinees$true_category_composite >= 12, 2L, 1L))
  expect_identical(fit$examinees$observed_category,
                   ifelse(fit$examinees$observed_composite >= 10, 2L, 1L))
})

test_that("the bootstrap is reproducible from its seed", {
  a <- cac(small_data(), small_sets(), c(8, 16), bootstrap = 20, seed = 5, threads = 1)
  b <- cac(small_data(), small_sets(), c(8, 16), bootstrap = 20, seed = 5, threads = 2)
  c <- cac(small_data(), small_sets(), c(8, 16), bootstrap = 20, seed = 6, threads = 1)
  expect_identical(a$bootstrap, b$bootstrap)
  expect_false(identical(a$bootstrap$se, c$bootstrap$se))
  expect_identical(names(a$bootstrap),
                   c("cut", "index", "estimate", "se", "ci_low", "ci_high", "replicates_undefined"))
  expect_equal(nrow(a$bootstrap), 6 * 3)
  expect_identical(a$bootstrap$estimate[1:6], unlist(a$overall, use.names = FALSE))
  expect_equal(a$summary$bootstrap_replicates, 20)
  expect_identical(summary(a)$overall$se, a$bootstrap$se[1:6])
  expect_identical(a$summary$bootstrap_seed, 5)
  # Without replicates the point estimates are the same.
  none <- cac(small_data(), small_sets(), c(8, 16), threads = 1)
  expect_identical(none$overall, a$overall)
  expect_null(none$bootstrap)
})

test_that("the bootstrap's progress is messages that suppressMessages() silences", {
  boot <- function(progress) {
    cac(small_data(), small_sets(), c(8, 16), bootstrap = 20, seed = 5, threads = 2,
        progress = progress)
  }
  expect_message(shown <- boot(TRUE), "^Bootstrap: 0 of 20 replicates \\(0%\\)")
  expect_silent(quiet <- suppressMessages(boot(TRUE)))
  expect_silent(off <- boot(FALSE))
  expect_identical(shown$bootstrap, off$bootstrap)
  expect_identical(quiet$bootstrap, off$bootstrap)
  folder <- example_copy("verbagg")
  expect_message(run_card(file.path(folder, "card.txt"), report = FALSE, bootstrap = 5, seed = 1,
                          threads = 2, progress = TRUE), "Bootstrap: 0 of 5 replicates")
  expect_error(boot(NA), "`progress` must be TRUE or FALSE", fixed = TRUE)
})

test_that("an interrupt stops the bootstrap between replicates and returns nothing", {
  skip_on_os("windows")  # no SIGINT to send to oneself
  # The progress report, told that the bootstrap starts, sends the interrupt
  # itself, as Ctrl-C would; the next look between replicates stops it.
  told <- integer(0)
  interrupting <- function(done, total) {
    told <<- c(told, done)
    tools::pskill(Sys.getpid(), tools::SIGINT)
  }
  original <- tesserlink:::bootstrap_message
  assignInNamespace("bootstrap_message", interrupting, "tesserlink")
  on.exit(assignInNamespace("bootstrap_message", original, "tesserlink"), add = TRUE)
  fit <- NULL
  outcome <- tryCatch({
    fit <- cac(small_data(), small_sets(), c(8, 16), bias_correction = TRUE, bootstrap = 1e5,
               seed = 1, threads = 2, progress = TRUE)
    "finished"
  }, interrupt = function(e) "interrupted")
  expect_identical(outcome, "interrupted")
  expect_null(fit)
  expect_identical(told, 0)
  # The package works on afterwards.
  again <- cac(small_data(), small_sets(), c(8, 16), bootstrap = 20, seed = 5, threads = 2,
               progress = FALSE)
  expect_equal(again$summary$bootstrap_replicates, 20)
})

test_that("set.seed() governs the bootstrap when no seed is given", {
  data <- small_data()  # which sets a seed of its own
  boot <- function() cac(data, small_sets(), c(8, 16), bootstrap = 10, threads = 2)
  set.seed(7)
  a <- boot()
  set.seed(7)
  b <- boot()
  set.seed(8)
  c <- boot()
  expect_identical(a$bootstrap, b$bootstrap)
  expect_identical(a$summary$bootstrap_seed, b$summary$bootstrap_seed)
  expect_false(identical(a$bootstrap$se, c$bootstrap$se))
  # The seed drawn is the one to give for the same replicates again.
  again <- cac(data, small_sets(), c(8, 16), bootstrap = 10,
               seed = a$summary$bootstrap_seed, threads = 1)
  expect_identical(again$bootstrap, a$bootstrap)
  # Without a bootstrap nothing is drawn from R's generator.
  set.seed(3)
  cac(data, small_sets(), 10, threads = 1)
  after <- runif(1)
  set.seed(3)
  expect_identical(runif(1), after)
})
