// The page's worker: it follows the engine (createTesserlink) in one script.
// Each worker does one run: the chosen files go into the engine's memory file
// system, the program runs there with the command line's arguments and
// --events, and every file it wrote comes back with what the run found. With
// --events the program writes each finding and its progress on standard error
// as JSON lines (eventOf): progress moves the page's bar as it comes, the
// findings and the error go back with the run's files. The page shows them by
// their codes and keys and never reads their words. A card's run also comes
// back as the analysis file that reproduces it on the command line
// (--convert, and the page's options).
// The page compiles the WebAssembly once and sends the compiled module: the
// worker only instantiates it. A worker started ahead of its run is sent the
// module at once ("prepare") and readies its engines while the page waits for
// Run. Nothing is kept between runs: each has fresh engines, and the page ends
// the worker when the run is done or cancelled.
"use strict";

// Engines made ahead: one for the run, one for a card's conversion.
let prepared = [];

self.onmessage = async (event) => {
  if (event.data.type === "prepare") {
    prepared = [newEngine(event.data.module), newEngine(event.data.module)];
    // A failure shows when the run asks for the engine.
    for (const engine of prepared) engine.catch(() => {});
    return;
  }
  try {
    const began = performance.now();
    const { module, files, args, convert, convertTail } = event.data;
    const engineFor = () => prepared.shift() || newEngine(module);
    const result = run(await engineFor(), files, ["--events", ...args]);
    if (result.status === 0 && convert) {
      const converted = run(await engineFor(), files, ["--convert", convert]);
      if (converted.status === 0) {
        const bytes = new TextEncoder().encode(converted.stdout + convertTail);
        result.outputs["analysis.toml"] = bytes;
        result.transfer.push(bytes.buffer);
      }
    }
    const { status, stdout, stderr, findings, error, outputs, transfer, memoryBytes } = result;
    // The worker's share of the run, from the message's arrival to the reply,
    // and the engine's memory at its largest (it grows and never shrinks).
    const milliseconds = performance.now() - began;
    self.postMessage({ type: "done", status, stdout, stderr, findings, error, outputs, milliseconds,
                       memoryBytes }, transfer);
  } catch (error) {
    // An engine fault, not the program's: still one line for the page.
    self.postMessage({ type: "done", status: 2, stdout: "",
                       stderr: "tesserlink: the engine failed: " + describe(error) + "\n",
                       findings: [], error: null, outputs: {} });
  }
};

function describe(error) {
  if (error && error.errno !== undefined) return "file system error " + error.errno;
  return String(error && error.message ? error.message : error);
}

// One line of the program's standard error under --events: a progress, a
// finding or the error, as the program wrote it ({"event": "progress" |
// "finding" | "error", ...}); any other line (an engine's fault, say) is
// {event: "text", text}.
function eventOf(line) {
  if (line.startsWith("{")) {
    try {
      const event = JSON.parse(line);
      if (event && typeof event.event === "string") return event;
    } catch {
      // Not one of the program's events: kept as text.
    }
  }
  return { event: "text", text: line };
}

// A fresh engine, an instance of the compiled module, with what its run
// writes kept beside it: standard output, the findings and the error read
// from standard error, and its other lines.
async function newEngine(module) {
  const out = { stdout: "", stderr: "", findings: [], error: null };
  let pending = [];
  // Standard error arrives a byte at a time, UTF-8: a line is decoded whole.
  const decoder = new TextDecoder();
  const errorByte = (code) => {
    if (code === null) return;
    if (code !== 10 && code !== 13) {
      pending.push(code);
      return;
    }
    if (pending.length === 0) return;
    const event = eventOf(decoder.decode(new Uint8Array(pending)));
    pending = [];
    if (event.event === "progress") {
      self.postMessage({ type: "progress", label: event.label, done: event.done,
                         total: event.total });
    } else if (event.event === "finding") {
      out.findings.push(event);
    } else if (event.event === "error") {
      out.error = event;
    } else {
      out.stderr += event.text + "\n";
    }
  };
  // The engine's script would otherwise compile its WebAssembly again.
  let instantiated;
  const instantiateWasm = (imports, receive) => {
    instantiated = WebAssembly.instantiate(module, imports)
      .then((instance) => receive(instance, module));
    return {};
  };
  const engine = await Promise.race([
    createTesserlink({
      noInitialRun: true,
      instantiateWasm,
      print: (line) => {
        out.stdout += line + "\n";
      },
      stdin: () => null,
      stderr: errorByte,
    }),
    // A failed instantiation rejects here; the engine's own promise would wait.
    new Promise((resolve, reject) => {
      Promise.resolve(instantiated).catch(reject);
    }),
  ]);
  return { engine, out, errorByte };
}

// One run of the program on a fresh engine: its exit status, its standard
// output, its findings and error, its other standard error lines, and the
// files it wrote.
function run({ engine, out, errorByte }, files, args) {
  const FS = engine.FS;
  FS.mkdir("/run");
  const inputs = new Set();
  for (const file of files) {
    // The engine's file system keeps the page's bytes as they are, not a
    // copy: the program only reads its inputs.
    FS.writeFile("/run/" + file.name, new Uint8Array(file.bytes), { canOwn: true });
    inputs.add(file.name);
  }
  FS.chdir("/run");
  let status;
  try {
    status = engine.callMain(args);
  } catch (error) {
    status = 2;
    out.stderr += "tesserlink: " + error + "\n";
  }
  errorByte(10);

  const outputs = {};
  const transfer = new Set();
  // The tree is walked node by node: after a file is replaced by a rename
  // (as every results file is written), a lookup by name can miss it.
  // A file's bytes already sit in a buffer of their own (the file system
  // copied them out of the engine's memory as they were written): the page
  // gets that buffer itself, not another copy.
  const heap = engine.HEAPU8.buffer;
  const collect = (node, prefix) => {
    for (const [name, child] of Object.entries(node.contents)) {
      const relative = prefix + name;
      if (FS.isDir(child.mode)) {
        collect(child, relative + "/");
      } else if (!inputs.has(relative)) {
        const stored = child.contents;
        let bytes;
        if (!stored || child.usedBytes === 0) {
          bytes = new Uint8Array(0);
        } else if (stored.buffer && stored.buffer !== heap && !transfer.has(stored.buffer)) {
          bytes = new Uint8Array(stored.buffer, stored.byteOffset, child.usedBytes);
        } else {
          bytes = new Uint8Array(stored.slice(0, child.usedBytes));
        }
        outputs[relative] = bytes;
        transfer.add(bytes.buffer);
      }
    }
  };
  collect(FS.lookupPath("/run").node, "");
  return { status, stdout: out.stdout, stderr: out.stderr, findings: out.findings,
           error: out.error, outputs, transfer: [...transfer], memoryBytes: engine.HEAPU8.length };
}
