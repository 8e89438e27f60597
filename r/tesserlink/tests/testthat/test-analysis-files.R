# Analysis files, category labels and the results folder written from R.

tables <- c("overall", "cuts", "examinees", "conditional", "true_by_observed",
            "consistency_table", "categories", "reliability", "summary")

for (name in example_names()) {
  test_that(paste("example", name, "gives its card's numbers from its analysis file"), {
    folder <- example_copy(name)
    card <- run_card(file.path(folder, "card.txt"), report = FALSE, threads = 2)
    fit <- run_analysis(file.path(folder, "analysis.toml"), threads = 2, write = TRUE)
    for (table in c(tables, "sets")) expect_identical(fit[[table]], card[[table]], label = table)
    expect_identical(readLines(fit$report_file), readLines(file.path(folder, "expected.out")))
  })
}

test_that("write_results writes the command line's results folder, number for number", {
  folder <- example_copy("mathexam")
  fit <- run_card(file.path(folder, "card.txt"), report = FALSE, threads = 2)
  dir <- file.path(tempfile("results-"), "mathexam")
  expect_identical(write_results(fit, dir), dir)
  expected <- file.path(example_dir("mathexam"), "results")
  skip_if_not(dir.exists(expected), "no results files bundled")
  numbers <- function(path) {
    text <- paste(readLines(path), collapse = "\n")
    found <- regmatches(text, gregexpr("-?[0-9][0-9.eE+-]*", text))[[1]]
    .Call("tl_parse_doubles", found, PACKAGE = "tesserlink")
  }
  ours <- numbers(file.path(dir, "results.json"))
  theirs <- numbers(file.path(expected, "results.json"))
  expect_gt(length(theirs), 100)
  expect_identical(ours, theirs)
  for (file in dir(expected)) {
    expect_identical(readLines(file.path(dir, file)), readLines(file.path(expected, file)),
                     label = file)
  }
})

# One table as analysts keep it: a header, IDs, a missing code (9) scored 0 and
# an item keyed the other way round, beside the same responses held in R.
analysts_table <- function(folder) {
  data <- small_data()
  raw <- data
  raw$d2 <- 1 - raw$d2  # reverse-keyed
  raw$p3[c(4, 17)] <- 9  # missing code
  data$p3[c(4, 17)] <- 0
  raw <- raw[c("name", paste0("p", 1:8), paste0("d", 1:4))]
  write.table(raw, file.path(folder, "scores.csv"), sep = ";", row.names = FALSE, quote = FALSE)
  writeLines(c(
    'title = "Small test"',
    '[data]', 'file = "scores.csv"', 'id = "name"', 'missing_codes = [9]', 'missing = 0',
    '[[sets]]', 'name = "poly"', 'items = "p1:p8"', 'points = [0, 1, 2]',
    '[[sets]]', 'name = "dich"', 'items = ["d1", "d2", "d3", "d4"]', 'points = [0, 1]',
    'weight = 2', 'reverse = ["d2"]',
    '[classification]', 'labels = ["Low", "Middle", "High"]', 'observed_cuts = [8, 14]',
    '[output]', 'results = "results"'), file.path(folder, "small.toml"))
  data
}

test_that("an analysts' table gives cac()'s numbers, labels and IDs", {
  folder <- tempfile("table-")
  dir.create(folder)
  data <- analysts_table(folder)
  note <- NULL
  fit <- withCallingHandlers(
    run_analysis(file.path(folder, "small.toml"), threads = 2, write = TRUE),
    tesserlink_message = function(m) {
      note <<- m
      invokeRestart("muffleMessage")
    })
  expect_identical(note$code, "table.missing_scored")
  expect_identical(note$severity, "note")
  expect_identical(fit$results_dir, file.path(folder, "results"))
  same <- cac(data, small_sets(), cuts = c(8, 14), id = "name", threads = 1,
              labels = c("Low", "Middle", "High"))
  for (table in c(tables, "sets")) expect_identical(fit[[table]], same[[table]], label = table)
  expect_identical(levels(fit$examinees$observed_category), c("Low", "Middle", "High"))
  expect_identical(fit$examinees$id, data$name)
  expect_identical(fit$title, "Small test")
  expect_true(file.exists(file.path(folder, "results", "report.html")))
  json <- readLines(file.path(folder, "results", "results.json"))
  expect_true(any(grepl('"labels"', json, fixed = TRUE)))

  # write_results from cac() gives the file's run's tables and examinees, IDs
  # and labels included.
  dir <- file.path(folder, "from-cac")
  write_results(same, dir)
  for (file in c("cuts.csv", "overall.csv", "true_by_observed.csv", "examinees.csv")) {
    expect_identical(readLines(file.path(dir, file)),
                     readLines(file.path(folder, "results", file)), label = file)
  }
  e <- read.csv(file.path(dir, "examinees.csv"), check.names = FALSE)
  expect_identical(e$id, data$name)
  expect_identical(e$observed_label, as.character(same$examinees$observed_category))
})

test_that("labels name the categories and must fit them", {
  fit <- cac(small_data(), small_sets(), cuts = 10, threads = 1, labels = c("No", "Yes"))
  expect_s3_class(fit$categories$category, "factor")
  expect_identical(levels(fit$true_by_observed$true_category), c("No", "Yes"))
  expect_identical(dimnames(summary(fit)$true_by_observed)$true, c("No", "Yes"))
  expect_output(print(fit), "Categories: No, Yes", fixed = TRUE)
  plain <- cac(small_data(), small_sets(), cuts = 10, threads = 1)
  expect_identical(as.integer(fit$examinees$observed_category), plain$examinees$observed_category)
  expect_identical(fit$overall, plain$overall)
  expect_null(plain$labels)
  for (bad in list(c("a", "b", "c"), c("a", "a"), c("a", NA), 1:2)) {
    e <- error_of(cac(small_data(), small_sets(), cuts = 10, threads = 1, labels = bad))
    expect_s3_class(e, "tesserlink_error")
    expect_match(conditionMessage(e), "`labels`", fixed = TRUE)
  }
})

test_that("a mistake in an analysis file stops with its line, and nothing is written", {
  folder <- tempfile("mistake-")
  dir.create(folder)
  analysts_table(folder)
  text <- readLines(file.path(folder, "small.toml"))
  writeLines(sub("observed_cuts", "observed_cut", text), file.path(folder, "small.toml"))
  e <- error_of(run_analysis(file.path(folder, "small.toml"), threads = 1, write = TRUE))
  expect_s3_class(e, "tesserlink_error")
  expect_match(conditionMessage(e), "small.toml:[0-9]+: .*observed_cuts")
  expect_identical(e[c("code", "status", "closest")],
                   list(code = "analysis.key", status = 2L, closest = "classification.observed_cuts"))
  expect_identical(e$text, conditionMessage(e))
  expect_false(dir.exists(file.path(folder, "results")))
  e <- error_of(run_analysis(file.path(folder, "none.toml")))
  expect_match(conditionMessage(e), "the analysis file does not exist", fixed = TRUE)
})

test_that("nothing is written unless asked", {
  folder <- example_copy("mathexam")
  before <- sort(dir(folder, recursive = TRUE, all.files = TRUE))
  card <- run_card(file.path(folder, "card.txt"), threads = 1)
  fit <- run_analysis(file.path(folder, "analysis.toml"), threads = 1,
                      results = file.path(folder, "out"))
  expect_null(card$report_file)
  expect_null(fit$report_file)
  expect_null(fit$results_dir)
  expect_identical(sort(dir(folder, recursive = TRUE, all.files = TRUE)), before)
  fit <- run_analysis(file.path(folder, "analysis.toml"), threads = 1, write = TRUE,
                      results = file.path(folder, "out"))
  expect_identical(fit$results_dir, file.path(folder, "out"))
  expect_true(file.exists(file.path(folder, "out", "results.json")))
})

test_that("write_results needs the run behind the object", {
  fit <- cac(small_data(), small_sets(), cuts = 10, threads = 1)
  saved <- tempfile(fileext = ".rds")
  saveRDS(fit, saved)
  e <- error_of(write_results(readRDS(saved), tempfile()))
  expect_s3_class(e, "tesserlink_error")
  expect_match(conditionMessage(e), "saved and read back", fixed = TRUE)
  expect_s3_class(error_of(write_results(list(), tempfile())), "tesserlink_error")
})
