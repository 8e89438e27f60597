# Printing and conversion of "tesserlink" results.

fmt <- function(x, digits = 5) formatC(x, digits = digits, format = "f")

print.tesserlink <- function(x, ...) {
  s <- x$summary
  o <- x$overall
  cat("TESSERLINK classification consistency and accuracy\n")
  cat(s$examinees, " examinees, ", s$sets, if (s$sets == 1) " item set, " else " item sets, ",
      s$categories, " categories; observed cuts ", paste(format(x$cuts$observed_cut, trim = TRUE), collapse = ", "),
      ", true cuts ", paste(format(x$cuts$true_cut, trim = TRUE), collapse = ", "), "\n", sep = "")
  cat("Reliability ", fmt(x$reliability$reliability),
      if (s$bias_corrected) " (true categories from bias-corrected scores)", "\n", sep = "")
  cat("Consistency ", fmt(o$consistency), "   kappa ", fmt(o$kappa), "\n", sep = "")
  cat("Accuracy    ", fmt(o$accuracy), "   false positive ", fmt(o$false_positive),
      "   false negative ", fmt(o$false_negative), "\n", sep = "")
  if (!is.null(x$bootstrap)) {
    cat("Bootstrap: ", s$bootstrap_replicates, " replicates, seed ", format(s$bootstrap_seed),
        "; see summary()\n", sep = "")
  }
  invisible(x)
}

square_table <- function(long, names) {
  k <- max(long[[1]])
  m <- matrix(long$proportion, k, k, dimnames = list(seq_len(k), seq_len(k)))
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
  structure(list(
    call = object$call, summary = object$summary, sets = object$sets,
    reliability = object$reliability, overall = overall, cuts = object$cuts,
    categories = object$categories, bootstrap = object$bootstrap,
    true_by_observed = square_table(object$true_by_observed, c("true", "observed")),
    consistency_table = square_table(object$consistency_table, c("first", "second"))),
    class = "summary.tesserlink")
}

print.summary.tesserlink <- function(x, digits = 5, ...) {
  s <- x$summary
  cat("TESSERLINK classification consistency and accuracy\n\n")
  cat("Examinees: ", s$examinees, "   composite scale ", s$min_composite, " to ",
      s$max_composite, "   observed mean ", fmt(s$mean), ", SD ", fmt(s$sd), "\n", sep = "")
  if (s$bias_corrected) cat("True categories from bias-corrected composite scores\n")
  cat("\nItem sets:\n")
  print(x$sets, row.names = FALSE)
  cat("\nError variance and reliability:\n")
  print(x$reliability, digits = digits, row.names = FALSE)
  cat("\nOverall indices:\n")
  print(x$overall, digits = digits, row.names = FALSE)
  cat("\nEach cut alone:\n")
  print(x$cuts, digits = digits, row.names = FALSE)
  if (!is.null(x$bootstrap)) {
    cat("\nBootstrap (", s$bootstrap_replicates, " replicates, seed ", format(s$bootstrap_seed),
        "); cut NA is the overall index:\n", sep = "")
    print(x$bootstrap, digits = digits, row.names = FALSE)
  }
  cat("\nExaminees per category:\n")
  print(x$categories, digits = digits, row.names = FALSE)
  cat("\nTrue by observed category (proportions of all examinees):\n")
  print(x$true_by_observed, digits = digits)
  cat("\nConsistency table (two administrations):\n")
  print(x$consistency_table, digits = digits)
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
