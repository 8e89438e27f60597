# Grouping columns for cac(by = ): each kept examinee's value as text (NA for
# a missing value), with the value labels of a factor or a labelled column.
# The library orders the levels by the same rule as a table's columns.

group_columns <- function(by, data, labels, used, id_column, keep, min_group) {
  if (is.null(by)) return(list())
  if (length(by) == 0L) fail("`by` must name at least one column, or be NULL.")
  columns <- resolve_columns(by, data, "`by`")
  if (anyDuplicated(columns)) fail("`by` names the column '", labels[columns[anyDuplicated(columns)]], "' twice.")
  for (j in columns) {
    if (j %in% used) fail("`by` column '", labels[j], "' is also an item column.")
    if (!is.null(id_column) && j == id_column) fail("`by` column '", labels[j], "' is the `id` column.")
  }
  cells <- vector("list", length(columns))
  value_labels <- vector("list", length(columns))
  for (g in seq_along(columns)) {
    x <- if (is.matrix(data)) data[keep, columns[g]] else data[[columns[g]]][keep]
    coded <- group_cells(x)
    if (is.null(coded)) {
      fail("`by` column '", labels[columns[g]], "' must be a factor or a numeric, character or ",
           "logical vector.")
    }
    cells[[g]] <- coded$cells
    if (!is.null(coded$labels)) value_labels[[g]] <- coded$labels
  }
  list(names = labels[columns], cells = cells, labels = value_labels, min_group = min_group)
}

# A factor's levels name its codes, as value labels name a statistics file's
# values; a labelled vector (attribute "labels") names its values too.
group_cells <- function(x) {
  if (is.factor(x)) {
    return(list(cells = ifelse(is.na(x), NA_character_, as.character(as.integer(x))),
                labels = list(values = as.character(seq_along(levels(x))), names = levels(x))))
  }
  named <- attr(x, "labels", exact = TRUE)
  x <- unclass(x)
  if (!is.numeric(x) && !is.character(x) && !is.logical(x)) return(NULL)
  cells <- as.character(x)
  cells[is.na(x)] <- NA_character_
  out <- list(cells = cells, labels = NULL)
  if (!is.null(named) && !is.null(names(named))) {
    out$labels <- list(values = as.character(unname(unclass(named))), names = names(named))
  }
  out
}
