// Registers the package's native calls with R.
#include <R.h>
#include <R_ext/Rdynload.h>
#include <Rinternals.h>

extern "C" {
SEXP tl_analyze(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP, SEXP,
                SEXP, SEXP);
SEXP tl_run_analysis(SEXP, SEXP, SEXP, SEXP, SEXP);
SEXP tl_write_results(SEXP, SEXP);
SEXP tl_run_card(SEXP, SEXP, SEXP, SEXP, SEXP, SEXP);
SEXP tl_parse_doubles(SEXP);
SEXP tl_min_bootstrap();

static const R_CallMethodDef callMethods[] = {
    {"tl_analyze", reinterpret_cast<DL_FUNC>(&tl_analyze), 16},
    {"tl_run_analysis", reinterpret_cast<DL_FUNC>(&tl_run_analysis), 5},
    {"tl_write_results", reinterpret_cast<DL_FUNC>(&tl_write_results), 2},
    {"tl_run_card", reinterpret_cast<DL_FUNC>(&tl_run_card), 6},
    {"tl_parse_doubles", reinterpret_cast<DL_FUNC>(&tl_parse_doubles), 1},
    {"tl_min_bootstrap", reinterpret_cast<DL_FUNC>(&tl_min_bootstrap), 0},
    {nullptr, nullptr, 0}};

void R_init_tesserlink(DllInfo* dll) {
    R_registerRoutines(dll, nullptr, callMethods, nullptr, nullptr);
    R_useDynamicSymbols(dll, FALSE);
}
}
