#include <algorithm>

#include "classify/precision_fields.h"
#include "core/version.h"
#include "results_files/html_text.h"
#include "results_files/page_style.h"
#include "results_files/summary_files.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

// The summary's own rules over the results pages' stylesheet: a wider page
// for its wide tables, and its failed tests and standard errors. Headings and
// test names wrap, so that a table of every index and its standard error fits
// a laptop's screen.
constexpr const char* kSummaryStyle = R"(body { max-width: 100rem; }
thead th { white-space: normal; vertical-align: bottom; }
tbody th { white-space: normal; overflow-wrap: anywhere; min-width: 8rem; }
span.se { display: block; color: #555; font-size: 0.85rem; }
tr.failed th, tr.failed td { background: #fdf0ef; }
td.error { color: #8a1c12; white-space: normal; min-width: 24rem; }
@media print {
  body { max-width: none; font-size: 9pt; }
}
)";

std::string th(const std::string& text) {
    return "<th scope=\"col\">" + escapeHtml(text) + "</th>";
}

// A folder's path as a link: bytes other than letters, digits and "-._~"
// percent-encoded, the "/" between folders kept (a test's folder name never
// holds one).
std::string linkPath(const std::string& folder) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const char c : folder) {
        const auto byte = static_cast<unsigned char>(c);
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (letterOrDigit || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

// The value with its standard error below it, each named by its path in
// summary.json.
std::string indexCell(const std::string& path, double value, const std::string& sePath,
                      const double* se) {
    std::string cell = "<td class=\"num\"><span data-json=\"" + escapeHtml(path) + "\">" +
                       shownReal(value) + "</span>";
    if (se) {
        cell += "<span class=\"se\" data-json=\"" + escapeHtml(sePath) + "\">(" + shownReal(*se) +
                ")</span>";
    }
    return cell + "</td>";
}

std::string indexCells(const std::string& prefix, const IndexSet& indices,
                       const std::string& sePrefix, const std::optional<IndexSetSpread>& spreads) {
    std::string cells;
    for (const IndexField& field : kIndexFields) {
        const std::string key(field.key);
        cells += indexCell(prefix + key, indices.*field.value, sePrefix + key,
                           spreads ? &(*spreads.*field.spread).se : nullptr);
    }
    return cells;
}

std::string indexHeadings() {
    std::string cells;
    for (const IndexField& field : kIndexFields) cells += th(std::string(field.label));
    return cells;
}

std::string testLink(const TestSummary& test) {
    if (!test.ran()) return escapeHtml(test.file);
    return "<a href=\"" + escapeHtml(linkPath(test.folder)) + "/report.html\">" +
           escapeHtml(test.file) + "</a>";
}

std::string table(const std::string& id, const std::string& head, const std::string& body) {
    return "<div class=\"scroll\">\n<table id=\"" + id + "\">\n<thead><tr>" + head +
           "</tr></thead>\n<tbody>\n" + body + "</tbody>\n</table>\n</div>\n";
}

// The title column only when a test has a title (cards have none).
std::string testsTable(const std::vector<TestSummary>& tests,
                       const std::vector<std::string>& entry) {
    const bool titled = std::any_of(tests.begin(), tests.end(),
                                    [](const TestSummary& t) { return !t.title.empty(); });
    const std::size_t columns = 3 + kIndexFields.size();  // after the status
    std::string body;
    for (std::size_t t = 0; t < tests.size(); ++t) {
        const TestSummary& test = tests[t];
        const std::string& at = entry[t];
        const std::string row = "<th scope=\"row\">" + testLink(test) + "</th>" +
                                (titled ? "<td>" + escapeHtml(test.title) + "</td>" : "") +
                                integerCell(at + "status", test.status);
        if (!test.ran()) {
            body += "<tr class=\"failed\">" + row + "<td class=\"error\" colspan=\"" +
                    std::to_string(columns) + "\" data-json=\"" + at + "error\">" +
                    escapeHtml(test.error) + "</td></tr>\n";
            continue;
        }
        body += "<tr>" + row + integerCell(at + "examinees", test.examinees) +
                integerCell(at + "categories", test.categories) +
                realCell(at + "reliability", test.reliability) +
                indexCells(at + "overall.", test.overall, at + "overall_se.", test.overallSpreads) +
                "</tr>\n";
    }
    const std::string head = th("Test") + (titled ? th("Title") : "") + th("Status") +
                             th("Examinees") + th("Categories") + th("Reliability") +
                             indexHeadings();
    return table("tests", head, body);
}

std::string cutsTable(const std::vector<TestSummary>& tests,
                      const std::vector<std::string>& entry) {
    std::string body;
    for (std::size_t t = 0; t < tests.size(); ++t) {
        const TestSummary& test = tests[t];
        for (std::size_t c = 0; c < test.cuts.size(); ++c) {
            const CutSummary& cut = test.cuts[c];
            const std::string at = entry[t] + "cuts." + std::to_string(c) + ".";
            body += "<tr><th scope=\"row\">" + testLink(test) + "</th>" +
                    integerCell(at + "cut", static_cast<std::int64_t>(c + 1)) +
                    scoreCell(at + "observed_cut", cut.observedCut) +
                    scoreCell(at + "true_cut", cut.trueCut) +
                    indexCells(at, cut.indices, at + "se.", cut.spreads) + "</tr>\n";
        }
    }
    const std::string head =
        th("Test") + th("Cut") + th("Observed cut") + th("True cut") + indexHeadings();
    return table("cuts", head, body);
}

std::string groupsTable(const std::vector<TestSummary>& tests,
                        const std::vector<std::string>& entry) {
    std::string body;
    for (std::size_t t = 0; t < tests.size(); ++t) {
        const TestSummary& test = tests[t];
        for (std::size_t g = 0; g < test.groups.size(); ++g) {
            const GroupSummary& group = test.groups[g];
            const std::string at = entry[t] + "groups." + std::to_string(g) + ".";
            body += "<tr><th scope=\"row\">" + testLink(test) + "</th><td>" +
                    escapeHtml(group.variable) + "</td><td>" + escapeHtml(group.level) + "</td>" +
                    integerCell(at + "examinees", group.examinees) + "<td>" +
                    (group.small ? "small" : "") + "</td>" +
                    indexCells(at, group.indices, at + "se.", group.spreads) + "</tr>\n";
        }
    }
    if (body.empty()) return "";
    const std::string head =
        th("Test") + th("Variable") + th("Level") + th("Examinees") + th("Flag") + indexHeadings();
    return "<h2>Subgroups</h2>\n" + table("groups", head, body);
}

// The heading of a compared index, as the results pages name it.
std::string comparedLabel(const std::string& key) {
    if (key == "reliability") return "Reliability";
    for (const IndexField& field : kIndexFields)
        if (field.key == key) return std::string(field.label);
    for (const AgreementField& field : kAgreementFields)
        if (field.key == key) return std::string(field.label);
    return key;
}

// A test's models over the whole scale, each model's name opening its own
// page, under links to the test's comparison files.
std::string comparisonTable(const TestSummary& test, std::size_t t, const std::string& entry,
                            const std::vector<std::string>& folders) {
    const ComparisonSummary& comparison = *test.comparison;
    std::string body;
    for (std::size_t m = 0; m < comparison.models.size(); ++m) {
        const ComparisonSummary::Model& model = comparison.models[m];
        const std::string at = entry + "comparison.models." + std::to_string(m) + ".";
        const std::string name = escapeHtml(model.name);
        body += "<tr><th scope=\"row\">" +
                (m < folders.size() ? "<a href=\"" + escapeHtml(linkPath(folders[m])) +
                                          "/report.html\">" + name + "</a>"
                                    : name) +
                "</th>";
        for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
            const std::string& key = comparison.indices[i];
            body += indexCell(at + "overall." + key, model.values[i], at + "overall_se." + key,
                              i < model.ses.size() ? &model.ses[i] : nullptr);
        }
        body += "</tr>\n";
    }
    std::string head = th("Model");
    for (const std::string& key : comparison.indices) head += th(comparedLabel(key));
    const std::string folder = escapeHtml(linkPath(test.folder));
    return "<p class=\"table-title\">" + testLink(test) + ": <a href=\"" + folder +
           "/comparison.csv\">comparison.csv</a>, <a href=\"" + folder +
           "/comparison_differences.csv\">comparison_differences.csv</a></p>\n" +
           table("models-" + std::to_string(t + 1), head, body);
}

std::string comparisonsSection(const std::vector<TestSummary>& tests,
                               const std::vector<std::string>& entry) {
    std::vector<std::vector<std::string>> folders(tests.size());
    for (const ModelRow& row : modelRows(tests)) folders[row.testIndex].push_back(row.folder);
    std::string html;
    for (std::size_t t = 0; t < tests.size(); ++t) {
        if (tests[t].ran() && tests[t].comparison)
            html += comparisonTable(tests[t], t, entry[t], folders[t]);
    }
    if (html.empty()) return "";
    return "<h2>Models compared</h2>\n<p>Each test's models side by side over the whole scale, "
           "the first the one the tables above give; each model's name opens its own "
           "page.</p>\n" +
           html;
}

// Where each test's first row is in summary.json's tests: a test that ran
// several models has a row for each.
std::vector<std::string> entryPaths(const std::vector<TestSummary>& tests) {
    std::vector<std::string> paths(tests.size());
    const std::vector<ModelRow> rows = modelRows(tests);
    for (std::size_t r = rows.size(); r-- > 0;)
        paths[rows[r].testIndex] = "tests." + std::to_string(r) + ".";
    return paths;
}

}  // namespace

std::string composeProgramIndexHtml(const std::vector<TestSummary>& tests) {
    const auto failed = static_cast<std::size_t>(
        std::count_if(tests.begin(), tests.end(), [](const TestSummary& t) { return !t.ran(); }));
    const bool bootstrapped = std::any_of(tests.begin(), tests.end(), [](const TestSummary& t) {
        return t.overallSpreads.has_value();
    });
    std::string lead = std::to_string(tests.size()) + (tests.size() == 1 ? " test" : " tests");
    if (failed > 0) lead += ", " + std::to_string(failed) + " failed";
    lead += ". Each test's name opens its own page.";
    if (bootstrapped) lead += " Bootstrap standard errors are in parentheses.";
    const std::string program = std::string(kProgramName) + " " + std::string(kProgramVersion);
    const std::vector<std::string> entry = entryPaths(tests);
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Testing program: classification consistency and accuracy</title>\n<style>" +
        std::string(kPageStyle) + kSummaryStyle +
        "</style>\n</head>\n<body>\n<header>\n<h1>Testing program</h1>\n<p class=\"lead\">" +
        escapeHtml(lead) + "</p>\n</header>\n<main>\n<h2>Tests</h2>\n" + testsTable(tests, entry) +
        "<h2>Cuts</h2>\n" + cutsTable(tests, entry) + groupsTable(tests, entry) +
        comparisonsSection(tests, entry);
    html += "</main>\n<footer>Written by " + escapeHtml(program) +
            ". The numbers are in summary.json and the summary CSV files.</footer>\n</body>\n"
            "</html>\n";
    return html;
}

}  // namespace tl
