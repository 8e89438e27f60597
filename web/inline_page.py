#!/usr/bin/env python3
"""Writes the one-file page: page.html with the engine's script (emscripten's)
and the worker placed in its text/plain script element, from which the page
makes its worker, the engine's WebAssembly, in base64, in its own element,
which the page compiles once when it opens, and the library's defaults (the
JSON of the engine's --defaults) in theirs.

    inline_page.py PAGE ENGINE_JS ENGINE_WASM WORKER_JS DEFAULTS_JSON OUT_HTML

Inside a script element the HTML parser looks only for "</script" (and, after
"<!--", for "<script"): those are written "<\\/script" and "<\\!--", which mean
the same inside the script's strings."""
import base64
import json
import pathlib
import sys

MARK = "/*ENGINE*/"
WASM_MARK = "/*WASM*/"
DEFAULTS_MARK = "/*DEFAULTS*/"
# What the page reads of the defaults.
DEFAULTS_USED = ("seed", "min_group", "model", "models", "irt", "beta_binomial")


def main():
    page, engine, wasm, worker, defaults, out = (pathlib.Path(a) for a in sys.argv[1:7])
    html = page.read_text(encoding="utf-8")
    for mark in (MARK, WASM_MARK, DEFAULTS_MARK):
        if html.count(mark) != 1:
            sys.exit(f"inline_page: {page} must hold {mark} once")
    script = engine.read_text(encoding="utf-8") + "\n" + worker.read_text(encoding="utf-8")
    script = script.replace("</script", "<\\/script").replace("<!--", "<\\!--")
    partial = out.with_suffix(".partial")
    # Base64 has no "<": it needs no escaping inside its element.
    encoded = base64.b64encode(wasm.read_bytes()).decode("ascii")
    values = json.loads(defaults.read_text(encoding="utf-8"))
    missing = [key for key in DEFAULTS_USED if key not in values]
    if missing:
        sys.exit(f"inline_page: {defaults} lacks {', '.join(missing)}")
    # JSON has "<" only inside strings, where \u003c means the same.
    settings = json.dumps(values, separators=(",", ":")).replace("<", "\\u003c")
    html = html.replace(WASM_MARK, encoded).replace(DEFAULTS_MARK, settings)
    partial.write_text(html.replace(MARK, script), encoding="utf-8")
    partial.replace(out)


if __name__ == "__main__":
    main()
