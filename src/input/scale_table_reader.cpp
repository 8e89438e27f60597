#include "input/scale_table_reader.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/errors.h"
#include "input/number_syntax.h"
#include "platform/text_file.h"

namespace tl {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    // A field in quotes holds the same text without them.
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t comma = line.find(',');
        out.push_back(trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos) return out;
        line.remove_prefix(comma + 1);
    }
}

}  // namespace

ScaleTable readScaleTable(std::string_view text, const std::string& source) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    ScaleTable table;
    table.source = source;
    std::size_t rawColumn = 0, scaleColumn = 0;
    bool headerSeen = false;
    std::int64_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (trimmed(line).empty()) continue;
        const std::vector<std::string_view> cells = fields(line);
        if (!headerSeen) {
            bool hasRaw = false, hasScale = false;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                if (cells[c] == "raw") rawColumn = c, hasRaw = true;
                if (cells[c] == "scale") scaleColumn = c, hasScale = true;
            }
            if (!hasRaw || !hasScale) {
                throw InputError(source + ", line " + std::to_string(lineNumber) +
                                 ": the header row must name the columns raw and scale");
            }
            headerSeen = true;
            continue;
        }
        double values[2] = {0.0, 0.0};
        const std::size_t columns[2] = {rawColumn, scaleColumn};
        const char* names[2] = {"raw", "scale"};
        for (int v = 0; v < 2; ++v) {
            const std::string where =
                source + ", line " + std::to_string(lineNumber) + ", column " + names[v];
            if (columns[v] >= cells.size()) throw InputError(where + ": the cell is missing");
            if (parseReal(cells[columns[v]], values[v]) != ParseStatus::Ok) {
                throw InputError(where + ": \"" + std::string(cells[columns[v]]) +
                                 "\" is not a number");
            }
        }
        table.raw.push_back(values[0]);
        table.scale.push_back(values[1]);
        table.lines.push_back(lineNumber);
    }
    if (!headerSeen) throw InputError(source + ": no header row naming raw and scale");
    return table;
}

ScaleTable readScaleTableFile(const std::string& path, const std::string& source) {
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        std::error_code error;
        throw InputError(source + ": the conversion table does not exist (tried " +
                         std::filesystem::absolute(path, error).string() + ")");
    }
    return readScaleTable(*text, source);
}

}  // namespace tl
