#include "app/run_driver.h"

#include <new>
#include <optional>
#include <string>

#include "analysis/analyze.h"
#include "app/console.h"
#include "core/errors.h"
#include "core/messages.h"
#include "job/card_checks.h"
#include "job/control_card_reader.h"
#include "job/file_data_source.h"
#include "job/text_file.h"
#include "report/atomic_file.h"
#include "report/report_writer.h"

namespace tl {

namespace {

void runJob(Console& console, const RunOptions& options) {
    console.line(messages::kPrompt);
    const std::string cardFile = fileNameOf(console.readFileName());
    const std::optional<std::string> cardText = readTextFile(cardFile);
    if (!cardText) throw DetectedError{messages::missingFile(cardFile)};

    const ControlCard card = readControlCard(*cardText, cardFile);
    const ScoreScales scales = prepareScales(card);
    refuseUnsafeOutput(card, cardFile);

    AnalysisOptions analysis;
    analysis.model = options.model;
    analysis.onNegativeFactorial = [&console] {
        console.line(messages::kNegativeFactorial);
        console.waitForEnter();
    };
    FileDataSource data(card);
    const Results results = analyze(card, scales, data, analysis);
    writeFileAtomically(card.outputFile, composeReport(results));
    console.line(messages::kSuccess);
}

}  // namespace

int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err, const RunOptions& options) {
    Console console(in, out);
    int status = 0;
    try {
        runJob(console, options);
    } catch (const DetectedError& error) {
        console.line(error.consoleLine);
        status = 1;
    } catch (const InputError& error) {
        err << "tesserlink: " << error.what() << '\n';
        status = 2;
    } catch (const std::bad_alloc&) {
        err << "tesserlink: not enough memory for this run\n";
        status = 2;
    }
    if (status == 2) return status;
    console.pause();
    return status;
}

}  // namespace tl
