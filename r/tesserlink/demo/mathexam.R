# A written mathematics exam of 13 items taken by 729 students, each item
# marked 4 (correct), -1 (wrong) or 0 (no answer); pass mark 26.
# Source and licence of the data: extdata/mathexam/PROVENANCE.md.
library(tesserlink)

path <- system.file("extdata", "mathexam", "points.dat", package = "tesserlink")
exam <- read.csv(path, sep = " ", header = FALSE)
names(exam) <- c("quad", "deriv", "elasticity", "integral", "interest", "annuity", "payflow",
                 "matrix", "planning", "equations", "hesse", "implicit", "lagrange")
exam$student <- sprintf("S%03d", seq_len(nrow(exam)))

# Two worker threads, as CRAN asks of demos; leave `threads` out to use every core.
fit <- cac(exam,
           sets = list(exam = list(items = 1:13, points = c(-1, 0, 4))),
           cuts = 26, id = "student", threads = 2)
print(fit)
print(summary(fit))

# The students closest to the pass mark are the least safely classified.
near <- fit$examinees[abs(fit$examinees$observed_composite - 26) <= 2, ]
print(head(near[order(near$consistency), c("id", "observed_composite", "p_1", "p_2",
                                            "consistency", "accuracy")]))

plot(fit)                         # consistency and accuracy by score
plot(fit, type = "distribution")  # the scores and the pass mark
