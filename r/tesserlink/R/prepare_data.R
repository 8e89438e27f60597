# From the user's data and set descriptions to one numeric matrix per set.

column_labels <- function(data) {
  labels <- colnames(data)
  if (is.null(labels)) labels <- rep("", ncol(data))
  unnamed <- is.na(labels) | labels == ""
  labels[unnamed] <- paste0("column ", which(unnamed))
  labels
}

# Column positions of `items` (names or indices) in `data`.
resolve_columns <- function(items, data, what) {
  if (is.character(items)) {
    if (anyNA(items)) fail(what, " holds NA.")
    names <- colnames(data)
    if (is.null(names)) fail(what, " names columns, but `data` has no column names.")
    missing <- setdiff(items, names)
    if (length(missing)) {
      near <- .Call(tl_closest_names, missing[[1]], names)
      fail(what, " names ", if (length(missing) == 1) "a column" else "columns", " not in `data`: ",
           paste0("'", missing, "'", collapse = ", "),
           if (length(near)) paste0("; the closest ", if (length(missing) > 1) "to the first ",
                                    "are ", paste(near, collapse = ", ")), ".")
    }
    return(match(items, names))
  }
  if (is.numeric(items) && !anyNA(items) && all(items == round(items))) {
    bad <- items[items < 1 | items > ncol(data)]
    if (length(bad)) {
      fail(what, " has ", if (length(bad) == 1) "a column index" else "column indices",
           " outside 1..", ncol(data), ": ", paste(bad, collapse = ", "), ".")
    }
    return(as.integer(items))
  }
  fail(what, " must be column names or whole-number column indices.")
}

set_label <- function(sets, s) {
  label <- names(sets)[s]
  if (is.null(label) || is.na(label) || label == "") paste("set", s) else label
}

# Checks one set's description; returns list(columns, points, weight, label).
check_set <- function(set, s, sets, data) {
  label <- set_label(sets, s)
  what <- paste0("`sets[[", s, "]]`")
  part <- function(element) paste0("`sets[[", s, "]]$", element, "`")
  if (!is.list(set)) fail(what, " must be a list(items = , points = , weight = ).")
  unknown <- setdiff(names(set), c("items", "points", "weight", "reverse"))
  if (is.null(names(set)) || any(names(set) == "") || length(unknown)) {
    fail(what, " may hold only the named elements items, points, weight and reverse.")
  }
  if (is.null(set$items) || length(set$items) == 0L) fail(what, " needs `items`.")
  if (is.null(set$points)) fail(what, " needs `points`.")
  columns <- resolve_columns(set$items, data, part("items"))
  if (anyDuplicated(columns)) fail(part("items"), " names a column more than once.")
  weight <- if (is.null(set$weight)) 1 else set$weight
  if (!is.numeric(weight) || length(weight) != 1L || !is.finite(weight)) {
    fail(part("weight"), " must be one finite number.")
  }
  # Reverse-keyed items: some of the set's own; the library turns their scores.
  reverse <- if (is.null(set$reverse)) integer(0) else resolve_columns(set$reverse, data, part("reverse"))
  stray <- setdiff(reverse, columns)
  if (length(stray)) {
    fail(part("reverse"), " names ", paste0("'", column_labels(data)[stray], "'", collapse = ", "),
         ", not an item of the set.")
  }
  list(columns = columns, points = check_scores(set$points, part("points")),
       weight = as.numeric(weight), label = label, reversed = columns %in% reverse)
}

check_sets <- function(sets, data) {
  if (!is.list(sets) || length(sets) == 0L) {
    fail("`sets` must be a non-empty list of item sets, each list(items = , points = , weight = ).")
  }
  # A single set given bare is the list of one.
  if (!is.null(names(sets)) && all(names(sets) %in% c("items", "points", "weight", "reverse"))) {
    sets <- list(sets)
  }
  lapply(seq_along(sets), function(s) check_set(sets[[s]], s, sets, data))
}

check_data <- function(data) {
  if (is.matrix(data)) {
    if (!is.numeric(data)) fail("`data` must be a numeric matrix or a data frame.")
  } else if (!is.data.frame(data)) {
    fail("`data` must be a data frame or a matrix, one row per examinee.")
  }
  if (nrow(data) == 0L || ncol(data) == 0L) fail("`data` has no rows or no columns.")
  data
}

# The item columns as numbers; every one must be numeric.
item_matrix <- function(data, columns, labels) {
  if (is.matrix(data)) return(matrix(as.numeric(data[, columns]), nrow(data)))
  numeric <- vapply(columns, function(j) is.numeric(data[[j]]), logical(1))
  if (!all(numeric)) {
    fail("Item columns must be numeric; ", if (sum(!numeric) == 1) "this one is" else "these are",
         " not: ", paste0("'", labels[columns[!numeric]], "'", collapse = ", "), ".")
  }
  matrix(as.numeric(unlist(data[columns], use.names = FALSE)), nrow(data))
}

shown <- function(x, most = 10L) {
  more <- length(x) - most
  paste0(paste(x[seq_len(min(most, length(x)))], collapse = ", "), if (more > 0) paste0(" and ", more, " more"))
}

# Rows to keep after the NA rule; stops on NA (rule "error") or on infinite scores.
rows_to_keep <- function(scores, labels, na) {
  missing <- is.na(scores)
  infinite <- is.infinite(scores)
  if (any(infinite)) {
    where <- which(infinite, arr.ind = TRUE)
    rows <- unique(where[, 1])
    columns <- unique(where[, 2])
    fail("`data` holds infinite item scores in ", if (length(rows) == 1) "row " else "rows ",
         shown(rows), " (", if (length(columns) == 1) "column " else "columns ",
         shown(paste0("'", labels[columns], "'")), ").")
  }
  rows <- which(rowSums(missing) > 0)
  if (!length(rows)) return(seq_len(nrow(scores)))
  if (na == "error") {
    columns <- which(colSums(missing) > 0)
    stop(tesserlink_error(paste0(
      "`data` holds NA item scores in ", counted(length(rows), "row"), " (", shown(rows), ") and ",
      counted(length(columns), "column"), " (", shown(paste0("'", labels[columns], "'")),
      "); use na = \"omit\" to leave those examinees out."), argument = "data", rows = rows,
      columns = labels[columns]))
  }
  keep <- setdiff(seq_len(nrow(scores)), rows)
  if (!length(keep)) fail("Every examinee has an NA item score; none is left.")
  message(tesserlink_message(paste0(
    counted(length(rows), "examinee"), " with NA item scores left out (",
    if (length(rows) == 1) "row " else "rows ", shown(rows), ")."), code = "r.rows_omitted",
    rows = rows))
  keep
}
