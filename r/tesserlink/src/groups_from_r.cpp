#include "groups_from_r.h"

#include <string>

#include "input/group_levels.h"

namespace tlr {

tl::ExamineeGroups groupsFromR(const Rcpp::List& groups) {
    tl::ExamineeGroups out;
    if (groups.size() == 0) return out;
    const Rcpp::CharacterVector names = groups["names"];
    const Rcpp::List cells = groups["cells"];
    const Rcpp::List labels = groups["labels"];
    out.minGroup = static_cast<std::int64_t>(Rcpp::as<double>(groups["min_group"]));
    for (R_xlen_t v = 0; v < names.size(); ++v) {
        tl::GroupLevelCollector collector(Rcpp::as<std::string>(names[v]));
        const Rcpp::CharacterVector values = cells[v];
        for (R_xlen_t i = 0; i < values.size(); ++i) {
            if (Rcpp::CharacterVector::is_na(values[i])) {
                collector.addMissing();
            } else {
                collector.add(Rcpp::as<std::string>(values[i]));
            }
        }
        if (!Rf_isNull(labels[v])) {
            const Rcpp::List named = labels[v];
            const Rcpp::CharacterVector value = named["values"];
            const Rcpp::CharacterVector label = named["names"];
            for (R_xlen_t l = 0; l < value.size(); ++l)
                collector.label(Rcpp::as<std::string>(value[l]), Rcpp::as<std::string>(label[l]));
        }
        out.variables.push_back(collector.finish());
    }
    return out;
}

}  // namespace tlr
