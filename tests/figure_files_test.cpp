// --figures DIR and [output] figures: every figure of the results page as a
// standalone SVG file, the very drawing the page shows, and a PNG of each
// where rsvg-convert is installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/scratch_case.h"

namespace fs = std::filesystem;
using tl::testing::readFile;
using tl::testing::runWithArguments;
using tl::testing::ScratchCase;
using tl::testing::writeFile;

namespace {

std::map<std::string, std::string> filesIn(const fs::path& dir) {
    return tl::testing::folderContents(dir);
}

// Each inline <svg>...</svg> of a page.
std::vector<std::string> pageFigures(const std::string& page) {
    std::vector<std::string> figures;
    for (std::size_t at = page.find("<svg "); at != std::string::npos;
         at = page.find("<svg ", at + 1)) {
        const std::size_t end = page.find("</svg>\n", at);
        figures.push_back(page.substr(at, end + 7 - at));
    }
    return figures;
}

// A file's figure as the page holds it: without the XML declaration and the
// size and font only a file states.
std::string asOnPage(std::string svg) {
    svg = std::regex_replace(svg, std::regex(R"(^<\?xml[^>]*\?>\n)"), "");
    svg = std::regex_replace(svg, std::regex(R"( width="\d+" height="\d+" viewBox)"), " viewBox");
    return std::regex_replace(svg, std::regex(R"( font-family="sans-serif")"), "");
}

// Well-formed XML as far as a figure goes: the declaration, elements nested
// and closed, attributes quoted, and only the five predefined entities or
// numeric ones. An empty result is well formed; otherwise what is wrong.
std::string xmlProblem(const std::string& text) {
    std::vector<std::string> open;
    std::size_t i = 0;
    if (text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0) != 0)
        return "no XML declaration";
    i = text.find('\n') + 1;
    bool root = false;
    while (i < text.size()) {
        if (text[i] == '&') {
            const std::size_t end = text.find(';', i);
            const std::string entity = text.substr(i + 1, end - i - 1);
            static const std::set<std::string> known = {"amp", "lt", "gt", "quot", "apos"};
            if (end == std::string::npos || !(known.count(entity) || entity[0] == '#'))
                return "entity &" + entity;
            i = end + 1;
            continue;
        }
        if (text[i] != '<') {
            if (open.empty() && !std::isspace(static_cast<unsigned char>(text[i])))
                return "text outside the root";
            ++i;
            continue;
        }
        const std::size_t end = text.find('>', i);
        if (end == std::string::npos) return "unclosed tag";
        std::string tag = text.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1)) return "mismatched </" + tag + ">";
            open.pop_back();
            continue;
        }
        const bool empty = tag.back() == '/';
        const std::string name = tag.substr(0, tag.find_first_of(" \n/"));
        if (open.empty() && root) return "a second root";
        root = true;
        // Attributes: name="value" pairs, no stray quotes or angle brackets.
        static const std::regex attributes(
            R"(^[A-Za-z][\w:-]*(\s+[A-Za-z][\w:-]*="[^"<]*")*\s*/?$)");
        if (!std::regex_match(tag, attributes)) return "malformed tag <" + tag + ">";
        if (!empty) open.push_back(name);
    }
    return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

// The width and height an SVG file states.
std::pair<int, int> statedSize(const std::string& svg) {
    std::smatch m;
    EXPECT_TRUE(
        std::regex_search(svg, m, std::regex(R"re(<svg [^>]*width="(\d+)" height="(\d+)")re")));
    return m.empty() ? std::pair{0, 0} : std::pair{std::stoi(m[1]), std::stoi(m[2])};
}

// A PNG's width and height from its IHDR chunk.
std::pair<int, int> pngSize(const std::string& png) {
    EXPECT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    const auto word = [&](std::size_t at) {
        int v = 0;
        for (std::size_t k = 0; k < 4; ++k) v = v * 256 + static_cast<unsigned char>(png[at + k]);
        return v;
    };
    return {word(16), word(20)};
}

bool converterInstalled() {
    return std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
}

// Checks the figures folder `figures` against the page `page`: a file per
// figure, each the page's drawing, well formed, with a PNG of its size.
void expectFiguresOfPage(const fs::path& figures, const std::string& page,
                         const std::set<std::string>& expectedSvgs) {
    const std::map<std::string, std::string> files = filesIn(figures);
    std::set<std::string> svgs, pngs;
    for (const auto& [name, content] : files) (name.ends_with(".svg") ? svgs : pngs).insert(name);
    EXPECT_EQ(svgs, expectedSvgs);
    std::multiset<std::string> onPage, inFiles;
    for (const std::string& figure : pageFigures(page)) onPage.insert(figure);
    for (const std::string& name : svgs) {
        const std::string& svg = files.at(name);
        EXPECT_EQ(xmlProblem(svg), "") << name;
        EXPECT_NE(svg.find("<title id="), std::string::npos) << name;
        EXPECT_NE(svg.find("<desc id="), std::string::npos) << name;
        EXPECT_NE(svg.find("xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos) << name;
        inFiles.insert(asOnPage(svg));
        if (!converterInstalled()) continue;
        const std::string png = name.substr(0, name.size() - 4) + ".png";
        ASSERT_TRUE(files.count(png)) << png;
        EXPECT_EQ(pngSize(files.at(png)), statedSize(svg)) << png;
    }
    EXPECT_EQ(onPage, inFiles) << "the files are not the page's figures";
    if (converterInstalled()) {
        EXPECT_EQ(pngs.size(), svgs.size());
    } else {
        EXPECT_TRUE(pngs.empty());
    }
}

// A small table with a grouping column, run under the multinomial with a
// conversion table: every figure the multinomial page can have.
void writeMultinomialCase(const fs::path& dir) {
    std::string csv = "id,sex,i1,i2,i3,i4,i5,i6\n";
    for (int r = 0; r < 60; ++r) {
        csv += std::to_string(r + 1) + "," + (r % 3 ? "f" : "m");
        for (int j = 0; j < 6; ++j) csv += "," + std::to_string((r * (j + 3) + j) % 7 < 4 ? 1 : 0);
        csv += "\n";
    }
    writeFile(dir / "scores.csv", csv);
    std::string scale = "raw,scale\n";
    for (int raw = 0; raw <= 6; ++raw)
        scale += std::to_string(raw) + "," + std::to_string(100 + 5 * raw) + "\n";
    writeFile(dir / "scale.csv", scale);
    writeFile(dir / "analysis.toml",
              "[data]\nfile = \"scores.csv\"\nid = \"id\"\ngroups = [\"sex\"]\n"
              "[[sets]]\nitems = \"i1:i6\"\npoints = [0, 1]\n"
              "[classification]\nobserved_cuts = [3]\nlabels = [\"below\", \"above\"]\n"
              "[scale]\ntable = \"scale.csv\"\n[output]\nresults = \"results\"\n");
}

// A model example's folder copied beside the spisa data it reads as "..".
fs::path exampleFolder(const ScratchCase& spisa, const std::string& folder) {
    const fs::path work = spisa.dir() / folder;
    fs::create_directory(work);
    for (const auto& entry : fs::directory_iterator(spisa.source() / folder))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), work / entry.path().filename());
    return work;
}

const std::set<std::string> kScoreFigures = {"conditional.svg", "csem.svg", "histogram.svg"};

std::set<std::string> with(std::set<std::string> names, const std::set<std::string>& more) {
    names.insert(more.begin(), more.end());
    return names;
}

TEST(FigureFiles, MultinomialRunWritesEveryFigureOfItsPage) {
    const fs::path dir = tl::testing::makeScratchDirectory("figures-multinomial");
    writeMultinomialCase(dir);
    const auto result = runWithArguments(dir, {"--figures", "figs", "analysis.toml"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("figures written to figs"), std::string::npos) << result.err;
    expectFiguresOfPage(dir / "figs", readFile(dir / "results" / "report.html"),
                        with(kScoreFigures, {"scale_csem.svg", "groups_sex.svg"}));
    fs::remove_all(dir);
}

struct ModelCase {
    const char* name;
    const char* folder;  // under examples/spisa
    std::vector<std::string> options;
    std::set<std::string> figures;
};

class ModelFigures : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelFigures, WriteEveryFigureOfThePage) {
    const ScratchCase spisa(ScratchCase::example("spisa"));
    const fs::path work = exampleFolder(spisa, GetParam().folder);
    std::vector<std::string> words = GetParam().options;
    words.insert(words.end(), {"--quiet", "--figures", "figs", "analysis.toml"});
    const auto result = runWithArguments(work, words);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string page = readFile(work / "results" / "report.html");
    expectFiguresOfPage(work / "figs", page, with(kScoreFigures, GetParam().figures));
}

INSTANTIATE_TEST_SUITE_P(
    Spisa, ModelFigures,
    ::testing::Values(
        ModelCase{"irt_examinees", "irt", {}, {"theta.svg", "model_fit.svg"}},
        ModelCase{"irt_nodes", "irt", {"--method", "summed-d"}, {"theta.svg", "model_fit.svg"}},
        ModelCase{"ll", "ll", {}, {"model_fit.svg"}},
        ModelCase{"irt_sweep",
                  "irt",
                  {"--sweep"},
                  {"theta.svg", "model_fit.svg", "sweep.svg", "roc.svg"}},
        ModelCase{
            "irt_compared",
            "irt",
            {"--model", "irt", "--model", "multinomial"},
            {"theta.svg", "model_fit.svg", "comparison_accuracy.svg", "comparison_indices.svg"}},
        ModelCase{
            "irt_compared_bootstrap",
            "irt",
            {"--model", "irt", "--model", "beta-binomial", "--bootstrap", "10"},
            {"theta.svg", "model_fit.svg", "comparison_accuracy.svg", "comparison_indices.svg"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FigureFiles, NodesAreALineAndExamineesAreMarks) {
    const ScratchCase spisa(ScratchCase::example("spisa"));
    const fs::path work = exampleFolder(spisa, "irt");
    std::map<std::string, std::vector<std::string>> cutLabels;
    for (const std::string method : {"summed-p", "rudner-d"}) {
        const auto result =
            runWithArguments(work, {"--quiet", "--method", method, "--results", "r-" + method,
                                    "--figures", method, "analysis.toml"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const std::string svg = readFile(work / method / "theta.svg");
        const bool nodes = method.ends_with("-d");
        EXPECT_EQ(svg.find("<polyline") != std::string::npos, nodes) << method;
        EXPECT_NE(svg.find(nodes ? "quadrature nodes" : "ability estimates"), std::string::npos);
        const std::regex label(R"(>cut (-?[0-9.]+)</text>)");
        for (std::sregex_iterator it(svg.begin(), svg.end(), label), end; it != end; ++it)
            cutLabels[method].push_back((*it)[1]);
    }
    // Rudner's method reports its true cuts on ability; the summed-score
    // method, which classifies on the true composite, marks the same.
    const std::string json = readFile(work / "r-rudner-d" / "results.json");
    std::vector<std::string> reported;
    const std::regex fact(R"re("theta_true_cut_\d+": (-?[0-9.e-]+))re");
    for (std::sregex_iterator it(json.begin(), json.end(), fact), end; it != end; ++it) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", std::stod((*it)[1]));
        reported.push_back(text);
    }
    EXPECT_EQ(reported.size(), 2u);
    EXPECT_EQ(cutLabels["rudner-d"], reported);
    EXPECT_EQ(cutLabels["summed-p"], reported);
}

TEST(FigureFiles, FitFigureDescribesChiSquare) {
    const ScratchCase spisa(ScratchCase::example("spisa"));
    const fs::path work = exampleFolder(spisa, "ll");
    ASSERT_EQ(runWithArguments(work, {"--quiet", "--figures", "f", "analysis.toml"}).exitStatus, 0);
    const std::string svg = readFile(work / "f" / "model_fit.svg");
    const std::string fit = readFile(work / "results" / "fit.csv");
    // fit.csv's bins, one bar each: its rows up to the blank line before the
    // statistics.
    const std::string binRows = fit.substr(0, fit.find("\r\n\r\n") + 2);
    const long bins = std::count(binRows.begin(), binRows.end(), '\n') - 1;
    long bars = 0;
    for (std::size_t at = svg.find(" observed, "); at != std::string::npos;
         at = svg.find(" observed, ", at + 1))
        ++bars;
    EXPECT_EQ(bars, bins);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg, m, std::regex(R"(each of the (\d+) score bins)")));
    EXPECT_EQ(std::stol(m[1]), bins);
    EXPECT_TRUE(std::regex_search(
        svg, std::regex(
                 R"(<desc[^>]*>[^<]*chi-square [0-9.]+ on \d+ degrees of freedom, p [0-9.e-]+)")));
}

TEST(FigureFiles, AnalysisFileAndCommandLineWriteTheSameFiles) {
    const fs::path dir = tl::testing::makeScratchDirectory("figures-same");
    writeMultinomialCase(dir);
    ASSERT_EQ(
        runWithArguments(dir, {"--quiet", "--figures", "by-line", "analysis.toml"}).exitStatus, 0);
    std::string toml = readFile(dir / "analysis.toml");
    toml += "figures = \"by-file\"\n";  // [output] is the file's last table
    writeFile(dir / "analysis.toml", toml);
    const auto result = runWithArguments(dir, {"analysis.toml"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("figures written to"), std::string::npos);
    EXPECT_FALSE(filesIn(dir / "by-file").empty());
    EXPECT_EQ(filesIn(dir / "by-line"), filesIn(dir / "by-file"));
    // The command line's folder wins over the file's.
    ASSERT_EQ(runWithArguments(dir, {"--quiet", "--figures", "third", "analysis.toml"}).exitStatus,
              0);
    EXPECT_EQ(filesIn(dir / "third"), filesIn(dir / "by-file"));
    fs::remove_all(dir);
}

TEST(FigureFiles, OtherOutputsAreTheSameWithAndWithoutFigures) {
    const fs::path dir = tl::testing::makeScratchDirectory("figures-unchanged");
    writeMultinomialCase(dir);
    const auto plain = runWithArguments(dir, {"--results", "plain", "analysis.toml"});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    const auto figures =
        runWithArguments(dir, {"--results", "with", "--figures", "figs", "analysis.toml"});
    ASSERT_EQ(figures.exitStatus, 0) << figures.err;
    EXPECT_EQ(filesIn(dir / "plain"), filesIn(dir / "with"));
    EXPECT_EQ(plain.out, figures.out);
    fs::remove_all(dir);
}

// A folder that cannot be written: nothing of the run is written, and the one
// line names the folder.
struct Unwritable {
    const char* name;
    const char* figures;
    void (*prepare)(const fs::path&);
    const char* says;
};

class UnwritableFigures : public ::testing::TestWithParam<Unwritable> {};

TEST_P(UnwritableFigures, LeaveNothingWritten) {
    const fs::path dir = tl::testing::makeScratchDirectory("figures-unwritable");
    writeMultinomialCase(dir);
    GetParam().prepare(dir);
    const std::map<std::string, std::string> before = filesIn(dir);
    const auto result = runWithArguments(
        dir, {"--results", "out", "--figures", GetParam().figures, "analysis.toml"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find(GetParam().says), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_FALSE(fs::exists(dir / "out"));
    EXPECT_EQ(filesIn(dir), before);
    if (fs::is_directory(dir / "kept")) {
        EXPECT_EQ(filesIn(dir / "kept"),
                  (std::map<std::string, std::string>{{"notes.txt", "mine"}}));
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnwritableFigures,
    ::testing::Values(
        Unwritable{"under_a_file", "blocker/figs",
                   [](const fs::path& d) { writeFile(d / "blocker", "x"); },
                   "figures directory blocker/figs"},
        Unwritable{"a_file", "blocker", [](const fs::path& d) { writeFile(d / "blocker", "x"); },
                   "the figures directory blocker is not a directory"},
        Unwritable{"holding_other_files", "kept",
                   [](const fs::path& d) {
                       fs::create_directory(d / "kept");
                       writeFile(d / "kept" / "notes.txt", "mine");
                   },
                   "the figures directory kept holds notes.txt, which is not a figure"},
        Unwritable{"onto_the_input", ".", [](const fs::path&) {}, "figures folder"}),
    [](const auto& info) { return std::string(info.param.name); });

// A converter that fails after the results folder is in place: the folder
// goes back to what it was, and no figure is written.
TEST(FigureFiles, FailedConversionTakesBackTheResultsFolder) {
    const fs::path dir = tl::testing::makeScratchDirectory("figures-converter");
    writeMultinomialCase(dir);
    ASSERT_EQ(runWithArguments(dir, {"--quiet", "--cuts", "2", "analysis.toml"}).exitStatus, 0);
    const std::map<std::string, std::string> before = filesIn(dir / "results");
    fs::create_directory(dir / "bin");
    writeFile(dir / "bin" / "rsvg-convert", "#!/bin/sh\nexit 3\n");
    fs::permissions(dir / "bin" / "rsvg-convert", fs::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", ((dir / "bin").string() + ":" + path).c_str(), 1);
    const auto result = runWithArguments(dir, {"--figures", "figs", "analysis.toml"});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("cannot convert the figure figs/"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("exited with status 3"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir / "figs"));
    EXPECT_EQ(filesIn(dir / "results"), before);
    fs::remove_all(dir);
}

TEST(FigureFiles, TestingProgramWritesEachTestsFiguresInItsFolder) {
    const fs::path dir = tl::testing::makeScratchDirectory("figures-program");
    writeMultinomialCase(dir);
    fs::copy_file(dir / "analysis.toml", dir / "second.toml");
    const auto result = runWithArguments(
        dir, {"--quiet", "--results", "out", "--figures", "figs", "analysis.toml", "second.toml"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(tl::testing::subfolderNames(dir / "figs"),
              (std::vector<std::string>{"analysis", "second"}));
    for (const char* test : {"analysis", "second"}) {
        expectFiguresOfPage(dir / "figs" / test, readFile(dir / "out" / test / "report.html"),
                            with(kScoreFigures, {"scale_csem.svg", "groups_sex.svg"}));
    }
    fs::remove_all(dir);
}

}  // namespace
