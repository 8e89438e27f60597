# Printing, conversion and the model-fit generics of "tesserlink" results.

# Fixed decimals; a value that rounds to zero is shown without a minus sign.
fmt <- function(x, digits = 5) {
  text <- formatC(x, digits = digits, format = "f")
  text[] <- sub("^-(0\\.?0*)$", "\\1", text)
  text
}

# Each score on its own, as a card would give it: 8 and 16.5, not 8.0 and 16.5.
score_text <- function(x) vapply(x, function(value) format(value, digits = 15), "")

# A whole number as digits, never in scientific notation (seeds reach 2^53).
whole <- function(x) format(x, scientific = FALSE, trim = TRUE)

check_digits <- function(digits) check_whole(digits, "digits", 0, 15)

print.tesserlink <- function(x, digits = 5, ...) {
  digits <- check_digits(digits)
  s <- x$summary
  o <- x$overall
  f <- function(value) fmt(value, digits)
  cat("TESSERLINK classification consistency and accuracy\n")
  cat(counted(s$examinees, "examinee"), ", ", counted(s$sets, "item set"), ", ",
      s$categories, " categories; observed cuts ", paste(score_text(x$cuts$observed_cut), collapse = ", "),
      ", true cuts ", paste(score_text(x$cuts$true_cut), collapse = ", "), "\n", sep = "")
  if (!is.null(x$title)) cat(x$title, "\n", sep = "")
  model <- x[["model"]]  # `$` would take model_fit when there is no model
  if (!is.null(model)) {
    cat("Model: ", model$kind, ", method ", model$method, " (units: ", model$units, ")\n",
        sep = "")
  }
  print_models_compared(x)
  if (!is.null(x$labels)) cat("Categories: ", paste(x$labels, collapse = ", "), "\n", sep = "")
  cat("Reliability ", f(x$reliability$reliability),
      if (s$bias_corrected) " (true categories from bias-corrected scores)", "\n", sep = "")
  if (!is.null(x$scale)) {
    cat("Scale scores: reliability ", f(x$scale$summary$reliability), "; cuts on the ",
        if (x$scale$cuts_on == "scale") "scale" else "raw composite", ", on the scale ",
        paste(score_text(x$scale$cuts$observed_scale), collapse = ", "), "\n", sep = "")
  }
  cat("Consistency ", f(o$consistency), "   kappa ", f(o$kappa), "\n", sep = "")
  cat("Accuracy    ", f(o$accuracy), "   false positive ", f(o$false_positive),
      "   false negative ", f(o$false_negative), "\n", sep = "")
  print_sweep_and_fit(x, f)
  if (!is.null(x$bootstrap)) {
    cat("Bootstrap: ", s$bootstrap_replicates, " replicates, seed ", whole(s$bootstrap_seed),
        "; see summary() and confint()\n", sep = "")
  }
  invisible(x)
}

# With several models, a line naming them: this result's model first.
print_models_compared <- function(x) {
  if (is.null(x$comparison)) return(invisible())
  cat("Models compared: ", paste(unique(x$comparison$model), collapse = ", "),
      " (this result is the first; see comparison and other_models)\n", sep = "")
}

# A line each for the sweep's best cuts and the model's fit, when the run has
# them.
print_sweep_and_fit <- function(x, f) {
  if (!is.null(x$sweep)) {
    a <- attributes(x$sweep)
    cat("Cut sweep: best cut ", score_text(a$best_youden_cut), " by Youden's J, ",
        score_text(a$best_accuracy_cut), " by accuracy; ROC area ", f(a$auc), "\n", sep = "")
  }
  fit_line <- function(what, fit) {
    cat(what, ": chi-square ", f(fit$chi2), " on ", fit$df, " df, p ", f(fit$p),
        if (fit$descriptive) " (descriptive: nothing was fitted to the scores)", "\n", sep = "")
  }
  if (!is.null(x$model_fit)) fit_line("Model fit", x$model_fit)
  if (!is.null(x$corrected_model_fit)) fit_line("Bias-corrected model fit", x$corrected_model_fit)
}

square_table <- function(long, names) {
  shown <- if (is.factor(long[[1]])) levels(long[[1]]) else seq_len(max(long[[1]]))
  k <- length(shown)
  m <- matrix(long$proportion, k, k, dimnames = list(shown, shown))
  names(dimnames(m)) <- names
  m
}

summary.tesserlink <- function(object, ...) {
  indices <- names(object$overall)  # the six indices, named and ordered by the library
  overall <- data.frame(index = indices, estimate = unlist(object$overall[indices]),
                        row.names = NULL, stringsAsFactors = FALSE)
  if (!is.null(object$bootstrap)) {
    b <- object$bootstrap[is.na(object$bootstrap$cut), ]
    overall <- cbind(overall, b[match(indices, b$index), c("se", "ci_low", "ci_high")])
    rownames(overall) <- NULL
  }
  out <- structure(list(
    call = object$call, summary = object$summary, sets = object$sets,
    reliability = object$reliability, overall = overall, cuts = object$cuts,
    categories = object$categories, bootstrap = object$bootstrap, scale = object$scale,
    true_by_observed = square_table(object$true_by_observed, c("true", "observed")),
    consistency_table = square_table(object$consistency_table, c("first", "second")),
    fixed = c(indices, "estimate", "se", "ci_low", "ci_high", "marginal",
              names(object$reliability), "mean", "sample_variance")),
    class = "summary.tesserlink")
  # Only what the run computed: NULL adds nothing.
  out$sweep <- object$sweep
  out$model_fit <- object$model_fit
  out$corrected_model_fit <- object$corrected_model_fit
  out$comparison <- object$comparison
  out
}

# A table with its indices, proportions and variances in fixed decimals; scores,
# counts and labels as R shows them.
print_fixed <- function(table, fixed, digits) {
  for (column in intersect(names(table), fixed)) table[[column]] <- fmt(table[[column]], digits)
  print(table, row.names = FALSE, right = TRUE)
}

print.summary.tesserlink <- function(x, digits = 5, ...) {
  digits <- check_digits(digits)
  s <- x$summary
  cat("TESSERLINK classification consistency and accuracy\n\n")
  cat("Examinees: ", s$examinees, "   composite scale ", s$min_composite, " to ",
      s$max_composite, "   observed mean ", fmt(s$mean, digits), ", SD ", fmt(s$sd, digits), "\n",
      sep = "")
  if (s$bias_corrected) cat("True categories from bias-corrected composite scores\n")
  print_models_compared(x)
  cat("\nItem sets:\n")
  print(x$sets, row.names = FALSE)
  cat("\nError variance and reliability:\n")
  print_fixed(x$reliability, x$fixed, digits)
  if (!is.null(x$scale)) {
    cat("\nScale scores (cuts written on the ",
        if (x$scale$cuts_on == "scale") "scale" else "raw composite", "):\n", sep = "")
    print_fixed(x$scale$summary, x$fixed, digits)
    print(x$scale$cuts, row.names = FALSE)
  }
  cat("\nOverall indices:\n")
  print_fixed(x$overall, x$fixed, digits)
  cat("\nEach cut alone:\n")
  print_fixed(x$cuts, x$fixed, digits)
  if (!is.null(x$bootstrap)) {
    cat("\nBootstrap (", s$bootstrap_replicates, " replicates, seed ", whole(s$bootstrap_seed),
        "); cut NA is the overall index:\n", sep = "")
    print_fixed(x$bootstrap, x$fixed, digits)
  }
  cat("\nExaminees per category:\n")
  print_fixed(x$categories, x$fixed, digits)
  cat("\nTrue by observed category (proportions of all examinees):\n")
  print(noquote(fmt(x$true_by_observed, digits)), right = TRUE)
  cat("\nConsistency table (two administrations):\n")
  print(noquote(fmt(x$consistency_table, digits)), right = TRUE)
  if (!is.null(x$sweep) || !is.null(x$model_fit)) {
    cat("\n")
    print_sweep_and_fit(x, function(value) fmt(value, digits))
  }
  invisible(x)
}

as.data.frame.tesserlink <- function(x, row.names = NULL, optional = FALSE,
                                     what = c("examinees", "overall", "cuts", "conditional",
                                              "true_by_observed", "consistency_table",
                                              "categories", "reliability", "summary", "sets",
                                              "bootstrap"), ...) {
  what <- check_choice(what, eval(formals()$what), "what")
  out <- x[[what]]
  if (is.null(out)) fail("This result has no ", what, " table; ask for bootstrap replicates.")
  if (!is.null(row.names)) rownames(out) <- row.names
  out
}

# The bootstrap's 95 percent percentile intervals of the overall indices, or of
# those of one cut taken alone.
confint.tesserlink <- function(object, parm, level = 0.95, cut = NULL, ...) {
  b <- object$bootstrap
  if (is.null(b)) {
    fail("This result has no bootstrap intervals; run it with bootstrap = B replicates (B >= ",
         min_bootstrap(), ").")
  }
  if (!is.numeric(level) || length(level) != 1L || is.na(level) || abs(level - 0.95) > 1e-9) {
    fail("`level` must be 0.95: the bootstrap gives 95 percent percentile intervals only.")
  }
  if (is.null(cut)) {
    rows <- b[is.na(b$cut), ]
  } else {
    cut <- check_whole(cut, "cut", 1, nrow(object$cuts))
    rows <- b[!is.na(b$cut) & b$cut == cut, ]
  }
  ci <- cbind(rows$ci_low, rows$ci_high)
  dimnames(ci) <- list(rows$index, c("2.5 %", "97.5 %"))
  if (missing(parm)) return(ci)
  if (is.character(parm)) {
    unknown <- setdiff(parm, rownames(ci))
    if (length(unknown)) {
      fail("`parm` must name indices among ", paste(rownames(ci), collapse = ", "), "; not ",
           paste0("'", unknown, "'", collapse = ", "), ".")
    }
  } else if (!is.numeric(parm) || anyNA(parm) || any(parm < 1 | parm > nrow(ci) | parm != round(parm))) {
    fail("`parm` must be index names or positions from 1 to ", nrow(ci), ".")
  }
  ci[parm, , drop = FALSE]
}

nobs.tesserlink <- function(object, ...) object$summary$examinees
