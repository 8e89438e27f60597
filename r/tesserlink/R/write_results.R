# Writes a run's results folder, as the command line's --results does: the
# results.json, the CSV files and the page.
write_results <- function(fit, dir) {
  if (!inherits(fit, "tesserlink")) fail("`fit` must be a result of cac(), run_card() or run_analysis().")
  if (!is.character(dir) || length(dir) != 1L || is.na(dir) || dir == "") {
    fail("`dir` must be the name of the results folder.")
  }
  native <- attr(fit, "native")
  if (is.null(native)) fail("`fit` holds no run to write; make it with cac(), run_card() or run_analysis().")
  dir <- path.expand(dir)
  out <- .Call(tl_write_results, native, dir)
  if (isTRUE(out$gone)) {
    fail("`fit` was saved and read back, which keeps its tables but not the run the results ",
         "folder is written from; run the analysis again in this session to write it.")
  }
  if (is.null(out$dir)) present_findings(out)
  invisible(dir)
}
