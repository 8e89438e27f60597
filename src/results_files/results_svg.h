#pragma once

#include <string>

#include "results/results.h"
#include "results_files/svg_plot.h"

namespace tl {

// Inline SVG figures for the results page, drawn from the run's conditional
// rows; each carries its own title and description for screen readers.
// Needs a run analysed with its tables.

// Mean consistency and accuracy at each observed composite score, the point
// area growing with the examinees at that score; the observed cuts as lines.
std::string conditionalFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// The CSEM at each observed composite score, the point area growing with the
// examinees at that score; the observed cuts as lines.
std::string csemFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// The CSEM at each observed scale score, drawn as csemFigureSvg, with the
// observed cuts on the scale. Needs a run with scale scores.
std::string scaleCsemFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// Examinees at each observed composite score, with the observed cuts.
std::string histogramSvg(const Results& results, SvgUse use = SvgUse::Page);

}  // namespace tl
