// The counterpart of statistics_table.cpp where ReadStat does not build: it
// converts the files' text with iconv, which neither the Windows nor the
// browser build has a library for. There the program reads delimited text only
// and says how to get there.
#if defined(_WIN32) || defined(__EMSCRIPTEN__)

#include <string>

#include "core/errors.h"
#include "tables/table.h"

namespace tl {

namespace {

std::string filesOf(TableFormat format) {
    switch (format) {
        case TableFormat::Spss:
            return "SPSS files are";
        case TableFormat::Stata:
            return "Stata files are";
        case TableFormat::Sas:
            return "SAS data sets are";
        case TableFormat::Xport:
            return "SAS transport files are";
        case TableFormat::Delimited:
            break;
    }
    return "statistics files are";
}

}  // namespace

void readStatisticsTable(const TableSource& source, TableVisitor&) {
#ifdef _WIN32
    const char* build = "the Windows build";
#else
    const char* build = "the browser build";
#endif
    throw InputError(source.path + ": " + filesOf(source.format) + " not supported in " + build +
                     "; save the table as CSV");
}

}  // namespace tl

#endif
