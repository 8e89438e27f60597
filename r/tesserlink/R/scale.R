# Scale scores: cac()'s conversion table checked, and the run's scale results
# arranged for the "tesserlink" object. Nothing here computes.

# `scale`: NULL, or a data frame (or matrix) with numeric columns raw and scale.
check_scale <- function(scale) {
  if (is.null(scale)) return(NULL)
  if (!is.data.frame(scale) && !is.matrix(scale)) {
    fail("`scale` must be a data frame with columns raw and scale, one row per composite score.")
  }
  scale <- as.data.frame(scale)
  missing <- setdiff(c("raw", "scale"), names(scale))
  if (length(missing)) fail("`scale` has no column ", paste(missing, collapse = " or "), ".")
  for (column in c("raw", "scale")) {
    values <- scale[[column]]
    if (!is.numeric(values)) fail("`scale$", column, "` must be numeric.")
    bad <- which(is.na(values) | !is.finite(values))
    if (length(bad)) {
      fail("`scale$", column, "` must hold finite numbers; row ", bad[1], " holds ",
           format(values[bad[1]]), ".")
    }
  }
  list(raw = as.numeric(scale$raw), scale = as.numeric(scale$scale))
}

# The object's `scale`: where the cuts are, both values of each cut, the
# summary (with the reliability's bootstrap spread) and the CSEM rows; the
# examinees' scale scores and scale CSEMs go into the examinees table.
scale_object <- function(s) {
  cuts <- data.frame(cut = seq_along(s$observed_cuts$scale),
                     observed_scale = s$observed_cuts$scale, observed_raw = s$observed_cuts$raw,
                     true_scale = s$true_cuts$scale, true_raw = s$true_cuts$raw)
  summary <- data.frame(mean = s$mean, sample_variance = s$sample_variance,
                        average_error_variance = s$average_error_variance,
                        reliability = s$reliability)
  if (!is.null(s$reliability_spread)) summary <- cbind(summary, as.data.frame(s$reliability_spread))
  list(cuts_on = s$cuts_on, cuts = cuts, summary = summary, csem = as.data.frame(s$csem))
}
