// A generated table of many examinees, as an analyst's export would hold it:
// an ID column, one 50-item set scored 0/1 and one 8-item set scored 0 to 4
// (weight 2), abilities and responses drawn from a fixed sequence (the same
// files every time); and the analysis file that runs it with bias correction.
// Used by the browser test and by bench/web_page.mjs.
import fs from "node:fs";
import path from "node:path";

export function writeLargeTable(dir, rows) {
  fs.mkdirSync(dir, { recursive: true });
  let state = 20261209n;
  const uniform = () => {
    state = (state * 6364136223846793005n + 1442695040888963407n) & 0xffffffffffffffffn;
    return Number(state >> 11n) / 2 ** 53;
  };
  const header = ["id"];
  for (let j = 1; j <= 50; j += 1) header.push("a" + j);
  for (let j = 1; j <= 8; j += 1) header.push("b" + j);
  const lines = [header.join(",")];
  for (let e = 0; e < rows; e += 1) {
    const ability = (uniform() + uniform() + uniform() - 1.5) * 2;
    const row = ["E" + (100000000 + e)];
    for (let j = 0; j < 50; j += 1) {
      const p = 1 / (1 + Math.exp(-(ability - (j - 25) / 12)));
      row.push(uniform() < p ? 1 : 0);
    }
    for (let j = 0; j < 8; j += 1) {
      let score = 0;
      for (let step = 0; step < 4; step += 1) {
        if (uniform() < 1 / (1 + Math.exp(-(ability - (step - 1.5) + (j - 4) / 8)))) score += 1;
      }
      row.push(score);
    }
    lines.push(row.join(","));
  }
  const table = path.join(dir, "examinees.csv");
  const analysis = path.join(dir, "analysis.toml");
  fs.writeFileSync(table, lines.join("\n") + "\n");
  fs.writeFileSync(analysis,
                   '[data]\nfile = "examinees.csv"\nid = "id"\n\n' +
                   '[[sets]]\nitems = "a1:a50"\npoints = [0, 1]\n\n' +
                   '[[sets]]\nitems = "b1:b8"\npoints = [0, 1, 2, 3, 4]\nweight = 2\n\n' +
                   "[classification]\nobserved_cuts = [44.5, 64.5, 87.5]\nbias_correction = true\n");
  return [table, analysis];
}

// The renderer processes' peak resident size (VmHWM), in bytes: the tab's
// page and its workers at their largest. Linux only; 0 elsewhere.
export async function rendererPeakBytes(browser) {
  const session = await browser.target().createCDPSession();
  const info = await session.send("SystemInfo.getProcessInfo");
  await session.detach();
  let peak = 0;
  for (const process of info.processInfo.filter((p) => p.type === "renderer")) {
    try {
      const hwm = /VmHWM:\s+(\d+) kB/.exec(fs.readFileSync(`/proc/${process.id}/status`, "utf8"));
      if (hwm) peak = Math.max(peak, Number(hwm[1]) * 1024);
    } catch {
      // The process ended, or there is no /proc.
    }
  }
  return peak;
}
