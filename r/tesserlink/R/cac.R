# Classification consistency and accuracy of item scores held in R.
cac <- function(data, sets, cuts, true_cuts = cuts, bias_correction = FALSE, bootstrap = 0,
                seed = 1, id = NULL, na = c("error", "omit"), unmatched = c("error", "ignore"),
                threads = 0) {
  call <- match.call()
  if (missing(data)) fail("`data` is missing: a data frame or matrix, one row per examinee.")
  if (missing(sets)) fail("`sets` is missing: a list of item sets, each list(items = , points = ).")
  if (missing(cuts)) fail("`cuts` is missing: the cut scores on the observed composite.")
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
  seed <- check_whole(seed, "seed")
  threads <- check_whole(threads, "threads", 0, 1024)
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
    list(scores = matrix_of_set, points = set$points, weight = set$weight, label = set$label)
  })

  out <- .Call(tl_analyze, native_sets, cuts, true_cuts, bias_correction, bootstrap, seed,
               threads, unmatched == "error")
  if (!is.null(out$unmatched)) stop_unmatched(out$unmatched, sets, labels, keep)
  if (!is.null(out$error)) fail_library(out$error)
  ids <- if (is.null(id_column)) NULL else data[[id_column]][keep]
  if (is.matrix(data) && !is.null(id_column)) ids <- data[keep, id_column]
  result <- new_tesserlink(out, labels = vapply(sets, `[[`, "", "label"), record = keep,
                           id = ids, call = call)
  tell_unmatched(result)
  result
}

# The sets as the library took them, labelled.
set_table <- function(card, labels) {
  data.frame(set = labels, weight = card$weight, items = card$items,
             points = vapply(card$points, function(p) paste(format(p, trim = TRUE), collapse = " "), ""),
             stringsAsFactors = FALSE)
}

# The library's refusal as an R error: its console line without "Error! ".
fail_library <- function(line) fail(sub("^Error! ", "", line))

stop_unmatched <- function(u, sets, labels, keep) {
  set <- sets[[u$set]]
  fail("Set '", set$label, "': ", format(u$count), " item score", if (u$count > 1) "s",
       " of ", u$examinees, " examinee", if (u$examinees > 1) "s", " equal none of its points (",
       paste(format(set$points, trim = TRUE), collapse = ", "), "); the first is ", format(u$value),
       " in row ", keep[u$record], ", column '", labels[set$columns[u$item]],
       "'. Use unmatched = \"ignore\" to count such scores under no point.")
}

tell_unmatched <- function(result) {
  sets <- result$sets
  for (s in which(sets$unmatched > 0)) {
    message("tesserlink: set '", sets$set[s], "': ", sets$unmatched[s],
            " item scores equal none of its points and count under no point.")
  }
}
