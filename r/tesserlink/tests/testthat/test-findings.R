# The findings case table every front end runs (tests/findings/cases.json in
# the project's checkout): each case's files in a fresh folder, run by
# run_card() or run_analysis() as the command line runs them there, must give
# the listed findings (in this order, with the fields given) as conditions,
# and its exit status as the condition that ends the call.

cases_file <- function() {
  # testthat runs in tests/testthat of the package; a checkout holds the
  # package in r/tesserlink.
  candidates <- c(file.path("..", "..", "..", "..", "tests", "findings", "cases.json"),
                  file.path(Sys.getenv("TESSERLINK_CHECKOUT"), "tests", "findings", "cases.json"))
  found <- candidates[nzchar(candidates) & file.exists(candidates)]
  if (length(found)) normalizePath(found[1]) else NULL
}

# Runs one case in `folder`, as the command line runs it from there; every
# condition the call gives, in order, and the error that ended it (or NULL).
run_case <- function(case, folder) {
  old <- setwd(folder)
  on.exit(setwd(old))
  o <- case$options
  run <- if (grepl("\\.toml$", case$run)) run_analysis else run_card
  args <- list(case$run, threads = 1, write = TRUE, progress = FALSE,
               strict = isTRUE(o$strict), results = o$results, scale = o$scale,
               cuts_on = o$cuts_on, seed = o$seed)
  if (!is.null(o$bootstrap)) args$bootstrap <- o$bootstrap
  # Cuts are written "3,5", as the command line takes them.
  cut_list <- function(text) as.numeric(strsplit(text, ",", fixed = TRUE)[[1]])
  if (!is.null(o[["cuts"]])) args$cuts <- cut_list(o[["cuts"]])
  if (!is.null(o[["true_cuts"]])) args$true_cuts <- cut_list(o[["true_cuts"]])
  seen <- list()
  keep <- function(condition) seen[[length(seen) + 1L]] <<- condition
  fit <- NULL
  error <- tryCatch(withCallingHandlers(
    {
      fit <- do.call(run, args)
      NULL
    },
    tesserlink_warning = function(w) {
      keep(w)
      invokeRestart("muffleWarning")
    },
    tesserlink_message = function(m) {
      keep(m)
      invokeRestart("muffleMessage")
    }), tesserlink_error = identity)
  if (!is.null(error)) seen[[length(seen) + 1L]] <- error
  list(conditions = seen, error = error, fit = fit)
}

# Whether `condition` carries every field the expected finding gives.
matches <- function(condition, expected) {
  for (field in names(expected)) {
    got <- condition[[field]]
    if (is.null(got) || !identical(as.character(got), as.character(expected[[field]]))) {
      return(FALSE)
    }
  }
  TRUE
}

test_that("every case of the findings table gives its findings and exit status", {
  path <- cases_file()
  skip_if(is.null(path), paste("tests/findings/cases.json is not here: the findings table",
                               "runs from a checkout of the project only"))
  skip_if_not_installed("jsonlite")
  cases <- jsonlite::fromJSON(path, simplifyVector = FALSE)
  expect_gt(length(cases), 0)
  for (case in cases) {
    folder <- tempfile(paste0(case$name, "-"))
    dir.create(folder)
    for (name in names(case$files)) {
      target <- file.path(folder, name)
      dir.create(dirname(target), recursive = TRUE, showWarnings = FALSE)
      writeBin(charToRaw(enc2utf8(case$files[[name]])), target)
    }
    outcome <- run_case(case, folder)
    expect <- case$expect
    status <- expect$exit_status
    if (status == 0) {
      expect_null(outcome$error, label = paste(case$name, "error"))
    } else {
      expect_s3_class(outcome$error, "tesserlink_error")
      expect_identical(outcome$error$status, as.integer(status), label = paste(case$name, "status"))
    }
    # Each expected finding among the conditions, in order.
    at <- 1L
    for (expected in expect$findings) {
      while (at <= length(outcome$conditions) && !matches(outcome$conditions[[at]], expected)) {
        at <- at + 1L
      }
      got <- vapply(outcome$conditions, function(c) paste(c$code, conditionMessage(c)), "")
      expect_true(at <= length(outcome$conditions),
                  label = paste(case$name, "gives", expected$code, "with its values"),
                  info = paste(got, collapse = "\n"))
      at <- at + 1L
    }
    if (!is.null(expect$bootstrap)) {
      expect_identical(!is.null(outcome$fit$bootstrap), expect$bootstrap,
                       label = paste(case$name, "bootstrap"))
    }
    unlink(folder, recursive = TRUE)
  }
})
