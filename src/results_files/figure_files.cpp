#include "results_files/figure_files.h"

#include "results_files/comparison_svg.h"
#include "results_files/groups_html.h"
#include "results_files/model_svg.h"
#include "results_files/results_svg.h"
#include "results_files/sweep_svg.h"

namespace tl {

std::vector<std::pair<std::string, std::string>> composeFigureFiles(const Results& results) {
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back("conditional.svg", conditionalFigureSvg(results, SvgUse::File));
    files.emplace_back("histogram.svg", histogramSvg(results, SvgUse::File));
    files.emplace_back("csem.svg", csemFigureSvg(results, SvgUse::File));
    if (results.scale)
        files.emplace_back("scale_csem.svg", scaleCsemFigureSvg(results, SvgUse::File));
    if (!results.theta.empty())
        files.emplace_back("theta.svg", thetaFigureSvg(results, SvgUse::File));
    if (results.model.fit)
        files.emplace_back("model_fit.svg", modelFitFigureSvg(results, SvgUse::File));
    if (results.sweep) {
        files.emplace_back("sweep.svg", sweepFigureSvg(results, SvgUse::File));
        files.emplace_back("roc.svg", rocFigureSvg(results, SvgUse::File));
    }
    if (results.comparison) {
        files.emplace_back("comparison_accuracy.svg",
                           comparisonAccuracyFigureSvg(results, SvgUse::File));
        files.emplace_back("comparison_indices.svg",
                           comparisonIndicesFigureSvg(results, SvgUse::File));
    }
    for (auto& file : groupFigureFiles(results)) files.push_back(std::move(file));
    return files;
}

bool isFigureFileName(const std::string& name) {
    return name.ends_with(".svg") || name.ends_with(".png");
}

}  // namespace tl
