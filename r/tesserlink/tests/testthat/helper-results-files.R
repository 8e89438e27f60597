# The command line to compare with, and the results files read back exactly.

# The command line of the checkout the tests run from, or a skip.
command_line <- function() {
  program <- Sys.getenv("TESSERLINK_PROGRAM",
                        file.path(Sys.getenv("TESSERLINK_CHECKOUT"), "build", "tesserlink"))
  skip_if_not(nzchar(Sys.getenv("TESSERLINK_CHECKOUT")) && file.exists(program),
              "no command line built in the checkout")
  program
}

# The tables of a results CSV file, each after a blank line: numbers read back
# as the doubles they were written from (an empty cell is NaN, a number the
# library could not give), other cells as text.
csv_tables <- function(path) {
  lines <- readLines(path)
  blank <- which(lines == "")
  starts <- c(1L, blank + 1L)
  ends <- c(blank - 1L, length(lines))
  lapply(seq_along(starts), function(t) {
    table <- utils::read.csv(text = lines[starts[t]:ends[t]], colClasses = "character")
    for (column in names(table)) {
      cells <- table[[column]]
      parsed <- .Call("tl_parse_doubles", cells, PACKAGE = "tesserlink")
      if (!anyNA(parsed[nzchar(cells)])) table[[column]] <- replace(parsed, !nzchar(cells), NaN)
    }
    table
  })
}
