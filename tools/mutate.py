#!/usr/bin/env python3
"""Mutation testing: makes small faults in the sources and counts those the unit tests catch.

    tools/mutate.py                 # run the sample, or go on where the last run stopped
    tools/mutate.py --limit 12      # decide at most 12 more mutants, then stop
    tools/mutate.py --only game/    # only the mutants of files under game/
    tools/mutate.py --report        # the tables and the survivors, running nothing
    tools/mutate.py --restart       # the same sample against a fresh copy of the sources
    tools/mutate.py --resample      # a new sample (and so new results)
    tools/mutate.py --matrix        # every test on each killed mutant: which tests kill what
    tools/mutate.py --matrix-report # what each test kills, and what it alone kills
    tools/mutate.py --all --only include/tessel/array.h   # every mutant of a file, not the sample's
    tools/mutate.py --all --only src/kro/cfr.cpp:190-230  # every mutant of those lines

Everything lives in build-mutate/: a private copy of the sources (tree/), its build
(build/), the sample (sample.tsv), the results (results.tsv), the suites' times on
the unmutated sources (baseline.json) and the kill matrix (matrix.tsv). docs/testing.md
tells the rest.
"""

import argparse
import bisect
import collections
import datetime
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutate"
TREE = WORK / "tree"  # the copy of the sources that gets mutated, one mutant at a time
BUILD = WORK / "build"
SAMPLE = WORK / "sample.tsv"
RESULTS = WORK / "results.tsv"
BASELINE = WORK / "baseline.json"
JOURNAL = WORK / "in-progress"  # the original of the file under mutation, until it is back
BUILD_LOG = WORK / "last-build.log"
TEST_LOG = WORK / "last-test.log"
MATRIX = WORK / "matrix.tsv"  # every test that fails on each killed mutant (--matrix)
LISTING = WORK / "last-listing.json"  # the tests of a suite, as the matrix report lists them
# The survivors judged equivalent to the original, with the reason: id, file:line, reason.
EQUIVALENTS = ROOT / "tools" / "mutate_equivalents.tsv"

FOLDERS = ("src", "game", "platform")  # the sample's, as the yardstick was drawn
UNIVERSE = (*FOLDERS, "include")  # what --all mutates: the headers' templates and inline code too
SUFFIXES = (".cpp", ".h")
SEED = "giftguard mutants 1"
SAMPLE_SIZE = 300
TIMEOUT_FACTOR = 5  # a suite may take this many times its time on the unmutated sources,
TIMEOUT_SLACK = 5.0  # plus these seconds, before the mutant counts as timed out
TIMEOUT_RETRY = 4  # a suite past its time runs once more with this many times the time: a busy
                   # machine once passed a mutant off as a hang and hid a lost check
BUILD_TIMEOUT = 1800
FREE_DISPLAYS = range(90, 121)  # where an Xvfb of our own may go, as tools/test.sh does
CMAKE_OPTIONS = [
    "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG",  # quick to compile, quick enough to run
    "-DGIFTGUARD_TESTS=ON",
    "-DGIFTGUARD_BENCH=OFF",
    "-DGIFTGUARD_SANITIZE=OFF",
    "-DGIFTGUARD_FUZZ=OFF",
    # The suites are run directly; listing their tests at link time would only cost time.
    "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST",
]

STATUS_TITLES = {"killed": "killed", "survived": "survived", "timeout": "timed out",
                 "unbuilt": "not built", "gone": "gone"}

# ---- Reading C++ ---------------------------------------------------------------------------------

Token = collections.namedtuple("Token", "kind text start end")  # kind: id, num, str, chr, op

PUNCTUATORS = ("<<=", ">>=", "<=>", "...", "->*", "::", "->", "++", "--", "<<", ">>", "<=", ">=", "==",
               "!=", "&&", "||", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", ".*", "##")
STRING_PREFIXES = {"u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"}
IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
NUMBER = re.compile(r"\.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z]|[0-9A-Za-z_.])*")
INTEGER = re.compile(r"(0[xX][0-9A-Fa-f']+|0[bB][01']+|[0-9][0-9']*)([uUlLzZ]*)")

KEYWORDS = set("""
    alignas alignof and asm auto bool break case catch char char16_t char32_t char8_t class const
    const_cast constexpr continue decltype default delete do double dynamic_cast else enum explicit
    export extern false float for friend goto if inline int long mutable namespace new noexcept not
    nullptr operator or private protected public register reinterpret_cast return short signed sizeof
    static static_assert static_cast struct switch template this throw true try typedef typeid typename
    union unsigned using virtual void volatile wchar_t while""".split())
VALUE_WORDS = {"this", "true", "false", "nullptr"}
OPERAND_WORDS = VALUE_WORDS | {"sizeof", "alignof", "static_cast", "const_cast", "reinterpret_cast",
                               "dynamic_cast"}
BUILTIN_TYPES = {"void", "bool", "char", "short", "int", "long", "float", "double", "unsigned", "signed",
                 "auto", "const", "volatile", "wchar_t", "size_t", "ssize_t", "FILE", "DIR"}
NUMBER_TYPES = {"char", "short", "int", "long", "float", "double", "unsigned", "signed", "size_t", "ssize_t",
                "std", "::"}
SPECIFIERS = {"static", "inline", "virtual", "constexpr", "explicit", "extern", "friend", "const",
              "volatile", "typename"}
QUALIFIERS = {"const", "override", "final", "noexcept", "mutable", "volatile", "&", "&&"}


def tokenize(text):
    """The tokens of a C++ source, leaving out comments and preprocessor lines."""
    tokens, i, n = [], 0, len(text)
    line_begins = True
    while i < n:
        c = text[i]
        if c == "\n":
            line_begins, i = True, i + 1
        elif c.isspace() or (c == "\\" and text.startswith("\n", i + 1)):
            i += 1
        elif c == "#" and line_begins:
            i = end_of_directive(text, i)
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
        else:
            line_begins = False
            token = read_token(text, i)
            tokens.append(token)
            i = token.end
    return tokens


def end_of_directive(text, i):
    """Where a preprocessor line that starts at i ends, its continued lines included."""
    while True:
        end = text.find("\n", i)
        if end < 0:
            return len(text)
        if not text[i:end].rstrip("\r").endswith("\\"):
            return end
        i = end + 1


def read_token(text, i):
    m = IDENTIFIER.match(text, i)
    if m:
        end = m.end()
        if end < len(text) and text[end] in "\"'" and m.group() in STRING_PREFIXES:
            kind = "str" if text[end] == '"' else "chr"
            literal_end = end_of_literal(text, end, "R" in m.group())
            return Token(kind, text[i:literal_end], i, literal_end)
        return Token("id", m.group(), i, end)
    m = NUMBER.match(text, i)
    if m:
        return Token("num", m.group(), i, m.end())
    if text[i] in "\"'":
        end = end_of_literal(text, i, False)
        return Token("str" if text[i] == '"' else "chr", text[i:end], i, end)
    op = next((p for p in PUNCTUATORS if text.startswith(p, i)), text[i])
    return Token("op", op, i, i + len(op))


def end_of_literal(text, i, raw):
    """Where a string or character literal whose quote is at i ends."""
    quote = text[i]
    if raw:
        delimiter = text[i + 1:text.index("(", i)]
        return text.index(")" + delimiter + '"', i) + len(delimiter) + 2
    j = i + 1
    while j < len(text) and text[j] != quote and text[j] != "\n":
        j += 2 if text[j] == "\\" else 1
    return min(j + 1, len(text))


def type_names(texts):
    """The names the sources give to classes, structs, unions, enums and aliases."""
    names = set()
    for text in texts:
        tokens = tokenize(text)
        for i in range(len(tokens) - 2):
            word, name, then = tokens[i:i + 3]
            if word.text == "enum" and name.text in ("class", "struct"):
                name = then
            if word.text in ("class", "struct", "union", "enum") and name.kind == "id":
                names.add(name.text)
            elif word.text == "using" and name.kind == "id" and then.text == "=":
                names.add(name.text)
    return names - KEYWORDS


# ---- Finding mutants -----------------------------------------------------------------------------

Mutant = collections.namedtuple("Mutant", "id file line col op before after context")

RELATIONAL = {"<": ">=", ">": "<=", "<=": ">", ">=": "<", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}
OPERATORS = ("relational", "constant", "arithmetic", "condition", "call", "return")
# Operators that bind less tightly than `+`: a returned value with one of them gets parentheses.
LOOSER_THAN_PLUS = {"<<", ">>", "<", ">", "<=", ">=", "==", "!=", "&", "^", "|", "&&", "||", "?", ":", "=", ","}
NOT_IN_TEMPLATE_ARGUMENTS = {"&&", "||", "?", "=", "==", "!=", "<=", ">=", "+=", "-=", "*=", "/=", "return"}


class Unit:
    """One source file's tokens and what the mutation operators need to know about them."""

    def __init__(self, path, text, types):
        self.path, self.text, self.types = path, text, types
        self.tokens = tokenize(text)
        self.partner = self._match_brackets()
        self.template_end = self._template_lists()  # '<' index -> index of its closing '>'
        self.template_closers = set(self.template_end.values())
        self.depth = self._group_depths()
        self.returns = self._function_bodies()
        self.untouchable = self._untouchable()
        self.line_starts = [0] + [i + 1 for i, c in enumerate(text) if c == "\n"]

    def t(self, i):
        return self.tokens[i].text if 0 <= i < len(self.tokens) else ""

    def kind(self, i):
        return self.tokens[i].kind if 0 <= i < len(self.tokens) else ""

    # -- the structure of the file

    def _match_brackets(self):
        partner, open_ = {}, []
        pairs = {")": "(", "]": "[", "}": "{"}
        for i, token in enumerate(self.tokens):
            if token.text in ("(", "[", "{"):
                open_.append(i)
            elif token.text in pairs and open_ and self.t(open_[-1]) == pairs[token.text]:
                j = open_.pop()
                partner[i], partner[j] = j, i
        return partner

    def _template_lists(self):
        ends = {}
        for i, token in enumerate(self.tokens):
            if token.text == "<":
                end = self._template_list_end(i)
                if end is not None:
                    ends[i] = end
        return ends

    def _template_list_end(self, i):
        """Where the template argument list that '<' at i opens ends; None for a comparison."""
        if self.kind(i - 1) != "id" or self.t(i - 1) == "operator":
            return None
        declaration = self.t(i - 1) == "template"
        depth, j = 1, i + 1
        while j < min(len(self.tokens), i + 64):
            text = self.t(j)
            if text in ("(", "["):
                if j not in self.partner:
                    return None
                j = self.partner[j] + 1
                continue
            if text in (")", "]", "{", "}", ";") or (not declaration and text in NOT_IN_TEMPLATE_ARGUMENTS):
                return None
            depth += {"<": 1, ">": -1, ">>": -2}.get(text, 0)
            if depth <= 0:
                return j
            j += 1
        return None

    def _group_depths(self):
        """For each token, how many parentheses and brackets hold it inside its innermost braces."""
        depths, depth, outer = [], 0, []
        for token in self.tokens:
            if token.text in (")", "]"):
                depth = max(depth - 1, 0)
            elif token.text == "}":
                depth = outer.pop() if outer else 0
            depths.append(depth)
            if token.text in ("(", "["):
                depth += 1
            elif token.text == "{":
                outer.append(depth)
                depth = 0
        return depths

    def _function_bodies(self):
        """For each token in a function's body, the kind of value the function returns; None outside."""
        kinds, open_ = [], []
        for i, token in enumerate(self.tokens):
            if token.text == "}" and open_:
                open_.pop()
            kinds.append(open_[-1] if open_ else None)
            if token.text == "{":
                body = self._body_of(i)
                open_.append(body if body != "block" else (open_[-1] if open_ else None))
        return kinds

    def _body_of(self, i):
        """What the '{' at i opens: a function's body (the kind it returns), a scope (None) or a block."""
        k = i - 1
        while k > i - 16 and self.t(k) not in ("->", ")", ";", "{", "}", ""):
            k -= 1
        arrow = self.t(k) == "->"
        j = k - 1 if arrow else i - 1
        while self.t(j) in QUALIFIERS:
            j -= 1
        trailing = [t.text for t in self.tokens[k + 1:i]] if arrow else None
        if self.t(j) == "]":  # a lambda without parameters
            return return_kind(trailing) if arrow else "unknown"
        if self.t(j) != ")" or j not in self.partner:
            return None if self._opens_scope(i) else "block"
        name = self.partner[j] - 1
        if self.t(name) == "]":
            return return_kind(trailing) if arrow else "unknown"
        if self.t(name) in ("if", "while", "for", "switch", "catch"):
            return "block"
        if self.t(name) == ")" and self.t(name - 1) == "(" and self.t(name - 2) == "operator":
            name -= 2
        elif self.t(name - 1) == "operator":
            name -= 1
        elif self.kind(name) != "id" or self.t(name) in KEYWORDS:
            return "block"
        return return_kind(trailing if arrow else self._declared_type(name))

    def _opens_scope(self, i):
        j = i - 1
        while j >= 0 and self.t(j) not in (";", "{", "}", ")"):
            if self.t(j) in ("class", "struct", "union", "enum", "namespace"):
                return True
            j -= 1
        return False

    def _declared_type(self, name):
        """The words before a function's (qualified) name: its return type and specifiers."""
        k = name
        while self.t(k - 1) == "::" and self.kind(k - 2) == "id":
            k -= 2
        if self.t(k - 1) == "~":
            return []
        words, m = [], k - 1
        while m >= 0 and self.t(m) not in (";", "{", "}", ":", ",", "(", ")", "]"):
            if m in self.template_closers:
                opener = next(o for o, c in self.template_end.items() if c == m)
                if self.t(opener - 1) == "template":
                    break
                words[:0] = [t.text for t in self.tokens[opener - 1:m + 1]]
                m = opener - 2
                continue
            words.insert(0, self.t(m))
            m -= 1
        return words

    def _untouchable(self):
        """Tokens no mutant changes: static assertions and template parameter lists."""
        out = set()
        for i, token in enumerate(self.tokens):
            if token.text == "static_assert" and self.t(i + 1) == "(" and i + 1 in self.partner:
                out.update(range(i, self.partner[i + 1] + 1))
            elif token.text == "template" and i + 1 in self.template_end:
                out.update(range(i, self.template_end[i + 1] + 1))
        return out

    # -- what a token is

    def ends_operand(self, i):
        kind, text = self.kind(i), self.t(i)
        if kind == "id":
            return text not in KEYWORDS or text in VALUE_WORDS
        if text == ")":
            return not self.closes_control(i)
        return kind in ("num", "str", "chr") or text == "]"

    def closes_control(self, i):
        """Whether the ')' at i ends the head of an if, while, for or switch."""
        return i in self.partner and self.t(self.partner[i] - 1) in ("if", "while", "for", "switch")

    def starts_operand(self, i):
        kind, text = self.kind(i), self.t(i)
        if kind == "id":
            return text not in KEYWORDS or text in OPERAND_WORDS
        return kind in ("num", "str", "chr") or text in ("(", "!", "~", "-", "+", "*", "&", "::")

    def is_binary(self, i):
        return i not in self.untouchable and self.ends_operand(i - 1) and self.starts_operand(i + 1)

    def names_type(self, i):
        text = self.t(i)
        return self.kind(i) == "id" and (text in BUILTIN_TYPES or text in self.types or text.endswith("_t")
                                         or (text[0].isupper() and any(c.islower() for c in text)))

    def declares_pointer(self, i):
        """Whether the '*' at i is the pointer of a declaration, `T* p = ...`, not a product."""
        if self.names_type(i - 1):
            return True
        k = i - 1
        while self.t(k - 1) == "::":
            k -= 2
        before, after = self.t(k - 1), self.t(i + 2)
        if before in ("", ";", "{", "}", "const", "static") and after in ("=", ";", ",", "[", ")"):
            return True
        if before == "(" and after == "=":  # for (T* p = ...
            return True
        return self.returns[i] is None and before in ("(", ",")  # a parameter

    def builds_text(self, i):
        """Whether the expression around the operator at i joins strings or paths, where `+` and `/`
        are not arithmetic."""
        for step in (-1, 1):
            j = i + step
            while 0 <= j < len(self.tokens) and self.depth[j] >= self.depth[i]:
                if self.depth[j] == self.depth[i] and self.t(j) in (";", ",", "=", "{", "}", "?", ":", "return"):
                    break
                if self.kind(j) == "str" or re.search(r"string|path", self.t(j), re.IGNORECASE):
                    return True
                j += step
        return False

    def statement_starts(self):
        """Indices of the tokens that begin a statement in a function's body."""
        for i in range(len(self.tokens)):
            if self.returns[i] is None or self.depth[i] != 0:
                continue
            before = self.t(i - 1)
            if before in (";", "{", "}", "else", "do"):
                yield i
            elif before == ")" and self.closes_control(i - 1):
                yield i
            elif before == ":" and self._ends_label(i - 1):
                yield i

    def _ends_label(self, colon):
        j = colon - 1
        while j >= 0 and self.t(j) not in (";", "{", "}", ":"):
            j -= 1
        return self.t(j + 1) in ("case", "default")

    def statement_end(self, i):
        """The ';' that ends the statement beginning at i."""
        j = i
        while j < len(self.tokens) and not (self.t(j) == ";" and self.depth[j] == self.depth[i]):
            j += 1
        return j

    def call_statement_end(self, i):
        """The ';' of `a.b(c)->d(e);` beginning at i, or None when the statement is anything else."""
        j, wants_name, called = i + (self.t(i) == "::"), True, False
        while j < len(self.tokens):
            text = self.t(j)
            if wants_name:
                if self.kind(j) != "id" or (text in KEYWORDS and text != "this"):
                    return None
                wants_name, called = False, False
            elif text in ("::", ".", "->"):
                wants_name = True
            elif text == "<" and j in self.template_end:
                j = self.template_end[j]
            elif text in ("(", "[") and j in self.partner:
                called = text == "("
                j = self.partner[j]
            else:
                break
            j += 1
        return j if called and self.t(j) == ";" else None

    # -- the mutants

    def mutants(self):
        found, seen = [], set()
        for op, first, last, after in self._sites():
            start, end = self.tokens[first].start, self.tokens[last].end
            if (start, end, after) in seen:
                continue
            seen.add((start, end, after))
            line = bisect.bisect_right(self.line_starts, start)
            line_start = self.line_starts[line - 1]
            line_end = self.text.find("\n", line_start)
            context = self.text[line_start:line_end if line_end >= 0 else len(self.text)]
            found.append(Mutant("", self.path, line, start - line_start + 1, op, self.text[start:end], after, context))
        return found

    def _sites(self):
        """(operator, first token, last token, replacement) for each change this file allows."""
        yield from self._relational()
        yield from self._constants()
        yield from self._arithmetic()
        yield from self._conditions()
        yield from self._calls()
        yield from self._returns()

    def _relational(self):
        for i, token in enumerate(self.tokens):
            if (token.text in RELATIONAL and i not in self.template_end and i not in self.template_closers
                    and self.is_binary(i)):
                yield "relational", i, i, RELATIONAL[token.text]

    def _constants(self):
        for i, token in enumerate(self.tokens):
            m = INTEGER.fullmatch(token.text) if token.kind == "num" else None
            if m and i not in self.untouchable and not self._pure_specifier(i):
                after = plus_one(*m.groups())
                if not (self.t(i - 1) == "case" and after in self._case_labels(i)):
                    yield "constant", i, i, after

    def _pure_specifier(self, i):
        return (self.returns[i] is None and self.t(i) == "0" and self.t(i - 1) == "=" and self.t(i + 1) == ";"
                and self.t(i - 2) in (")", "const", "override", "noexcept", "final"))

    def _case_labels(self, i):
        """The literals of the case labels in the braces around i."""
        j = i - 1
        while j >= 0 and self.t(j) != "{":
            j = self.partner[j] - 1 if self.t(j) == "}" and j in self.partner else j - 1
        end = self.partner.get(j, len(self.tokens))
        return {self.t(k) for k in range(j + 1, end) if self.t(k - 1) == "case"}

    def _arithmetic(self):
        for i, token in enumerate(self.tokens):
            if token.text not in ARITHMETIC or i in self.untouchable:
                continue
            if token.text.endswith("="):
                appends_char = token.text == "+=" and self.kind(i + 1) == "chr" and self.t(i + 2) == ";"
                fits = self.ends_operand(i - 1) and not appends_char  # `s += 'x';` appends to a string
            else:
                fits = self.is_binary(i)
            if token.text == "*":
                fits = fits and not self.declares_pointer(i)
            elif token.text in ("+", "+=", "/"):
                fits = fits and not self.builds_text(i)
            if fits:
                yield "arithmetic", i, i, ARITHMETIC[token.text]

    def _conditions(self):
        for i, token in enumerate(self.tokens):
            if token.text not in ("if", "while") or self.t(i + 1) != "(" or i + 1 not in self.partner:
                continue
            open_, close = i + 1, self.partner[i + 1]
            inner = range(open_ + 1, close)
            declares = any(self.t(j) in (";", "=") and self.depth[j] == self.depth[open_] + 1 for j in inner)
            if inner and not declares and i not in self.untouchable:
                condition = self.text[self.tokens[open_ + 1].start:self.tokens[close - 1].end]
                head = self.text[token.start:self.tokens[open_].end]
                yield "condition", i, close, f"{head}!({condition}))"

    def _calls(self):
        for i in self.statement_starts():
            end = self.call_statement_end(i)
            if end is not None:
                yield "call", i, end, ";"

    def _returns(self):
        for i in self.statement_starts():
            if self.t(i) != "return":
                continue
            end = self.statement_end(i)
            if end == i + 1 or end >= len(self.tokens):
                continue
            value = self.text[self.tokens[i + 1].start:self.tokens[end - 1].end]
            changed = self._changed_return(self.returns[i], value, range(i + 1, end))
            if changed is not None:
                yield "return", i, end, f"return {changed};"

    def _changed_return(self, kind, value, span):
        if kind == "bool":
            if value in ("true", "false"):
                return "false" if value == "true" else "true"
            return f"!{value}" if len(span) == 1 else f"!({value})"
        if kind == "number":
            if INTEGER.fullmatch(value):
                return None  # the constant operator changes it already
            loose = any(self.t(j) in LOOSER_THAN_PLUS and self.depth[j] == self.depth[span[0]] for j in span)
            return f"({value}) + 1" if loose else f"{value} + 1"
        if kind == "pointer":
            return None if value in ("nullptr", "0", "NULL") else "nullptr"
        if kind == "value":
            return None if value in ('""', "{}") else "{}"
        return None


def return_kind(words):
    """The kind of value a function of this declared type returns: bool, number, pointer, value, ..."""
    words = [w for w in words if w not in SPECIFIERS]
    if not words:
        return "none"  # a constructor or destructor
    if "auto" in words or "decltype" in words:
        return "unknown"
    if words[-1] in ("&", "&&"):
        return "reference"
    if words[-1] == "*":
        return "pointer"
    if words in (["bool"], ["void"]):
        return words[0]
    if all(w in NUMBER_TYPES or re.fullmatch(r"u?int\d+_t|GL[a-z]+", w) for w in words):
        return "number"
    return "value"


def plus_one(digits, suffix):
    """An integer literal one greater, written in the same base."""
    plain = digits.replace("'", "")
    if plain[:2] in ("0x", "0X"):
        digits = plain[2:]
        return plain[:2] + format(int(digits, 16) + 1, f"0{len(digits)}{'X' if digits.isupper() else 'x'}") + suffix
    if plain[:2] in ("0b", "0B"):
        return plain[:2] + format(int(plain, 2) + 1, f"0{len(plain) - 2}b") + suffix
    if len(plain) > 1 and plain[0] == "0":
        return "0" + format(int(plain, 8) + 1, "o") + suffix
    return str(int(plain) + 1) + suffix


# ---- The sample ----------------------------------------------------------------------------------


def make_sample(graph, size):
    """Picks about `size` mutants of the sources the suites reach, spread over the folders in
    proportion to their non-blank lines and over each folder's files the same way."""
    types = type_names(path.read_text(errors="replace") for path in TREE.rglob("*") if path.suffix in SUFFIXES)
    lines, found = {}, {}
    for path in source_files():
        if graph.suites_reaching(path):
            text = (TREE / path).read_text(errors="surrogateescape")
            lines[path] = sum(1 for line in text.splitlines() if line.strip())
            found[path] = Unit(path, text, types).mutants()
    by_folder = {f: [p for p in found if p.split("/")[0] == f] for f in FOLDERS}
    folder_share = apportion(size, {f: sum(lines[p] for p in ps) for f, ps in by_folder.items()},
                             {f: sum(len(found[p]) for p in ps) for f, ps in by_folder.items()})
    chosen = []
    for folder, paths in by_folder.items():
        file_share = apportion(folder_share[folder], {p: lines[p] for p in paths}, {p: len(found[p]) for p in paths})
        for path in paths:
            chosen += first_by_hash(found[path], file_share[path])
    chosen.sort(key=lambda m: (FOLDERS.index(m.file.split("/")[0]), m.file, m.line, m.col))
    return [m._replace(id=f"m{n:03d}") for n, m in enumerate(chosen, 1)]


def source_files(folders=FOLDERS):
    return sorted(str(p.relative_to(TREE)) for folder in folders for p in (TREE / folder).rglob("*")
                  if p.suffix in SUFFIXES and p.is_file())


def every_mutant(graph, sample, only):
    """Every mutant of the universe's files under `only` that a suite reaches, in file and line order.
    One that is also in the sample keeps the sample's id (and its verdict); the others are named by a
    hash of their own code, so they keep their ids across edits elsewhere."""
    types = type_names(path.read_text(errors="replace") for path in TREE.rglob("*") if path.suffix in SUFFIXES)
    found = []
    for path in source_files(UNIVERSE):
        if not graph.suites_reaching(path) or not any(path.startswith(o.split(":")[0]) for o in only or [""]):
            continue
        seen = collections.Counter()
        for m in Unit(path, (TREE / path).read_text(errors="surrogateescape"), types).mutants():
            key = f"{m.file}|{m.op}|{m.context.strip()}|{m.before}|{m.after}"
            seen[key] += 1  # counted over the whole file, so that lines picked by --only do not change ids
            if selected(m, only):
                found.append(m._replace(id="u" + hashlib.sha256(f"{key}|{seen[key]}".encode()).hexdigest()[:8]))
    # A sampled mutant is the one of its code nearest its line: a line may recur in a file.
    for s in sample:
        alike = [n for n, m in enumerate(found) if (m.file, m.context, m.col, m.before, m.after) ==
                 (s.file, s.context, s.col, s.before, s.after) and m.id.startswith("u")]
        if alike:
            nearest = min(alike, key=lambda n: abs(found[n].line - s.line))
            found[nearest] = found[nearest]._replace(id=s.id)
    return found


def apportion(total, weights, caps):
    """Splits total in proportion to the weights (largest remainders first), none above its cap."""
    share = dict.fromkeys(weights, 0)
    open_ = sorted(k for k in weights if weights[k] > 0 and caps[k] > 0)
    left = min(total, sum(caps[k] for k in open_))
    while left > 0:
        whole = sum(weights[k] for k in open_)
        exact = {k: left * weights[k] / whole for k in open_}
        part = {k: int(exact[k]) for k in open_}
        by_remainder = sorted(open_, key=lambda k: exact[k] - part[k], reverse=True)
        for k in by_remainder[:left - sum(part.values())]:
            part[k] += 1
        full = [k for k in open_ if share[k] + part[k] >= caps[k]]
        if not full:
            for k in open_:
                share[k] += part[k]
            break
        for k in full:
            left -= caps[k] - share[k]
            share[k] = caps[k]
            open_.remove(k)
    return share


def first_by_hash(mutants, count):
    """The `count` mutants that come first in an order fixed by the seed and by each mutant's own
    code, so that edits elsewhere do not change which are taken."""
    seen = collections.Counter()

    def rank(m):
        key = f"{SEED}|{m.file}|{m.op}|{m.context.strip()}|{m.before}|{m.after}"
        seen[key] += 1
        return hashlib.sha256(f"{key}|{seen[key]}".encode()).hexdigest()

    return [m for _, m in sorted((rank(m), m) for m in mutants)[:count]]


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m.group(1), m.group(1)), text)


def write_sample(mutants):
    rows = ["\t".join(Mutant._fields)]
    rows += ["\t".join(escape(str(value)) for value in m) for m in mutants]
    SAMPLE.write_text("\n".join(rows) + "\n")


def read_sample():
    rows = SAMPLE.read_text().splitlines()[1:]
    mutants = [Mutant(*map(unescape, row.split("\t"))) for row in rows]
    return [m._replace(line=int(m.line), col=int(m.col)) for m in mutants]


def mutated(text, m):
    """The text with the mutant applied, or None when its code is no longer there."""
    lines = text.split("\n")
    starts = [0]
    for line in lines:
        starts.append(starts[-1] + len(line) + 1)
    same = [n for n, line in enumerate(lines, 1) if line == m.context]
    for n in sorted(same, key=lambda n: abs(n - m.line)):
        at = starts[n - 1] + m.col - 1
        if text.startswith(m.before, at):
            return text[:at] + m.after + text[at + len(m.before):]
    return None


# ---- The private tree and its build --------------------------------------------------------------


class BuildGraph:
    """The test suites of the build, what each links, and which sources reach which targets."""

    def __init__(self):
        targets = read_codemodel()
        self.suites = {name: t for name, t in targets.items() if t["suite"]}
        self.reach = collections.defaultdict(set)  # source -> targets that compile it or include it
        for depfile in BUILD.rglob("*.o.d"):
            target = next(p[:-len(".dir")] for p in depfile.relative_to(BUILD).parts if p.endswith(".dir"))
            for dependency in depfile.read_text().replace("\\\n", " ").split()[1:]:
                if dependency.startswith(f"{TREE}/"):
                    self.reach[dependency[len(f"{TREE}/"):]].add(target)

    def suites_reaching(self, path):
        reached = self.reach.get(path, set())
        return sorted(name for name, t in self.suites.items() if name in reached or t["links"] & reached)

    def program(self, suite):
        return BUILD / self.suites[suite]["artifact"]


def read_codemodel():
    """Every target of the build from CMake's file API: what it links, its program, whether it is a
    test suite (tests/<library>/<name>_test.cpp)."""
    reply = BUILD / ".cmake" / "api" / "v1" / "reply"
    index = json.loads(max(reply.glob("index-*.json")).read_text())
    codemodel = json.loads((reply / index["reply"]["codemodel-v2"]["jsonFile"]).read_text())
    targets = {}
    for entry in codemodel["configurations"][0]["targets"]:
        target = json.loads((reply / entry["jsonFile"]).read_text())
        sources = [s["path"] for s in target.get("sources", [])]
        targets[target["name"]] = {
            "links": {d["id"].split("::@")[0] for d in target.get("dependencies", [])},
            "artifact": target["artifacts"][0]["path"] if target.get("artifacts") else None,
            "suite": target["type"] == "EXECUTABLE" and bool(sources)
            and all(re.fullmatch(r"tests/\w+/\w+_test\.cpp", s) for s in sources),
            "library": sources[0].split("/")[1] if sources else None,
            "source": sources[0] if sources else None,
            "goal": str(Path(target["paths"]["build"]) / "CMakeFiles" / f"{target['name']}.dir" / "all"),
        }
    return targets


def copy_sources():
    """The developer's files as git sees them (tracked, and new ones not ignored) into TREE."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                            check=True, capture_output=True).stdout.decode().split("\0")
    fresh = WORK / "tree.new"
    shutil.rmtree(fresh, ignore_errors=True)
    for name in filter(None, listed):
        source = ROOT / name
        if source.exists() or source.is_symlink():
            (fresh / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(source, fresh / name, follow_symlinks=False)  # stamped now: all of it is new
    fresh.rename(TREE)


def configure():
    query = BUILD / ".cmake" / "api" / "v1" / "query" / "codemodel-v2"
    query.parent.mkdir(parents=True, exist_ok=True)
    query.touch()
    code = run(["cmake", "-S", str(TREE), "-B", str(BUILD), *CMAKE_OPTIONS], BUILD_LOG)
    if code != 0:
        sys.exit(f"mutate: cmake could not configure {BUILD}; see {BUILD_LOG}")


def build_everything(jobs):
    """The whole build, the check of CMake's own files included; None when it worked, else the error."""
    return build(["cmake", "--build", str(BUILD), "-j", str(jobs)])


def build_suites(graph, suites, jobs):
    """The suites and what they link. One make goes through the Makefile generator's per-target goals:
    `cmake --build --target a b ...` would check every library again for each suite, which costs more
    than the compile of a mutant."""
    goals = [graph.suites[suite]["goal"] for suite in suites]
    return build(["make", "-C", str(BUILD), "-s", "-f", "CMakeFiles/Makefile2", f"-j{jobs}", *goals])


def build(command):
    code = run(command, BUILD_LOG, timeout=BUILD_TIMEOUT)
    if code == 0:
        return None
    if code is None:
        return "build timed out"
    log = BUILD_LOG.read_text(errors="replace").replace(f"{TREE}/", "").splitlines()
    return next((line.strip() for line in log if re.search(r"error|undefined reference", line)), "build failed")


def run(command, log, timeout=None, cwd=None, env=None):
    """Runs a command in a process group of its own, its output in log; its exit code, or None when
    it ran out of time (then it and all it started are killed)."""
    with open(log, "wb") as out:
        process = subprocess.Popen(command, cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        finally:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()


def replace_file(path, data):
    """Writes the file and stamps it now, so that make rebuilds what depends on it."""
    path.write_bytes(data)
    now = time.time_ns()
    os.utime(path, ns=(now, now))


def restore_interrupted():
    """Puts back the original of a file that a stopped run left mutated."""
    if JOURNAL.exists():
        name, original = JOURNAL.read_bytes().split(b"\n", 1)
        replace_file(TREE / name.decode(), original)
        JOURNAL.unlink()


def prepare(args):
    """The tree copied, configured and built, the baseline measured and the sample drawn, as far as
    they are not there yet; the build graph."""
    WORK.mkdir(exist_ok=True)
    if args.restart or args.resample:
        RESULTS.unlink(missing_ok=True)
        MATRIX.unlink(missing_ok=True)
    if args.restart:
        JOURNAL.unlink(missing_ok=True)
        BASELINE.unlink(missing_ok=True)
        shutil.rmtree(TREE, ignore_errors=True)
        shutil.rmtree(BUILD, ignore_errors=True)
    restore_interrupted()
    if not TREE.exists():
        print("mutate: copying the sources to", TREE)
        copy_sources()
    if not (BUILD / "CMakeCache.txt").exists():
        print("mutate: configuring", BUILD)
        configure()
    print("mutate: bringing the build up to date")
    error = build_everything(args.jobs)
    if error:
        sys.exit(f"mutate: the unmutated sources do not build: {error} (see {BUILD_LOG})")
    graph = BuildGraph()
    if not BASELINE.exists():
        measure_baseline(graph)
    if args.resample or not SAMPLE.exists():
        sample = make_sample(graph, args.size)
        write_sample(sample)
        print(f"mutate: {len(sample)} mutants sampled into {SAMPLE}")
    return graph


def measure_baseline(graph):
    """Each suite's time on the unmutated sources; they must all pass."""
    times = {}
    for suite in sorted(graph.suites):
        started = time.monotonic()
        code = run_suite(graph, suite, timeout=600)
        times[suite] = round(time.monotonic() - started, 3)
        if code != 0:
            sys.exit(f"mutate: {suite} fails on the unmutated sources (see {TEST_LOG}); fix that first")
    head = subprocess.run(["git", "rev-parse", "--short", "HEAD"], cwd=ROOT, capture_output=True, text=True)
    changed = subprocess.run(["git", "status", "--porcelain"], cwd=ROOT, capture_output=True, text=True)
    BASELINE.write_text(json.dumps({
        "sources": head.stdout.strip() + (" with uncommitted changes" if changed.stdout.strip() else ""),
        "copied": datetime.datetime.now().strftime("%Y-%m-%d %H:%M"),
        "suites": times,
    }, indent=2) + "\n")
    print(f"mutate: the suites take {sum(times.values()):.1f} s on the unmutated sources")


FAIL_FAST = ("--gtest_fail_fast", "--gtest_brief=1")


def run_suite(graph, suite, timeout, flags=FAIL_FAST, log=TEST_LOG):
    program = graph.program(suite)
    env = dict(os.environ, GIFTGUARD_SOURCE_DIR=str(TREE), GTEST_COLOR="no")
    return run([str(program), *flags], log, timeout=timeout, cwd=program.parent, env=env)


# ---- Deciding a mutant ---------------------------------------------------------------------------


def decide(m, graph, baseline, jobs, check=None):
    """Builds the mutant and runs the suites that reach its file with check, run_suites (the first
    failure decides) unless told otherwise: (status, killing test or tests, note). For the first
    failure each suite is built just before it runs: a header reaches most of the build, and a
    mutant the first suite kills need not compile the rest."""
    path = TREE / m.file
    original = path.read_bytes()
    text = mutated(original.decode(errors="surrogateescape"), m)
    if text is None:
        return "gone", "", "the code is no longer in the file"
    suites = suites_in_order(m.file, graph, baseline)
    JOURNAL.write_bytes(m.file.encode() + b"\n" + original)
    try:
        replace_file(path, text.encode(errors="surrogateescape"))
        if check is None:
            return run_suites(suites, graph, baseline, lambda suite: build_suites(graph, [suite], jobs))
        error = build_suites(graph, suites, jobs)
        if error:
            return "unbuilt", "", error
        return check(suites, graph, baseline)
    finally:
        replace_file(path, original)
        JOURNAL.unlink()


def suites_in_order(path, graph, baseline):
    """The suites reaching the file: the one named like it first, then its library's, quickest first."""
    stem = Path(path).stem.lower()
    library = path.split("/")[1] if path.startswith(("src/", "include/")) else path.split("/")[0]

    def order(suite):
        name = suite[:-len("_test")].lower()
        likeness = 0 if name == stem else 1 if name in stem or stem in name else 2
        return likeness, graph.suites[suite]["library"] != library, baseline[suite], suite

    return sorted(graph.suites_reaching(path), key=order)


def run_in_time(graph, suite, baseline, flags=FAIL_FAST):
    """run_suite within the suite's time; past it, once more with TIMEOUT_RETRY times that time,
    so that a busy moment of the machine is not taken for a hang. None when both run out."""
    limit = TIMEOUT_FACTOR * baseline[suite] + TIMEOUT_SLACK
    code = run_suite(graph, suite, limit, flags)
    return run_suite(graph, suite, TIMEOUT_RETRY * limit, flags) if code is None else code


def run_suites(suites, graph, baseline, build_first=lambda suite: None):
    for suite in suites:
        error = build_first(suite)
        if error:
            return "unbuilt", "", error
        code = run_in_time(graph, suite, baseline)
        if code is None:
            return "timeout", suite, ""
        if code != 0:
            return "killed", killing_test(suite, code), ""
    return "survived", "", ""


def killing_test(suite, code):
    failed = re.search(r"^\[  FAILED  \] (\S+)", TEST_LOG.read_text(errors="replace"), re.MULTILINE)
    if failed:
        return f"{suite} {failed.group(1)}"
    if code < 0:
        return f"{suite} ({signal.Signals(-code).name})"
    return f"{suite} (exit {code})"


# ---- Results and the report ----------------------------------------------------------------------

RESULT_FIELDS = ("id", "status", "killer", "seconds", "note")


def read_results(path=RESULTS, fields=RESULT_FIELDS):
    """The decided mutants by id (of results.tsv, or of matrix.tsv); a later line wins."""
    if not path.exists():
        return {}
    rows = [row.split("\t") for row in path.read_text().splitlines()[1:]]
    # A line cut short by a machine that stopped mid-write is left out: that mutant runs again.
    return {row[0]: dict(zip(fields, map(unescape, row))) for row in rows if len(row) == len(fields)}


def record(values, path=RESULTS, fields=RESULT_FIELDS):
    """Appends one decision and makes sure it is on the disk before the next mutant starts."""
    new = not path.exists()
    with open(path, "a") as out:
        if new:
            out.write("\t".join(fields) + "\n")
        out.write("\t".join(escape(str(v)) for v in values) + "\n")
        out.flush()
        os.fsync(out.fileno())


def read_equivalents(sample, path=EQUIVALENTS):
    """The reasons of the mutants judged equivalent, by id; a line whose file:line is no longer that
    mutant's (a new sample, a moved line) is left out, so a stale judgement never counts."""
    where = {m.id: f"{m.file}:{m.line}" for m in sample}
    rows = [line.split("\t") for line in path.read_text().splitlines()] if path.exists() else []
    return {row[0]: row[2] for row in rows if len(row) == 3 and where.get(row[0]) == row[1]}


def report(sample, results, folders=FOLDERS):
    if BASELINE.exists():
        baseline = json.loads(BASELINE.read_text())
        print(f"\nmutants of the sources of {baseline['sources']}, copied {baseline['copied']}")
    print_table("folder", sample, results, lambda m: m.file.split("/")[0], folders)
    print_table("operator", sample, results, lambda m: m.op, OPERATORS)
    survivors = [m for m in sample if results.get(m.id, {}).get("status") == "survived"]
    equivalent = read_equivalents(sample)
    judged = [m for m in survivors if m.id in equivalent]
    decided = [m for m in sample if results.get(m.id, {}).get("status") in ("killed", "survived", "timeout")]
    counted = len(decided) - len(judged)  # the decided mutants a test could kill
    if judged and counted:
        caught = len(decided) - len(survivors)
        print(f"\nkill rate with the {len(judged)} equivalent survivors left out: "
              f"{100 * caught / counted:.1f}% ({caught} of {counted})")
    print(f"\nsurvivors ({len(survivors)}, {len(judged)} of them equivalent):")
    for m in survivors:
        print(f"  {m.id}  {m.file}:{m.line}  {m.op:10}  {shown(m.before)}  →  {shown(m.after)}")
        if m.id in equivalent:
            print(f"        equivalent: {equivalent[m.id]}")


def print_table(title, sample, results, group, groups):
    columns = ["killed", "survived", "timeout", "unbuilt"]
    if any(r["status"] == "gone" for r in results.values()):
        columns.append("gone")
    heads = [title, "mutants", *(STATUS_TITLES[c] for c in columns), "pending", "kill rate"]
    rows = []
    for name in [*groups, "total"]:
        members = [m for m in sample if name == "total" or group(m) == name]
        count = collections.Counter(results[m.id]["status"] for m in members if m.id in results)
        built = count["killed"] + count["survived"] + count["timeout"]
        rate = f"{100 * (count['killed'] + count['timeout']) / built:.1f}%" if built else "-"
        pending = sum(1 for m in members if m.id not in results)
        rows.append([name, len(members), *(count[c] for c in columns), pending, rate])
    print()
    print_rows(heads, rows)


def print_rows(heads, rows, indent="", left=1):
    """Columns lined up: the first `left` to the left, the others (numbers) to the right."""
    widths = [max(len(str(row[i])) for row in [heads, *rows]) for i in range(len(heads))]
    for row in [heads, *rows]:
        print(indent + "  ".join(str(cell).ljust(w) if i < left else str(cell).rjust(w)
                                 for i, (cell, w) in enumerate(zip(row, widths))).rstrip())


def shown(code, most=70):
    code = " ".join(code.split())
    return code if len(code) <= most else code[:most - 1] + "…"


# ---- The kill matrix ----------------------------------------------------------------------------
#
# Which tests kill which mutants: each mutant the normal run killed (or that timed out) is built
# again, and every suite that reaches its file runs in full. A kill is written `suite:Test.name`;
# `suite:(SIGSEGV)`, `suite:(exit=1)` or `suite:(timeout)` when no test can be blamed.

MATRIX_FIELDS = ("id", "status", "kills", "seconds", "note")
FULL_RUN = ("--gtest_fail_fast=0", "--gtest_brief=0")  # every test, and a line as each one starts
GTEST_MARK = re.compile(r"\[ *(RUN|OK|FAILED|SKIPPED) *\] ([^\s,]+)")


def test_outcomes(output):
    """From a suite's output: the tests that failed, and the one that was running when the output
    stops (None when every test that started also ended)."""
    failed, running = [], None
    for mark, name in GTEST_MARK.findall(output):
        if mark == "RUN":
            running = name
        elif name == running:  # the list of failures at the end repeats names; they end nothing
            if mark == "FAILED":
                failed.append(name)
            running = None
    return failed, running


def run_all_suites(suites, graph, baseline):
    """Every suite in full: (status, the failing tests, note). A crash is blamed on the test that
    was running, and the suite goes on with the tests that have not started yet."""
    kills, timed_out, failed_any = [], [], False
    for suite in suites:
        started = set()
        while True:
            skip = ("--gtest_filter=-" + ":".join(sorted(started)),) if started else ()
            code = run_in_time(graph, suite, baseline, FULL_RUN + skip)
            output = TEST_LOG.read_text(errors="replace")
            failed, running = test_outcomes(output)
            kills += [f"{suite}:{name}" for name in failed]
            failed_any |= bool(failed)
            if code is None:
                timed_out.append(suite)
                kills.append(f"{suite}:{running or '(timeout)'}")
                break
            if code == 0 or not running:
                if code != 0 and not failed:  # it died before its first test or after its last
                    kills.append(f"{suite}:({signal.Signals(-code).name if code < 0 else f'exit={code}'})")
                    failed_any = True
                break
            kills.append(f"{suite}:{running}")
            failed_any = True
            if running in started:  # the filter did not keep it out: do not go round again
                break
            started |= {name for mark, name in GTEST_MARK.findall(output) if mark == "RUN"}
    status = "killed" if failed_any else "timeout" if timed_out else "survived"
    return status, " ".join(kills), "timed out in " + ", ".join(timed_out) if timed_out else ""


def run_matrix(args):
    if not RESULTS.exists():
        sys.exit(f"mutate: no results yet in {RESULTS}; run tools/mutate.py first")
    graph = prepare(args)
    mutants = mutants_to_run(args, graph)
    baseline = json.loads(BASELINE.read_text())["suites"]
    results, matrix = read_results(), read_results(MATRIX, MATRIX_FIELDS)
    todo = [m for m in mutants if results.get(m.id, {}).get("status") in ("killed", "timeout") and m.id not in matrix]
    if args.limit is not None:
        todo = todo[:args.limit]
    for n, m in enumerate(todo, 1):
        started = time.monotonic()
        status, kills, note = decide(m, graph, baseline, args.jobs, check=run_all_suites)
        seconds = time.monotonic() - started
        record((m.id, status, kills, f"{seconds:.1f}", note), MATRIX, MATRIX_FIELDS)
        print(f"[{n}/{len(todo)}] {m.id} {m.file}:{m.line}: {STATUS_TITLES[status]}, "
              f"{len(kills.split())} failing ({seconds:.1f} s){': ' + note if note else ''}", flush=True)
    matrix_report(graph, mutants, args.only, args.all)


def list_tests(graph, suite):
    """The tests of a built suite, in the order of their lines: {Suite.Name: line}; None when the
    program cannot list them."""
    LISTING.unlink(missing_ok=True)
    code = run_suite(graph, suite, 60, ("--gtest_list_tests", f"--gtest_output=json:{LISTING}"),
                     log=LISTING.with_suffix(".log"))
    if code != 0 or not LISTING.exists():
        return None
    tests = [(test.get("line", 0), f"{group['name']}.{test['name']}")
             for group in json.loads(LISTING.read_text())["testsuites"] for test in group["testsuite"]]
    return {name: line for line, name in sorted(tests)}


def matrix_report(graph, sample, only, every=False):
    """For each test, the mutants it kills and those no other test kills; then the tests that kill
    nothing on their own, and what each suite kills. `every`: the mutants are all those of the files
    under `only`, not the sample's."""
    results, matrix = read_results(), read_results(MATRIX, MATRIX_FIELDS)
    sample = [m for m in sample if selected(m, only)]
    due = [m for m in sample if results.get(m.id, {}).get("status") in ("killed", "timeout")]
    done = [m for m in due if m.id in matrix]
    undecided = sum(1 for m in sample if m.id not in results)
    whole = not any(":" in where for where in only or [])  # files, not lines of them
    complete = every and not undecided and len(done) == len(due)
    print(f"\nkill matrix: {len(done)} of the {len(due)} mutants killed or timed out in {RESULTS.name}"
          f"{f' ({len(due) - len(done)} still to run with --matrix)' if len(due) > len(done) else ''}")
    if every:
        print(f"  of every mutant of {' '.join(only or ['the universe'])}: {len(sample)}, "
              f"{'all decided' if not undecided else f'{undecided} not yet decided'}"
              f"{', complete' if complete else ', incomplete'}{'' if whole else ' (lines, not whole files)'}")
    lost = [m.id for m in done if matrix[m.id]["status"] not in ("killed", "timeout")]
    if lost:
        print(f"  killed before but {', '.join(sorted({matrix[i]['status'] for i in lost}))} here: {' '.join(lost)}")

    killed_by = {m.id: matrix[m.id]["kills"].split() for m in done}
    kills = collections.defaultdict(set)  # suite:Test.name -> the mutants it kills
    for mutant, killers in killed_by.items():
        for killer in killers:
            kills[killer].add(mutant)
    # A kill blamed on a suite and no test, `suite:(SIGSEGV)`, takes no test's kill from being its own.
    named = {mutant: {k for k in killers if not k.split(":", 1)[1].startswith("(")}
             for mutant, killers in killed_by.items()}
    unique = {k: sum(1 for mutant in kills[k] if named[mutant] == {k}) for k in kills}

    suites = sorted({s for m in sample for s in graph.suites_reaching(m.file)} if only else graph.suites)
    listed, spare = {}, []
    for suite in suites:
        tests = list_tests(graph, suite)
        if tests is None:
            print(f"  {suite} could not list its tests; shown are those that kill something")
            tests = {k.split(":", 1)[1]: "" for k in kills if k.startswith(suite + ":")}
        listed[suite] = tests
        print(f"\n{suite} ({graph.suites[suite]['source']})")
        rows = [[name, line, len(kills[f"{suite}:{name}"]), unique.get(f"{suite}:{name}", 0)]
                for name, line in tests.items()]
        rows += [[k.split(":", 1)[1], "", len(kills[k]), "-"] for k in sorted(kills)
                 if k.startswith(suite + ":") and k.split(":", 1)[1].startswith("(")]
        print_rows(["test", "line", "kills", "unique"], rows, indent="  ")
        spare += [(suite, name, line) for name, line in tests.items() if not unique.get(f"{suite}:{name}")]
    gone = sorted(k for k in kills if k.split(":", 1)[0] in listed and ":(" not in k
                  and k.split(":", 1)[1] not in listed[k.split(":", 1)[0]])
    if gone:
        print(f"\nkills by tests no longer in the copy: {' '.join(gone)}")

    # A test without a unique kill in the sample may hold the only check of a line the sample missed.
    ground = ("may go as far as these files go: a test goes only when every file it covers is among them"
              if complete and whole else "not a ground to drop any: that takes --all --matrix over every mutant "
              "of the whole files the test covers" + (", complete" if every else ""))
    print(f"\ntests that kill no mutant on their own ({len(spare)} of {sum(map(len, listed.values()))}); {ground}:")
    for suite in suites:
        mine = [(name, line) for s, name, line in spare if s == suite]
        if mine:
            print(f"  {suite} ({graph.suites[suite]['source']})")
            print_rows(["test", "line", "kills"], [[name, line, len(kills[f"{suite}:{name}"])] for name, line in mine],
                       indent="    ")

    print("\nmutants each suite kills:")
    reach = {s: sum(1 for m in done if s in graph.suites_reaching(m.file)) for s in suites}
    by_suite = {mutant: {k.split(":", 1)[0] for k in killers} for mutant, killers in killed_by.items()}
    print_rows(["suite", "reaches", "kills", "only it"],
               [[s, reach[s], sum(1 for k in by_suite.values() if s in k),
                 sum(1 for k in by_suite.values() if k == {s})] for s in suites], indent="  ")


# ---- The command line ----------------------------------------------------------------------------


def start_display():
    """An Xvfb of our own when there is no display, as tools/test.sh does; None when there is one."""
    if os.environ.get("DISPLAY"):
        return None
    free = next((n for n in FREE_DISPLAYS
                 if not Path(f"/tmp/.X11-unix/X{n}").exists() and not Path(f"/tmp/.X{n}-lock").exists()), None)
    if free is None:
        sys.exit("mutate: no free display number for Xvfb")
    xvfb = subprocess.Popen(["Xvfb", f":{free}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.environ["DISPLAY"] = f":{free}"
    for _ in range(50):
        if Path(f"/tmp/.X11-unix/X{free}").exists():
            break
        time.sleep(0.1)
    return xvfb


def stop_on_signals():
    """SIGTERM and SIGHUP stop the run as Ctrl-C does, so the mutated file is put back."""
    def interrupt(number, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, interrupt)
    signal.signal(signal.SIGHUP, interrupt)


def run_sample(args):
    graph = prepare(args)
    mutants = mutants_to_run(args, graph)
    baseline = json.loads(BASELINE.read_text())["suites"]
    results = read_results()
    todo = [m for m in mutants if m.id not in results]
    if args.limit is not None:
        todo = todo[:args.limit]
    spent = 0.0
    for n, m in enumerate(todo, 1):
        started = time.monotonic()
        status, killer, note = decide(m, graph, baseline, args.jobs)
        seconds = time.monotonic() - started
        record((m.id, status, killer, f"{seconds:.1f}", note))
        results[m.id] = {"status": status}
        spent += seconds
        left = (spent / n) * (len(todo) - n)
        print(f"[{n}/{len(todo)}, {left / 60:.0f} min left] {m.id} {m.file}:{m.line} {m.op}: "
              f"{shown(m.before, 40)} → {shown(m.after, 40)}: {STATUS_TITLES[status]}"
              f"{(' in ' if status == 'timeout' else ' by ') + killer if killer else ''}"
              f"{': ' + note if note else ''} ({seconds:.1f} s)", flush=True)
    report(mutants, results, UNIVERSE if args.all else FOLDERS)


def selected(m, only):
    """Whether the mutant is under one of the paths; `path:FROM-TO` keeps to those lines of a file."""
    def within(where):
        path, _, lines = where.partition(":")
        first, _, last = lines.partition("-")
        return m.file.startswith(path) and (not lines or int(first) <= m.line <= int(last or first))

    return not only or any(within(where) for where in only)


def mutants_to_run(args, graph):
    """The sample, or with --all every mutant of the files under --only."""
    sample = read_sample()
    return every_mutant(graph, sample, args.only) if args.all else [m for m in sample if selected(m, args.only)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n", 1)[0])
    parser.add_argument("--limit", type=int, metavar="N", help="decide at most N more mutants, then stop")
    parser.add_argument("--jobs", type=int, default=2, metavar="N", help="parallel compile jobs (default 2)")
    parser.add_argument("--only", action="append", metavar="PATH",
                        help="only mutants of files under PATH (e.g. src/kro/ or game/ob.cpp; "
                        "src/kro/cfr.cpp:190-230 for lines of a file); may repeat")
    parser.add_argument("--all", action="store_true",
                        help="every mutant of the files under --only (include/ too), not the sample's")
    parser.add_argument("--report", action="store_true", help="print the tables and survivors, run nothing")
    parser.add_argument("--matrix", action="store_true",
                        help="run every test on each killed mutant, into matrix.tsv; resumes as a run does")
    parser.add_argument("--matrix-report", action="store_true",
                        help="what each test kills, and alone, from matrix.tsv; runs only --gtest_list_tests")
    parser.add_argument("--restart", action="store_true",
                        help="forget the results and the copy of the sources, keep the sample")
    parser.add_argument("--resample", action="store_true", help="draw a new sample (the results go too)")
    parser.add_argument("--size", type=int, default=SAMPLE_SIZE, help=f"mutants in a new sample ({SAMPLE_SIZE})")
    args = parser.parse_args()
    if args.matrix and (args.restart or args.resample):
        parser.error("--matrix runs on the results there are; --restart and --resample would forget them")
    if args.matrix_report:
        if not MATRIX.exists():
            sys.exit(f"mutate: no kill matrix yet in {MATRIX}; run tools/mutate.py --matrix first")
        graph = BuildGraph()
        matrix_report(graph, mutants_to_run(args, graph), args.only, args.all)
        return
    if args.report:
        if not SAMPLE.exists():
            sys.exit(f"mutate: no sample yet in {SAMPLE}; run tools/mutate.py first")
        report(mutants_to_run(args, BuildGraph() if args.all else None), read_results(),
               UNIVERSE if args.all else FOLDERS)
        return
    stop_on_signals()
    xvfb = start_display()
    try:
        run_matrix(args) if args.matrix else run_sample(args)
    except KeyboardInterrupt:
        sys.exit("\nmutate: stopped; the mutant in progress is not recorded, the run goes on from there")
    finally:
        if xvfb:
            xvfb.terminate()  # not killed: it takes its lock file and socket away on the way out
            xvfb.wait()


if __name__ == "__main__":
    main()
