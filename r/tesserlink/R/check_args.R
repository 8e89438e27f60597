# Argument checks. Each stops with a "tesserlink_error" naming the argument.

backticked <- function(name) if (startsWith(name, "`")) name else paste0("`", name, "`")

is_whole <- function(x) is.numeric(x) && length(x) == 1L && !is.na(x) && is.finite(x) && x == round(x)

check_whole <- function(x, name, min = 0, max = 2^53) {
  if (!is_whole(x) || x < min || x > max) {
    fail("`", name, "` must be one whole number from ", format(min), " to ", format(max), ".")
  }
  as.numeric(x)
}

check_flag <- function(x, name) {
  if (!is.logical(x) || length(x) != 1L || is.na(x)) fail("`", name, "` must be TRUE or FALSE.")
  x
}

check_choice <- function(x, choices, name) {
  if (identical(x, choices)) return(choices[1L])
  if (!is.character(x) || length(x) != 1L || is.na(x) || !(x %in% choices)) {
    fail("`", name, "` must be one of ", paste0("\"", choices, "\"", collapse = ", "), ".")
  }
  x
}

# One or more of `choices`, each as often as it is wanted.
check_choices <- function(x, choices, name) {
  if (!is.character(x) || length(x) == 0L || anyNA(x) || !all(x %in% choices)) {
    fail("`", name, "` must be one or more of ", paste0("\"", choices, "\"", collapse = ", "),
         ".")
  }
  x
}

check_scores <- function(x, name, allow_empty = FALSE) {
  if (!is.numeric(x) || (!allow_empty && length(x) == 0L)) {
    fail(backticked(name), " must be a numeric vector", if (!allow_empty) " of at least one value", ".")
  }
  if (anyNA(x) || any(!is.finite(x))) fail(backticked(name), " must hold finite numbers only.")
  as.numeric(x)
}

# The replicates: a whole number; the library decides which counts a
# bootstrap can run (0 is none).
check_bootstrap <- function(x) check_whole(x, "bootstrap", 0, .Machine$integer.max)

# The bootstrap's seed: the one given, or with `seed = NULL` one drawn from R's
# random-number generator (53 bits from two draws), so that set.seed() governs
# the bootstrap. Nothing is drawn when there is no bootstrap (NULL: the
# library's default seed).
bootstrap_seed <- function(seed, bootstrap) {
  if (!is.null(seed)) return(check_whole(seed, "seed"))
  if (bootstrap == 0) return(NULL)
  high <- floor(stats::runif(1) * 2^21)
  low <- floor(stats::runif(1) * 2^32)
  high * 2^32 + low
}

# Worker threads; 0 is every core, but no more than 2 while R CMD check limits
# the cores a package may use.
check_threads <- function(threads) {
  threads <- check_whole(threads, "threads", 0, 1024)
  limited <- tolower(Sys.getenv("_R_CHECK_LIMIT_CORES_", "")) %in% c("true", "warn", "yes", "1")
  if (threads == 0 && limited) 2 else threads
}

# Category labels: NULL (categories 1 to K), or K distinct, non-empty texts.
check_labels <- function(labels, k) {
  if (is.null(labels)) return(NULL)
  if (is.factor(labels)) labels <- as.character(labels)
  if (!is.character(labels) || anyNA(labels) || any(labels == "")) {
    fail("`labels` must be a character vector of non-empty category labels.")
  }
  if (length(labels) != k) {
    fail("`labels` must hold one label per category: ", k, " (the cuts plus one), not ",
         length(labels), ".")
  }
  if (anyDuplicated(labels)) {
    fail("`labels` must differ from each other; '", labels[anyDuplicated(labels)], "' is repeated.")
  }
  labels
}

# The smallest bootstrap the library runs (the library refuses fewer; R names
# it in its own messages).
min_bootstrap <- function() .Call(tl_min_bootstrap)

# The what-if sweep: FALSE or NULL (not asked for here), TRUE (asked for, with
# an analysis file's [sweep] settings when it has them) or its settings as a
# named list (or named numeric vector), each one number. The library names the
# settings and judges their values.
check_sweep <- function(sweep) {
  if (is.null(sweep) || identical(sweep, FALSE)) return(NULL)
  if (isTRUE(sweep)) return(list())
  known <- .Call(tl_sweep_names)
  if (!(is.list(sweep) || is.numeric(sweep)) ||
      (length(sweep) > 0L && (is.null(names(sweep)) || anyNA(names(sweep)) || any(names(sweep) == "")))) {
    fail("`sweep` must be TRUE, FALSE or a named list of settings among ",
         paste(known, collapse = ", "), ".")
  }
  given <- names(sweep)
  if (anyDuplicated(given)) {
    fail("`sweep` names `", given[anyDuplicated(given)], "` twice; give each setting once.")
  }
  settings <- list()
  for (name in given) {
    value <- sweep[[name]]
    if (!(name %in% known)) {
      closest <- .Call(tl_closest_names, name, known)
      fail("`sweep` has no setting `", name, "`",
           if (length(closest)) paste0(" (did you mean `", closest[1L], "`?)"),
           "; the settings are ", paste(known, collapse = ", "), ".")
    }
    if (!is.numeric(value) || length(value) != 1L || is.na(value) || !is.finite(value)) {
      fail("`sweep$", name, "` must be one finite number, not ", shown_value(value), ".")
    }
    problem <- .Call(tl_sweep_setting, name, as.numeric(value))
    if (nzchar(problem)) fail("`sweep$", name, "` ", problem, ", not ", shown_value(value), ".")
    settings[[name]] <- as.numeric(value)
  }
  settings
}

# A value as an error message names it: one number or text as given, or its kind.
shown_value <- function(x) {
  if (length(x) != 1L) return(paste0("a ", class(x)[1L], " of length ", length(x)))
  if (is.character(x)) return(paste0("\"", x, "\""))
  format(x)
}
