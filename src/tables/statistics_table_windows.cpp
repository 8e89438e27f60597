// The Windows counterpart of statistics_table.cpp. ReadStat converts the files'
// text with iconv, which the Windows build has no library for, so the Windows
// program reads delimited text only and says how to get there.
#ifdef _WIN32

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
    throw InputError(source.path + ": " + filesOf(source.format) +
                     " not supported in the Windows build; save the table as CSV");
}

}  // namespace tl

#endif  // _WIN32
