// Runs tables of findings cases through the page's engine under Node, with
// the command line's arguments and --events, and reads its standard error
// with the page's own reader (eventOf in web/worker.js). Each case's exit
// status must be the table's, and each finding it lists must be among the
// run's findings (the error last among them), in its order, with the fields
// it gives. Every line on standard error must be an event: the page would
// miss any other.
//
//   node findings_under_node.mjs ENGINE_JS WORKER_JS WORK_DIR TABLE...
//
// ENGINE_JS may also be a program (build/tesserlink), to try a table on it.
//
// A table is a JSON array of cases: {name, files: {name: text}, run, options:
// {bootstrap, seed, strict, scale, cuts_on, cuts, true_cuts, results, engine,
// threads},
// expect: {exit_status, findings: [{code, severity, text, file, line, column,
// key, value, closest, console_line}]}}.
import fs from "node:fs";
import path from "node:path";
import vm from "node:vm";
import { spawnSync } from "node:child_process";

const [engine, workerScript, workDir, ...tables] = process.argv.slice(2);

// The worker's script, as the page's worker runs it, for its reader.
const context = vm.createContext({ self: {}, TextDecoder, performance });
vm.runInContext(fs.readFileSync(workerScript, "utf8"), context, { filename: workerScript });
const eventOf = context.eventOf;

const optionArguments = {
  bootstrap: (v) => ["--bootstrap", String(v)],
  seed: (v) => ["--seed", String(v)],
  strict: (v) => (v ? ["--strict"] : []),
  scale: (v) => ["--scale", v],
  cuts_on: (v) => ["--cuts-on", v],
  cuts: (v) => ["--cuts", v],
  true_cuts: (v) => ["--true-cuts", v],
  results: (v) => ["--results", v],
  engine: (v) => ["--engine", v],
  threads: (v) => ["--threads", String(v)],
};

const failed = new Set();
let cases = 0;
const fail = (name, what) => {
  failed.add(name);
  console.log(`FAIL: ${name}: ${what}`);
};

// A field the table gives as empty (or 0) is one the program leaves out.
const sameField = (got, wanted) => got === wanted || (got === undefined && (wanted === "" || wanted === 0));
const matches = (finding, wanted) =>
  Object.keys(wanted).every((field) => sameField(finding[field], wanted[field]));

function runCase(c) {
  const folder = path.resolve(workDir, c.name);
  fs.rmSync(folder, { recursive: true, force: true });
  fs.mkdirSync(folder, { recursive: true });
  for (const [name, text] of Object.entries(c.files || {})) {
    fs.mkdirSync(path.dirname(path.join(folder, name)), { recursive: true });
    fs.writeFileSync(path.join(folder, name), text);
  }
  const args = ["--events"];
  for (const [option, value] of Object.entries(c.options || {})) {
    if (!optionArguments[option]) return fail(c.name, `the option ${option} has no command line`);
    args.push(...optionArguments[option](value));
  }
  args.push(c.run);
  // An engine's script runs under Node; a program (the Linux build, to try
  // a table) runs itself.
  const [program, start] = engine.endsWith(".js") ? [process.execPath, [path.resolve(engine)]]
                                                  : [path.resolve(engine), []];
  const done = spawnSync(program, [...start, ...args],
                         { cwd: folder, encoding: "utf8", timeout: 600000 });
  const events = done.stderr.split(/\r?\n/).filter(Boolean).map(eventOf);
  for (const text of events.filter((e) => e.event === "text")) {
    fail(c.name, `standard error held a line that is not an event: ${text.text}`);
  }
  const findings = events.filter((e) => e.event === "finding" || e.event === "error");
  const errors = findings.filter((e) => e.event === "error");
  const status = done.status;
  if (status !== c.expect.exit_status) {
    fail(c.name, `exit status ${status}, not ${c.expect.exit_status}`);
  }
  if (errors.length !== (status === 0 ? 0 : 1) || (errors.length && findings.at(-1) !== errors[0])) {
    fail(c.name, `exit status ${status} with ${errors.length} errors, not last: ` +
                 JSON.stringify(errors));
  }
  let next = 0;
  for (const wanted of c.expect.findings || []) {
    while (next < findings.length && !matches(findings[next], wanted)) next += 1;
    if (next === findings.length) {
      fail(c.name, `no finding ${JSON.stringify(wanted)} (in order) among ` +
                   JSON.stringify(findings));
      return;
    }
    next += 1;
  }
}

for (const table of tables) {
  const names = new Set();
  for (const c of JSON.parse(fs.readFileSync(table, "utf8"))) {
    if (names.has(c.name)) fail(c.name, `${table} names it twice`);
    names.add(c.name);
    cases += 1;
    runCase(c);
  }
}
console.log(`findings under Node: ${cases - failed.size} of ${cases} cases as their tables say ` +
            `(${tables.map((t) => path.basename(t)).join(", ")})`);
process.exit(failed.size ? 1 : 0);
