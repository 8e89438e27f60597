// The page's worker: it follows the engine (createTesserlink) in one script.
// Each message is one run: the chosen files go into the engine's memory file
// system, the program runs there with the command line's arguments, and every
// file it wrote comes back. A card's run also comes back as the analysis file
// that reproduces it on the command line (--convert, and the page's options).
// Nothing is kept between runs: each has a fresh engine, and the page ends the
// worker when the run is done or cancelled.
"use strict";

self.onmessage = async (event) => {
  try {
    const { files, args, convert, convertTail } = event.data;
    const result = await run(files, args);
    if (result.status === 0 && convert) {
      const converted = await run(files, ["--convert", convert]);
      if (converted.status === 0) {
        const bytes = new TextEncoder().encode(converted.stdout + convertTail);
        result.outputs["analysis.toml"] = bytes;
        result.transfer.push(bytes.buffer);
      }
    }
    const { status, stdout, stderr, outputs, transfer } = result;
    self.postMessage({ type: "done", status, stdout, stderr, outputs }, transfer);
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

// One run of the program on a fresh engine: its exit status, its standard
// output and error, and the files it wrote.
async function run(files, args) {
  let stdout = "";
  let stderr = "";
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
      stderr += pending + "\n";
    }
    pending = "";
  };
  let engine;
  try {
    engine = await createTesserlink({
      noInitialRun: true,
      print: (line) => {
        stdout += line + "\n";
      },
      stdin: () => null,
      stderr: errorByte,
    });
  } catch (error) {
    self.postMessage({ type: "done", status: 2, stdout, stderr: "tesserlink: " + error, outputs: {} });
    return;
  }
  const FS = engine.FS;
  FS.mkdir("/run");
  const inputs = new Set();
  for (const file of files) {
    FS.writeFile("/run/" + file.name, new Uint8Array(file.bytes));
    inputs.add(file.name);
  }
  FS.chdir("/run");
  let status;
  try {
    status = engine.callMain(args);
  } catch (error) {
    status = 2;
    stderr += "tesserlink: " + error + "\n";
  }
  errorByte(10);

  const outputs = {};
  const transfer = [];
  // The tree is walked node by node: after a file is replaced by a rename
  // (as every results file is written), a lookup by name can miss it.
  const collect = (node, prefix) => {
    for (const [name, child] of Object.entries(node.contents)) {
      const relative = prefix + name;
      if (FS.isDir(child.mode)) {
        collect(child, relative + "/");
      } else if (!inputs.has(relative)) {
        const stored = child.contents || new Uint8Array(0);
        const bytes = new Uint8Array(stored.subarray ? stored.subarray(0, child.usedBytes)
                                                     : stored.slice(0, child.usedBytes));
        outputs[relative] = bytes;
        transfer.push(bytes.buffer);
      }
    }
  };
  collect(FS.lookupPath("/run").node, "");
  return { status, stdout, stderr, outputs, transfer };
}
