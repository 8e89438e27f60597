# The what-if sweep and the fit check from R: the numbers of the command
# line's sweep.csv and fit.csv for the same analysis, the refusals of settings
# the sweep cannot take, and their plots and printed lines.

sweep_targets <- list(target_sensitivity = 0.9, target_ppv = 0.95)

expect_sweep_is <- function(sweep, path) {
  tables <- csv_tables(path)
  rows <- tables[[1]]
  expect_identical(names(sweep), names(rows))
  for (column in names(rows)) expect_identical(sweep[[column]], rows[[column]], label = column)
  value <- stats::setNames(tables[[2]]$value, tables[[2]]$statistic)
  for (name in c("best_youden_cut", "best_accuracy_cut", "auc")) {
    expect_identical(attr(sweep, name), value[[name]], label = name)
  }
  targets <- attr(sweep, "targets")
  expect_identical(targets$cut, unname(value[sprintf("lowest_cut_reaching_%s", targets$index)]))
  expect_identical(is.na(attr(sweep, "true_cut")), !("true_cut" %in% names(value)))
  roc <- attr(sweep, "roc")
  expect_identical(unlist(roc[c(1L, nrow(roc)), ], use.names = FALSE), c(0, 1, 0, 1))
}

expect_fit_is <- function(fit, path) {
  tables <- csv_tables(path)
  expect_identical(fit$bins, tables[[1]])
  value <- stats::setNames(tables[[2]]$value, tables[[2]]$statistic)
  for (name in c("chi2", "p", "largest_cdf_difference")) {
    expect_identical(fit[[name]], .Call("tl_parse_doubles", value[[name]], PACKAGE = "tesserlink"),
                     label = name)
  }
  expect_identical(fit$df, as.integer(value[["df"]]))
  expect_identical(fit$descriptive, value[["descriptive"]] == "yes")
}

# The IRT example with a [sweep] table, and the command line's results of it.
irt_with_sweep <- function() {
  folder <- example_copy(file.path("spisa", "irt"))
  cat("\n[sweep]\n", paste0(names(sweep_targets), " = ", unlist(sweep_targets), "\n"),
      file = file.path(folder, "analysis.toml"), append = TRUE, sep = "")
  folder
}

run_command_line <- function(folder, ...) {
  status <- system2(command_line(), c(..., "--results", file.path(folder, "cli"),
                                      file.path(folder, "analysis.toml")),
                    stdout = FALSE, stderr = FALSE)
  expect_identical(status, 0L)
  file.path(folder, "cli")
}

test_that("the IRT model's fit is the bundled fit.csv, the multinomial's is asked for", {
  folder <- example_copy(file.path("spisa", "irt"))
  fit <- run_analysis(file.path(folder, "analysis.toml"), threads = 2)
  expected <- file.path(example_dir(file.path("spisa", "irt")), "results", "fit.csv")
  skip_if_not(file.exists(expected), "no results files bundled")
  expect_fit_is(fit$model_fit, expected)
  expect_null(fit$sweep)
  expect_null(fit$corrected_model_fit)
  plain <- run_card(file.path(example_copy("verbagg"), "card.txt"), report = FALSE, threads = 2)
  expect_null(plain$model_fit)
  expect_null(plain$sweep)
  expect_false(any(c("sweep", "model_fit", "corrected_model_fit") %in% names(summary(plain))))
})

test_that("an analysis file's sweep and cac()'s are the command line's sweep.csv", {
  folder <- irt_with_sweep()
  cli <- run_command_line(folder)
  fit <- run_analysis(file.path(folder, "analysis.toml"), threads = 2)
  expect_identical(attr(fit$sweep, "targets")$index, c("sensitivity", "ppv"))
  expect_sweep_is(fit$sweep, file.path(cli, "sweep.csv"))
  expect_fit_is(fit$model_fit, file.path(cli, "fit.csv"))

  data <- read.csv(file.path(folder, "spisa.csv"))
  given <- cac(data, sets = list(quiz = list(items = names(data)[-1], points = c(0, 1))),
               cuts = c(23, 32), id = "id", model = "irt", method = "summed-p",
               items = read.csv(file.path(folder, "parameters.csv")), sweep = sweep_targets,
               threads = 2)
  expect_sweep_is(given$sweep, file.path(cli, "sweep.csv"))
})

test_that("the multinomial's fit on both passes is the command line's", {
  folder <- example_copy("verbagg")
  cli <- run_command_line(folder, "--fit", "--sweep")
  fit <- run_analysis(file.path(folder, "analysis.toml"), sweep = TRUE, fit = TRUE, threads = 2)
  expect_sweep_is(fit$sweep, file.path(cli, "sweep.csv"))
  expect_fit_is(fit$model_fit, file.path(cli, "fit.csv"))
  expect_fit_is(fit$corrected_model_fit, file.path(cli, "fit_corrected.csv"))
  expect_false("model" %in% names(fit))
  expect_false(any(grepl("^Model: ", capture.output(print(fit)))))
  expect_output(print(fit), "Cut sweep: best cut [0-9.]+ by Youden's J, [0-9.]+ by accuracy")
  expect_output(print(fit), "Bias-corrected model fit: chi-square")
  expect_output(print(summary(fit)), "Model fit: chi-square [0-9.]+ on [0-9]+ df")
})

test_that("settings the sweep cannot take are refused, naming the setting", {
  cases <- list(
    list(list(sweep = list(target_sensitvity = 0.9)),
         "`sweep` has no setting `target_sensitvity` (did you mean `target_sensitivity`?)"),
    list(list(sweep = list(target_ppv = 1.5)),
         "`sweep$target_ppv` must be a proportion from 0 to 1, not 1.5."),
    list(list(sweep = c(target_npv = -1)),
         "`sweep$target_npv` must be a proportion from 0 to 1, not -1."),
    list(list(sweep = list(true_cut = "30")), "`sweep$true_cut` must be one finite number, not \"30\"."),
    list(list(sweep = list(true_cut = c(1, 2))), "`sweep$true_cut` must be one finite number"),
    list(list(sweep = list(true_cut = 3, true_cut = 4)), "`sweep` names `true_cut` twice"),
    list(list(sweep = list(0.9)), "`sweep` must be TRUE, FALSE or a named list of settings among true_cut, target_sensitivity"),
    list(list(sweep = "yes"), "`sweep` must be TRUE, FALSE or a named list"),
    list(list(fit = NA), "`fit` must be TRUE or FALSE."))
  for (case in cases) {
    e <- error_of(do.call(cac, c(list(small_data(), small_sets(), cuts = 10), case[[1]])))
    expect_s3_class(e, "tesserlink_error")
    expect_identical(e$code, "r.argument")
    expect_true(startsWith(conditionMessage(e), case[[2]]), label = conditionMessage(e))
  }
})

test_that("the sweep's and the fit's plots draw, and ask for what they need", {
  fit <- cac(small_data(), small_sets(), cuts = 10, sweep = TRUE, fit = TRUE)
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  for (type in c("sweep", "roc", "fit")) expect_invisible(plot(fit, type = type))
  plain <- cac(small_data(), small_sets(), cuts = 10)
  expect_error(plot(plain, "roc"), "no cut sweep to plot; run it with sweep = TRUE")
  expect_error(plot(plain, "fit"), "no model fit to plot; run it with fit = TRUE")
})
