#!/usr/bin/env python3
"""Writes the one-file page: page.html with the engine's script (emscripten's)
and the worker placed in its text/plain script element, from which the page
makes its worker, and the engine's WebAssembly, in base64, in its own element,
which the page compiles once when it opens.

    inline_page.py PAGE ENGINE_JS ENGINE_WASM WORKER_JS OUT_HTML

Inside a script element the HTML parser looks only for "</script" (and, after
"<!--", for "<script"): those are written "<\\/script" and "<\\!--", which mean
the same inside the script's strings."""
import base64
import pathlib
import sys

MARK = "/*ENGINE*/"
WASM_MARK = "/*WASM*/"


def main():
    page, engine, wasm, worker, out = (pathlib.Path(a) for a in sys.argv[1:6])
    html = page.read_text(encoding="utf-8")
    for mark in (MARK, WASM_MARK):
        if html.count(mark) != 1:
            sys.exit(f"inline_page: {page} must hold {mark} once")
    script = engine.read_text(encoding="utf-8") + "\n" + worker.read_text(encoding="utf-8")
    script = script.replace("</script", "<\\/script").replace("<!--", "<\\!--")
    partial = out.with_suffix(".partial")
    # Base64 has no "<": it needs no escaping inside its element.
    encoded = base64.b64encode(wasm.read_bytes()).decode("ascii")
    partial.write_text(html.replace(WASM_MARK, encoded).replace(MARK, script), encoding="utf-8")
    partial.replace(out)


if __name__ == "__main__":
    main()
