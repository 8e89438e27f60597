#include "results_files/svg_plot.h"

#include <algorithm>
#include <cmath>

#include "core/number_field.h"
#include "results_files/html_text.h"

namespace tl {

Axis niceAxis(double low, double high, double pixelLow, double pixelHigh, int count,
              bool wholeSteps) {
    if (!(high > low)) high = low + 1.0;
    const double rough = (high - low) / std::max(1, count);
    int power = static_cast<int>(std::floor(std::log10(rough)));
    double unit = std::pow(10.0, power);
    double step = 10.0 * unit;
    for (double multiple : {1.0, 2.0, 5.0}) {
        if (multiple * unit >= rough) {
            step = multiple * unit;
            break;
        }
    }
    if (wholeSteps && step < 1.0) step = unit = 1.0, power = 0;
    Axis axis;
    const auto first = static_cast<long long>(std::floor(low / step + 1e-9));
    const auto last = static_cast<long long>(std::ceil(high / step - 1e-9));
    for (long long k = first; k <= last; ++k) axis.ticks.push_back(static_cast<double>(k) * step);
    axis.low = axis.ticks.front();
    axis.high = axis.ticks.back();
    if (!(axis.high > axis.low)) axis.high = axis.low + step;
    axis.pixelLow = pixelLow;
    axis.pixelHigh = pixelHigh;
    const int stepPower = step >= unit * 10.0 ? power + 1 : power;
    axis.tickDecimals = std::max(0, -stepPower);
    return axis;
}

std::string px(double value) {
    return fixedDecimals(value, 1);
}

std::string svgOpen(const std::string& id, const std::string& title, const std::string& desc,
                    double width, double height, SvgUse use) {
    const bool file = use == SvgUse::File;
    const std::string size = file ? " width=\"" + fixedDecimals(width, 0) + "\" height=\"" +
                                        fixedDecimals(height, 0) + "\""
                                  : std::string();
    return std::string(file ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" : "") +
           "<svg xmlns=\"http://www.w3.org/2000/svg\"" + size + " viewBox=\"0 0 " + px(width) +
           " " + px(height) + "\" role=\"img\" aria-labelledby=\"" + id + "-title " + id +
           "-desc\" class=\"plot\"" + (file ? " font-family=\"sans-serif\"" : "") +
           " font-size=\"15\">\n<title id=\"" + id + "-title\">" + escapeHtml(title) +
           "</title>\n<desc id=\"" + id + "-desc\">" + escapeHtml(desc) + "</desc>\n";
}

std::string svgText(double x, double y, const std::string& content, const std::string& extra) {
    return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\"" + extra + ">" + escapeHtml(content) +
           "</text>\n";
}

std::string svgLine(double x1, double y1, double x2, double y2, const std::string& style) {
    return "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" +
           px(y2) + "\" " + style + "/>\n";
}

}  // namespace tl
