# Base graphics of a "tesserlink" result: conditional consistency and accuracy
# by observed composite score, or the distribution of the observed composite,
# each with the observed cut scores.
plot.tesserlink <- function(x, type = c("conditional", "distribution"), ...) {
  type <- check_choice(type, c("conditional", "distribution"), "type")
  cuts <- x$cuts$observed_cut
  if (type == "conditional") {
    d <- x$conditional
    plot(d$score, d$consistency, type = "b", pch = 1, ylim = c(0, 1),
         xlab = "Observed composite score", ylab = "Probability",
         main = "Conditional consistency and accuracy", ...)
    lines(d$score, d$accuracy, type = "b", pch = 16, lty = 2)
    abline(v = cuts, col = "grey40", lty = 3)
    legend("bottomright", c("consistency", "accuracy", "cut score"), pch = c(1, 16, NA),
           lty = c(1, 2, 3), col = c("black", "black", "grey40"), bty = "n")
  } else {
    scores <- x$examinees$observed_composite
    # One bar per whole score, so that bars and cuts line up on the scale.
    breaks <- seq(floor(min(scores)) - 0.5, ceiling(max(scores)) + 0.5, by = 1)
    hist(scores, breaks = breaks, xlab = "Observed composite score", ylab = "Examinees",
         main = "Observed composite scores", col = "grey85", border = "grey50", ...)
    abline(v = cuts, col = "firebrick", lty = 2, lwd = 2)
  }
  invisible(x)
}
