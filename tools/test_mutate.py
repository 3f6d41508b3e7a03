#!/usr/bin/env python3
"""Checks of the mutation script: which changes it finds in C++, how it shares out the sample, how
it finds a mutant's code again and how it reads which tests failed.  Run: python3 tools/test_mutate.py"""

import os
import sys
import tempfile
import unittest
import unittest.mock
from pathlib import Path

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mutate  # noqa: E402


def changes(code):
    found = mutate.Unit("x.cpp", code, {"Foo"}).mutants()
    return {(m.op, " ".join(m.before.split()), m.after) for m in found}


class FindingMutants(unittest.TestCase):
    CASES = [
        # Preprocessor lines, comments and literals hold no sites.
        ("#define LESS(a, b) ((a) < (b) + 1)\n"
         'void f() { g("x < 1 + 2", R"x(3 - 4)x", \'<\'); /* h(1 < 2); */ }  // k(3 - 4);\n',
         {("call", 'g("x < 1 + 2", R"x(3 - 4)x", \'<\');', ";")}),
        # Template brackets, `->`, `<<`, `++`, `--` and pointer declarators stay as they are.
        ("void f(std::vector<std::pair<int, Foo*>>& v, Foo* p) { out << p->n; ++i; v[i]--; }", set()),
        # Binary operators flip, a unary minus does not; the returned number grows by one.
        ("int f(int a, int b) { return -a * b < 0x0Fu ? a - b : a / b; }",
         {("relational", "<", ">="), ("constant", "0x0Fu", "0x10u"), ("arithmetic", "*", "/"),
          ("arithmetic", "-", "+"), ("arithmetic", "/", "*"),
          ("return", "return -a * b < 0x0Fu ? a - b : a / b;", "return (-a * b < 0x0Fu ? a - b : a / b) + 1;")}),
        # Conditions, call statements and case labels; a declaring condition and a for head are left.
        ("void f(int n) {\n  if (n) g(n);\n  if (n) *out = n;\n  while (int k = next()) h(k);\n"
         "  switch (n) { case 1: log(n); break; case 2: break; }\n"
         "  for (auto* p = first(); p; p = p->next) p->visit();\n}\n",
         {("condition", "if (n)", "if (!(n))"), ("call", "g(n);", ";"), ("call", "h(k);", ";"),
          ("call", "log(n);", ";"), ("call", "p->visit();", ";"), ("constant", "2", "3")}),
        # What a return becomes follows the function's type; references and lambdas are left.
        ('bool ok() { return ready; }\nconst char* name() { return "x"; }\nstd::string text() { return label; }\n'
         "Foo& ref() { return *self; }\nint count() { return 3; }\nauto l = [](int x) { return x; };\n",
         {("return", "return ready;", "return !ready;"), ("return", 'return "x";', "return nullptr;"),
          ("return", "return label;", "return {};"), ("constant", "3", "4")}),
        # A pure specifier and a static assertion are not constants to change.
        ('struct A { virtual int f() = 0; int g[2]; };\nstatic_assert(sizeof(A) > 8, "size");\n',
         {("constant", "2", "3")}),
        # Joining strings and paths is not arithmetic.
        ("void f() { s = std::string(\"a\") + b; s += 'c'; q = dir / std::string(n); x = y + z; }",
         {("arithmetic", "+", "-")}),
    ]

    def test_each_operator_finds_its_sites_and_no_others(self):
        for code, expected in self.CASES:
            with self.subTest(code=code):
                self.assertEqual(changes(code), expected)


class TheSample(unittest.TestCase):
    def test_shares_follow_the_weights_and_respect_the_caps(self):
        self.assertEqual(mutate.apportion(10, {"a": 6, "b": 3, "c": 1}, {"a": 100, "b": 1, "c": 100}),
                         {"a": 8, "b": 1, "c": 1})
        self.assertEqual(mutate.apportion(10, {"a": 1, "b": 1}, {"a": 2, "b": 3}), {"a": 2, "b": 3})

    def test_a_mutant_is_found_again_after_edits_above_it_and_not_when_its_code_changed(self):
        text = "int a = 1;\nint b = x < y;\nint c = x < y;\n"
        m = next(m for m in mutate.Unit("x.cpp", text, set()).mutants() if m.line == 3 and m.op == "relational")
        self.assertEqual(mutate.mutated(text, m), "int a = 1;\nint b = x < y;\nint c = x >= y;\n")
        self.assertEqual(mutate.mutated("// new\n" + text, m), "// new\nint a = 1;\nint b = x < y;\nint c = x >= y;\n")
        self.assertIsNone(mutate.mutated(text.replace("c = x < y", "c = x <= y"), m))

    def test_the_sample_file_keeps_tabs_newlines_and_backslashes(self):
        m = mutate.Mutant("m001", "a/b.cpp", 4, 2, "call", 'f("\\t",\n\tx);', ";", '  f("\\t",')
        with tempfile.TemporaryDirectory() as folder:
            mutate.SAMPLE = Path(folder) / "sample.tsv"
            mutate.write_sample([m])
            self.assertEqual(mutate.read_sample(), [m])

    def test_an_equivalence_counts_only_while_the_mutant_is_where_it_was_judged(self):
        sample = [mutate.Mutant(f"m00{i}", "a.cpp", i, 1, "call", "f();", ";", "f();") for i in (1, 2)]
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "equivalents.tsv"
            path.write_text("m001\ta.cpp:1\tonly a hint\nm002\ta.cpp:7\tthe line has moved\n")
            self.assertEqual(mutate.read_equivalents(sample, path), {"m001": "only a hint"})


class EveryMutant(unittest.TestCase):
    def test_headers_are_in_the_universe_and_a_sampled_mutant_keeps_its_id_and_verdict(self):
        class Graph:
            def suites_reaching(self, path):
                return [] if path.startswith("game/") else ["s"]

        with tempfile.TemporaryDirectory() as folder, unittest.mock.patch.object(mutate, "TREE", Path(folder)):
            for name, code in [("src/a.cpp", "int f() { return x < 1; }\nint f() { return x < 1; }\n"),
                               ("include/t/b.h", "int g(int y) { return y > 2; }\n"), ("game/c.cpp", "int h();\n")]:
                (Path(folder) / name).parent.mkdir(parents=True, exist_ok=True)
                (Path(folder) / name).write_text(code)
            sampled = next(m for m in mutate.Unit("src/a.cpp", "int f() { return x < 1; }\n" * 2, set()).mutants()
                           if m.op == "relational" and m.line == 2)._replace(id="m001")
            every = mutate.every_mutant(Graph(), [sampled], None)
            self.assertEqual(sorted({m.file for m in every}), ["include/t/b.h", "src/a.cpp"])  # no suite reaches game/
            self.assertEqual([m.line for m in every if m.id == "m001"], [2])  # the same code on line 1 is not it
            self.assertTrue(all(m.id.startswith("u") for m in every if m != sampled))
            self.assertEqual({m.line for m in mutate.every_mutant(Graph(), [], ["include/t/b.h:2-9"])}, set())
            # Picking lines does not rename what they hold, though the same code is on a line left out.
            self.assertEqual({m.id for m in every if m.file == "src/a.cpp" and m.line == 2},
                             {m.id for m in mutate.every_mutant(Graph(), [sampled], ["src/a.cpp:2"])})

    def test_only_keeps_to_paths_and_line_ranges(self):
        m = mutate.Mutant("", "src/kro/cfr.cpp", 200, 1, "call", "f();", ";", "f();")
        for only, kept in [(None, True), (["src/kro/"], True), (["src/kro/cfr.cpp:190-225"], True),
                           (["src/kro/cfr.cpp:200"], True), (["src/kro/cfr.cpp:201-230"], False), (["game/"], False)]:
            self.assertEqual(mutate.selected(m, only), kept, only)


class TheKillMatrix(unittest.TestCase):
    OUTPUTS = [
        # The list of failures at the end repeats the names, a parameter after a comma.
        ("[ RUN      ] A.one\n[       OK ] A.one (0 ms)\n[ RUN      ] P/B.two/1\nx.cpp:3: Failure\n"
         "[  FAILED  ] P/B.two/1, where GetParam() = 4 (1 ms)\n[==========] 2 tests ran.\n"
         "[  FAILED  ] 1 test, listed below:\n[  FAILED  ] P/B.two/1, where GetParam() = 4\n",
         ["P/B.two/1"], None),
        # A crash leaves its test started and not ended; printing without a newline hides no mark.
        ("[ RUN      ] A.one\nno newline[  FAILED  ] A.one (0 ms)\n[ RUN      ] A.two\n[  SKIPPED ] A.two (0 ms)\n"
         "[ RUN      ] A.three\n", ["A.one"], "A.three"),
    ]

    def test_the_failed_tests_and_the_one_running_are_read_from_the_output(self):
        for output, failed, running in self.OUTPUTS:
            with self.subTest(output=output):
                self.assertEqual(mutate.test_outcomes(output), (failed, running))

    def test_a_run_builds_each_suite_just_before_it_and_none_after_the_first_failure(self):
        built = []
        with tempfile.TemporaryDirectory() as folder, unittest.mock.patch.multiple(
                mutate, run_suite=lambda graph, suite, timeout, flags: {"a": 0, "b": 1}[suite],
                TEST_LOG=Path(folder) / "log"):
            mutate.TEST_LOG.write_text("[  FAILED  ] B.x (0 ms)\n")
            self.assertEqual(mutate.run_suites(["a", "b", "c"], None, dict.fromkeys("abc", 1), built.append),
                             ("killed", "b B.x", ""))
            self.assertEqual(built, ["a", "b"])
            self.assertEqual(mutate.run_suites(["c"], None, {"c": 1}, lambda suite: "error"), ("unbuilt", "", "error"))
        answers = {"slow": [None, 0], "hung": [None, None]}  # past its time once, and twice
        with unittest.mock.patch.object(mutate, "run_suite",
                                        lambda graph, suite, timeout, flags: answers[suite].pop(0)):
            self.assertEqual(mutate.run_suites(["slow", "hung"], None, dict.fromkeys(answers, 1)),
                             ("timeout", "hung", ""))

    def test_a_crash_is_blamed_on_its_test_and_the_suite_goes_on_without_it(self):
        runs = {("one", ()): (-11, "[ RUN      ] A.a\n[  FAILED  ] A.a (0 ms)\n[ RUN      ] A.b\n"),
                ("one", ("--gtest_filter=-A.a:A.b",)): (0, "[ RUN      ] A.c\n[  FAILED  ] A.c (0 ms)\n"),
                ("two", ()): (-6, "loading failed\n"), ("three", ()): (1, "[ RUN      ] A.a\n[       OK ] A.a\n")}

        def run_suite(graph, suite, timeout, flags):
            code, output = runs[suite, flags[len(mutate.FULL_RUN):]]
            mutate.TEST_LOG.write_text(output)
            return code

        with tempfile.TemporaryDirectory() as folder, \
                unittest.mock.patch.multiple(mutate, run_suite=run_suite, TEST_LOG=Path(folder) / "log"):
            self.assertEqual(mutate.run_all_suites(["one", "two", "three"], None, {"one": 1, "two": 1, "three": 1}),
                             ("killed", "one:A.a one:A.b one:A.c two:(SIGABRT) three:(exit=1)", ""))


if __name__ == "__main__":
    unittest.main()
