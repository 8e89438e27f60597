# The package's errors are conditions of class "tesserlink_error", so that a
# caller can tell them from any other: tryCatch(..., tesserlink_error = ).
# An error the library raised keeps the program's own line in
# `program_message`; R's message says the same in terms of the call's
# arguments, sets and columns.

tesserlink_error <- function(message, program_message = NULL, ...) {
  structure(class = c("tesserlink_error", "error", "condition"),
            list(message = message, call = NULL, program_message = program_message, ...))
}

# Stops with the pasted message, without the call (the user's own call is the
# one that matters).
fail <- function(...) stop(tesserlink_error(paste0(...)))

# A count with its noun in agreement: "1 row", "2 rows".
counted <- function(n, one, many = paste0(one, "s")) paste(n, if (n == 1) one else many)

# The parts of `line` that the groups of `pattern` match, or NULL.
captures <- function(line, pattern) {
  found <- regmatches(line, regexec(pattern, line))[[1]]
  if (length(found)) found[-1] else NULL
}

# Stops with the library's error `error` (list(line, kind, ...) from the glue),
# worded by `say(error)`.
stop_library <- function(error, say) {
  stop(tesserlink_error(say(error), program_message = error$line))
}

# The program's line as a sentence of its own: without "Error! ".
plain_reason <- function(line) {
  if (identical(line, "not enough memory for this run")) return("Not enough memory for this run.")
  sub("^Error! ", "", line)
}

# The library's refusals of a cac() call, in terms of its arguments.
cac_wording <- function(sets, cuts, true_cuts) {
  force(sets)
  set_name <- function(s) paste0("set '", sets[[as.integer(s)]]$label, "' (`sets[[", s, "]]`)")
  function(error) {
    line <- error$line
    if (!is.null(worded <- scale_wording(line))) return(worded)
    if (!is.null(g <- captures(line, "^# item sets greater than ([0-9]+): Stopped!$"))) {
      return(paste0("`sets` holds ", length(sets), " item sets; at most ", g[1],
                    " can be analysed together."))
    }
    if (!is.null(g <- captures(line, "^# score categories greater than ([0-9]+): Stopped!$"))) {
      points <- lengths(lapply(sets, `[[`, "points"))
      s <- which(points > as.numeric(g[1]))[1]
      return(paste0("`sets[[", s, "]]$points` (set '", sets[[s]]$label, "') holds ", points[s],
                    " score points; a set may have at most ", g[1], "."))
    }
    if (line == "Error! Cut scores are out of score range!") {
      range <- error$composite_range
      if (is.null(range)) return("`cuts` must lie within the composite score range.")
      outside <- cuts[cuts < range[1] | cuts > range[2]]
      return(paste0("`cuts` must lie within the composite score range ", range[1], " to ",
                    range[2], "; ", paste(score_text(outside), collapse = ", "),
                    if (length(outside) == 1) " lies" else " lie", " outside it."))
    }
    if (!is.null(g <- captures(line, paste0("^Error! The number of categories must be from ",
                                            "([0-9]+) to ([0-9]+), not ([0-9]+)\\.$")))) {
      g <- as.numeric(g)
      return(paste0("`cuts` must hold ", g[1] - 1, " to ", g[2] - 1, " cut scores (", g[1],
                    " to ", g[2], " categories), not ", g[3] - 1, "."))
    }
    if (!is.null(g <- captures(line, "^Error! The (observed|true) cut scores must not decrease\\.$"))) {
      values <- if (g[1] == "observed") cuts else true_cuts
      j <- which(diff(values) < 0)[1] + 1
      return(paste0(if (g[1] == "observed") "`cuts`" else "`true_cuts`", " must not decrease: ",
                    score_text(values[j]), " comes after ", score_text(values[j - 1]), "."))
    }
    if (!is.null(g <- captures(line, "^Error! Set ([0-9]+): (.*)$"))) {
      s <- g[1]
      if (g[2] == "the score points must be listed in ascending order, each once.") {
        return(paste0("`sets[[", s, "]]$points` (set '", sets[[as.integer(s)]]$label,
                      "') must be in ascending order, each point once."))
      }
      if (!is.null(n <- captures(g[2], "^at least ([0-9]+) score points are needed, not ([0-9]+)\\.$"))) {
        return(paste0("`sets[[", s, "]]$points` (set '", sets[[as.integer(s)]]$label,
                      "') must hold at least ", n[1], " score points, not ", n[2], "."))
      }
      return(paste0("In ", set_name(s), ": ", g[2]))
    }
    if (!is.null(g <- captures(line, "^Error! The (raw score|raw-score list) of set ([0-9]+) (.*)$"))) {
      return(paste0("The ", g[1], " of ", set_name(g[2]), " ", g[3]))
    }
    if (!is.null(g <- captures(line, "^Error! The reliability \\((.*)\\) does not allow bias correction"))) {
      return(paste0("The reliability of the composite (", g[1], ") does not allow bias ",
                    "correction; use bias_correction = FALSE."))
    }
    plain_reason(line)
  }
}

# The library's refusals of a control card run by run_card(), naming the card.
card_wording <- function(path) {
  function(error) {
    line <- error$line
    card <- paste0("the control card '", path, "'")
    if (startsWith(line, "Error! File: ")) return(paste0("The control card '", path, "' does not exist."))
    if (!is.null(g <- captures(line, "^# item sets greater than ([0-9]+): Stopped!$"))) {
      return(paste0("The control card '", path, "' gives more than ", g[1],
                    " item sets, the most that can be analysed together."))
    }
    if (!is.null(g <- captures(line, "^# score categories greater than ([0-9]+): Stopped!$"))) {
      return(paste0("An item set of ", card, " has more than ", g[1],
                    " score points, the most a set may have."))
    }
    if (line == "Error! Data file is not found!") {
      files <- error$data_files
      s <- which(!file.exists(files))[1]
      if (is.na(s)) return(paste0("Data file is not found: one of ", card, "."))
      return(paste0("Data file is not found: '", files[s], "', set ", s, " of ", card, "."))
    }
    if (line == "Error! Cut scores are out of score range!" && !is.null(error$composite_range)) {
      range <- error$composite_range
      return(paste0("The observed cut scores of ", card, " must lie within the composite ",
                    "score range ", range[1], " to ", range[2], "."))
    }
    if (error$kind != "refusal") return(plain_reason(line))
    paste0(sub("\\.$", "", plain_reason(line)), " (", card, ").")
  }
}
