// Registers the package's native calls with R.
#include <R.h>
#include <R_ext/Rdynload.h>
#include <Rinternals.h>

extern "C" {
SEXP tl_analyze(SEXP);
SEXP tl_run_file(SEXP);
SEXP tl_write_results(SEXP, SEXP);
SEXP tl_parse_doubles(SEXP);
SEXP tl_min_bootstrap();
SEXP tl_closest_names(SEXP, SEXP);
SEXP tl_sweep_names();
SEXP tl_sweep_setting(SEXP, SEXP);

static const R_CallMethodDef callMethods[] = {
    {"tl_analyze", reinterpret_cast<DL_FUNC>(&tl_analyze), 1},
    {"tl_run_file", reinterpret_cast<DL_FUNC>(&tl_run_file), 1},
    {"tl_write_results", reinterpret_cast<DL_FUNC>(&tl_write_results), 2},
    {"tl_parse_doubles", reinterpret_cast<DL_FUNC>(&tl_parse_doubles), 1},
    {"tl_min_bootstrap", reinterpret_cast<DL_FUNC>(&tl_min_bootstrap), 0},
    {"tl_closest_names", reinterpret_cast<DL_FUNC>(&tl_closest_names), 2},
    {"tl_sweep_names", reinterpret_cast<DL_FUNC>(&tl_sweep_names), 0},
    {"tl_sweep_setting", reinterpret_cast<DL_FUNC>(&tl_sweep_setting), 2},
    {nullptr, nullptr, 0}};

void R_init_tesserlink(DllInfo* dll) {
    R_registerRoutines(dll, nullptr, callMethods, nullptr, nullptr);
    R_useDynamicSymbols(dll, FALSE);
}
}
