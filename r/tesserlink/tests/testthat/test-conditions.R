# The library's findings as R conditions: strictness, the file's bootstrap
# and the warnings R once missed, told apart by code.

# An analysis file over a small table whose item scores are 0 to 2, with
# `extra` lines added to it; `score` is examinee 5's third score.
small_file <- function(extra = character(0), score = 2) {
  folder <- tempfile("conditions-")
  dir.create(folder)
  writeLines(c("id,q1,q2,q3,q4", "1,0,1,2,1", "2,2,2,1,0", "3,1,1,1,2", "4,0,0,1,2",
               paste0("5,2,2,", score, ",1"), "6,1,2,2,2", "7,0,1,0,1", "8,2,2,2,2"),
             file.path(folder, "s.csv"))
  writeLines(c("[data]", "file = \"s.csv\"", "id = \"id\"", "[[sets]]", "items = \"q1:q4\"",
               "points = [0, 1, 2]", "[classification]", "observed_cuts = [4]", extra),
             file.path(folder, "a.toml"))
  file.path(folder, "a.toml")
}

code_of <- function(expr) {
  tryCatch({
    expr
    "none"
  }, tesserlink_error = function(e) e$code, tesserlink_warning = function(w) w$code)
}

test_that("bootstrap = 0 turns the file's bootstrap off, as --bootstrap 0 does", {
  path <- small_file(c("[options]", "bootstrap = 3", "seed = 4"))
  expect_equal(run_analysis(path, threads = 1)$summary$bootstrap_replicates, 3)
  expect_null(run_analysis(path, bootstrap = 0, threads = 1)$bootstrap)
  e <- error_of(run_analysis(path, bootstrap = 1, threads = 1))
  expect_identical(e[c("code", "argument", "status")],
                   list(code = "run.option", argument = "bootstrap", status = 2L))
})

test_that("a data misfit is a warning, and an error under strict or the file's strict", {
  misfit <- small_file(score = 9)
  expect_identical(code_of(run_analysis(misfit, threads = 1)), "data.unmatched_scores")
  e <- error_of(run_analysis(misfit, strict = TRUE, threads = 1))
  expect_identical(e[c("code", "severity", "status")],
                   list(code = "run.strict", severity = "error", status = 2L))
  by_file <- small_file(c("[options]", "strict = true"), score = 9)
  expect_identical(code_of(run_analysis(by_file, threads = 1)), "run.strict")
  # Strictness refuses misfits only.
  expect_identical(code_of(run_analysis(small_file(), strict = TRUE, threads = 1)), "none")
})

test_that("the library's warnings reach R by code", {
  w <- tryCatch(cac(small_data(), small_sets(), c(10, 10), threads = 1),
                tesserlink_warning = identity)
  expect_identical(w[c("code", "severity")],
                   list(code = "cuts.empty_observed_category", severity = "warning"))
  one <- list(poly = list(items = paste0("p", 1:8), points = 0:2, weight = 0.5))
  expect_identical(code_of(cac(small_data(), one, 4, threads = 1)), "cuts.single_set_weight")
})
