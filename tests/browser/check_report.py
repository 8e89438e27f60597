#!/usr/bin/env python3
"""Renders each example's report.html in headless Chromium and checks the
rendered page against the results.json beside it: every table cell that names
a results.json value shows that value rounded to five decimals as the text
report rounds (an exact half away from zero, no "-0.00000"), and the summary
tables show all of theirs. Keeps a desktop and a phone-width screenshot of each
page under the output folder.

    check_report.py --program TESSERLINK --out DIR [--figure PNG] [--csem-figure PNG]
                    [--bootstrap B] [--model KIND...]
                    EXAMPLE_FOLDER...

With --bootstrap the pages carry standard errors and intervals; every page must
then still show its tables without sideways scrolling on a 1280-pixel screen,
and so must the index page of a testing program of every example's analysis
file. With --model given more than once the runs compare those models: each
page then shows every model's values too (and no testing program runs).

TESSERLINK writes each example's results folder (`--results`). Exits 77
(skipped) when no Chromium is installed, 1 when a check fails.
"""

import argparse
import decimal
import html.parser
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
INDICES = ["consistency", "chance", "kappa", "accuracy", "false_positive", "false_negative"]
DESKTOP = (1280, 4200)
PHONE = (390, 4000)


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome", "chrome"):
        found = shutil.which(name)
        if found:
            return found
    return None


def chromium(browser, profile, *arguments):
    command = [browser, "--headless", "--disable-gpu", "--no-sandbox", "--hide-scrollbars",
               "--user-data-dir=" + profile, *arguments]
    done = subprocess.run(command, capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        raise RuntimeError(" ".join(command) + " failed:\n" + done.stderr)
    return done.stdout


class CellReader(html.parser.HTMLParser):
    """Collects the text of every element with a data-json attribute."""

    def __init__(self):
        super().__init__()
        self.cells = []  # (path, text)
        self.open = []  # [path, text parts, depth] of the cells being read
        self.depth = 0
        self.tables = set()

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        self.depth += 1
        if tag == "table" and "id" in attributes:
            self.tables.add(attributes["id"])
        if "data-json" in attributes:
            self.open.append([attributes["data-json"], [], self.depth])

    def handle_endtag(self, tag):
        if self.open and self.open[-1][2] == self.depth:
            path, parts, _ = self.open.pop()
            self.cells.append((path, "".join(parts).strip()))
        self.depth -= 1

    def handle_data(self, data):
        for cell in self.open:
            cell[1].append(data)


def json_at(document, path):
    value = document
    for part in path.split("."):
        value = value[int(part)] if isinstance(value, list) else value[part]
    return value


def shown(path, value):
    """A results.json value as the page shows it."""
    if value is None:
        return "n/a"
    if isinstance(value, bool) or isinstance(value, int):
        return str(value)
    if path.endswith(".score") or path in ("composite.min", "composite.max"):
        # scores in full, as the card gives cut scores
        return "%d" % value if value == int(value) else repr(value)
    # The double's exact decimal value, rounded half away from zero.
    text = str(decimal.Decimal(value).quantize(decimal.Decimal("0.00001"), decimal.ROUND_HALF_UP))
    return text[1:] if text.startswith("-") and not text.strip("-0.") else text


def required_paths(document):
    k = document["categories"]
    paths = {"examinees", "reliability.reliability", "composite.mean"}
    for index in INDICES:
        paths.add("overall." + index)
        paths.update("cuts.%d.%s" % (c, index) for c in range(k - 1))
    for table in ("true_by_observed", "consistency_table"):
        paths.add(table + "_margins.total")
        for a in range(k):
            paths.add("%s_margins.rows.%d" % (table, a))
            paths.add("%s_margins.columns.%d" % (table, a))
            paths.update("%s.%d.%d" % (table, a, b) for b in range(k))
    for a in range(k):
        paths.add("category_counts.observed.%d" % a)
        paths.add("expected_proportions.%d" % a)
    return paths


def check_page(name, dom, document):
    reader = CellReader()
    reader.feed(dom)
    failures = []
    for table in ("summary", "item-sets", "indices", "categories", "true-by-observed",
                  "consistency-table", "conditional"):
        if table not in reader.tables:
            failures.append("%s: table %s not rendered" % (name, table))
    seen = set()
    for path, text in reader.cells:
        seen.add(path)
        try:
            expected = shown(path, json_at(document, path))
        except (KeyError, IndexError, ValueError):
            failures.append("%s: %s names no results.json value" % (name, path))
            continue
        if text != expected:
            failures.append("%s: %s shows %r, results.json gives %r" % (name, path, text, expected))
    if "comparison" in document:
        for table in ("comparison-values", "comparison-differences"):
            if table not in reader.tables:
                failures.append("%s: table %s not rendered" % (name, table))
        for m, model in enumerate(document["comparison"]["models"]):
            for i in range(len(model["indices"])):
                if "comparison.models.%d.indices.%d.value" % (m, i) not in seen:
                    failures.append("%s: model %s's index %d is not shown" % (name, model["name"], i))
    for path in sorted(required_paths(document) - seen):
        failures.append("%s: %s is not shown" % (name, path))
    if "<svg" not in dom or dom.count("<desc") < 2:
        failures.append("%s: the figures or their descriptions are missing" % name)
    return failures, len(reader.cells)


def figure_png(browser, profile, page, png, figure="conditional"):
    """One figure alone (the conditional one unless named), for the documentation."""
    text = page.read_text(encoding="utf-8")
    start = text.rindex("<figure>", 0, text.index('<title id="%s-title">' % figure))
    end = text.index("</figure>", start) + len("</figure>")
    style = text[text.index("<style>"):text.index("</style>") + len("</style>")]
    single = page.parent / "figure-only.html"
    single.write_text("<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">" + style +
                      "<style>body{max-width:none;padding:8px 12px;margin:0}"
                      "svg.plot{max-width:none}</style></head><body>" + text[start:end] +
                      "</body></html>", encoding="utf-8")
    chromium(browser, profile, "--window-size=880,620", "--screenshot=" + str(png),
             single.as_uri())


MEASURE = """<script>
window.addEventListener("load", () => {
  const wide = [];
  for (const box of document.querySelectorAll("div.scroll")) {
    if (box.querySelector("svg")) continue;
    if (box.scrollWidth > box.clientWidth + 1) {
      const table = box.querySelector("table");
      wide.push(box.getAttribute("aria-labelledby") || (table && table.id) || "a table");
    }
  }
  document.body.setAttribute("data-overflowing", wide.join(" ") || "none");
});
</script>"""


def overflowing_tables(browser, profile, page, width):
    """The titles' ids of the tables that scroll sideways at this window width."""
    text = page.read_text(encoding="utf-8")
    measured = page.parent / "measure.html"
    measured.write_text(text.replace("</body>", MEASURE + "</body>"), encoding="utf-8")
    dom = chromium(browser, profile, "--window-size=%d,900" % width, "--virtual-time-budget=2000",
                   "--dump-dom", measured.as_uri())
    measured.unlink()
    start = dom.find('data-overflowing="')
    if start < 0:
        return ["(not measured)"]
    found = dom[start + len('data-overflowing="'):dom.index('"', start + len('data-overflowing="'))]
    return [] if found == "none" else found.split()


def write_results(program, folder, results, bootstrap=None, models=()):
    """Runs the program on a scratch copy of the example's inputs, with --results."""
    with tempfile.TemporaryDirectory() as work:
        for entry in folder.iterdir():
            if entry.is_file():
                shutil.copy(entry, work)
        options = ["--bootstrap", str(bootstrap)] if bootstrap else []
        for model in models:
            options += ["--model", model]
        subprocess.run([program, "--quiet", *options, "--results", str(results), "card.txt"],
                       cwd=work, check=True, stdout=subprocess.DEVNULL)


def program_index(program, folders, out, bootstrap):
    """The index page of a testing program of the examples' analysis files."""
    work = out / "program"
    shutil.rmtree(work, ignore_errors=True)
    files = []
    for folder in folders:
        folder = pathlib.Path(folder)
        shutil.copytree(folder, work / folder.name, ignore=shutil.ignore_patterns("results"))
        files.append(folder.name + "/analysis.toml")
    subprocess.run([program, "--quiet", "--bootstrap", str(bootstrap), "--results", "summary",
                    *files], cwd=work, check=True, stdout=subprocess.DEVNULL)
    return work / "summary" / "index.html"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--figure", help="also write this PNG of the first example's figure")
    parser.add_argument("--csem-figure", help="also write this PNG of its CSEM figure")
    parser.add_argument("--bootstrap", type=int, help="replicates of a bootstrap in each run")
    parser.add_argument("--model", action="append", default=[],
                        help="a model to compare (given twice or more)")
    parser.add_argument("examples", nargs="+")
    args = parser.parse_args()

    browser = find_chromium()
    if browser is None:
        print("skipped: no Chromium installed (scripts/setup-browser installs it)")
        return SKIPPED
    out = pathlib.Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    failures = []
    with tempfile.TemporaryDirectory() as profile:
        for folder in args.examples:
            name = pathlib.Path(folder).name
            results = out / name
            shutil.rmtree(results, ignore_errors=True)
            write_results(args.program, pathlib.Path(folder), results, args.bootstrap, args.model)
            page = results / "report.html"
            document = json.loads((results / "results.json").read_text(encoding="utf-8"))
            dom = chromium(browser, profile, "--dump-dom", page.as_uri())
            found, cells = check_page(name, dom, document)
            failures += found
            for table in overflowing_tables(browser, profile, page, DESKTOP[0]):
                failures.append("%s: %s scrolls sideways at %d pixels" % (name, table, DESKTOP[0]))
            for label, (width, height) in (("desktop", DESKTOP), ("phone", PHONE)):
                chromium(browser, profile, "--window-size=%d,%d" % (width, height),
                         "--screenshot=" + str(out / ("%s-%s.png" % (name, label))), page.as_uri())
            print("%s: %d cells checked, screenshots in %s" % (name, cells, out))
            if args.figure and folder == args.examples[0]:
                figure_png(browser, profile, page, pathlib.Path(args.figure).resolve())
            if args.csem_figure and folder == args.examples[0]:
                figure_png(browser, profile, page, pathlib.Path(args.csem_figure).resolve(), "csem")
        if args.bootstrap and not args.model:
            index = program_index(args.program, args.examples, out, args.bootstrap)
            for table in overflowing_tables(browser, profile, index, DESKTOP[0]):
                failures.append("program index: %s scrolls sideways at %d pixels"
                                % (table, DESKTOP[0]))
            chromium(browser, profile, "--window-size=%d,%d" % DESKTOP,
                     "--screenshot=" + str(out / "program-index-desktop.png"), index.as_uri())
            print("program index: measured at %d pixels" % DESKTOP[0])
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
