# The package's conditions. A finding of the library's run becomes a condition
# carrying it: its code, severity and the values it names (file, line,
# column, key, value, closest, console_line) and its text as fields, and the
# text as the message, so that a caller tells findings apart by code, never by text:
# tryCatch(..., tesserlink_error = function(e) e$code). Errors are of class
# "tesserlink_error", warnings and data misfits "tesserlink_warning", notes
# messages of class "tesserlink_message". R's own checks of its arguments,
# made before the library is called, give errors of code "r.argument".

tesserlink_condition <- function(class, message, fields) {
  structure(class = c(class, "condition"), c(list(message = message, call = NULL), fields))
}

# R's own refusal of the call's arguments (or of its data); `...` adds fields.
tesserlink_error <- function(message, code = "r.argument", ...) {
  tesserlink_condition(c("tesserlink_error", "error"), message,
                       list(code = code, severity = "error", ...))
}

# R's own note on the call's data (examinees left out).
tesserlink_message <- function(message, code, ...) {
  tesserlink_condition(c("tesserlink_message", "message"), paste0(message, "\n"),
                       list(code = code, severity = "note", text = message, ...))
}

# Stops with the pasted message, without the call (the user's own call is the
# one that matters).
fail <- function(...) stop(tesserlink_error(paste0(...)))

# A count with its noun in agreement: "1 row", "2 rows".
counted <- function(n, one, many = paste0(one, "s")) paste(n, if (n == 1) one else many)

# The argument of run_card(), run_analysis() or cac() a finding is about, by
# its code or, for a run option, its key.
argument_of_code <- c(
  "card.too_many_sets" = "sets", "card.too_many_points" = "sets",
  "card.category_count" = "cuts", "card.cuts_out_of_range" = "cuts",
  "model.reliability_blocks_correction" = "bias_correction", "run.strict" = "strict")
argument_of_key <- c("options.bootstrap" = "bootstrap", "scale.cuts_on" = "cuts_on",
                     "options.cuts" = "cuts", "options.true_cuts" = "true_cuts")

finding_argument <- function(finding) {
  if (!is.null(finding$key) && finding$key %in% names(argument_of_key)) {
    return(argument_of_key[[finding$key]])
  }
  if (finding$code %in% names(argument_of_code)) return(argument_of_code[[finding$code]])
  NULL
}

# The condition of one finding: its fields, and the argument it is about.
finding_condition <- function(finding) {
  class <- switch(finding$severity,
                  "note" = c("tesserlink_message", "message"),
                  "error" = c("tesserlink_error", "error"),
                  c("tesserlink_warning", "warning"))
  finding$argument <- finding_argument(finding)
  # A message ends its line, as message() would end it.
  text <- if (class[1] == "tesserlink_message") paste0(finding$text, "\n") else finding$text
  tesserlink_condition(class, text, finding)
}

# Presents what the library's run returned (list(status, findings, ...)):
# each note as a message, each warning and data misfit as a warning, in the
# order found, and then the error that ended the run, if one did.
present_findings <- function(out) {
  findings <- out$findings
  failed <- out$status != 0L
  for (i in seq_along(findings)) {
    if (failed && i == length(findings)) break
    condition <- finding_condition(findings[[i]])
    if (inherits(condition, "message")) message(condition) else warning(condition)
  }
  if (failed) {
    error <- findings[[length(findings)]]
    # The exit status the command line ends such a run with: 1 for an error
    # found in a control card, 2 for every other.
    error$status <- out$status
    stop(finding_condition(error))
  }
  invisible(out)
}
