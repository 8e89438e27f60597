# A testing program from R: several analysis files in one call, one summary.

program_paths <- function() {
  paths <- vapply(c("mathexam", "verbagg"), function(name) {
    file.path(example_copy(name), "analysis.toml")
  }, "")
  broken <- file.path(tempfile("broken-"), "broken.toml")
  dir.create(dirname(broken))
  writeLines(c("[[sets]]", "file = \"missing.dat\"", "items = 3", "points = [0, 1]"), broken)
  unname(c(paths, broken))
}

test_that("run_analysis() of several files gives each file's own results and one summary", {
  paths <- program_paths()
  expect_warning(program <- run_analysis(paths, threads = 2, write = FALSE),
                 class = "tesserlink_warning", regexp = "1 analysis file of 3 failed")
  expect_s3_class(program, "tesserlink_program")
  expect_identical(names(program$results), paths)
  expect_null(program$results[[3]])
  s <- program$summary
  expect_identical(s$file, paths)
  expect_identical(is.na(s$error), c(TRUE, TRUE, FALSE))
  expect_match(s$error[3], "broken.toml: classification", fixed = TRUE)
  for (i in 1:2) {
    alone <- run_analysis(paths[i], threads = 1, write = FALSE)
    expect_identical(program$results[[i]]$overall, alone$overall)
    expect_identical(s$examinees[i], alone$summary$examinees)
    expect_identical(s$categories[i], alone$summary$categories)
    expect_identical(s$reliability[i], alone$reliability$reliability)
    for (index in names(alone$overall)) expect_identical(s[[index]][i], alone$overall[[index]])
    cuts <- program$cuts[program$cuts$file == paths[i], ]
    expect_identical(cuts$observed_cut, alone$cuts$observed_cut)
    expect_identical(cuts$accuracy, alone$cuts$accuracy)
    expect_identical(cuts$kappa, alone$cuts$kappa)
  }
  expect_true(all(is.na(unlist(s[3, c("examinees", "reliability", "consistency")]))))
  expect_false("consistency_se" %in% names(s))
  expect_output(print(program), "testing program: 3 tests")
})

test_that("a bootstrapped program's summary holds each file's standard errors", {
  paths <- program_paths()[1:2]
  program <- run_analysis(paths, bootstrap = 20, seed = 3, threads = 2, write = FALSE)
  for (i in 1:2) {
    b <- program$results[[i]]$bootstrap
    overall <- b[is.na(b$cut), ]
    for (index in overall$index) {
      expect_identical(program$summary[[paste0(index, "_se")]][i], overall$se[overall$index == index])
    }
    first <- b[!is.na(b$cut) & b$cut == 1, ]
    row <- program$cuts[program$cuts$file == paths[i] & program$cuts$cut == 1, ]
    expect_identical(row$accuracy_se, first$se[first$index == "accuracy"])
  }
})

test_that("one path is one result, as before", {
  path <- program_paths()[1]
  fit <- run_analysis(path, threads = 1, write = FALSE)
  expect_s3_class(fit, "tesserlink")
  expect_error(run_analysis(c(path, NA)), class = "tesserlink_error")
})
