# On every bundled example: the report run_card() writes is the program's,
# byte for byte; cac() on the same data gives the very same doubles; and the
# values the report prints are the package's, rounded.

report_value <- function(lines, label) {
  line <- grep(paste0("^", label, " *="), lines, value = TRUE)
  expect_length(line, 1)
  as.numeric(sub(".*= *", "", line))
}

for (name in example_names()) {
  test_that(paste("example", name, "gives the library's numbers"), {
    folder <- example_copy(name)
    fit <- run_card(file.path(folder, "card.txt"), threads = 2, write = TRUE)
    expected <- file.path(folder, "expected.out")
    expect_identical(readBin(fit$report_file, "raw", file.size(expected) + 1),
                     readBin(expected, "raw", file.size(expected) + 1))

    input <- example_as_cac_input(fit, folder)
    again <- cac(input$data, input$sets, input$cuts, input$true_cuts,
                 bias_correction = input$bias_correction, threads = 1)
    for (table in c("overall", "cuts", "examinees", "conditional", "true_by_observed",
                    "consistency_table", "categories", "reliability", "summary", "sets")) {
      expect_identical(again[[table]], fit[[table]], label = paste(name, table))
    }

    lines <- readLines(expected)
    shown <- function(x) round(x, 5)
    expect_equal(report_value(lines, "consistency \\(phi\\)"), shown(fit$overall$consistency))
    expect_equal(report_value(lines, "chance probability"), shown(fit$overall$chance))
    expect_equal(report_value(lines, "kappa"), shown(fit$overall$kappa))
    expect_equal(report_value(lines, "accuracy \\(gamma\\)"), shown(fit$overall$accuracy))
    expect_equal(report_value(lines, "false positive error"), shown(fit$overall$false_positive))
    expect_equal(report_value(lines, "false negative error"), shown(fit$overall$false_negative))
    expect_equal(report_value(lines, "Reliability"), shown(fit$reliability$reliability))
    expect_equal(report_value(lines, "Sample variance"), shown(fit$reliability$sample_variance))
    expect_equal(report_value(lines, "Avg error variance"),
                 shown(fit$reliability$average_error_variance))

    # Conditional results, when the card asks for them: one line per examinee.
    start <- grep("^ +Obs +Total", lines)
    if (length(start)) {
      rows <- lines[start + seq_len(fit$summary$examinees)]
      table <- read.table(text = rows, col.names = c("obs", "total", "phi", "gamma", "fp", "fn"))
      e <- fit$examinees
      expect_equal(table$total, round(e$observed_composite, 2))
      expect_equal(table$phi, round(e$consistency, 5), tolerance = 1e-12)
      expect_equal(table$gamma, round(e$accuracy, 5), tolerance = 1e-12)
      expect_equal(table$fp, round(e$false_positive, 5), tolerance = 1e-12)
      expect_equal(table$fn, round(e$false_negative, 5), tolerance = 1e-12)
    }
  })
}

test_that("data files are opened beside the card and the report can go elsewhere", {
  folder <- example_copy("verbagg")
  elsewhere <- tempfile(fileext = ".out")
  old <- setwd(tempdir())
  on.exit(setwd(old))
  fit <- run_card(file.path(folder, "card.txt"), report = elsewhere, threads = 1)
  expect_identical(fit$report_file, elsewhere)
  expect_identical(readLines(elsewhere), readLines(file.path(folder, "expected.out")))
  expect_false(file.exists(file.path(folder, "verbagg.out")))
  none <- run_card(file.path(folder, "card.txt"), report = FALSE, threads = 1)
  expect_null(none$report_file)
  expect_identical(none$examinees, fit$examinees)
  expect_error(run_card(file.path(folder, "card.txt"), report = file.path(folder, "do.dat")),
               "is the data file of set 2", fixed = TRUE)
  beside <- run_card(file.path(folder, "card.txt"), write = TRUE, threads = 1)
  expect_identical(beside$report_file, file.path(folder, "verbagg.out"))
  expect_identical(readLines(beside$report_file), readLines(elsewhere))
  file.remove(file.path(folder, "want.dat"))
  absent <- NULL
  e <- error_of(withCallingHandlers(
    run_card(file.path(folder, "card.txt"), threads = 1),
    tesserlink_warning = function(w) {
      absent <<- w
      invokeRestart("muffleWarning")
    }))
  expect_identical(absent[c("code", "file")],
                   list(code = "card.data_file_absent", file = file.path(folder, "want.dat")))
  expect_s3_class(e, "tesserlink_error")
  expect_identical(e[c("code", "status", "console_line")],
                   list(code = "data.file_missing", status = 1L,
                        console_line = "Error! Data file is not found!"))
})

test_that("the package's numbers are the command line's results files, bit for bit", {
  exact <- function(text) .Call("tl_parse_doubles", as.character(text), PACKAGE = "tesserlink")
  read <- function(dir, file) {
    utils::read.csv(file.path(dir, "results", file), colClasses = "character", check.names = FALSE)
  }
  for (name in c("gcbs", "mathexam", "spisa", "verbagg")) {
    dir <- system.file("extdata", name, package = "tesserlink")
    skip_if_not(dir.exists(file.path(dir, "results")), "no results files bundled")
    fit <- run_card(file.path(dir, "card.txt"), report = FALSE, threads = 2)

    overall <- read(dir, "overall.csv")
    for (i in seq_len(nrow(overall))) {
      expect_identical(exact(overall$value[i]), fit$overall[[overall$index[i]]],
                       info = paste(name, overall$index[i]))
    }
    cuts <- read(dir, "cuts.csv")
    for (column in names(fit$overall)) {
      expect_identical(exact(cuts[[column]]), fit$cuts[[column]], info = paste(name, column))
    }
    e <- read(dir, "examinees.csv")
    columns <- c("observed_composite", "true_category_composite", "consistency", "accuracy",
                 "false_positive", "false_negative", "error_variance",
                 paste0("p_", seq_len(nrow(fit$categories))))
    for (column in columns) {
      expect_identical(exact(e[[column]]), fit$examinees[[column]], info = paste(name, column))
    }
  }
})

test_that("CSEM, diagnostic statistics and agreement follow their definitions", {
  folder <- example_copy("spisa")
  fit <- run_card(file.path(folder, "card.txt"), bootstrap = 20, seed = 5, threads = 2)
  e <- fit$examinees
  expect_identical(e$csem, sqrt(e$error_variance))
  by_score <- tapply(e$error_variance, e$observed_composite, mean)
  expect_equal(fit$csem$score, as.numeric(names(by_score)))
  expect_equal(fit$csem$error_variance, unname(as.vector(by_score)), tolerance = 1e-12)
  expect_identical(fit$conditional$csem, fit$csem$csem)
  p <- as.matrix(e[, grep("^p_", names(e))])
  k <- ncol(p)
  for (c in seq_len(k - 1L)) {
    above <- rowSums(p[, (c + 1):k, drop = FALSE])
    positive <- e$true_category > c
    expect_equal(fit$cuts$sensitivity[c], sum(above[positive]) / sum(positive),
                 tolerance = 1e-12)
    expect_equal(fit$cuts$ppv[c], sum(above[positive]) / sum(above), tolerance = 1e-12)
  }
  expect_equal(fit$per_category$sensitivity[1],
               mean(p[e$true_category == 1, 1]), tolerance = 1e-12)
  expect_named(fit$agreement, c("weighted_kappa_linear", "weighted_kappa_quadratic",
                                "consistency_within_one", "accuracy_within_one"))
  b <- fit$bootstrap_precision
  expect_setequal(unique(b$group), c("cut", "category", "agreement", "reliability"))
  expect_true(all(b$se[b$group == "reliability"] > 0))
})
