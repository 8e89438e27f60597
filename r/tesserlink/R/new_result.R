# The library's numbers arranged into the data frames of a "tesserlink"
# object. Nothing here computes: values are only copied and labelled.

# Columns named by the library, as the results files name them ("p_Basic").
named_columns <- function(columns) as.data.frame(columns, optional = TRUE)

long_table <- function(m, first, second, categories) {
  k <- nrow(m)
  out <- data.frame(categories(rep(seq_len(k), times = k)), categories(rep(seq_len(k), each = k)),
                    as.vector(m))
  names(out) <- c(first, second, "proportion")
  out
}

# Categories 1 to K as they are, or as factors whose levels are the labels.
category_coding <- function(labels) {
  if (is.null(labels) || length(labels) == 0L) return(function(k) k)
  function(k) factor(k, levels = seq_along(labels), labels = labels)
}

# `categories`: the category labels, or NULL for categories 1 to K.
new_tesserlink <- function(out, labels, record, id, call, categories = NULL) {
  r <- out$results
  cuts <- r$card$observed_cuts
  true_cuts <- r$card$true_cuts
  sets <- set_table(r$card, labels)
  k <- length(cuts) + 1L
  if (length(categories) == 0L) categories <- NULL
  coded <- category_coding(categories)
  # The further models of a comparison number their own units, from the
  # examinees' rows.
  examinee_record <- record
  examinee_id <- id
  # A model whose units are a population's nodes lists the nodes.
  # (`[[` throughout: `$` would take model_fit for a model that is absent.)
  if (identical(r[["model"]]$units, "nodes")) {
    record <- seq_along(r$examinees[[1L]])
    id <- NULL
  }
  examinees <- data.frame(record = record)
  if (!is.null(id)) examinees$id <- id
  examinees <- cbind(examinees, named_columns(r$examinees))
  examinees$observed_category <- coded(examinees$observed_category)
  examinees$true_category <- coded(examinees$true_category)

  cut_table <- cbind(data.frame(cut = seq_len(k - 1L), observed_cut = cuts, true_cut = true_cuts),
                     as.data.frame(r$cuts), data.frame(csem = r$cut_csem),
                     as.data.frame(r$cut_diagnostics))
  conditional <- named_columns(r$conditional)
  sets$unmatched <- r$unmatched$count
  sets$unmatched_examinees <- r$unmatched$examinees

  result <- list(
    overall = as.data.frame(r$overall),
    cuts = cut_table,
    categories = data.frame(category = coded(seq_len(k)), observed = r$observed_counts,
                            true = r$true_counts, marginal = r$category_marginal),
    true_by_observed = long_table(r$true_by_observed, "true_category", "observed_category", coded),
    consistency_table = long_table(r$consistency_table, "first_category", "second_category",
                                   coded),
    conditional = conditional,
    csem = as.data.frame(r$csem),
    per_category = cbind(data.frame(category = seq_len(k), label = as.character(seq_len(k))),
                         as.data.frame(r$per_category)),
    agreement = as.data.frame(r$agreement),
    examinees = examinees,
    reliability = as.data.frame(r$reliability),
    summary = data.frame(examinees = r$examinee_count, sets = nrow(sets), categories = k,
                         bias_corrected = r$bias_corrected, min_composite = r$min_composite,
                         max_composite = r$max_composite, mean = r$composite$mean,
                         variance = r$composite$variance, sd = r$composite$sd,
                         min = r$composite$min, max = r$composite$max),
    sets = sets,
    call = call)
  if (!is.null(r$bootstrap)) {
    result$bootstrap <- as.data.frame(r$bootstrap$table, stringsAsFactors = FALSE)
    result$bootstrap_precision <- as.data.frame(r$bootstrap$precision, stringsAsFactors = FALSE)
    result$summary$bootstrap_replicates <- r$bootstrap$replicates
    result$summary$bootstrap_seed <- r$bootstrap$seed
  }
  if (!is.null(r$groups)) result$groups <- as.data.frame(r$groups, stringsAsFactors = FALSE)
  if (!is.null(r$scale)) {
    result$scale <- scale_object(r$scale)
    result$examinees$scale_score <- r$scale$scale_score
    result$examinees$scale_csem <- r$scale$scale_csem
  }
  if (!is.null(r[["model"]])) result$model <- r[["model"]]
  if (!is.null(r$sweep)) result$sweep <- sweep_table(r$sweep)
  if (!is.null(r$model_fit)) result$model_fit <- fit_summary(r$model_fit)
  if (!is.null(r$corrected_model_fit)) {
    result$corrected_model_fit <- fit_summary(r$corrected_model_fit)
  }
  if (!is.null(r$comparison)) {
    result$comparison <- as.data.frame(r$comparison, stringsAsFactors = FALSE)
    result$comparison_differences <- as.data.frame(r$comparison_differences,
                                                   stringsAsFactors = FALSE)
  }
  # Each further model of a comparison as the result of its own run.
  if (!is.null(out$models)) {
    result$other_models <- lapply(out$models, new_tesserlink, labels = labels,
                                  record = examinee_record, id = examinee_id, call = call,
                                  categories = categories)
  }
  result$labels <- categories
  # The run itself, for write_results(); gone once the object is saved and read back.
  structure(result, class = "tesserlink", native = out$native)
}

# The sweep's rows as sweep.csv names them, with its statistics as attributes:
# the best cuts by Youden's J and by accuracy, each target's lowest cut
# reaching it, the ROC curve and its area, and the fixed true cut (NA: each
# cut is its own true cut). A cut that no row reaches is NA.
sweep_table <- function(sweep) {
  rows <- named_columns(sweep$rows)
  attr(rows, "best_youden_cut") <- sweep$best_youden_cut
  attr(rows, "best_accuracy_cut") <- sweep$best_accuracy_cut
  attr(rows, "targets") <- as.data.frame(sweep$targets, stringsAsFactors = FALSE)
  attr(rows, "roc") <- as.data.frame(sweep$roc)
  attr(rows, "auc") <- sweep$auc
  attr(rows, "true_cut") <- if (is.null(sweep$true_cut)) NA_real_ else sweep$true_cut
  rows
}

# fit.csv's bins as a data frame, with its statistics beside them.
fit_summary <- function(fit) {
  c(list(bins = named_columns(fit$bins)), fit[setdiff(names(fit), "bins")])
}
