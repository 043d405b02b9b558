"""upgrade-odds end to end: its CSV against odds counted here from the draw
rules, its chance line against the simulator's, and every usage error."""

import os
import shutil
import subprocess
import tempfile
from fractions import Fraction
from functools import lru_cache

import harness
from harness import SimulatorTestCase, base_env, ini_text, main, run_simulator

STONE_FACTORS = [Fraction(1, 8), 1, 2, Fraction(5, 2), 3, 6, 10]
SETTINGS = {
    "SuccessProb.ini": ini_text(lambda g, u: 100 + 13 * g - 9 * u),
    "DestroyProb.ini": ini_text(lambda g, u: 500 * g + u),
    "DowngradeProb.ini": ini_text(lambda g, u: 2768 + 700 * u - g),
}


@lru_cache(maxsize=None)
def success_pairs(chance):
    """Pairs (a, b) with ((a << 16) + b) % 100000 < chance, a by a."""
    if chance <= 0:
        return 0
    if chance >= 100000:
        return 1 << 30
    total = 0
    for a in range(32768):
        start = (a << 16) % 100000
        # b runs over start .. start + 32767, which wraps past 99999 at most once.
        unwrapped = range(start, min(start + 32768, 100000))
        total += len(range(unwrapped.start, min(unwrapped.stop, chance)))
        if start + 32768 > 100000:
            total += min(chance, start + 32768 - 100000)
    return total


def draws_below(value):
    return sum(1 for c in range(32768) if c % 10000 < value)


def outcome_shares(chance, destroy, downgrade):
    s, dc, gc = Fraction(success_pairs(chance), 1 << 30), Fraction(draws_below(destroy), 32768), \
        Fraction(draws_below(downgrade), 32768)
    return [s, (1 - s) * dc, (1 - s) * (1 - dc) * gc, (1 - s) * (1 - dc) * (1 - gc)]


def chance_of(weight, stones, level):
    return int(weight * sum(STONE_FACTORS[t] for t in stones) * 3000) // (4 * level)


def cell(name, grade, taliks):
    values = {"SuccessProb.ini": lambda g, u: 100 + 13 * g - 9 * u,
              "DestroyProb.ini": lambda g, u: 500 * g + u,
              "DowngradeProb.ini": lambda g, u: 2768 + 700 * u - g}
    return values[name](grade, taliks)


def run_odds(args, settings=SETTINGS, env=None):
    workdir = tempfile.mkdtemp(prefix="upgrade-odds-e2e-")
    try:
        if settings is not None:
            os.mkdir(os.path.join(workdir, "CustomSettings"))
            for name, text in settings.items():
                with open(os.path.join(workdir, "CustomSettings", name), "w") as f:
                    f.write(text)
        return subprocess.run([*harness.EMULATOR, harness.ODDS_EXE, *args], cwd=workdir,
                              stdin=subprocess.DEVNULL, capture_output=True,
                              env=base_env(**(env or {})), timeout=60)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


def csv_rows(proc):
    text = proc.stdout.decode("ascii")
    assert "\r" not in text, "CSV lines end in LF alone"
    lines = text.split("\n")
    assert lines[-1] == "", "the last line ends with a line break"
    return [line.split(",") for line in lines[:-1]]


class OddsTestCase(SimulatorTestCase):
    def assertShares(self, fields, shares):
        for field, share in zip(fields, shares):
            self.assertEqual(Fraction(field), share)  # exact: a finite binary fraction


class SetUpCsv(OddsTestCase):
    def test_one_set_up_against_the_counted_odds(self):
        for args in (["3", "2", "50", "1", "3", "3", "2", "0"], ["100", "10", "1", "6", "6", "6", "6", "6"],
                     ["1", "0", "65", "0", "0", "0", "0", "0"], ["+7", "4", "13", "3", "5", "1", "0", "2"]):
            with self.subTest(args=args):
                proc = run_odds(["--csv", *args])
                self.assertEqual((proc.returncode, proc.stderr), (0, b""))
                header, row = csv_rows(proc)
                self.assertEqual(header, ["attempts", "item_grade", "item_level", "talik_count",
                                          "stone_factor_sum", "chance", "shown_percent", "success",
                                          "item_destroyed", "taliks_destroyed", "failed",
                                          "at_least_one_success", "expected_successes",
                                          "expected_items_destroyed", "expected_taliks_destroyed",
                                          "expected_failures"])
                attempts, grade, level, taliks, *stones = (int(a) for a in args)
                stone_sum = sum(STONE_FACTORS[t] for t in stones)
                chance = chance_of(cell("SuccessProb.ini", grade, taliks), stones, level)
                shares = outcome_shares(chance, cell("DestroyProb.ini", grade, taliks),
                                        cell("DowngradeProb.ini", grade, taliks))
                self.assertEqual(row[:7], [str(attempts), str(grade), str(level), str(taliks),
                                           row[4], str(chance), str(chance // 1000)])
                self.assertEqual(Fraction(row[4]), stone_sum)
                self.assertShares(row[7:11], shares)
                at_least_one = 1 - (1 - shares[0]) ** attempts
                self.assertAlmostEqual(float(row[11]) / float(at_least_one or 1), 1 if at_least_one else 0, delta=1e-14)
                for field, share in zip(row[12:], shares):
                    self.assertAlmostEqual(float(field), float(attempts * share), delta=1e-12 * attempts)
                    self.assertGreaterEqual(len(field.lstrip("0.").replace(".", "")), 12 if share else 0)

    def test_decimal_point_in_every_locale(self):
        for locale in ("ru_RU.UTF-8", "ru_RU.CP1251", "C"):
            with self.subTest(locale=locale):
                proc = run_odds(["--csv", "3", "2", "50", "1", "3", "3", "2", "0"], env={"LC_ALL": locale})
                _, row = csv_rows(proc)
                self.assertTrue(all("." in f for f in row[7:]), row)

    def test_no_custom_settings(self):
        _, row = csv_rows(run_odds(["--csv", "5", "3", "1", "2", "6", "6", "6", "6"], settings=None))
        self.assertEqual(row[5:11], ["0", "0", "0", "0", "0", "1"])
        only_destroy = {"DestroyProb.ini": ini_text(lambda g, u: 5000)}
        _, row = csv_rows(run_odds(["--csv", "5", "3", "1", "2", "6", "6", "6", "6"], settings=only_destroy))
        self.assertShares(row[7:11], [0, Fraction(17768, 32768), 0, Fraction(15000, 32768)])


class Table(OddsTestCase):
    def test_table_csv_against_the_counted_odds(self):
        proc = run_odds(["--csv", "--table", "50", "3", "3", "2", "0"])
        rows = csv_rows(proc)
        self.assertEqual(rows[0], ["item_grade", "talik_count", "chance", "shown_percent", "success",
                                   "item_destroyed", "taliks_destroyed", "failed"])
        self.assertEqual(len(rows), 78)
        for (grade, taliks), row in zip(((g, u) for g in range(11) for u in range(7)), rows[1:]):
            chance = chance_of(cell("SuccessProb.ini", grade, taliks), (3, 3, 2, 0), 50)
            self.assertEqual(row[:4], [str(grade), str(taliks), str(chance), str(chance // 1000)])
            self.assertShares(row[4:], outcome_shares(chance, cell("DestroyProb.ini", grade, taliks),
                                                      cell("DowngradeProb.ini", grade, taliks)))

    def test_human_table_names_every_grade(self):
        proc = run_odds(["--table", "50", "3", "3", "2", "0"])
        text = proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8")
        for grade, name in enumerate(["Белое", "Интовое", "Фиолетовое", "Стринт", "Синий реликт",
                                      "Антиграв", "Голубой реликт", "Зелёный реликт", "Леон",
                                      "Пвп оружие", "красное"]):
            self.assertIn(f" {grade}:{name}", text)
        chance = chance_of(cell("SuccessProb.ini", 2, 1), (3, 3, 2, 0), 50)
        self.assertIn(f"{float(outcome_shares(chance, 0, 0)[0]) * 100:.2f}", text)


class HumanOutput(OddsTestCase):
    def test_chance_line_is_the_simulators(self):
        for answers in (["3", "2", "50", "1", "3", "3", "2", "0"], ["1", "7", "1", "0", "0", "6", "6", "6"],
                        ["2", "0", "65", "6", "0", "0", "0", "0"]):
            with self.subTest(answers=answers):
                sim = run_simulator(" ".join(answers), SETTINGS)
                odds = run_odds(answers)
                self.assertEqual(odds.returncode, 0)
                chance_line = odds.stdout.splitlines(keepends=True)[0]
                self.assertIn(chance_line, sim.stdout.splitlines(keepends=True))
                text = odds.stdout.decode("cp1251" if harness.WINDOWS else "utf-8")
                for line in ("+ Модификация успешна", "- Предмет уничтожен", "- Талики уничтожены",
                             "- Модификация неудачна"):
                    self.assertIn(line, text)

    def test_help_and_version(self):
        for option in ("--help", "--version"):
            with self.subTest(option=option):
                proc = run_odds([option])
                self.assertEqual((proc.returncode, proc.stderr), (0, b""))
                self.assertTrue(proc.stdout)
        self.assertIn(b"1.0.0", run_odds(["--version"]).stdout)


class BadUsage(OddsTestCase):
    def test_every_usage_error_exits_2_with_empty_stdout(self):
        cases = [[], ["3"], ["3", "2", "50", "1", "3", "3", "2"], ["3", "2", "50", "1", "3", "3", "2", "0", "0"],
                 ["0", "2", "50", "1", "3", "3", "2", "0"], ["101", "2", "50", "1", "3", "3", "2", "0"],
                 ["3", "11", "50", "1", "3", "3", "2", "0"], ["3", "-1", "50", "1", "3", "3", "2", "0"],
                 ["3", "2", "66", "1", "3", "3", "2", "0"], ["3", "2", "50", "7", "3", "3", "2", "0"],
                 ["3", "2", "50", "1", "7", "3", "2", "0"], ["3", "2", "50", "1", "3", "3", "2", "x"],
                 ["3", "2", "50", "1", "3", "3", "2", "1.5"], ["3", "2", "50", "1", "3", "3", "2", "99999999999"],
                 ["3", "2", "50", "1", "3", "3", "2", "+-1"], ["3", "2", "50", "1", "3", "3", "2", ""],
                 ["--table", "50", "3", "3", "2"], ["--table", "0", "3", "3", "2", "0"],
                 ["--bogus", "3", "2", "50", "1", "3", "3", "2", "0"], ["--csv"]]
        for args in cases:
            with self.subTest(args=args):
                proc = run_odds(args)
                self.assertEqual(proc.returncode, 2)
                self.assertEqual(proc.stdout, b"")
                message = proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8")
                self.assertTrue(message.startswith("upgrade-odds: "), message)
                self.assertIn("Использование: upgrade-odds", message)


if __name__ == "__main__":
    main()
