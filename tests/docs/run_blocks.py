"""Runs the examples of one Markdown page, so that the documentation says only what the code does.

Fenced blocks whose info string is `sh run`, `c run` or `python run` are executed, each in a
fresh directory that holds `build/default` (a link to this build) and links to the sources
`bench` and `scripts`: shell blocks with bash, the
build's tool first on PATH; C blocks compiled against liborvex2 and liborvex and run; Python
blocks with the given interpreter and the built package on PYTHONPATH. Lines of `sh ci` blocks
must appear verbatim in .ci/run, which runs them. Relative links must name existing files.
Blocks also tagged `raw` (`sh run raw`) find the sample camera files of --raw-samples in their
directory, and are skipped where that folder is missing. Exit status: 0 passed, 1 failed, 77 when every runnable block had to be skipped.
"""
import argparse
import os
import re
import shlex
import subprocess
import sys
import tempfile
import time

FENCE = re.compile(r"^```(\S*)\s*(.*)$")
LINK = re.compile(r"\]\(([^)\s]+)\)")
KINDS = ("sh", "c", "python")


def blocks(path):
    """(line, language, tags, text) of every fenced block."""
    found, current = [], None
    with open(path, encoding="utf-8") as page:
        for number, line in enumerate(page, 1):
            match = FENCE.match(line.rstrip("\n"))
            if current is None and match:
                current = (number, match.group(1), match.group(2).split(), [])
            elif current is not None and line.rstrip() == "```":
                found.append(current[:3] + ("".join(current[3]),))
                current = None
            elif current is not None:
                current[3].append(line)
    if current is not None:
        raise SystemExit(f"{path}:{current[0]}: block never closed")
    return found


def broken_links(path, text):
    base = os.path.dirname(path)
    for target in LINK.findall(text):
        if re.match(r"^[a-z]+:", target) or target.startswith("#"):
            continue
        if not os.path.exists(os.path.join(base, target.split("#")[0])):
            yield target


def missing(args, language, tags, text):
    """Why a block cannot run in this build, or None."""
    if "raw" in tags and not (args.raw_samples and os.path.isdir(args.raw_samples)):
        return "no sample camera files"
    if language == "sh" and not args.tool:
        return "the tool is not built"
    for built in re.findall(r"build/default/([\w./-]+)", text):
        if not os.path.exists(os.path.join(args.build, built)):
            return f"build/default/{built} is not built"
    if language == "python" and not args.python_package:
        return "the Python package is not built"
    if language == "c" and "orvex.h" in text and not args.liborvex:
        return "liborvex is not built"
    if language == "c" and "orvex2.h" in text and not args.liborvex2:
        return "liborvex2 is not built"
    return None


def command(args, language, text, work):
    if language == "sh":
        return ["bash", "-e", "-o", "pipefail", "-c", text]
    if language == "python":
        return [args.python, "-c", text]
    source = os.path.join(work, "example.c")
    with open(source, "w", encoding="utf-8") as out:
        out.write(text)
    libraries = [lib for lib in (args.liborvex2, args.liborvex) if lib]
    rpath = ":".join(sorted({os.path.dirname(lib) for lib in libraries}))
    build = ([args.cc] + shlex.split(args.cflags) + ["-std=c99", "-Wall", "-Wextra", "-Wpedantic",
             "-Werror", "-I", os.path.join(args.source, "include"), source, "-o",
             os.path.join(work, "example")] + libraries + shlex.split(args.ldflags) +
             [f"-Wl,-rpath,{rpath}", "-lm"])
    return ["sh", "-c", shlex.join(build) + " && ./example"]


def run(args, language, tags, text):
    with tempfile.TemporaryDirectory(prefix="orvex-docs-") as work:
        os.makedirs(os.path.join(work, "build"))
        os.symlink(args.build, os.path.join(work, "build", "default"))
        for name in ("bench", "scripts"):
            os.symlink(os.path.join(args.source, name), os.path.join(work, name))
        if "raw" in tags:
            for name in os.listdir(args.raw_samples):
                os.symlink(os.path.join(args.raw_samples, name), os.path.join(work, name))
        env = dict(os.environ)
        if args.tool:
            env["PATH"] = os.path.dirname(args.tool) + os.pathsep + env.get("PATH", "")
        if args.python_package:
            env["PYTHONPATH"] = args.python_package
        start = time.monotonic()
        try:
            done = subprocess.run(command(args, language, text, work), cwd=work, env=env,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=args.timeout)
        except subprocess.TimeoutExpired as expired:
            return False, (expired.output or b"").decode(errors="replace") + "timed out\n", 0.0
        return done.returncode == 0, done.stdout.decode(errors="replace"), time.monotonic() - start


def main():
    parser = argparse.ArgumentParser()
    for option in ("page", "source", "build", "cc", "python"):
        parser.add_argument("--" + option, required=True)
    for option in ("cflags", "ldflags", "tool", "python-package", "liborvex", "liborvex2",
                   "raw-samples"):
        parser.add_argument("--" + option, default="")
    parser.add_argument("--timeout", type=float, default=300)
    args = parser.parse_args()
    page = os.path.relpath(args.page, args.source)
    with open(args.page, encoding="utf-8") as whole:
        text = whole.read()
    failures, ran, skipped = 0, 0, 0
    for target in broken_links(args.page, text):
        print(f"{page}: link to a missing file: {target}")
        failures += 1
    with open(os.path.join(args.source, ".ci", "run"), encoding="utf-8") as ci:
        ci_lines = {line.strip() for line in ci}
    for line, language, tags, body in blocks(args.page):
        where = f"{page}:{line}"
        if language == "sh" and "ci" in tags:
            for step in filter(None, (s.strip() for s in body.splitlines())):
                if step not in ci_lines:
                    print(f"{where}: not run by .ci/run: {step}")
                    failures += 1
            continue
        if language not in KINDS or "run" not in tags:
            continue
        reason = missing(args, language, tags, body)
        if reason:
            print(f"{where} {language}: skipped, {reason}")
            skipped += 1
            continue
        ok, output, seconds = run(args, language, tags, body)
        ran += 1
        print(f"{where} {language}: {'ok' if ok else 'FAILED'} ({seconds:.1f} s)")
        if not ok:
            failures += 1
            print(output)
    if failures:
        return 1
    return 77 if skipped and not ran else 0


if __name__ == "__main__":
    sys.exit(main())
