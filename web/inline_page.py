#!/usr/bin/env python3
"""Writes the one-file page: page.html with the engine (emscripten's script,
its WebAssembly inlined) and the worker placed in its text/plain script
element, from which the page makes its worker.

    inline_page.py PAGE ENGINE_JS WORKER_JS OUT_HTML

Inside a script element the HTML parser looks only for "</script" (and, after
"<!--", for "<script"): those are written "<\\/script" and "<\\!--", which mean
the same inside the script's strings."""
import pathlib
import sys

MARK = "/*ENGINE*/"


def main():
    page, engine, worker, out = (pathlib.Path(a) for a in sys.argv[1:5])
    html = page.read_text(encoding="utf-8")
    if html.count(MARK) != 1:
        sys.exit(f"inline_page: {page} must hold {MARK} once")
    script = engine.read_text(encoding="utf-8") + "\n" + worker.read_text(encoding="utf-8")
    script = script.replace("</script", "<\\/script").replace("<!--", "<\\!--")
    partial = out.with_suffix(".partial")
    partial.write_text(html.replace(MARK, script), encoding="utf-8")
    partial.replace(out)


if __name__ == "__main__":
    main()
