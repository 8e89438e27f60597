# A testing program: several analysis files, each run as run_analysis() runs
# it alone. A file that fails does not stop the others; its row of the summary
# holds the error instead of numbers.
run_program <- function(paths, ...) {
  if (anyNA(paths) || any(paths == "")) {
    fail("`path` must name the analysis files; an element is missing or empty.")
  }
  fits <- vector("list", length(paths))
  names(fits) <- paths
  errors <- rep(NA_character_, length(paths))
  for (i in seq_along(paths)) {
    fit <- tryCatch(run_analysis(paths[[i]], ...), tesserlink_error = function(e) e)
    if (inherits(fit, "tesserlink_error")) {
      errors[i] <- conditionMessage(fit)
    } else {
      fits[i] <- list(fit)
    }
  }
  failed <- which(!is.na(errors))
  if (length(failed)) {
    warning(tesserlink_condition(c("tesserlink_warning", "warning"), paste0(
      counted(length(failed), "analysis file"), " of ", length(paths), " failed: ",
      paste0(paths[failed], ": ", errors[failed], collapse = "; ")),
      list(code = "r.program_failures", severity = "warning", files = paths[failed])))
  }
  structure(list(results = fits, summary = program_summary(paths, fits, errors),
                 cuts = program_cuts(paths, fits)),
            class = "tesserlink_program")
}

# The six indices as the library names and orders them.
program_indices <- c("consistency", "chance", "kappa", "accuracy", "false_positive",
                     "false_negative")

# The bootstrap standard errors of one scope (cut NA: overall), or NAs.
program_se <- function(fit, cut) {
  b <- fit$bootstrap
  if (is.null(b)) return(stats::setNames(rep(NA_real_, 6L), program_indices))
  rows <- if (is.na(cut)) b[is.na(b$cut), ] else b[!is.na(b$cut) & b$cut == cut, ]
  stats::setNames(rows$se[match(program_indices, rows$index)], program_indices)
}

# One row per test: the values each result holds, copied, never recomputed.
program_summary <- function(paths, fits, errors) {
  bootstrapped <- any(vapply(fits, function(fit) !is.null(fit$bootstrap), TRUE))
  rows <- lapply(seq_along(paths), function(i) {
    fit <- fits[[i]]
    ran <- !is.null(fit)
    row <- data.frame(file = paths[[i]],
                      title = if (ran && !is.null(fit$title)) fit$title else NA_character_,
                      error = errors[[i]],
                      examinees = if (ran) fit$summary$examinees else NA_integer_,
                      categories = if (ran) fit$summary$categories else NA_integer_,
                      reliability = if (ran) fit$reliability$reliability else NA_real_,
                      stringsAsFactors = FALSE)
    for (index in program_indices) row[[index]] <- if (ran) fit$overall[[index]] else NA_real_
    if (bootstrapped) {
      se <- if (ran) program_se(fit, NA_integer_) else rep(NA_real_, 6L)
      for (j in seq_along(program_indices)) row[[paste0(program_indices[j], "_se")]] <- se[[j]]
    }
    row
  })
  do.call(rbind, rows)
}

# One row per test and cut.
program_cuts <- function(paths, fits) {
  bootstrapped <- any(vapply(fits, function(fit) !is.null(fit$bootstrap), TRUE))
  rows <- list()
  for (i in seq_along(paths)) {
    fit <- fits[[i]]
    if (is.null(fit)) next
    for (c in seq_len(nrow(fit$cuts))) {
      row <- data.frame(file = paths[[i]], cut = c, observed_cut = fit$cuts$observed_cut[c],
                        true_cut = fit$cuts$true_cut[c], stringsAsFactors = FALSE)
      for (index in program_indices) row[[index]] <- fit$cuts[[index]][c]
      if (bootstrapped) {
        se <- program_se(fit, c)
        for (j in seq_along(program_indices)) row[[paste0(program_indices[j], "_se")]] <- se[[j]]
      }
      rows[[length(rows) + 1L]] <- row
    }
  }
  if (length(rows)) do.call(rbind, rows) else NULL
}

print.tesserlink_program <- function(x, digits = 5, ...) {
  digits <- check_digits(digits)
  s <- x$summary
  cat("TESSERLINK testing program: ", counted(nrow(s), "test"), "\n", sep = "")
  shown <- s[, c("file", "examinees", "reliability", "consistency", "kappa", "accuracy")]
  for (column in c("reliability", "consistency", "kappa", "accuracy"))
    shown[[column]] <- ifelse(is.na(s[[column]]), "", fmt(s[[column]], digits))
  failed <- !is.na(s$error)
  shown$examinees <- ifelse(failed, "", as.character(s$examinees))
  print(shown, row.names = FALSE)
  for (i in which(failed)) cat(s$file[i], ": ", s$error[i], "\n", sep = "")
  invisible(x)
}
