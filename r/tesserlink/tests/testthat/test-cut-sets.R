# Cuts without a new file: given over an analysis file's, and several cut sets
# at once in cac(), each fit the fit of a lone call.

cut_file <- function(labels = NULL) {
  folder <- tempfile("cuts-")
  dir.create(folder)
  writeLines(c("id,q1,q2,q3,q4", "1,0,1,2,1", "2,2,2,1,0", "3,1,1,1,2", "4,0,0,1,2",
               "5,2,2,2,1", "6,1,2,2,2", "7,0,1,0,1", "8,2,2,2,2"),
             file.path(folder, "s.csv"))
  writeLines(c("[data]", "file = \"s.csv\"", "id = \"id\"", "[[sets]]", "items = \"q1 q2 q3 q4\"",
               "points = [0, 1, 2]", "[classification]", labels, "observed_cuts = [4]"),
             file.path(folder, "a.toml"))
  file.path(folder, "a.toml")
}

test_that("cuts given over an analysis file's give the numbers of the file written with them", {
  path <- cut_file()
  given <- run_analysis(path, cuts = c(3, 5), threads = 1)
  lines <- readLines(path)
  lines[lines == "observed_cuts = [4]"] <- "observed_cuts = [3, 5]"
  writeLines(lines, path)
  written <- run_analysis(path, threads = 1)
  expect_identical(given$overall, written$overall)
  expect_identical(given$cuts, written$cuts)
  expect_equal(given$summary$categories, 3)
})

test_that("cuts that no longer fit the labels are refused, naming both counts", {
  path <- cut_file("labels = [\"No\", \"Yes\"]")
  kept <- run_analysis(path, cuts = 5, threads = 1)
  expect_identical(kept$cuts$observed_cut, 5)
  e <- error_of(run_analysis(path, cuts = c(3, 5), threads = 1))
  expect_identical(e[c("code", "argument", "status")],
                   list(code = "cuts.label_count", argument = "cuts", status = 2L))
  expect_match(conditionMessage(e), "3 categories, but 2 category labels")
  e <- error_of(run_analysis(path, true_cuts = c(3, 5), threads = 1))
  expect_identical(e[c("code", "argument")], list(code = "run.option", argument = "true_cuts"))
})

test_that("a list of cut sets gives one fit per set, each that of a lone call", {
  sets <- list(poly = list(items = paste0("p", 1:8), points = 0:2))
  fits <- cac(small_data(), sets, cuts = list(higher = c(5, 11), lower = c(4, 9)), threads = 1)
  expect_identical(names(fits), c("higher", "lower"))
  lone <- cac(small_data(), sets, cuts = c(4, 9), threads = 1)
  expect_identical(fits$lower$overall, lone$overall)
  expect_identical(fits$lower$cuts, lone$cuts)
  expect_identical(fits$higher$cuts$observed_cut, c(5, 11))
  paired <- cac(small_data(), sets, cuts = list(c(5, 11), 6), true_cuts = list(c(6, 12), 7),
                threads = 1)
  expect_identical(paired[[2]]$cuts$true_cut, 7)
  expect_error(cac(small_data(), sets, cuts = list(5, 6), true_cuts = 5, threads = 1),
               "a list of 2 sets")
})
