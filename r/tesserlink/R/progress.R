# How far a bootstrap is, as messages (suppressMessages() silences them): told
# by the library when the bootstrap starts and then every two seconds.
bootstrap_message <- function(done, total) {
  message(sprintf("Bootstrap: %s of %s replicates (%d%%)", format(done, big.mark = ","),
                  format(total, big.mark = ","), as.integer(floor(100 * done / total))))
}

progress_reporter <- function(progress) if (progress) bootstrap_message else NULL
