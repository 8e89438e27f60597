// The page's worker: it follows the engine (createTesserlink) in one script.
// Each worker does one run: the chosen files go into the engine's memory file
// system, the program runs there with the command line's arguments, and every
// file it wrote comes back. A card's run also comes back as the analysis file
// that reproduces it on the command line (--convert, and the page's options).
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
    const result = run(await engineFor(), files, args);
    if (result.status === 0 && convert) {
      const converted = run(await engineFor(), files, ["--convert", convert]);
      if (converted.status === 0) {
        const bytes = new TextEncoder().encode(converted.stdout + convertTail);
        result.outputs["analysis.toml"] = bytes;
        result.transfer.push(bytes.buffer);
      }
    }
    const { status, stdout, stderr, outputs, transfer, memoryBytes } = result;
    // The worker's share of the run, from the message's arrival to the reply,
    // and the engine's memory at its largest (it grows and never shrinks).
    const milliseconds = performance.now() - began;
    self.postMessage({ type: "done", status, stdout, stderr, outputs, milliseconds, memoryBytes },
                     transfer);
  } catch (error) {
    // An engine fault, not the program's: still one line for the page.
    self.postMessage({ type: "done", status: 2, stdout: "",
                       stderr: "tesserlink: the engine failed: " + describe(error) + "\n",
                       outputs: {} });
  }
};

function describe(error) {
  if (error && error.errno !== undefined) return "file system error " + error.errno;
  return String(error && error.message ? error.message : error);
}

// A fresh engine, an instance of the compiled module, with what its run
// writes to standard output and error kept beside it.
async function newEngine(module) {
  const out = { stdout: "", stderr: "" };
  let pending = "";
  // Standard error arrives a byte at a time; a progress line ("...: 12 of
  // 1,000 ...") moves the page's bar, every line is kept for the page.
  const errorByte = (code) => {
    if (code === null) return;
    if (code !== 10 && code !== 13) {
      pending += String.fromCharCode(code);
      return;
    }
    const progress = /(\d[\d,]*) of (\d[\d,]*)/.exec(pending);
    if (progress) {
      self.postMessage({
        type: "progress",
        done: Number(progress[1].replace(/,/g, "")),
        total: Number(progress[2].replace(/,/g, "")),
        line: pending,
      });
    } else if (pending.length > 0) {
      out.stderr += pending + "\n";
    }
    pending = "";
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
// output and error, and the files it wrote.
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
  return { status, stdout: out.stdout, stderr: out.stderr, outputs, transfer: [...transfer],
           memoryBytes: engine.HEAPU8.length };
}
