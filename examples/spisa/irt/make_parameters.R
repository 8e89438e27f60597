# Writes spisa.csv (the five item sets of the folder above side by side, one column
# per item) and parameters.csv (Rasch difficulties of the 45 items, estimated
# by conditional maximum likelihood with the eRm package, Debian r-cran-erm).
# Run from this folder: Rscript make_parameters.R
library(eRm)

subjects <- c(politics = "pol", history = "his", economy = "eco",
              culture = "cul", science = "sci")
parts <- lapply(names(subjects), function(subject) {
    scores <- as.matrix(read.table(file.path("..", paste0(subject, ".dat"))))
    colnames(scores) <- paste0(subjects[[subject]], seq_len(ncol(scores)))
    scores
})
scores <- do.call(cbind, parts)
table <- data.frame(id = seq_len(nrow(scores)), scores)
write.csv(table, "spisa.csv", row.names = FALSE, quote = FALSE)

# eRm's item parameters are easiness (beta); a difficulty is its negative.
fit <- RM(scores)
difficulty <- -fit$betapar
parameters <- data.frame(item = colnames(scores), model = "1PL",
                         b = sprintf("%.6f", difficulty))
write.csv(parameters, "parameters.csv", row.names = FALSE, quote = FALSE)
