#include "input/scale_table_reader.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "core/errors.h"
#include "core/one_line.h"
#include "input/number_syntax.h"
#include "platform/file_names.h"
#include "platform/text_file.h"

namespace tl {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The next line, ended by LF, CR LF or a CR alone; `text` moves past it.
std::string_view nextLine(std::string_view& text) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    std::size_t skip = end == std::string_view::npos ? text.size() : end + 1;
    if (end != std::string_view::npos && text[end] == '\r' && skip < text.size() &&
        text[skip] == '\n')
        ++skip;
    text.remove_prefix(skip);
    return line;
}

// The cells of a line, split at commas outside quotes; a quoted cell holds
// its text without the quotes, a doubled quote standing for one.
std::vector<std::string> fields(std::string_view line) {
    std::vector<std::string> out(1);
    bool quoted = false, wasQuoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                out.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && trimmed(out.back()).empty() && !wasQuoted) {
            out.back().clear();
            quoted = wasQuoted = true;
        } else if (c == ',') {
            out.emplace_back();
            wasQuoted = false;
        } else {
            out.back() += c;
        }
    }
    for (std::string& cell : out) cell = std::string(trimmed(cell));
    return out;
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
        const std::string_view line = nextLine(text);
        ++lineNumber;
        if (trimmed(line).empty()) continue;
        const std::vector<std::string> cells = fields(line);
        if (!headerSeen) {
            bool hasRaw = false, hasScale = false;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                for (const char* name : {"raw", "scale"}) {
                    if (cells[c] != name) continue;
                    bool& has = cells[c] == "raw" ? hasRaw : hasScale;
                    if (has) {
                        throw InputError(source + ", line " + std::to_string(lineNumber) +
                                         ": the header row names the column " + name +
                                         " twice; keep one");
                    }
                    has = true;
                    (cells[c] == "raw" ? rawColumn : scaleColumn) = c;
                }
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
                throw InputError(where + ": \"" + shownValue(cells[columns[v]]) +
                                 "\" is not a number" +
                                 (cells[columns[v]].find(',') != std::string::npos
                                      ? " (write decimals with a point)"
                                      : ""));
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
                         fileNameText(std::filesystem::absolute(filePathOf(path), error)) + ")");
    }
    return readScaleTable(*text, source);
}

}  // namespace tl
