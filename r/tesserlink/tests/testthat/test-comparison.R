# Several models side by side from R: the comparison's rows are the results
# folder's comparison files, each model's values are those of its run alone,
# and the models and methods are paired by the library.

spisa_irt <- function() {
  folder <- file.path(example_dir("spisa"), "irt")
  skip_if_not(dir.exists(folder))
  data <- read.csv(file.path(folder, "spisa.csv"))
  list(data = data, sets = list(quiz = list(items = names(data)[-1], points = c(0, 1))),
       items = read.csv(file.path(folder, "parameters.csv")))
}

# The beta-binomial model fits the quiz poorly, and says so.
without_poor_fit <- function(expr) {
  withCallingHandlers(expr, tesserlink_warning = function(w) {
    if (grepl("fits the observed scores poorly", conditionMessage(w))) invokeRestart("muffleWarning")
  })
}

compare_spisa <- function(model, method = NULL, ...) {
  s <- spisa_irt()
  without_poor_fit(cac(s$data, s$sets, cuts = c(23, 32), id = "id", model = model,
                       method = method, items = s$items, threads = 2, ...))
}

test_that("a comparison has one row per model and index, as the results folder's files", {
  fit <- compare_spisa(c("multinomial", "irt", "beta-binomial"), c("summed-p", "ll"))
  rows <- fit$comparison
  expect_identical(names(rows), c("model", "kind", "method", "index", "cut", "value"))
  expect_identical(unique(rows$kind), c("multinomial", "irt", "beta-binomial"))
  expect_identical(unique(rows$method), c("multinomial", "summed-p", "ll"))
  indices <- paste(rows$index, rows$cut)
  expect_identical(as.vector(table(rows$model)), rep(length(unique(indices)), 3L))
  expect_false(anyDuplicated(paste(rows$model, indices)) > 0L)
  expect_identical(sum(is.na(rows$cut)), 3L * 9L)
  expect_identical(names(fit$other_models), unique(rows$model)[-1])
  expect_output(print(fit), paste0("Models compared: ", paste(unique(rows$model), collapse = ", ")))

  dir <- file.path(tempfile("comparison-"), "results")
  write_results(fit, dir)
  for (file in c("comparison", "comparison_differences")) {
    written <- csv_tables(file.path(dir, paste0(file, ".csv")))[[1]]
    got <- fit[[file]]
    expect_identical(names(got), names(written))
    got$cut <- ifelse(is.na(got$cut), NaN, as.numeric(got$cut))
    expect_identical(got, written, label = file)
  }
  differences <- fit$comparison_differences
  expect_identical(unique(differences$primary), rows$model[1])
  expect_identical(3L * nrow(differences), 2L * nrow(rows))
})

test_that("each model's values are those of a run of it alone", {
  fit <- compare_spisa(c("multinomial", "irt", "beta-binomial"), c("summed-p", "ll"))
  alone <- list(compare_spisa("multinomial"), compare_spisa("irt", "summed-p"),
                compare_spisa("beta-binomial", "ll"))
  names(alone) <- unique(fit$comparison$model)
  for (name in names(alone)) {
    single <- alone[[name]]
    expect_null(single$comparison)
    expect_null(single$comparison_differences)
    rows <- fit$comparison[fit$comparison$model == name & is.na(fit$comparison$cut), ]
    want <- c(reliability = single$reliability$reliability, unlist(single$overall),
              unlist(single$agreement[c("weighted_kappa_linear", "weighted_kappa_quadratic")]))
    expect_identical(rows$value, unname(want[rows$index]), label = name)
    at_cuts <- fit$comparison[fit$comparison$model == name & !is.na(fit$comparison$cut), ]
    expect_identical(at_cuts$value,
                     mapply(function(index, cut) single$cuts[[index]][cut], at_cuts$index,
                            at_cuts$cut, USE.NAMES = FALSE), label = name)
  }
  for (name in names(fit$other_models)) {
    expect_identical(fit$other_models[[name]]$overall, alone[[name]]$overall, label = name)
    expect_identical(fit$other_models[[name]]$examinees, alone[[name]]$examinees, label = name)
  }
})

test_that("the library pairs each method with the first model of its kind without one", {
  cases <- list(
    list(model = c("irt", "irt"), method = c("summed-p", "rudner-p"),
         kinds = c("irt", "irt"), methods = c("summed-p", "rudner-p")),
    list(model = c("beta-binomial", "irt"), method = "summed-d",
         kinds = c("beta-binomial", "irt"), methods = c(NA, "summed-d")),
    list(model = c("multinomial", "beta-binomial"), method = NULL,
         kinds = c("multinomial", "beta-binomial"), methods = c("multinomial", NA)))
  for (case in cases) {
    fit <- compare_spisa(case$model, case$method)
    shown <- unique(fit$comparison[c("kind", "method")])
    expect_identical(shown$kind, case$kinds)
    given <- !is.na(case$methods)
    expect_identical(shown$method[given], case$methods[given])
  }
  expect_error(compare_spisa(c("multinomial", "rasch")), "`model` must be one or more of")
  expect_error(compare_spisa("irt", c("summed-p", NA)), "`method` must be one or more of")
})

test_that("a comparison with a bootstrap has spreads, and plots", {
  fit <- compare_spisa(c("multinomial", "beta-binomial"), bootstrap = min_bootstrap(), seed = 3)
  expect_identical(names(fit$comparison),
                   c("model", "kind", "method", "index", "cut", "value", "se", "ci_low", "ci_high"))
  expect_identical(names(fit$comparison_differences),
                   c("model", "primary", "index", "cut", "difference", "se", "ci_low", "ci_high"))
  expect_true(all(fit$comparison$ci_low <= fit$comparison$ci_high, na.rm = TRUE))
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  expect_identical(plot(fit, "comparison"), fit)
  expect_error(plot(fit$other_models[[1]], "comparison"), "no comparison to plot")
})

test_that("an analysis file's [[model]] tables are compared", {
  folder <- example_copy(file.path("spisa", "irt"))
  path <- file.path(folder, "analysis.toml")
  text <- readLines(path)
  at <- grep("^\\[model\\]", text)
  writeLines(c(text[seq_len(at - 1L)], "[[model]]", "kind = \"irt\"", "method = \"summed-p\"",
               "", "[[model]]", "kind = \"beta-binomial\"", text[-seq_len(at + 2L)]), path)
  fit <- without_poor_fit(run_analysis(path, threads = 2))
  expect_identical(unique(fit$comparison$kind), c("irt", "beta-binomial"))
  expect_s3_class(fit$other_models[[1]], "tesserlink")
  expect_output(print(summary(fit)), "Models compared: ")
})
