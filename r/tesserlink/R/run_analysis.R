# Runs an analysis file: its table (or per-set files), its sets and its
# classification, with the report and results folder it names.
run_analysis <- function(path, bootstrap = NULL, seed = NULL, threads = 0, write = TRUE) {
  call <- match.call()
  if (is.character(path) && length(path) > 1L) {
    return(run_program(path, bootstrap, seed, threads, write))
  }
  if (!is.character(path) || length(path) != 1L || is.na(path) || path == "") {
    fail("`path` must be the analysis file's name.")
  }
  bootstrap <- if (is.null(bootstrap)) NA_real_ else check_bootstrap(bootstrap)
  seed <- if (is.null(seed)) NA_real_ else check_whole(seed, "seed")
  threads <- check_threads(threads)
  write <- check_flag(write, "write")
  out <- .Call(tl_run_analysis, path.expand(path), bootstrap, seed, threads, write)
  for (line in out$error$warnings) warning(analysis_warning(line))
  if (!is.null(out$error)) stop_library(out$error, function(error) error$line)
  for (line in out$warnings) warning(analysis_warning(line))
  for (line in out$notes) message("tesserlink: ", line)
  record <- if (length(out$rows)) as.integer(out$rows) else seq_len(out$results$examinee_count)
  result <- new_tesserlink(out, labels = out$set_labels, record = record,
                           id = if (length(out$ids)) out$ids else NULL, call = call,
                           categories = out$category_labels)
  if (nzchar(out$title)) result$title <- out$title
  result$report_file <- out$report_file
  result$results_dir <- out$results_dir
  unmatched <- result$sets$unmatched > 0
  if (isTRUE(out$strict) && any(unmatched)) {
    s <- which(unmatched)[1]
    fail("Set '", result$sets$set[s], "': ", counted(result$sets$unmatched[s], "item score"),
         if (result$sets$unmatched[s] == 1) " equals" else " equal",
         " none of its points, an error under the analysis file's strict = true.")
  }
  tell_unmatched(result)
  result
}

analysis_warning <- function(line) {
  structure(class = c("tesserlink_warning", "warning", "condition"),
            list(message = line, call = NULL))
}
