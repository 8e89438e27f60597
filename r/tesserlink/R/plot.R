# Base graphics of a "tesserlink" result: conditional consistency and accuracy
# by observed composite score, or the distribution of the observed composite
# split by observed category; each with the observed cut scores.
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
    category <- x$examinees$observed_category
    k <- nrow(x$categories)
    fill <- grDevices::hcl.colors(k, "Blues 3", rev = TRUE)
    # One bar per whole score, so that bars and cuts line up on the scale;
    # each bar is split by the examinees' observed categories, stacked.
    breaks <- seq(floor(min(scores)) - 0.5, ceiling(max(scores)) + 0.5, by = 1)
    hist(scores, breaks = breaks, xlab = "Observed composite score", ylab = "Examinees",
         main = "Observed composite scores", col = fill[k], border = "grey40", ...)
    for (c in rev(seq_len(k - 1L))) {
      below <- scores[category <= c]
      if (length(below)) hist(below, breaks = breaks, col = fill[c], border = "grey40", add = TRUE)
    }
    abline(v = cuts, col = "firebrick", lty = 2, lwd = 2)
    legend("topleft", c(paste("category", seq_len(k)), "cut score"),
           fill = c(fill, NA), border = c(rep("grey40", k), NA), lty = c(rep(NA, k), 2),
           col = c(rep(NA, k), "firebrick"), bg = "white", box.col = "white")
  }
  invisible(x)
}
