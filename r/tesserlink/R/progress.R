# How far a bootstrap is, as messages (suppressMessages() silences them): told
# by the library when the bootstrap starts and then every two seconds.
bootstrap_message <- function(done, total) {
  count <- function(x) formatC(x, format = "f", digits = 0, big.mark = ",")
  message(sprintf("Bootstrap: %s of %s replicates (%d%%)", count(done), count(total),
                  as.integer(floor(100 * done / total))))
}

progress_reporter <- function(progress) if (progress) bootstrap_message else NULL
