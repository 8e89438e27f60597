# Runs a control card with its data files and writes its report.
run_card <- function(path, report = NULL, bootstrap = 0, seed = NULL, threads = 0,
                     progress = interactive()) {
  call <- match.call()
  if (!is.character(path) || length(path) != 1L || is.na(path) || path == "") {
    fail("`path` must be the control card's file name.")
  }
  report <- if (is.null(report)) {
    ""
  } else if (identical(report, FALSE)) {
    NA_character_
  } else if (is.character(report) && length(report) == 1L && !is.na(report) && report != "") {
    path.expand(report)
  } else {
    fail("`report` must be NULL (the card's output file), FALSE (none) or a file name.")
  }
  bootstrap <- check_bootstrap(bootstrap)
  threads <- check_threads(threads)
  progress <- check_flag(progress, "progress")
  seed <- bootstrap_seed(seed, bootstrap)
  out <- .Call(tl_run_card, path.expand(path), report, bootstrap, seed, threads,
               progress_reporter(progress))
  if (!is.null(out$error)) stop_library(out$error, card_wording(path))
  result <- new_tesserlink(out, labels = out$set_labels, record = seq_len(out$results$examinee_count),
                           id = NULL, call = call)
  result$report_file <- out$report_file
  result
}
