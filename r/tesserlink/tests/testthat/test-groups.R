# Subgroup results: cac(by = ) and an analysis file's [data] groups.

grouped_data <- function() {
  data <- small_data()
  set.seed(11)
  data$sex <- factor(sample(c("Male", "Female"), 40, replace = TRUE), levels = c("Male", "Female"))
  data$grade <- rep(c(10, 9, 11, 9), 10)
  data$ell <- rep(c("yes", "no", NA, "no", "no"), 8)
  data
}

level_means <- function(fit, rows, column) mean(fit$examinees[[column]][rows])

test_that("by = gives each level the means of its examinees, in value order", {
  data <- grouped_data()
  fit <- cac(data, small_sets(), cuts = c(10, 18), by = c("sex", "grade", "ell"), min_group = 10,
             threads = 1)
  g <- fit$groups
  expect_s3_class(g, "data.frame")
  expect_named(g, c("variable", "level", "examinees", "small", "index", "cut", "value"))
  overall <- g[is.na(g$cut), ]
  levels_seen <- unique(overall[c("variable", "level")])
  expect_identical(levels_seen$level, c("Male", "Female", "9", "10", "11", "no", "yes",
                                        "(missing)"))
  members <- list(sex = as.character(data$sex), grade = as.character(data$grade),
                  ell = ifelse(is.na(data$ell), "(missing)", data$ell))
  for (i in seq_len(nrow(levels_seen))) {
    v <- levels_seen$variable[i]
    l <- levels_seen$level[i]
    rows <- which(members[[v]] == l)
    these <- overall[overall$variable == v & overall$level == l, ]
    expect_identical(these$examinees[1], as.numeric(length(rows)))
    expect_identical(these$small[1], length(rows) < 10)
    for (index in c("consistency", "accuracy", "false_positive", "false_negative")) {
      expect_equal(these$value[these$index == index], level_means(fit, rows, index),
                   tolerance = 1e-12, label = paste(v, l, index))
    }
  }
  # The levels of one variable, weighted by their sizes, give the whole sample.
  for (v in names(members)) {
    these <- overall[overall$variable == v & overall$index == "accuracy", ]
    expect_equal(sum(these$examinees * these$value) / 40, fit$overall$accuracy, tolerance = 1e-12)
  }
  # Per-cut rows: six indices and five diagnostics at each of the two cuts.
  expect_identical(nrow(g), 8L * (6L + 2L * 11L))
})

test_that("by = shares the whole sample's bootstrap replicates", {
  data <- grouped_data()
  one <- cac(data, small_sets(), cuts = c(10, 18), by = "sex", bootstrap = 30, seed = 5,
             threads = 1)
  two <- cac(data, small_sets(), cuts = c(10, 18), by = "sex", bootstrap = 30, seed = 5,
             threads = 2)
  expect_identical(one$groups, two$groups)
  expect_true(all(c("se", "ci_low", "ci_high") %in% names(one$groups)))
  expect_identical(one$overall, cac(data, small_sets(), cuts = c(10, 18), bootstrap = 30,
                                    seed = 5, threads = 1)$overall)
})

test_that("without by = the result has no groups", {
  fit <- cac(grouped_data(), small_sets(), cuts = c(10, 18), threads = 1)
  expect_null(fit$groups)
})

test_that("by = refuses what is not a grouping column", {
  data <- grouped_data()
  expect_error(cac(data, small_sets(), cuts = 10, by = "sx"), "not in `data`: 'sx'")
  expect_error(cac(data, small_sets(), cuts = 10, by = "p1"), "also an item column")
  expect_error(cac(data, small_sets(), cuts = 10, by = "name", id = "name"), "is the `id` column")
  expect_error(cac(data, small_sets(), cuts = 10, by = "sex", min_group = -1), "min_group")
})

test_that("an analysis file's groups reach run_analysis", {
  folder <- tempfile("groups-")
  dir.create(folder)
  data <- grouped_data()
  data$ell[is.na(data$ell)] <- ""
  write.csv(data, file.path(folder, "g.csv"), row.names = FALSE, na = "")
  writeLines(c("[data]", "file = \"g.csv\"", "groups = [\"grade\", \"ell\"]", "min_group = 12",
               "[[sets]]", "items = \"p1:p8\"", "points = [0, 1, 2]",
               "[classification]", "observed_cuts = [8]"), file.path(folder, "g.toml"))
  fit <- run_analysis(file.path(folder, "g.toml"), threads = 1)
  overall <- fit$groups[is.na(fit$groups$cut) & fit$groups$index == "consistency", ]
  expect_identical(overall$level, c("9", "10", "11", "no", "yes", "(missing)"))
  expect_identical(overall$small, overall$examinees < 12)
  same <- cac(data, list(items = paste0("p", 1:8), points = 0:2), cuts = 8,
              by = c("grade", "ell"), min_group = 12, threads = 1)
  expect_identical(fit$groups$value, same$groups$value)
})
