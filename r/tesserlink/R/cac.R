# Classification consistency and accuracy of item scores held in R.
cac <- function(data, sets, cuts, true_cuts = cuts, bias_correction = FALSE, bootstrap = 0,
                seed = NULL, id = NULL, na = c("error", "omit"), unmatched = c("error", "ignore"),
                threads = 0, labels = NULL, progress = interactive(), by = NULL,
                min_group = 50, scale = NULL, cuts_on = c("raw", "scale"), strict = FALSE,
                model = "multinomial", method = NULL,
                items = NULL, sweep = FALSE, fit = FALSE) {
  call <- match.call()
  if (missing(data)) fail("`data` is missing: a data frame or matrix, one row per examinee.")
  if (missing(sets)) fail("`sets` is missing: a list of item sets, each list(items = , points = ).")
  if (missing(cuts)) fail("`cuts` is missing: the cut scores on the observed composite.")
  if (is.list(cuts)) return(cut_sets(call, cuts, if (missing(true_cuts)) NULL else true_cuts))
  data <- check_data(data)
  sets <- check_sets(sets, data)
  cuts <- check_scores(cuts, "cuts", allow_empty = TRUE)
  true_cuts <- check_scores(true_cuts, "true_cuts", allow_empty = TRUE)
  if (length(true_cuts) != length(cuts)) {
    fail("`true_cuts` must have as many values as `cuts` (", length(cuts), "), not ",
         length(true_cuts), ".")
  }
  bias_correction <- check_flag(bias_correction, "bias_correction")
  bootstrap <- check_bootstrap(bootstrap)
  if (!is.null(seed)) seed <- check_whole(seed, "seed")
  threads <- check_threads(threads)
  labels_given <- check_labels(labels, length(cuts) + 1L)
  progress <- check_flag(progress, "progress")
  strict <- check_flag(strict, "strict")
  min_group <- check_whole(min_group, "min_group")
  scale <- check_scale(scale)
  cuts_on <- check_choice(cuts_on, c("raw", "scale"), "cuts_on")
  if (cuts_on == "scale" && is.null(scale)) {
    fail("`cuts_on = \"scale\"` needs the conversion table: give `scale` as well.")
  }
  # Several models run side by side and are compared; the library pairs each
  # method with its model.
  model <- check_choices(model, c("multinomial", "irt", "beta-binomial"), "model")
  if (!is.null(method)) {
    method <- check_choices(method, c("summed-p", "summed-d", "rudner-p", "rudner-d", "ll", "hb"),
                            "method")
  }
  items <- item_parameter_file(items)
  sweep <- check_sweep(sweep)
  fit <- check_flag(fit, "fit")
  na <- check_choice(na, c("error", "omit"), "na")
  unmatched <- check_choice(unmatched, c("error", "ignore"), "unmatched")
  labels <- column_labels(data)
  id_column <- NULL
  if (!is.null(id)) {
    if (length(id) != 1L) fail("`id` must name one column.")
    id_column <- resolve_columns(id, data, "`id`")
    used <- unlist(lapply(sets, `[[`, "columns"))
    if (id_column %in% used) fail("`id` column '", labels[id_column], "' is also an item column.")
  }

  all_columns <- sort(unique(unlist(lapply(sets, `[[`, "columns"))))
  scores <- item_matrix(data, all_columns, labels)
  keep <- rows_to_keep(scores, labels[all_columns], na)
  native_sets <- lapply(sets, function(set) {
    matrix_of_set <- scores[keep, match(set$columns, all_columns), drop = FALSE]
    list(scores = matrix_of_set, points = set$points, weight = set$weight, label = set$label,
         items = labels[set$columns], reversed = set$reversed)
  })
  groups <- group_columns(by, data, labels, all_columns, id_column, keep, min_group)
  # Drawn last, once every argument has passed its checks.
  seed <- bootstrap_seed(seed, bootstrap)

  ids <- if (is.null(id_column)) NULL else data[[id_column]][keep]
  if (is.matrix(data) && !is.null(id_column)) ids <- data[keep, id_column]
  out <- .Call(tl_analyze, list(
    sets = native_sets, cuts = cuts, true_cuts = true_cuts, bias_correction = bias_correction,
    bootstrap = bootstrap, seed = seed, threads = threads, strict = strict, write = FALSE,
    cuts_on = cuts_on, stop_on_unmatched = unmatched == "error",
    labels = as.character(labels_given), rows = as.numeric(keep),
    ids = if (is.null(ids)) character(0) else id_text(ids), groups = groups,
    scale_raw = scale$raw, scale_values = scale$scale, progress = progress_reporter(progress),
    model = model, method = method, items = items, sweep = sweep, fit = fit))
  if (!is.null(out$unmatched)) stop_unmatched(out$unmatched, sets, labels, keep)
  present_findings(out)
  new_tesserlink(out, labels = vapply(sets, `[[`, "", "label"), record = keep, id = ids,
                 call = call, categories = labels_given)
}

# The item-parameter table as the library reads it: a file's path as given, or
# a data frame written to a temporary CSV file (removed when the session ends).
item_parameter_file <- function(items) {
  if (is.null(items)) return(NULL)
  if (is.character(items) && length(items) == 1L) return(items)
  if (!is.data.frame(items)) {
    fail("`items` must be a data frame of item parameters or the path of their table.")
  }
  path <- tempfile("tesserlink-items-", fileext = ".csv")
  utils::write.csv(items, path, row.names = FALSE, na = "")
  path
}

# cac() with a list of cut sets: one fit per set, each the fit of a call with
# that set alone (and its own true cuts, when they are listed too), named as
# the list is.
cut_sets <- function(call, cuts, true_cuts) {
  if (length(cuts) == 0L) fail("`cuts` must hold at least one set of cut scores.")
  if (!is.null(true_cuts) && (!is.list(true_cuts) || length(true_cuts) != length(cuts))) {
    fail("with a list of ", length(cuts), " sets of `cuts`, `true_cuts` must be a list of as ",
         "many sets, or left out.")
  }
  caller <- parent.frame(2L)
  fits <- lapply(seq_along(cuts), function(k) {
    one <- call
    one$cuts <- cuts[[k]]
    one$true_cuts <- if (is.null(true_cuts)) cuts[[k]] else true_cuts[[k]]
    eval(one, caller)
  })
  names(fits) <- names(cuts)
  fits
}

# The sets as the library took them, labelled.
set_table <- function(card, labels) {
  data.frame(set = labels, weight = card$weight, items = card$items,
             points = vapply(card$points, function(p) paste(score_text(p), collapse = " "), ""),
             stringsAsFactors = FALSE)
}

# R's own stop at scores that equal none of their set's points, naming the
# row and column of `data` (unmatched = "error").
stop_unmatched <- function(u, sets, labels, keep) {
  set <- sets[[u$set]]
  row <- keep[u$record]
  column <- labels[set$columns[u$item]]
  stop(tesserlink_error(paste0(
    "Set '", set$label, "': ", counted(u$count, "item score"), " of ",
    counted(u$examinees, "examinee"), if (u$count == 1) " equals" else " equal",
    " none of its points (", paste(score_text(set$points), collapse = ", "), "); ",
    if (u$count == 1) "it" else "the first", " is ", score_text(u$value), " in row ", row,
    ", column '", column, "'. Use unmatched = \"ignore\" to count such scores under no point."),
    code = "data.unmatched_scores", argument = "data", set = set$label, row = row,
    column = column, value = u$value))
}

# IDs as the results files write them: text, and NA as an empty cell.
id_text <- function(ids) {
  text <- as.character(ids)
  text[is.na(text)] <- ""
  text
}
