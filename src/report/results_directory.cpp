#include "report/results_directory.h"

#include "core/errors.h"

namespace tl {

void writeResultsDirectory(const Results&, const std::filesystem::path& dir) {
    throw InputError(dir.string() + ": results files are not written by this build");
}

}  // namespace tl
