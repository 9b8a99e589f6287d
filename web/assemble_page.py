#!/usr/bin/env python3
"""Puts brisol.html together: the page's template with its style, logo,
WebAssembly module (as base64 text in a script element that does not run) and
scripts inlined, and a Content-Security-Policy that
allows exactly these inline scripts and style by their hashes, the module's
compilation, the logo's data URL, the workers made from a Blob and, served,
the download worker beside the page: nothing else, and no request to
anywhere else.

Usage: assemble_page.py OUTPUT MODULE_JS MODULE_WASM page.html page.css page.js worker.js module_calls.js logo.png
"""
import base64
import hashlib
import sys


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def main():
    output, module_js, module_wasm, html, css, page_js, worker_js, calls_js, logo = sys.argv[1:]
    scripts = {
        "@MODULE@": read(module_js),
        "@CALLS@": read(calls_js),
        "@WORKER@": read(worker_js),
        "@PAGE@": read(page_js),
    }
    for name, text in scripts.items():
        if "</script" in text.lower():
            sys.exit(f"{name} holds a closing script tag")
    style = read(css)
    with open(logo, "rb") as f:
        logo_url = "data:image/png;base64," + base64.b64encode(f.read()).decode()
    with open(module_wasm, "rb") as f:
        binary = base64.b64encode(f.read()).decode()
    executed = [scripts[k] for k in ("@MODULE@", "@CALLS@", "@PAGE@")]
    csp = "; ".join([
        "default-src 'none'",
        "script-src " + " ".join(digest(s) for s in executed) + " 'wasm-unsafe-eval'",
        "style-src " + digest(style),
        "img-src data:",
        # The workers from a Blob; served, the download worker beside the page.
        "worker-src blob: 'self'",
        "frame-src 'self'",
        "base-uri 'none'",
        "form-action 'none'",
    ])
    page = read(html)
    # The substitutions last to first would still see markers inside the
    # inlined texts, so each marker is replaced exactly once, in one pass.
    parts = {"@CSP@": csp, "@STYLE@": style, "@LOGO@": logo_url, "@BINARY@": binary, **scripts}
    out = []
    rest = page
    while True:
        at = min(((rest.find(m), m) for m in parts if rest.find(m) >= 0), default=None)
        if at is None:
            out.append(rest)
            break
        index, marker = at
        out.append(rest[:index])
        out.append(parts.pop(marker))
        rest = rest[index + len(marker):]
    if parts:
        sys.exit("page.html lacks " + ", ".join(parts))
    with open(output, "w", encoding="utf-8") as f:
        f.write("".join(out))


main()
