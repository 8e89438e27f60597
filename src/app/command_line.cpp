#include "app/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>
#include <vector>

#include "core/alternatives.h"
#include "core/decimal_number.h"
#include "run/run_json.h"
#include "run/run_options.h"

#ifndef TESSERLINK_VERSION
#error "TESSERLINK_VERSION must name the release, e.g. \"3.0\""
#endif

namespace tl {
namespace {

constexpr const char* kProgram = "tesserlink";

constexpr const char* kDescription =
    "Estimates how consistently and how accurately a test classifies examinees into\n"
    "performance categories by cut scores, when each reported score is a weighted sum\n"
    "of raw scores on one to nine item sets, under the multinomial and\n"
    "compound-multinomial error models. Without FILE the program asks for the control\n"
    "card file name on the console and pauses before it ends, as it always has. With\n"
    "FILE it runs that control card without asking and without pausing. A FILE\n"
    "ending in .toml is an analysis file, which may take the items from one table\n"
    "(CSV, SPSS, Stata, SAS) and name the run, the sets and the categories. Several\n"
    "FILEs are the tests of a testing program: each runs as it would alone, its\n"
    "console lines prefixed with its name, and --results DIR gives each test a\n"
    "folder DIR/NAME and adds a summary of them all; --figures DIR likewise.\n";

constexpr const char* kFooter =
    "--seed is accepted without --bootstrap and then has no effect, so a script may\n"
    "always pass one.\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  an error the run found and reported on the console\n"
    "  2  a command-line error or malformed input, reported on standard error\n"
    "With several FILEs the status is the highest of the tests' statuses.";

constexpr const char* kUsageHint =
    "Usage: tesserlink [OPTIONS] [FILE...]\n"
    "Try 'tesserlink --help' for more information.\n";

// A whole number written in plain decimal digits, from `least` up to the
// largest value of T. CLI11 alone would read "010" as 8, "0x10" as 16 and
// wrap "-1" into a huge unsigned seed; none of these is what an analyst means.
// An accepted value is handed on without leading zeros, so that it is read in
// base 10.
template <typename T>
CLI::Validator wholeNumber(T least, const std::string& unit,
                           T most = std::numeric_limits<T>::max()) {
    const std::string wanted = least == 0
                                   ? "a whole number of 0 or more" + unit
                                   : "a whole number of at least " + std::to_string(least) + unit;
    return CLI::Validator(
        [least, most, wanted](std::string& text) -> std::string {
            const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
            T value{};
            const char* end = text.data() + text.size();
            const bool digitsOnly = !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
            if (digitsOnly) {
                const auto [stop, error] = std::from_chars(text.data(), end, value);
                if (error == std::errc::result_out_of_range ||
                    (error == std::errc() && stop == end && value > most))
                    return "'" + text + "' is too large (at most " + std::to_string(most) + ")";
                if (error == std::errc() && stop == end && value >= least) {
                    text = std::to_string(value);
                    return {};
                }
            }
            return "expects " + wanted + ", not '" + text + "'";
        },
        "", "");
}

// A memory size: a whole number of bytes, or of kB, MB, GB or TB (powers of
// 1000; K, M, G and T alike), handed on as bytes.
CLI::Validator memorySize() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            static const std::pair<const char*, std::uint64_t> units[] = {
                {"", 1},        {"k", 1000},       {"K", 1000},
                {"M", 1000000}, {"G", 1000000000}, {"T", 1000000000000}};
            const char* end = text.data() + text.size();
            std::uint64_t value = 0;
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            std::string unit(stop, end);
            if (unit.size() == 2 && (unit[1] == 'B' || unit[1] == 'b')) unit.pop_back();
            const auto found = std::find_if(std::begin(units), std::end(units),
                                            [&](const auto& u) { return unit == u.first; });
            const bool digits = !text.empty() && text[0] >= '0' && text[0] <= '9';
            if (error != std::errc() || !digits || found == std::end(units) || value == 0 ||
                value > std::numeric_limits<std::uint64_t>::max() / found->second) {
                return "expects a memory size such as 16GB, 500MB or a number of bytes, not '" +
                       text + "'";
            }
            text = std::to_string(value * found->second);
            return {};
        },
        "", "");
}

// Names an option takes, and its type name in the help ("a|b|c").
struct Choices {
    std::vector<std::string> names;
    std::string typeName;
};

template <std::size_t N>
Choices choicesOf(const std::array<std::string_view, N>& names) {
    Choices choices{{names.begin(), names.end()}, ""};
    for (std::string_view name : names)
        choices.typeName += (choices.typeName.empty() ? "" : "|") + std::string(name);
    return choices;
}

CLI::Validator oneOf(std::vector<std::string> names) {
    const std::string listed = alternatives(names);
    return CLI::Validator(
        [names, listed](std::string& text) -> std::string {
            if (std::find(names.begin(), names.end(), text) != names.end()) return {};
            return "expects " + listed + ", not '" + text + "'";
        },
        "", "");
}

CLI::Validator notEmpty(const std::string& what) {
    return CLI::Validator(
        [what](std::string& text) -> std::string {
            return text.empty() ? "expects " + what + ", not an empty one" : std::string{};
        },
        "", "");
}

// Cut scores written "98,126": numbers separated by commas. Returns what is
// wrong with the list, or nothing when `cuts` holds it.
std::optional<std::string> readCutList(const std::string& text, std::vector<double>& cuts) {
    cuts.clear();
    std::size_t begin = 0;
    while (true) {
        const std::size_t end = std::min(text.find(',', begin), text.size());
        double cut = 0.0;
        if (readDecimal(std::string_view(text).substr(begin, end - begin), cut) != std::errc())
            return "expects cut scores separated by commas, such as 98,126, not '" + text + "'";
        cuts.push_back(cut);
        if (end == text.size()) return std::nullopt;
        begin = end + 1;
    }
}

CLI::Validator cutList() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            std::vector<double> cuts;
            return readCutList(text, cuts).value_or("");
        },
        "", "");
}

ParseOutcome refuse(const std::string& what) {
    return {std::nullopt, kExitCommandLineError, "",
            std::string(kProgram) + ": " + what + "\n" + kUsageHint};
}

// What is wrong with the words CLI11 left over, if any. They are unknown
// options and surplus positionals, plus the first "--", which only marks the
// end of the options and is no problem; after it every word is a positional.
std::optional<std::string> leftOverProblem(const CLI::App& app) {
    const std::vector<std::string> rest = app.remaining();
    bool markPending = app.remaining_size() < rest.size();
    bool afterMark = false;
    for (const std::string& word : rest) {
        if (markPending && word == "--") {
            markPending = false;
            afterMark = true;
            continue;
        }
        if (!afterMark && word.size() > 1 && word[0] == '-')
            return "unknown option " + word.substr(0, word.find('='));
        return "unexpected argument '" + word + "'";
    }
    return std::nullopt;
}

std::string dashed(const std::string& name) {
    return name.starts_with("-") ? name : "--" + name;
}

// CLI11 words a wrong count of values for an option as an ArgumentMismatch;
// say which of the three it was in plain words. The option's name leads the
// message, without dashes for a flag.
std::string mismatchProblem(const CLI::ArgumentMismatch& error) {
    const std::string text = error.what();
    const std::string option = dashed(text.substr(0, text.find_first_of(": ")));
    if (text.find("flag override") != std::string::npos) return option + " takes no value";
    if (text.find("At Most") != std::string::npos) return option + " is given more than once";
    if (text.find("missing") != std::string::npos) return option + " needs a value";
    return text;
}

}  // namespace

std::string versionLine() {
    return std::string(kProgram) + " " + TESSERLINK_VERSION;
}

ParseOutcome parseCommandLine(int argc, const char* const* argv) {
    CLI::App app(kDescription, kProgram);
    app.footer(kFooter);
    app.allow_extras();  // left-over words are reported below, naming the word
    app.set_version_flag("--version", versionLine(), "Print the program version and exit");
    app.get_formatter()->column_width(24);

    CommandLine line;
    RunRequest& request = line.request;
    std::vector<std::string> files;
    std::string engine(kEngineNames[static_cast<std::size_t>(Engine::Auto)]);
    const Choices engineNames = choicesOf(kEngineNames);
    std::string convert;
    std::string cutsOn = "raw";
    std::int64_t bootstrap = 0;
    std::uint64_t seed = AnalysisOptions{}.seed;
    std::string resultsDir;
    std::string figuresDir;
    std::string scaleFile;
    std::string cuts;
    std::string trueCuts;
    app.add_option("FILE", files,
                   "The control card or analysis file (.toml) to run;\n"
                   "several are the tests of a testing program")
        ->type_name("")
        ->check(notEmpty("a file name"));
    app.add_option("--threads", request.threads,
                   "Use N threads, 1 <= N <= " + std::to_string(kMaxThreads) +
                       " (default: all hardware\nthreads)")
        ->type_name("N")
        ->transform(wholeNumber(1u, " thread", kMaxThreads));
    app.add_flag(
           "--strict", request.strict,
           "Make the warnings about data that does not fit\nthe card errors: no report is written")
        ->disable_flag_override();
    app.add_flag("--quiet", line.quiet,
                 "No warnings, notes or progress on standard error\n(errors are still reported)")
        ->disable_flag_override();
    app.add_flag("--progress", line.progress,
                 "Show progress on standard error even when it is not\n"
                 "a terminal: one line every few seconds, for logs")
        ->disable_flag_override();
    app.add_flag("--events", line.events,
                 "Write findings (notes, warnings, the error) and progress\n"
                 "to standard error as JSON lines, one object a line")
        ->disable_flag_override();
    bool defaults = false;
    app.add_flag("--defaults", defaults,
                 "Print the defaults an analysis file falls back on, as\nJSON, and exit")
        ->disable_flag_override();
    app.add_option("--results", resultsDir, "Write the results into directory DIR")
        ->type_name("DIR")
        ->check(notEmpty("a directory"));
    app.add_option("--figures", figuresDir,
                   "Write each figure of the results page into directory\n"
                   "DIR as SVG, and as PNG where rsvg-convert is installed")
        ->type_name("DIR")
        ->check(notEmpty("a directory"));
    bool fit = false;
    app.add_flag("--fit", fit,
                 "Also check the multinomial model's fit: observed against\n"
                 "expected composite score frequencies (fit.csv; every\n"
                 "other model checks its fit always)")
        ->disable_flag_override();
    bool sweep = false;
    app.add_flag("--sweep", sweep,
                 "Also sweep every possible single cut on the composite\n"
                 "score list: accuracy, consistency and the ROC curve\n"
                 "(sweep.csv; an analysis file's [sweep] sets targets)")
        ->disable_flag_override();
    app.add_option("--bootstrap", bootstrap,
                   "Bootstrap standard errors from B replications, B >= " +
                       std::to_string(kMinBootstrapReplicates) +
                       ";\n0 turns off an analysis file's bootstrap")
        ->type_name("B")
        ->transform(wholeNumber(std::int64_t{0}, " replications"));
    app.add_option(
           "--seed", seed,
           "Seed of the bootstrap, S >= 0 (default " + std::to_string(AnalysisOptions{}.seed) + ")")
        ->type_name("S")
        ->transform(wholeNumber(std::uint64_t{0}, ""));
    app.add_option("--max-memory", request.maxMemory,
                   "Refuse a run whose memory estimate exceeds SIZE\n"
                   "(16GB, 500MB; default: 3/4 of the machine's memory)")
        ->type_name("SIZE")
        ->transform(memorySize());
    app.add_option("--engine", engine,
                   "How each item set's raw-score distribution is computed:\n"
                   "auto (the default) enumerates count vectors where the\n"
                   "limits allow and convolves elsewhere; enumerate keeps\n"
                   "the limits; convolve convolves wherever it applies")
        ->type_name(engineNames.typeName)
        ->check(oneOf(engineNames.names));
    app.add_option("--scale", scaleFile,
                   "Also report scale scores, converted from the composite\n"
                   "by the CSV table FILE with columns raw and scale")
        ->type_name("FILE")
        ->check(notEmpty("a file name"));
    app.add_option("--cuts-on", cutsOn,
                   "Whether the card's cut scores are raw composite scores\n"
                   "(the default) or scale scores of the --scale table")
        ->type_name("raw|scale")
        ->check(oneOf({"raw", "scale"}));
    std::string items;
    std::vector<std::string> model, method;
    const Choices modelNames = choicesOf(kModelKindNames);
    const Choices methodNames = choicesOf(kModelMethodNames);
    app.add_option("--model", model,
                   "The error model: multinomial (the default), irt\n"
                   "(with --items) or beta-binomial; give it again to run\n"
                   "several models side by side, the first the primary one")
        ->type_name(modelNames.typeName)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(oneOf(modelNames.names));
    app.add_option("--method", method,
                   "The model's method: summed-p, summed-d, rudner-p or\n"
                   "rudner-d for irt; ll or hb for beta-binomial (each\n"
                   "--method goes to the first --model of its kind)")
        ->type_name("METHOD")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(oneOf(methodNames.names));
    app.add_option("--items", items, "The IRT model's item-parameter table FILE")
        ->type_name("FILE")
        ->check(notEmpty("a file name"));
    app.add_option("--cuts", cuts,
                   "Classify by these observed cut scores (98,126) in place\n"
                   "of the file's; they are the true cuts too unless\n"
                   "--true-cuts gives them")
        ->type_name("LIST")
        ->check(cutList());
    app.add_option("--true-cuts", trueCuts,
                   "The true cut scores in place of the file's, as many\nas the observed cuts")
        ->type_name("LIST")
        ->check(cutList());
    app.add_option("--convert", convert,
                   "Print control card CARD as an analysis file on\nstandard output, and exit")
        ->type_name("CARD")
        ->check(notEmpty("a file name"));

    // CLI11 wants argv[0]; build the words ourselves so that argc 0 is safe.
    std::vector<std::string> words;
    for (int i = argc - 1; i > 0; --i) words.emplace_back(argv[i]);
    try {
        app.parse(std::move(words));
    } catch (const CLI::CallForHelp&) {
        return {std::nullopt, 0, app.help(), ""};
    } catch (const CLI::CallForVersion& version) {
        return {std::nullopt, 0, std::string(version.what()) + "\n", ""};
    } catch (const CLI::ArgumentMismatch& error) {
        return refuse(mismatchProblem(error));
    } catch (const CLI::ParseError& error) {
        return refuse(error.what());
    }

    if (const std::optional<std::string> problem = leftOverProblem(app)) return refuse(*problem);
    if (defaults) return {std::nullopt, 0, defaultsJson(), ""};
    if (app.count("--convert") > 0) {
        if (app.count("FILE") > 0) return refuse("--convert takes the card to convert, not FILE");
        line.convertCard = convert;
        return {line, 0, "", ""};
    }
    if (files.empty()) {
        const std::vector<const CLI::Option*> given = std::as_const(app).get_options(
            [](const CLI::Option* option) { return option->count() > 0; });
        if (!given.empty())
            return refuse(dashed(given.front()->get_name()) + " needs a control card file to run");
        return {CommandLine{}, 0, "", ""};
    }
    if (files.size() == 1) {
        line.cardFile = files.front();
    } else {
        line.programFiles = files;
    }
    // An option not given stays empty: an analysis file's own setting applies.
    if (app.count("--bootstrap") > 0) request.bootstrap = bootstrap;
    if (app.count("--seed") > 0) request.seed = seed;
    if (app.count("--engine") > 0) request.engine = engineNamed(engine);
    if (app.count("--cuts-on") > 0) request.cutsOnScale = cutsOn == "scale";
    if (app.count("--results") > 0) request.resultsDir = resultsDir;
    if (app.count("--figures") > 0) request.figuresDir = figuresDir;
    if (app.count("--scale") > 0) request.scaleFile = scaleFile;
    for (const std::string& name : model) request.models.push_back(*modelKindNamed(name));
    for (const std::string& name : method) request.methods.push_back(*modelMethodNamed(name));
    if (app.count("--items") > 0) request.items = items;
    if (app.count("--cuts") > 0) readCutList(cuts, request.cuts.emplace());
    if (app.count("--true-cuts") > 0) readCutList(trueCuts, request.trueCuts.emplace());
    if (sweep) request.sweep.emplace();
    if (fit) request.fit = true;
    return {line, 0, "", ""};
}

}  // namespace tl
