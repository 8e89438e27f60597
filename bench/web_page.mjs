// Times runs of the one-file page in headless Chromium (Debian's, driven by
// puppeteer-core; never a downloaded browser), as an analyst's run goes: the
// page opened from file://, the files chosen in #files, #run pressed, until
// #status reads done. Every run has a fresh tab, so it pays what a first run
// pays, except what the page does as it opens (compiling the WebAssembly and
// the run of its own small card that has the engine's code compiled and
// optimised, timed apart as "ready"). Run is pressed as soon as the page is
// ready: the browser may still be optimising in the background then.
//
//   node bench/web_page.mjs PAGE runs FOLDER [N]
//       N runs (default 5) on the files of FOLDER (a card and its data files);
//       prints the median of each figure and one JSON line.
//   node bench/web_page.mjs PAGE large FOLDER ROWS
//       writes a table of ROWS examinees (one 50-item 0/1 set, one 8-item 0..4
//       set of weight 2, an ID column) and its analysis file into FOLDER, runs
//       it once and prints its time and the tab's memory at its largest.
//
// Figures of a run:
//   run     from pressing Run to #status reading done, measured in the page
//           (reading the chosen files, the worker's start, the run and, for a
//           card, the second run that writes its analysis file, the results
//           coming back and shown);
//   page    the page's own figure for the same span (tesserlink.lastRun);
//   worker  the worker's share: from the files' arrival to its reply;
//   ready   from opening the page to its engine compiled and warmed (once per
//           tab).
// The tab's memory: the renderer process's peak resident size (VmHWM, which
// holds the page and its worker), the engine's WebAssembly memory at its
// largest, and the largest JavaScript heap of the page and of the worker
// sampled every 100 ms.
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";
import { rendererPeakBytes, writeLargeTable } from "../tests/web/large_table.mjs";

const require = createRequire(import.meta.url);
const puppeteer = require("puppeteer-core");
const [pagePath, mode, folder, countText] = process.argv.slice(2);
if (!pagePath || !["runs", "large"].includes(mode) || !folder) {
  console.error("usage: web_page.mjs PAGE runs FOLDER [N] | PAGE large FOLDER ROWS");
  process.exit(2);
}
const browserPath = ["/usr/lib/chromium/chromium", "/usr/bin/chromium"].find((p) => fs.existsSync(p));
const url = "file://" + path.resolve(pagePath);

const browser = await puppeteer.launch({
  executablePath: browserPath,
  headless: true,
  args: ["--no-sandbox", "--disable-gpu"],
});

async function openPage() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  const opened = Date.now();
  await page.goto(url, { waitUntil: "load" });
  // A page without a compiled engine (before it had one) is ready at load.
  await page.evaluate(() => window.tesserlink.ready);
  return { page, ready: Date.now() - opened };
}

async function runOnce(page, files, sample) {
  const input = await page.$("#files");
  await input.uploadFile(...files);
  await page.waitForFunction(() => !document.getElementById("run").disabled);
  // Timed inside the page, from the click to #status reading done or error.
  await page.evaluate(() => {
    window.benchRun = new Promise((resolve) => {
      const status = document.getElementById("status");
      const began = performance.now();
      const observer = new MutationObserver(() => {
        if (status.textContent === "done" || status.textContent === "error") {
          observer.disconnect();
          resolve({ run: performance.now() - began, status: status.textContent });
        }
      });
      observer.observe(status, { childList: true, characterData: true, subtree: true });
      document.getElementById("run").click();
    });
  });
  let sampling = true;
  const sampler = (async () => {
    while (sampling) {
      await sample();
      await new Promise((r) => setTimeout(r, 100));
    }
  })();
  const timed = await page.evaluate(() => window.benchRun);
  sampling = false;
  await sampler;
  const own = await page.evaluate(() => {
    const r = window.tesserlink.lastRun;
    return { page: r.milliseconds, worker: r.workerMilliseconds, engineMemory: r.engineMemoryBytes,
             stderr: r.stderr, error: document.getElementById("error").textContent };
  });
  return { ...timed, ...own };
}

const median = (values) => {
  const known = values.filter((v) => typeof v === "number").sort((a, b) => a - b);
  return known.length ? known[Math.floor((known.length - 1) / 2)] : null;
};
const seconds = (ms) => (ms === null || ms === undefined ? "-" : (ms / 1000).toFixed(3) + " s");
const megabytes = (bytes) => (bytes ? (bytes / 1048576).toFixed(1) + " MB" : "-");

if (mode === "runs") {
  const files = fs.readdirSync(folder)
    .filter((n) => n === "card.txt" || n.endsWith(".dat"))
    .map((n) => path.join(folder, n));
  const results = [];
  for (let i = 0; i < Number(countText || 5); i += 1) {
    const { page, ready } = await openPage();
    const r = await runOnce(page, files, async () => {});
    if (r.status !== "done") {
      console.error("web_page: the run failed: " + r.error);
      process.exit(1);
    }
    results.push({ ...r, ready });
    await page.close();
  }
  const m = {};
  for (const key of ["run", "page", "worker", "ready"]) m[key] = median(results.map((r) => r[key]));
  console.log(`page runs of ${path.basename(folder)} (median of ${results.length}): run ${seconds(m.run)}, ` +
              `page's own ${seconds(m.page)}, worker ${seconds(m.worker)}, ready ${seconds(m.ready)}`);
  console.log(JSON.stringify({ folder: path.basename(folder), ...m, runs: results.map((r) => r.run) }));
} else {
  const rows = Number(countText);
  const files = writeLargeTable(folder, rows);
  const { page, ready } = await openPage();
  const session = await page.createCDPSession();
  await session.send("Performance.enable");
  let pageHeap = 0;
  let workerHeap = 0;
  const sample = async () => {
    const metrics = await session.send("Performance.getMetrics");
    const used = metrics.metrics.find((x) => x.name === "JSHeapUsedSize");
    if (used) pageHeap = Math.max(pageHeap, used.value);
    for (const worker of page.workers()) {
      try {
        const usage = await worker.client.send("Runtime.getHeapUsage");
        workerHeap = Math.max(workerHeap, usage.usedSize);
      } catch {
        // The worker ended between the listing and the question.
      }
    }
  };
  const r = await runOnce(page, files, sample);
  const peak = await rendererPeakBytes(browser);
  const examinees = await page.evaluate(() => {
    const text = document.getElementById("results-json").textContent;
    return text ? JSON.parse(text).examinees ?? null : null;
  });
  console.log(`page run of ${rows.toLocaleString("en")} examinees (table and analysis file): ` +
              `${r.status}, run ${seconds(r.run)}, worker ${seconds(r.worker)}, ready ${seconds(ready)}; ` +
              `renderer peak ${megabytes(peak)}, engine memory ${megabytes(r.engineMemory)}, ` +
              `JS heap page ${megabytes(pageHeap)} / worker ${megabytes(workerHeap)}`);
  console.log(JSON.stringify({ rows, status: r.status, run: r.run, worker: r.worker, ready,
                               rendererPeakBytes: peak, engineMemoryBytes: r.engineMemory,
                               pageHeapBytes: pageHeap, workerHeapBytes: workerHeap, examinees,
                               error: r.error }));
  if (r.status !== "done") process.exitCode = 1;
}
await browser.close();
