#!/usr/bin/env python3
"""Writes the headless scripts that the tests run as seed files: the string literals passed to queueScript()
and written as script.txt in the test sources, one seed per script.  Usage: seeds.py TESTS_FOLDER OUT_FOLDER"""
import ast
import os
import re
import sys

tests, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
call = re.compile(r'(?:queueScript\(|file\("script\.txt",\s*)((?:\s*(?:std::string\()?"(?:[^"\\]|\\.)*"\)?\s*\+?)+)')
literal = re.compile(r'"((?:[^"\\]|\\.)*)"')
count = 0
for folder, _, files in os.walk(tests):
    for name in sorted(files):
        if not name.endswith((".cpp", ".h")):
            continue
        text = open(os.path.join(folder, name), encoding="utf-8").read()
        for match in call.finditer(text):
            script = "".join(ast.literal_eval('"' + part + '"') for part in literal.findall(match.group(1)))
            if script.strip():
                count += 1
                with open(os.path.join(out, f"seed{count:03}"), "w", encoding="utf-8") as seed:
                    seed.write(script)
print(f"{count} seed scripts")
