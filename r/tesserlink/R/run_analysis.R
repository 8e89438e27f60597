# Runs an analysis file: its table (or per-set files), its sets and its
# classification; writes the report and results folder it names only when
# asked.
run_analysis <- function(path, bootstrap = NULL, seed = NULL, threads = 0, write = FALSE,
                         strict = FALSE, results = NULL, scale = NULL, cuts_on = NULL,
                         progress = interactive(), cuts = NULL, true_cuts = NULL,
                         sweep = NULL, fit = NULL) {
  call <- match.call()
  if (is.character(path) && length(path) > 1L) {
    return(run_program(path, bootstrap = bootstrap, seed = seed, threads = threads, write = write,
                       strict = strict, scale = scale, cuts_on = cuts_on, progress = progress,
                       cuts = cuts, true_cuts = true_cuts, sweep = sweep, fit = fit))
  }
  if (!is.character(path) || length(path) != 1L || is.na(path) || path == "") {
    fail("`path` must be the analysis file's name.")
  }
  if (!is.null(bootstrap)) bootstrap <- check_bootstrap(bootstrap)
  if (!is.null(seed)) seed <- check_whole(seed, "seed")
  progress <- check_flag(progress, "progress")
  options <- run_options(threads = threads, write = write, strict = strict, results = results,
                         scale = scale, cuts_on = cuts_on, cuts = cuts, true_cuts = true_cuts,
                         sweep = sweep, fit = fit)
  out <- .Call(tl_run_file, c(list(path = path.expand(path), card = FALSE, report = NULL,
                                   bootstrap = bootstrap, seed = seed,
                                   progress = progress_reporter(progress)), options))
  present_findings(out)
  file_result(out, call)
}
