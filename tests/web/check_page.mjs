// Drives the one-file page in headless Chromium as an analyst would: opened
// from file://, files chosen, Run pressed. Checks that
//  - every example's results.json, page and text report from the browser are
//    the command line's, byte for byte;
//  - the page shows the report's tables;
//  - the run the page makes of its engine as it opens leaves nothing behind,
//    and a download link gives its file's bytes;
//  - a missing data file is the card's console line, beside the Run button;
//  - a card's run also gives the analysis file that reproduces it, and a
//    bootstrap the program refuses stands beside the page's field of it;
//  - the page's defaults are the library's (the command line's --defaults);
//  - a table alone gets a form: the ID found, score points suggested, an error
//    beside the field of the key it names, and the README's numbers; an
//    examinee left out is a note in the notes box with its code, never
//    progress, and a repeated ID a warning with its code; a conversion table
//    chosen with it puts the cuts on the scale, and a subgroup column is
//    reported;
//  - a long bootstrap moves the progress bar; Cancel ends it at once, keeps
//    nothing, and the page stays usable;
//  - 100,000 examinees from a generated table run to the end (the time and
//    the tab's memory at its largest are printed);
//  - the form's error model: the IRT example's table and item parameters and
//    the Livingston-Lewis example's sets give the numbers of the command
//    line's runs of those examples, and the form's analysis file, run by the
//    command line, gives the page's files; with the multinomial the file has
//    no [model]; a model the library refuses stands beside its field; models
//    compared are the file's [[model]] tables, the chosen one first, and the
//    frame shows each model's page;
//  - the page runs the same from a static server as from file://;
//  - the page makes no network request at all, and weighs at most 5 MB.
// Keeps a desktop screenshot of each example under the output folder.
//
//   node check_page.mjs [--linux-program PROGRAM --model-results DIR]
//                       PAGE EXPECTED_DIR OUT_DIR EXAMPLE_FOLDER...
//
// EXPECTED_DIR/<example>/ holds the command line's files of each example run
// with --results results: results/*, and the report its card names;
// EXPECTED_DIR/defaults.json the command line's --defaults. The model checks
// need the Linux build (PROGRAM) and its runs of the spisa folder's model
// examples (DIR/irt/results, DIR/ll/results); without them they are skipped.
// Exits 77 (skipped) when no Chromium is installed, 1 when a check fails.
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { execFileSync } from "node:child_process";
import { createRequire } from "node:module";
import { rendererPeakBytes, writeLargeTable } from "./large_table.mjs";

const require = createRequire(import.meta.url);
let argv = process.argv.slice(2);
const options = {};
while (argv[0]?.startsWith("--")) {
  options[argv[0].slice(2)] = argv[1];
  argv = argv.slice(2);
}
const [pagePath, expectedDir, outDir, ...examples] = argv;
let failures = 0;
let checks = 0;
const check = (ok, what) => {
  checks += 1;
  if (!ok) {
    failures += 1;
    console.log("FAIL:", what);
  }
  return ok;
};

const browserPath = ["/usr/lib/chromium/chromium", "/usr/bin/chromium", "/usr/bin/chromium-browser"]
  .find((p) => fs.existsSync(p));
if (!browserPath) {
  console.log("no Chromium: skipped");
  process.exit(77);
}
let puppeteer;
try {
  puppeteer = require("puppeteer-core");
} catch {
  console.log("no puppeteer-core (npm install puppeteer-core): skipped");
  process.exit(77);
}

const size = fs.statSync(pagePath).size;
check(size <= 5 * 1024 * 1024, `the page is ${size} bytes, over 5 MB`);
fs.mkdirSync(outDir, { recursive: true });

const browser = await puppeteer.launch({
  executablePath: browserPath,
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--allow-file-access-from-files=false"],
});
const requests = [];
const fileUrl = "file://" + path.resolve(pagePath);
let url = fileUrl;

async function openPage() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  await page.setRequestInterception(true);
  page.on("request", (request) => {
    const target = request.url();
    if (target === url || /^(data|blob|about):/.test(target)) {
      request.continue();
    } else {
      requests.push(target);
      request.abort();
    }
  });
  page.on("pageerror", (error) => check(false, "page error: " + error.message));
  await page.goto(url, { waitUntil: "load" });
  return page;
}

async function choose(page, files) {
  const input = await page.$("#files");
  await input.uploadFile(...files);
  await page.waitForFunction(() => !document.getElementById("run").disabled);
}

async function runAndWait(page, timeout = 240000) {
  await page.evaluate(() => { window.tesserlink.lastRun = null; });
  await page.click("#run");
  await page.waitForFunction(() => window.tesserlink.lastRun && !window.tesserlink.running,
                             { timeout });
  return page.evaluate(() => {
    const run = window.tesserlink.lastRun;
    const text = {};
    for (const [name, bytes] of Object.entries(run.outputs)) {
      text[name] = Array.from(bytes, (b) => String.fromCharCode(b)).join("");
    }
    const notes = [...document.querySelectorAll("#notes li")].map((li) => ({
      code: li.dataset.code, severity: li.dataset.severity, text: li.textContent }));
    return { status: run.status, stdout: run.stdout, stderr: run.stderr, outputs: text,
             errors: document.getElementById("error").textContent,
             errorCode: document.getElementById("error").dataset.code, notes,
             notesShown: !document.getElementById("notesBox").hidden,
             pageStatus: document.getElementById("status").textContent,
             resultsJson: document.getElementById("results-json").textContent };
  });
}

const inputsOf = (folder) => fs.readdirSync(folder)
  .filter((n) => fs.statSync(path.join(folder, n)).isFile())
  .filter((n) => !["README.md", "PROVENANCE.md"].includes(n) && !n.endsWith(".out"))
  .map((n) => path.join(folder, n));

function filesUnder(folder, prefix = "") {
  const found = {};
  for (const name of fs.readdirSync(folder)) {
    const full = path.join(folder, name);
    if (fs.statSync(full).isDirectory()) Object.assign(found, filesUnder(full, prefix + name + "/"));
    else found[prefix + name] = fs.readFileSync(full, "latin1");
  }
  return found;
}

for (const example of examples) {
  const name = path.basename(example);
  const page = await openPage();
  await choose(page, inputsOf(example));
  const run = await runAndWait(page);
  check(run.status === 0, `${name}: exit status ${run.status}: ${run.errors}`);
  const expected = filesUnder(path.join(expectedDir, name));
  const got = Object.keys(run.outputs).sort();
  check(JSON.stringify(got) === JSON.stringify(Object.keys(expected).sort()),
        `${name}: the page wrote ${got}, the command line ${Object.keys(expected).sort()}`);
  for (const file of Object.keys(expected)) {
    check(run.outputs[file] === expected[file], `${name}: ${file} differs from the command line's`);
  }
  check(run.status === 0 && run.resultsJson === expected["results/results.json"],
        `${name}: #results-json is not the command line's results.json`);
  check(await page.$eval("#status", (e) => e.textContent) === "done", `${name}: #status is not done`);
  const frame = page.frames().find((f) => f !== page.mainFrame());
  const tables = frame ? await frame.evaluate(() => document.querySelectorAll("table").length) : 0;
  check(tables > 0, `${name}: the report shows no table`);
  const links = await page.$$eval("#downloads a", (as) => as.map((a) => a.textContent));
  check(links.includes("results/results.json"), `${name}: no results.json to download`);
  await page.screenshot({ path: path.join(outDir, `${name}-desktop.png`), fullPage: false });
  await page.setViewport({ width: 390, height: 844 });
  await page.screenshot({ path: path.join(outDir, `${name}-phone.png`), fullPage: false });
  await page.close();
}

// The page runs its engine once as it opens, to have the code compiled when
// Run is pressed: that run shows nothing and keeps nothing. A download link
// gives its file's bytes (the file is made when the link is used).
{
  const page = await openPage();
  const warmed = await page.evaluate(async () => ({
    ready: await window.tesserlink.ready,
    lastRun: window.tesserlink.lastRun,
    outputHidden: document.getElementById("output").hidden,
    status: document.getElementById("status").textContent,
    links: document.querySelectorAll("#downloads a").length,
  }));
  check(warmed.ready === true && warmed.lastRun === null && warmed.outputHidden &&
        warmed.status === "" && warmed.links === 0,
        `the opening run left something behind: ${JSON.stringify(warmed)}`);
  const library = JSON.parse(fs.readFileSync(path.join(expectedDir, "defaults.json"), "utf8"));
  const shown = await page.evaluate(() => ({
    defaults: window.tesserlink.defaults,
    seed: document.getElementById("seed").value,
    minGroup: document.getElementById("fMinGroup").value,
  }));
  check(JSON.stringify(shown.defaults) === JSON.stringify(library),
        `the page's defaults are not the command line's --defaults: ${JSON.stringify(shown.defaults)}`);
  check(shown.seed === String(library.seed) && shown.minGroup === String(library.min_group),
        `the page shows the seed ${shown.seed} and the group size ${shown.minGroup}, not the ` +
        `library's ${library.seed} and ${library.min_group}`);
  await choose(page, inputsOf(examples[0]));
  const run = await runAndWait(page);
  // Saved for real, into a folder of the test's.
  const saveTo = path.resolve(outDir, "downloads");
  fs.rmSync(saveTo, { recursive: true, force: true });
  fs.mkdirSync(saveTo, { recursive: true });
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: saveTo });
  await page.evaluate(() => {
    [...document.querySelectorAll("#downloads a")]
      .find((a) => a.textContent === "results/results.json").click();
  });
  const saved = path.join(saveTo, "results-results.json");
  for (let waited = 0; waited < 10000 && !fs.existsSync(saved); waited += 100) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const text = fs.existsSync(saved) ? fs.readFileSync(saved, "latin1") : null;
  check(text === run.resultsJson,
        `the results.json link saved ${text === null ? "nothing" : text.slice(0, 60)}`);
  await page.close();
}

// A card run (the card picked over the analysis file) also gives the analysis
// file that reproduces it. A bootstrap the program refuses is shown beside the
// page's own field of it.
{
  const page = await openPage();
  await choose(page, inputsOf(examples[0]));
  await page.select("#runFile", "card.txt");
  await page.$eval("#bootstrap", (input) => { input.value = "1"; });
  let run = await runAndWait(page);
  const beside = await page.$eval("#bootstrap", (i) => ({ ...i.nextElementSibling?.dataset }));
  check(run.status === 2 && run.errorCode === "run.option" && beside.key === "options.bootstrap" &&
        beside.code === "run.option",
        `a bootstrap of 1: status ${run.status}, beside the field ${JSON.stringify(beside)}: ` +
        run.errors);
  await page.$eval("#bootstrap", (input) => { input.value = "20"; });
  run = await runAndWait(page);
  check(run.status === 0, `card run: exit status ${run.status}: ${run.errors}`);
  const toml = run.outputs["analysis.toml"] || "";
  check(toml.includes("[[sets]]") && toml.includes('results = "results"') &&
        toml.includes("bootstrap = 20"), `card run: the analysis file is ${JSON.stringify(toml)}`);
  await page.close();
}

// A table alone: the form writes its analysis file. The README's table: an ID,
// a school column, missing code 9 and a reverse-keyed item.
{
  const table = path.join(outDir, "g5reading.csv");
  fs.writeFileSync(table, ["student_id,school,r1,r2,r3,r4,r5,r6", "S101,North,1,1,0,0,1,1",
    "S102,North,0,1,0,1,0,0", "S103,North,1,1,1,0,1,1", "S104,South,1,0,9,1,1,0",
    "S105,South,1,1,1,0,1,1", "S106,South,0,0,0,1,0,1", "S107,East,1,1,1,1,1,1",
    "S108,East,0,1,0,1,1,0", "S109,East,1,1,1,0,0,1", "S110,East,1,0,1,0,1,1", ""].join("\n"));
  const page = await openPage();
  await choose(page, [table]);
  await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
  check(await page.$eval("#fId", (s) => s.value) === "student_id", "the form did not find the ID");
  await page.select("#fMissing", "omit");
  await page.type("#fCodes", "9");
  await page.type("#fSets .items", "r1:r6");
  await page.$eval("#fSets .items", (i) => i.dispatchEvent(new Event("change")));
  check(await page.$eval("#fSets .points", (i) => i.value) === "0, 1",
        "the form did not suggest the score points 0, 1");
  await page.type("#fSets .reverse", "r4");
  await page.type("#fLabels", "Not yet, Proficient");
  await page.type("#fCuts", "40");
  let run = await runAndWait(page);
  const beside = await page.$eval("#fCuts", (i) => {
    const next = i.nextElementSibling;
    return next ? { className: next.className, ...next.dataset, text: next.textContent } : {};
  });
  check(run.status === 2 && beside.className === "fieldError" &&
        beside.key === "classification.observed_cuts" && beside.code === "card.cuts_out_of_range" &&
        beside.text === run.errors && run.errorCode === "card.cuts_out_of_range",
        `a cut off the scale: status ${run.status}, beside the field ${JSON.stringify(beside)}, ` +
        `in the error box ${run.errorCode}: ${run.errors}`);
  await page.$eval("#fCuts", (i) => { i.value = "4"; });
  // Every text the status line shows during the run.
  await page.evaluate(() => {
    const status = document.getElementById("statusText");
    window.statusTexts = [];
    new MutationObserver(() => window.statusTexts.push(status.textContent))
      .observe(status, { childList: true, characterData: true, subtree: true });
  });
  run = await runAndWait(page);
  check(run.status === 0, `the form's run: exit status ${run.status}: ${run.errors}`);
  const omitted = run.notes.filter((n) => n.code === "table.rows_omitted");
  check(run.notesShown && omitted.length === 1 && omitted[0].severity === "note" &&
        omitted[0].text.includes("g5reading.csv: 1 of 10 examinees left out"),
        `the examinee left out is not a note in the notes box: ${JSON.stringify(run.notes)}`);
  const statusTexts = await page.evaluate(() => window.statusTexts);
  check(!statusTexts.some((t) => t.includes("examinees")),
        `the note was shown as progress: ${JSON.stringify(statusTexts)}`);
  const json = JSON.parse(run.outputs["results/results.json"] || "{}");
  const consistency = json.overall ? json.overall.consistency : NaN;
  check(Math.abs(consistency - 0.92423) < 5e-6, `the form's run: consistency ${consistency}`);
  check((run.outputs["analysis.toml"] || "").includes('reverse = ["r4"]'),
        "the form's analysis file is not offered");
  await page.close();
}

// The same table with its ID column named as some inventories name it, and
// its items listed as a codebook lists them: the form finds the ID, reads the
// list, and its analysis file holds the run's bootstrap and seed.
{
  const table = path.join(outDir, "inventory.csv");
  const rows = fs.readFileSync(path.join(outDir, "g5reading.csv"), "utf8").split("\n");
  rows[0] = rows[0].replace("student_id", "Respondent");
  fs.writeFileSync(table, rows.join("\n"));
  const page = await openPage();
  await choose(page, [table]);
  await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
  check(await page.$eval("#fId", (s) => s.value) === "Respondent",
        "the form did not find the ID column Respondent");
  await page.select("#fMissing", "omit");
  await page.type("#fCodes", "9");
  await page.type("#fSets .items", "r1 r2, r3  r4 r5 r6");
  await page.$eval("#fSets .items", (i) => i.dispatchEvent(new Event("change")));
  check(await page.$eval("#fSets .points", (i) => i.value) === "0, 1",
        "the form did not suggest the score points of a list of names");
  await page.type("#fSets .reverse", "r4");
  await page.type("#fCuts", "4");
  await page.$eval("#bootstrap", (input) => { input.value = "20"; });
  await page.$eval("#seed", (input) => { input.value = "5"; });
  const run = await runAndWait(page);
  check(run.status === 0, `the codebook list's run: exit status ${run.status}: ${run.errors}`);
  const json = JSON.parse(run.outputs["results/results.json"] || "{}");
  check(Math.abs((json.overall?.consistency ?? NaN) - 0.92423) < 5e-6,
        "a list of names does not give the range's consistency");
  const toml = run.outputs["analysis.toml"] || "";
  check(toml.includes('items = ["r1", "r2", "r3", "r4", "r5", "r6"]') &&
        toml.includes('id = "Respondent"') && toml.includes('results = "results"') &&
        /\[options\]\nbootstrap = 20\nseed = 5\n/.test(toml),
        `the form's analysis file does not repeat the run: ${JSON.stringify(toml)}`);
  await page.close();
}

// The same table with a conversion table chosen beside it and a subgroup
// column: the cut is written on the scale and the school's levels come back.
{
  const table = path.join(outDir, "g5reading.csv");
  const conversion = path.join(outDir, "g5scale.csv");
  fs.writeFileSync(conversion, ["raw,scale", ...[0, 1, 2, 3, 4, 5, 6].map((r) => `${r},${100 + 10 * r}`), ""]
    .join("\n"));
  const page = await openPage();
  await choose(page, [table, conversion]);
  await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
  check(await page.$eval("#fScale", (s) => s.value) === "g5scale.csv",
        "the conversion table was not offered as the scale");
  await page.select("#fMissing", "omit");
  await page.type("#fCodes", "9");
  await page.type("#fSets .items", "r1:r6");
  await page.$eval("#fSets .items", (i) => i.dispatchEvent(new Event("change")));
  await page.type("#fSets .reverse", "r4");
  await page.type("#fCuts", "140");
  await page.select("#fCutsOn", "scale");
  await page.select("#fGroups", "school");
  // Picking the column offers its level names.
  await page.waitForSelector('#fLevelLabels input[data-column="school"]');
  await page.type('#fLevelLabels input[data-column="school"]', "East = E, North = N");
  const run = await runAndWait(page);
  check(run.status === 0, `the form's scale run: exit status ${run.status}: ${run.errors}`);
  const json = JSON.parse(run.outputs["results/results.json"] || "{}");
  check(Math.abs((json.overall?.consistency ?? NaN) - 0.92423) < 5e-6,
        "a scale cut of 140 does not give the raw cut 4's consistency");
  const cut = json.scale?.observed_cuts?.[0];
  check(json.scale?.cuts_on === "scale" && cut?.scale === 140 && cut?.raw === 4,
        `the scale's cuts are ${JSON.stringify(json.scale?.observed_cuts)}`);
  const levels = (json.groups || []).map((g) => `${g.variable}=${g.level}`).join(",");
  check(levels === "school=E,school=N,school=South", `the subgroups are ${levels}`);
  const unlabelled = run.notes.filter((n) => n.code === "table.unlabelled_level");
  check(unlabelled.length === 1 && unlabelled[0].severity === "warning" &&
        unlabelled[0].text.includes("the value South (2 examinees) has no label"),
        `the level without a name is not a warning: ${JSON.stringify(run.notes)}`);
  const toml = run.outputs["analysis.toml"] || "";
  check(toml.includes('groups = ["school"]') && toml.includes('cuts_on = "scale"') &&
        toml.includes('level_labels = { "school" = { "East" = "E", "North" = "N" } }'),
        `the form's analysis file lacks the groups or the scale: ${JSON.stringify(toml)}`);
  check(!toml.includes("min_group"),
        `the form wrote the library's own group size: ${JSON.stringify(toml)}`);
  await page.close();
}

// A table whose IDs repeat: an error in a set's key beside that set's field;
// then the warning, by its code, in the notes box beside the note of the
// examinee left out.
{
  const table = path.join(outDir, "g5dup.csv");
  fs.writeFileSync(table, fs.readFileSync(path.join(outDir, "g5reading.csv"), "latin1")
    .replace("S102", "S101"));
  const page = await openPage();
  await choose(page, [table]);
  await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
  await page.select("#fMissing", "omit");
  await page.type("#fCodes", "9");
  await page.type("#fSets .items", "r1:r6");
  await page.$eval("#fSets .items", (i) => i.dispatchEvent(new Event("change")));
  await page.type("#fCuts", "4");
  // A set's key: the error stands beside that set's field.
  await page.$eval("#fSets .points", (i) => { i.value = "1, 0"; });
  let run = await runAndWait(page);
  const beside = await page.$eval("#fSets .points", (i) => ({ ...i.nextElementSibling?.dataset }));
  check(run.status === 2 && beside.key === "sets[1].points" && beside.code === "analysis.key",
        `falling score points: status ${run.status}, beside the set's points ` +
        `${JSON.stringify(beside)}: ${run.errors}`);
  await page.$eval("#fSets .points", (i) => { i.value = "0, 1"; });
  run = await runAndWait(page);
  check(await page.$$eval(".fieldError", (notes) => notes.length) === 0,
        "an earlier error still stands beside its field");
  const codes = run.notes.map((n) => `${n.severity} ${n.code}`).join(", ");
  check(run.status === 0 && codes === "warning table.duplicate_ids, note table.rows_omitted",
        `a repeated ID: exit status ${run.status}, the notes box holds ${codes}`);
  await page.close();
}

// The form's error model. Each case fills the form as an analyst would for a
// model example of the spisa folder, from that folder's table: the page's
// results.json has the numbers of the command line's run of the example, and
// the analysis file the page offers, run by the command line beside the same
// inputs, gives the page's files. Numbers agree to within MAX_ULPS: the
// WebAssembly C library's exp and log are not glibc's, and an examinee's
// ability (a posterior mean over 61 points of products of 45 logistic
// curves) gathers their last-place differences, as do the probabilities of
// their categories (up to 13 ulp in the IRT example). `ignored` names the keys
// the example's own files make differ: the LL example reads five data files,
// not the table.
const MAX_ULPS = 32;
const ulpsApart = (a, b) => {
  const bits = new BigInt64Array(new Float64Array([a, b]).buffer);
  const ordered = (x) => (x >= 0n ? x : -(x & 0x7fffffffffffffffn));
  const d = ordered(bits[0]) - ordered(bits[1]);
  return Number(d < 0n ? -d : d);
};
const numbers = { count: 0, differing: 0, largest: 0 };
// Whether `web` is `linux`: numbers to within MAX_ULPS, all else exactly.
function sameValues(web, linux, where, ignored = []) {
  if (typeof web === "number" && typeof linux === "number") {
    numbers.count += 1;
    if (web === linux) return true;
    numbers.differing += 1;
    const apart = ulpsApart(web, linux);
    numbers.largest = Math.max(numbers.largest, apart);
    return check(apart <= MAX_ULPS, `${where}: ${web} is ${apart} ulp from ${linux}`);
  }
  if (web && linux && typeof web === "object" && typeof linux === "object") {
    const keys = (o) => Object.keys(o).filter((k) => !ignored.includes(k)).sort();
    if (!check(Array.isArray(web) === Array.isArray(linux) &&
               JSON.stringify(keys(web)) === JSON.stringify(keys(linux)), `${where}: keys differ`))
      return false;
    return keys(linux).every((k) => sameValues(web[k], linux[k], `${where}.${k}`, ignored));
  }
  return check(web === linux, `${where}: ${JSON.stringify(web)} is not ${JSON.stringify(linux)}`);
}
// A CSV file's fields: numbers to within MAX_ULPS, all else exactly.
function sameCsv(web, linux, where) {
  const rows = (text) => text.split("\r\n").map((row) => row.split(","));
  const w = rows(web), l = rows(linux);
  if (!check(w.length === l.length, `${where}: ${w.length} rows, not ${l.length}`)) return;
  l.forEach((fields, r) => {
    if (!check(w[r].length === fields.length, `${where}:${r + 1}: field counts differ`)) return;
    fields.forEach((field, f) => {
      const a = w[r][f];
      if (a === field) return;
      const bothNumbers = a !== "" && field !== "" && !isNaN(Number(a)) && !isNaN(Number(field));
      if (bothNumbers) sameValues(Number(a), Number(field), `${where}:${r + 1}`);
      else check(false, `${where}:${r + 1}: ${a} is not ${field}`);
    });
  });
}

// Fills the form for the spisa table: sets, labels, cuts and a model.
async function fillModelForm(page, { title, sets, kind }) {
  if (title) await page.type("#fTitle", title);
  for (let i = 0; i < sets.length; i += 1) {
    if (i > 0) await page.click("#fAddSet");
    const row = `#fSets tbody tr:nth-child(${i + 1})`;
    await page.type(`${row} .name`, sets[i][0]);
    await page.type(`${row} .items`, sets[i][1]);
    await page.$eval(`${row} .items`, (input) => input.dispatchEvent(new Event("change")));
  }
  await page.type("#fLabels", "low, middle, high");
  await page.type("#fCuts", "23, 32");
  await page.select("#fKind", kind);
}

const spisaFolder = examples.find((e) => path.basename(e) === "spisa");
if (!options["linux-program"] || !options["model-results"] || !spisaFolder) {
  console.log("the form's error model: skipped (no --linux-program, --model-results or spisa)");
} else {
  const program = path.resolve(options["linux-program"]);
  const table = path.join(spisaFolder, "irt", "spisa.csv");
  const parameters = path.join(spisaFolder, "irt", "parameters.csv");
  const library = JSON.parse(fs.readFileSync(path.join(expectedDir, "defaults.json"), "utf8"));
  const quiz = [["quiz", "pol1:sci9"]];
  const strands = [["politics", "pol1:pol9"], ["history", "his1:his9"], ["economy", "eco1:eco9"],
                   ["culture", "cul1:cul9"], ["science", "sci1:sci9"]];
  // The analysis file the page offered, run by the command line beside its
  // inputs, gives the page's files.
  const sameAsCommandLine = (name, run, inputs) => {
    const rerun = path.join(outDir, `rerun-${name}`);
    fs.rmSync(rerun, { recursive: true, force: true });
    fs.mkdirSync(rerun, { recursive: true });
    for (const input of inputs) fs.copyFileSync(input, path.join(rerun, path.basename(input)));
    fs.writeFileSync(path.join(rerun, "analysis.toml"), run.outputs["analysis.toml"] || "", "latin1");
    execFileSync(program, ["--quiet", "--threads", "1", "analysis.toml"], { cwd: rerun });
    const written = filesUnder(rerun);
    const pageFiles = Object.keys(run.outputs).filter((n) => n !== "analysis.toml").sort();
    const lineFiles = Object.keys(written)
      .filter((n) => !["analysis.toml", "spisa.csv", "parameters.csv"].includes(n)).sort();
    check(JSON.stringify(pageFiles) === JSON.stringify(lineFiles),
          `${name}: the page wrote ${pageFiles}, its analysis file on the command line ${lineFiles}`);
    for (const file of lineFiles) {
      const where = `${name}: the command line's ${file}`;
      if (file.endsWith(".json")) sameValues(JSON.parse(run.outputs[file]), JSON.parse(written[file]), where);
      else if (file.endsWith(".csv")) sameCsv(run.outputs[file] || "", written[file], where);
      else check(run.outputs[file] === written[file], `${where} differs from the page's`);
    }
  };
  const cases = [
    { example: "irt", title: "spisa, Rasch model, summed-score method", sets: quiz, kind: "irt",
      method: "summed-p", itemsPicked: parameters, ignored: [],
      toml: '[model]\nkind = "irt"\nmethod = "summed-p"\n\n[irt]\nitems = "parameters.csv"\n' +
            'D = 1\nestimator = "eap"\ncuts_on = "raw"\n' },
    { example: "ll", title: "spisa, Livingston-Lewis", sets: strands, kind: "beta-binomial",
      method: "ll", ignored: ["data_file", "table"],
      toml: '[model]\nkind = "beta-binomial"\nmethod = "ll"\nreliability = "alpha"\n' },
  ];
  for (const c of cases) {
    const page = await openPage();
    await choose(page, [table]);
    await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
    await fillModelForm(page, c);
    // The kind's own fields show, the others hide; its methods are the
    // library's, its default chosen.
    const shown = await page.evaluate(() => ({
      irt: !document.getElementById("fIrt").hidden,
      beta: !document.getElementById("fBeta").hidden,
      methods: [...document.getElementById("fMethod").options].map((o) => o.value),
      method: document.getElementById("fMethod").value,
    }));
    const model = library.models.find((m) => m.kind === c.kind);
    check(shown.irt === (c.kind === "irt") && shown.beta === (c.kind === "beta-binomial") &&
          JSON.stringify(shown.methods) === JSON.stringify(model.methods) &&
          shown.method === model.method,
          `${c.example}: the form shows ${JSON.stringify(shown)} for the ${c.kind} model`);
    if (c.itemsPicked) {
      const picker = await page.$("#fItemsFile");
      await picker.uploadFile(c.itemsPicked);
      await page.waitForFunction((name) => document.getElementById("fItems").value === name,
                                 { timeout: 5000 }, path.basename(c.itemsPicked))
        .catch(() => check(false, `${c.example}: the picked item parameters are not chosen`));
    }
    await page.select("#fMethod", c.method);
    const run = await runAndWait(page);
    check(run.status === 0, `${c.example} from the form: exit status ${run.status}: ${run.errors}`);
    const toml = run.outputs["analysis.toml"] || "";
    check(toml.includes(c.toml) && /\n\[output\]\n/.test(toml.slice(toml.indexOf(c.toml))),
          `${c.example}: the form's analysis file does not name its model: ${JSON.stringify(toml)}`);
    // The numbers of the command line's run of the example itself.
    const expected = path.join(options["model-results"], c.example, "results", "results.json");
    sameValues(JSON.parse(run.resultsJson || "null"), JSON.parse(fs.readFileSync(expected, "utf8")),
               `${c.example}: results.json`, c.ignored);
    sameAsCommandLine(c.example, run, [table, c.itemsPicked].filter(Boolean));
    // Back to the multinomial: the analysis file is the one before models.
    await page.select("#fKind", library.model);
    const plain = await page.evaluate(() => window.tesserlink.formToml());
    check(!plain.includes("[model]") && !plain.includes("[irt]") &&
          await page.$eval("#fIrt", (e) => e.hidden) && await page.$eval("#fBeta", (e) => e.hidden),
          `${c.example}: back on the multinomial the form writes ${JSON.stringify(plain)}`);
    await page.close();
  }
  // Models compared: each further model the form offers is a [[model]] of its
  // analysis file after the chosen one, the settings of its kind show, the
  // frame shows each model's page in turn, and the command line's run of the
  // file gives the page's files.
  {
    const page = await openPage();
    await choose(page, [table, parameters]);
    await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
    await fillModelForm(page, { sets: quiz, kind: library.model });
    const chosen = library.models.find((m) => m.kind === library.model);
    const offered = await page.$$eval("#fCompareChoices label:not([hidden]) input",
                                      (boxes) => boxes.map((b) => b.dataset.kind + " " + b.dataset.method));
    const others = library.models.flatMap((m) => m.methods.map((method) => m.kind + " " + method))
                                 .filter((n) => n !== chosen.kind + " " + chosen.method);
    check(JSON.stringify(offered) === JSON.stringify(others),
          `models compared: the form offers ${offered}, not every other method (${others})`);
    const tick = (kind, method) =>
      page.click(`#fCompareChoices input[data-kind="${kind}"][data-method="${method}"]`);
    await tick("irt", "summed-p");
    await tick("beta-binomial", "ll");
    check(!await page.$eval("#fIrt", (e) => e.hidden) && !await page.$eval("#fBeta", (e) => e.hidden),
          "models compared: the IRT and beta-binomial settings do not show");
    const first = `[[model]]\nkind = "${chosen.kind}"\nmethod = "${chosen.method}"\n\n`;
    const irt = '[[model]]\nkind = "irt"\nmethod = "summed-p"\n\n';
    const ll = '[[model]]\nkind = "beta-binomial"\nmethod = "ll"\nreliability = "alpha"\n\n';
    const irtTable = '[irt]\nitems = "parameters.csv"\n';
    const three = await page.evaluate(() => window.tesserlink.formToml());
    check(three.includes(first + irt + ll + irtTable) && !/^\[model\]$/m.test(three),
          `models compared: the form's analysis file is ${JSON.stringify(three)}`);
    // The run leaves the beta-binomial out: its numbers near 1 are further
    // apart between the two builds' exp and log than the IRT's.
    await tick("beta-binomial", "ll");
    check(await page.$eval("#fBeta", (e) => e.hidden),
          "models compared: the beta-binomial settings still show with no such model");
    const run = await runAndWait(page);
    check(run.status === 0, `models compared: exit status ${run.status}: ${run.errors}`);
    const toml = run.outputs["analysis.toml"] || "";
    check(toml.includes(first + irt + irtTable) && !toml.includes("beta-binomial"),
          `models compared: the analysis file run is ${JSON.stringify(toml)}`);
    const pages = ["results/report.html", "results/models/summed-p/report.html"];
    const shown = await page.evaluate(() => ({
      choices: [...document.getElementById("reportChoice").options].map((o) => o.value),
      hidden: document.getElementById("reportChoiceLabel").hidden,
      frame: document.getElementById("report").srcdoc,
    }));
    check(!shown.hidden && JSON.stringify(shown.choices) === JSON.stringify(pages) &&
          shown.frame.includes(">Models side by side</h2>"),
          `models compared: the pages offered are ${shown.choices}, the frame ` +
          `${shown.frame.includes("Models side by side") ? "shows" : "lacks"} the comparison`);
    await page.select("#reportChoice", pages[1]);
    const frame = await page.$eval("#report", (f) => f.srcdoc);
    check(frame === Buffer.from(run.outputs[pages[1]], "latin1").toString("utf8"),
          "models compared: a further model's page is not the one the frame shows");
    sameAsCommandLine("compared", run, [table, parameters]);
    await page.close();
  }
  console.log(`web page, models: ${numbers.differing} of ${numbers.count} numbers differ from the ` +
              `Linux build's (largest difference ${numbers.largest} ulp)`);

  // What the library refuses stands beside the form's field of it, with its
  // code, and is the error box's line. The item parameters are chosen with the
  // table here: the form knows them by their header.
  const refusals = [
    { what: "the IRT model without item parameters", kind: "irt", field: "#fItems",
      key: "irt.items", code: "model.refused",
      set: (page) => page.select("#fItems", "") },
    { what: "a D of 0", kind: "irt", field: "#fD", key: "irt.D", code: "analysis.key",
      set: (page) => page.$eval("#fD", (i) => { i.value = "0"; }) },
    { what: "a method of another model", kind: "irt", field: "#fMethod", key: "model.method",
      code: "model.refused",
      set: (page) => page.$eval("#fMethod", (s) => { s.append(new Option("ll", "ll")); s.value = "ll"; }) },
    { what: "a reliability above 1", kind: "beta-binomial", field: "#fReliability",
      key: "model.reliability", code: "model.reliability_range",
      set: async (page) => {
        await page.select("#fReliability", "number");
        await page.type("#fReliabilityValue", "1.5");
      } },
  ];
  for (const r of refusals) {
    const page = await openPage();
    await choose(page, [table, parameters]);
    await page.waitForFunction(() => !document.getElementById("tableForm").hidden);
    check(await page.$eval("#fItems", (s) => s.value) === "parameters.csv",
          `${r.what}: the item parameter table chosen with the data is not offered`);
    await fillModelForm(page, { sets: quiz, kind: r.kind });
    await r.set(page);
    const run = await runAndWait(page);
    const beside = await page.$eval(r.field, (i) => {
      const next = i.nextElementSibling;
      return next ? { className: next.className, ...next.dataset, text: next.textContent } : {};
    });
    check(run.status !== 0 && run.errorCode === r.code && beside.className === "fieldError" &&
          beside.key === r.key && beside.code === r.code && beside.text === run.errors,
          `${r.what}: status ${run.status}, beside the field ${JSON.stringify(beside)}, in the ` +
          `error box ${run.errorCode}: ${run.errors}`);
    await page.close();
  }
}

// A card whose data file was not chosen: the program's own line, no results.
{
  const page = await openPage();
  const folder = examples[0];
  await choose(page, inputsOf(folder).filter((f) => f.endsWith("card.txt")));
  const run = await runAndWait(page);
  check(run.status === 1, `a missing data file: exit status ${run.status}`);
  const consoleLines = run.stdout.trim().split("\n");
  check(run.errors === consoleLines[consoleLines.length - 1] && run.errors.length > 0 &&
        run.errorCode === "data.file_missing",
        `a missing data file: the page shows ${JSON.stringify(run.errors)} (${run.errorCode}), ` +
        `not the console line`);
  check(!Object.keys(run.outputs).some((n) => n.startsWith("results/")),
        "a missing data file: results were written");
  check(run.status !== 0 && (await page.$eval("#status", (e) => e.textContent)) === "error",
        "a missing data file: #status is not error");
  await page.close();
}

// Cancel: a long bootstrap ends at once; nothing is kept; the page answers.
{
  const page = await openPage();
  await choose(page, inputsOf(examples[examples.length - 1]));
  await page.$eval("#bootstrap", (input) => { input.value = "100000"; });
  await page.evaluate(() => { window.tesserlink.lastRun = null; });
  await page.click("#run");
  // The bar moves with the program's progress lines (one every few seconds).
  const moved = await page.waitForFunction(
    () => document.getElementById("progress").value > 0, { timeout: 30000 })
    .then(() => true, () => false);
  check(moved, "the progress bar did not move during a long bootstrap");
  const started = Date.now();
  const answered = await page.evaluate(() => window.tesserlink.running);
  check(answered === true && Date.now() - started < 1000, "the page did not answer during a run");
  await page.click("#cancel");
  const after = await page.evaluate(() => ({
    running: window.tesserlink.running,
    lastRun: window.tesserlink.lastRun,
    status: document.getElementById("status").textContent,
    runEnabled: !document.getElementById("run").disabled,
  }));
  check(!after.running && after.lastRun === null && after.runEnabled,
        "Cancel left the run going or kept a result");
  check(after.status === "cancelled", `Cancel leaves #status ${JSON.stringify(after.status)}`);
  await page.close();
}

// 100,000 examinees from a generated table: the tab does not run out of
// memory. Prints the run's time and the memory at its largest.
{
  const rows = 100000;
  const page = await openPage();
  await choose(page, writeLargeTable(path.join(outDir, "large"), rows));
  await page.evaluate(() => { window.tesserlink.lastRun = null; });
  await page.click("#run");
  await page.waitForFunction(() => window.tesserlink.lastRun && !window.tesserlink.running,
                             { timeout: 240000 });
  const large = await page.evaluate(() => {
    const run = window.tesserlink.lastRun;
    const json = document.getElementById("results-json").textContent;
    return { status: run.status, errors: document.getElementById("error").textContent,
             milliseconds: run.milliseconds,
             engineMemory: run.engineMemoryBytes, examinees: json ? JSON.parse(json).examinees : null };
  });
  check(large.status === 0 && large.examinees === rows,
        `${rows} examinees: exit status ${large.status}, ${large.examinees} examinees: ${large.errors}`);
  const peak = await rendererPeakBytes(browser);
  const mb = (bytes) => (bytes / 1048576).toFixed(0) + " MB";
  console.log(`web page: ${rows} examinees in ${(large.milliseconds / 1000).toFixed(1)} s; ` +
              `engine memory ${mb(large.engineMemory)}, renderer peak ${mb(peak)}`);
  await page.close();
}

// From a static server: the same page, served as a file, runs the same way.
// The server answers the page's own address only and counts every request.
{
  let served = 0;
  const server = http.createServer((request, response) => {
    served += 1;
    if (request.url === "/tesserlink.html") {
      response.writeHead(200, { "Content-Type": "text/html" });
      response.end(fs.readFileSync(pagePath));
    } else {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  url = `http://127.0.0.1:${server.address().port}/tesserlink.html`;
  const page = await openPage();
  const name = path.basename(examples[0]);
  await choose(page, inputsOf(examples[0]));
  const run = await runAndWait(page);
  const expected = filesUnder(path.join(expectedDir, name));
  check(run.status === 0 && run.resultsJson === expected["results/results.json"],
        `${name} from a static server: exit status ${run.status}, results.json ` +
        (run.resultsJson === expected["results/results.json"] ? "the same" : "differs"));
  check(served === 1, `the static server was asked ${served} times, not once`);
  await page.close();
  server.close();
  url = fileUrl;
}

await browser.close();
check(requests.length === 0, `the page made network requests: ${requests.join(", ")}`);
console.log(`web page: ${checks - failures} of ${checks} checks passed`);
process.exit(failures ? 1 : 0);
