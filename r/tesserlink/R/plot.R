# Base graphics of a "tesserlink" result: conditional consistency and accuracy
# by observed composite score, or the distribution of the observed composite
# split by observed category; each with the observed cut scores. A run with a
# sweep adds accuracy and consistency at every single cut ("sweep") and the ROC
# curve ("roc"); a run with a fit check, the observed and expected frequencies
# of its bins ("fit"); a run of several models, their overall indices side by
# side ("comparison"). The legend stands in headroom above the data, clear of
# the axes and of the points.
plot.tesserlink <- function(x, type = c("conditional", "distribution", "sweep", "roc", "fit",
                                       "comparison"), ...) {
  type <- check_choice(type, c("conditional", "distribution", "sweep", "roc", "fit", "comparison"),
                       "type")
  cuts <- x$cuts$observed_cut
  if (type %in% c("sweep", "roc") && is.null(x$sweep)) {
    fail("This result has no cut sweep to plot; run it with sweep = TRUE.")
  }
  if (type == "fit" && is.null(x$model_fit)) {
    fail("This result has no model fit to plot; run it with fit = TRUE.")
  }
  if (type == "comparison" && is.null(x$comparison)) {
    fail("This result has no comparison to plot; run it with several models, such as ",
         "model = c(\"multinomial\", \"beta-binomial\").")
  }
  if (type == "comparison") {
    plot_comparison(x$comparison, ...)
  } else if (type == "sweep") {
    plot_sweep(x$sweep, cuts, ...)
  } else if (type == "roc") {
    plot_roc(x$sweep, ...)
  } else if (type == "fit") {
    plot_fit(x$model_fit, ...)
  } else if (type == "conditional") {
    d <- x$conditional
    plot(d$score, d$consistency, type = "b", pch = 1, ylim = c(0, 1.15), yaxs = "i",
         xlab = "Observed composite score", ylab = "Probability",
         main = "Conditional consistency and accuracy", ...)
    lines(d$score, d$accuracy, type = "b", pch = 16, lty = 2)
    segments(cuts, 0, cuts, 1.02, col = "grey40", lty = 3)
    legend("top", c("consistency  ", "accuracy  ", "cut score"), pch = c(1, 16, NA),
           lty = c(1, 2, 3), col = c("black", "black", "grey40"), ncol = 3, bty = "n",
           inset = 0.01)
  } else {
    scores <- x$examinees$observed_composite
    category <- as.integer(x$examinees$observed_category)
    k <- nrow(x$categories)
    fill <- category_fills(k)
    # One bar per whole score, so that bars and cuts line up on the scale;
    # each bar is split by the examinees' observed categories, stacked.
    breaks <- seq(floor(min(scores)) - 0.5, ceiling(max(scores)) + 0.5, by = 1)
    tallest <- max(hist(scores, breaks = breaks, plot = FALSE)$counts)
    columns <- min(k + 1L, 3L)
    rows <- ceiling((k + 1L) / columns)
    hist(scores, breaks = breaks, xlab = "Observed composite score", ylab = "Examinees",
         main = "Observed composite scores", col = fill[k], border = "grey40",
         ylim = c(0, tallest * (1.08 + 0.07 * rows)), ...)
    for (c in rev(seq_len(k - 1L))) {
      below <- scores[category <= c]
      if (length(below)) hist(below, breaks = breaks, col = fill[c], border = "grey40", add = TRUE)
    }
    segments(cuts, 0, cuts, tallest * 1.04, col = "firebrick", lty = 2, lwd = 2)
    legend("top", c(category_names(cuts, x$labels), "cut score"), ncol = columns,
           fill = c(fill, NA), border = c(rep("grey40", k), NA), lty = c(rep(NA, k), 2),
           col = c(rep(NA, k), "firebrick"), bty = "n", inset = 0.01)
  }
  invisible(x)
}

# Accuracy and consistency with each possible cut as the only cut, and the
# run's own observed cuts dashed.
plot_sweep <- function(sweep, cuts, ...) {
  plot(sweep$cut, sweep$accuracy, type = "b", pch = 16, ylim = c(0, 1.15), yaxs = "i",
       xlab = "Cut score on the observed composite", ylab = "Proportion",
       main = "Accuracy and consistency at each single cut", ...)
  lines(sweep$cut, sweep$consistency, type = "b", pch = 1)
  segments(cuts, 0, cuts, 1.02, col = "firebrick", lty = 2, lwd = 2)
  legend("top", c("accuracy  ", "consistency  ", "observed cut"), pch = c(16, 1, NA),
         lty = c(1, 1, 2), col = c("black", "black", "firebrick"), ncol = 3, bty = "n",
         inset = 0.01)
}

# Sensitivity against 1 - specificity over the sweep's cuts, with the
# diagonal of a classification by chance.
plot_roc <- function(sweep, ...) {
  roc <- attr(sweep, "roc")
  plot(roc$false_positive_rate, roc$sensitivity, type = "b", pch = 20, xlim = c(0, 1),
       ylim = c(0, 1), xaxs = "i", yaxs = "i", xlab = "1 - specificity", ylab = "Sensitivity",
       main = paste0("ROC curve of the single cuts (AUC ", fmt(attr(sweep, "auc"), 3), ")"), ...)
  abline(0, 1, col = "grey40", lty = 3)
}

# Each bin's observed frequency as a bar and the model's expected frequency as
# a line across the bars.
plot_fit <- function(fit, ...) {
  bins <- fit$bins
  names <- ifelse(bins$first_score == bins$last_score, score_text(bins$first_score),
                  paste0(score_text(bins$first_score), "-", score_text(bins$last_score)))
  tallest <- max(bins$observed, bins$expected)
  middles <- barplot(bins$observed, names.arg = names, col = "grey85", border = "grey40",
                     ylim = c(0, tallest * 1.2), xlab = "Observed composite score (bin)",
                     ylab = "Examinees",
                     main = paste0("Model fit: chi-square ", fmt(fit$chi2, 2), " on ", fit$df,
                                   " df"), ...)
  lines(middles, bins$expected, type = "b", pch = 16)
  legend("top", c("observed  ", "expected"), fill = c("grey85", NA), border = c("grey40", NA),
         pch = c(NA, 16), lty = c(NA, 1), ncol = 2, bty = "n", inset = 0.01)
}

# The overall indices of the compared models as dots, one line per index and
# the models a little apart on it, each with its bootstrap interval when the
# run has them. The index names stand in a left margin wide enough for them.
plot_comparison <- function(comparison, ...) {
  rows <- comparison[is.na(comparison$cut), ]
  indices <- unique(rows$index)
  models <- unique(rows$model)
  m <- length(models)
  offset <- (seq_len(m) - (m + 1) / 2) * 0.5 / m
  y <- match(rows$index, indices) + offset[match(rows$model, models)]
  shapes <- c(16, 1, 17, 2, 15, 0, 18, 5)
  shape <- function(k) shapes[(k - 1L) %% length(shapes) + 1L]
  ends <- c(rows$value, rows$ci_low, rows$ci_high)
  old <- par(mar = c(5, 1 + 0.5 * max(nchar(indices)), 4, 1))
  on.exit(par(old))
  plot(rows$value, y, pch = shape(match(rows$model, models)), xlim = range(ends, na.rm = TRUE),
       ylim = c(length(indices) + 0.5, 0.5 - 0.6 * ceiling(m / 3)), yaxt = "n",
       xlab = "Value", ylab = "", main = "Overall indices by model", ...)
  axis(2, at = seq_along(indices), labels = indices, las = 1)
  if (!is.null(rows$ci_low)) segments(rows$ci_low, y, rows$ci_high, y)
  legend("top", paste0(models, "  "), pch = shape(seq_len(m)), ncol = min(m, 3L), bty = "n",
         inset = 0.01)
}

# Each observed category by the composite scores it holds: a score equal to a
# cut belongs to the category above it. Each is named by its label, if any, or
# its number.
category_names <- function(cuts, labels = NULL) {
  shown <- score_text(cuts)
  k <- length(cuts) + 1L
  ranges <- c(paste("below", shown[1]),
              if (k > 2) paste(shown[-length(shown)], "to below", shown[-1]),
              paste(shown[length(shown)], "or above"))
  paste0(if (is.null(labels)) seq_len(k) else labels, ": ", ranges)
}

# One fill per category, lightest first. The palette's lightest end is all but
# white, which leaves the lowest category's bars and legend swatch unseen on a
# white page; it is left out.
category_fills <- function(k) grDevices::hcl.colors(k + 1L, "Blues 3", rev = TRUE)[-1L]
