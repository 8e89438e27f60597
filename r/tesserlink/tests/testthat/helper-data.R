# Shared inputs: the bundled examples and a small made-up data set.

example_dir <- function(name) system.file("extdata", name, package = "tesserlink")

example_names <- function() c("gcbs", "mathexam", "spisa", "verbagg")

# A copy of an example in a fresh folder, so that its report can be written.
example_copy <- function(name) {
  folder <- file.path(tempfile("example-"), name)
  dir.create(folder, recursive = TRUE)
  file.copy(dir(example_dir(name), full.names = TRUE), folder)
  folder
}

# The example's data files side by side in one data frame, and the cac()
# arguments that stand for its card, read from the run of the card.
example_as_cac_input <- function(fit, folder) {
  columns <- list()
  sets <- list()
  for (s in seq_len(nrow(fit$sets))) {
    file <- fit$sets$set[s]
    scores <- read.table(file.path(folder, file), header = FALSE)
    names(scores) <- paste0("s", s, "_", seq_len(ncol(scores)))
    columns[[s]] <- scores
    sets[[file]] <- list(items = names(scores),
                         points = as.numeric(strsplit(fit$sets$points[s], " ")[[1]]),
                         weight = fit$sets$weight[s])
  }
  list(data = do.call(cbind, columns), sets = sets, cuts = fit$cuts$observed_cut,
       true_cuts = fit$cuts$true_cut, bias_correction = fit$summary$bias_corrected)
}

# 40 examinees, 8 items scored 0/1/2 and 4 items scored 0/1.
small_data <- function() {
  set.seed(7)
  ability <- runif(40)
  poly <- sapply(1:8, function(j) rbinom(40, 2, ability))
  dich <- sapply(1:4, function(j) rbinom(40, 1, ability))
  data <- data.frame(poly, dich)
  names(data) <- c(paste0("p", 1:8), paste0("d", 1:4))
  data$name <- sprintf("E%02d", 1:40)
  data
}

small_sets <- function() {
  list(poly = list(items = paste0("p", 1:8), points = 0:2),
       dich = list(items = paste0("d", 1:4), points = 0:1, weight = 2))
}

error_of <- function(expr) tryCatch(expr, error = identity)
