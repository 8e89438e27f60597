# Runs a control card with its data files; writes its report (and a results
# folder) only when asked.
run_card <- function(path, report = NULL, bootstrap = 0, seed = NULL, threads = 0,
                     progress = interactive(), write = is.character(report), strict = FALSE,
                     results = NULL, scale = NULL, cuts_on = NULL, cuts = NULL,
                     true_cuts = NULL, sweep = FALSE, fit = FALSE) {
  call <- match.call()
  force(write)  # its default looks at `report` as given
  if (!is.character(path) || length(path) != 1L || is.na(path) || path == "") {
    fail("`path` must be the control card's file name.")
  }
  report <- if (is.null(report)) {
    NULL
  } else if (identical(report, FALSE)) {
    ""
  } else if (is.character(report) && length(report) == 1L && !is.na(report) && report != "") {
    path.expand(report)
  } else {
    fail("`report` must be NULL (the card's output file), FALSE (none) or a file name.")
  }
  bootstrap <- check_bootstrap(bootstrap)
  progress <- check_flag(progress, "progress")
  options <- run_options(threads = threads, write = write, strict = strict, results = results,
                         scale = scale, cuts_on = cuts_on, cuts = cuts, true_cuts = true_cuts,
                         sweep = sweep, fit = fit)
  seed <- bootstrap_seed(seed, bootstrap)
  out <- .Call(tl_run_file, c(list(path = path.expand(path), card = TRUE, report = report,
                                   bootstrap = bootstrap, seed = seed,
                                   progress = progress_reporter(progress)), options))
  present_findings(out)
  file_result(out, call)
}

# The options run_card() and run_analysis() share, checked.
run_options <- function(threads, write, strict, results, scale, cuts_on, cuts = NULL,
                        true_cuts = NULL, sweep = NULL, fit = NULL) {
  file_name <- function(x, name) {
    if (is.null(x)) return(NULL)
    if (!is.character(x) || length(x) != 1L || is.na(x) || x == "") {
      fail("`", name, "` must be NULL or a file name.")
    }
    path.expand(x)
  }
  list(threads = check_threads(threads), write = check_flag(write, "write"),
       strict = check_flag(strict, "strict"), results = file_name(results, "results"),
       scale = file_name(scale, "scale"),
       cuts_on = if (is.null(cuts_on)) NULL else check_choice(cuts_on, c("raw", "scale"), "cuts_on"),
       # In place of the file's: the library checks them against its labels.
       given_cuts = if (is.null(cuts)) NULL else check_scores(cuts, "cuts"),
       given_true_cuts = if (is.null(true_cuts)) NULL else check_scores(true_cuts, "true_cuts"),
       # NULL: as an analysis file says.
       sweep = check_sweep(sweep), fit = if (is.null(fit)) NULL else check_flag(fit, "fit"))
}

# The result of a card's or an analysis file's run: its examinees numbered by
# their table rows when it has a table, by their records otherwise.
file_result <- function(out, call) {
  record <- if (length(out$rows)) as.integer(out$rows) else seq_len(out$results$examinee_count)
  result <- new_tesserlink(out, labels = out$set_labels, record = record,
                           id = if (length(out$ids)) out$ids else NULL, call = call,
                           categories = out$category_labels)
  if (nzchar(out$title)) result$title <- out$title
  result$report_file <- out$report_file
  result$results_dir <- out$results_dir
  result
}
