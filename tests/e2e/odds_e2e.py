"""upgrade-odds end to end: its CSV against odds counted here from the draw
rules, its chance line against the simulator's, and every usage error."""

import math
import os
import re
import subprocess
from fractions import Fraction
from functools import lru_cache

import harness
from harness import SimulatorTestCase, base_env, ini_text, main, run_simulator, work_folder

STONE_FACTORS = [Fraction(1, 8), 1, 2, Fraction(5, 2), 3, 6, 10]
SETTINGS = {
    "SuccessProb.ini": ini_text(lambda g, u: 100 + 13 * g - 9 * u),
    "DestroyProb.ini": ini_text(lambda g, u: 500 * g + u),
    "DowngradeProb.ini": ini_text(lambda g, u: 2768 + 700 * u - g),
}

USAGE_RU = """Использование:
  upgrade-odds [--csv] ПОПЫТКИ ТИП УРОВЕНЬ ТАЛИКИ К1 К2 К3 К4
  upgrade-odds [--csv] --table УРОВЕНЬ К1 К2 К3 К4
  upgrade-odds [--csv] --plan ТИП УРОВЕНЬ ЦЕЛЬ К1 К2 К3 К4
  upgrade-odds [--csv] --plan --stones Н0,Н1,... ТИП УРОВЕНЬ ЦЕЛЬ
  upgrade-odds [--csv] --plan --prices Ц1,Ц2,Ц3,Ц4,Ц5,Ц6
               [--attempt-price Ц] [--item-price Ц] [--budget Б]
               ТИП УРОВЕНЬ ЦЕЛЬ
               [К1 К2 К3 К4 | --stones Н0,Н1,...]
  upgrade-odds [--csv] --check
  upgrade-odds -h | --help | -V | --version
"""


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


def run_odds(args, settings=SETTINGS, env=None, extra_files=None):
    with work_folder(settings, extra_files, prefix="upgrade-odds-e2e-") as workdir:
        return subprocess.run([*harness.EMULATOR, harness.ODDS_EXE, *args], cwd=workdir,
                              stdin=subprocess.DEVNULL, capture_output=True,
                              env=base_env(**(env or {})), timeout=60)


def example_tables():
    examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                            "CustomSettings")
    settings = {}
    for name in ("SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"):
        with open(os.path.join(examples, name), "rb") as f:
            settings[name] = f.read()
    return settings


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
                     ["1", "0", "65", "0", "0", "0", "0", "0"], ["+7", "4", "13", "3", "5", "1", "0", "2"],
                     ["100", "0", "65", "-0", "0", "0", "0", "0"]):
            with self.subTest(args=args):
                proc = run_odds(["--csv", *args])
                self.assertEqual((proc.returncode, proc.stderr), (0, b""))
                header, row = csv_rows(proc)
                self.assertEqual(header, ["attempts", "item_grade", "item_level", "talik_count",
                                          "stone_factor_sum", "chance", "shown_percent", "success",
                                          "item_destroyed", "taliks_destroyed", "failed",
                                          "at_least_one_success", "expected_successes",
                                          "expected_items_destroyed", "expected_taliks_destroyed",
                                          "expected_failures", "success_before_item_destroyed",
                                          "item_destroyed_within_attempts"])
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
                self.assertAlmostEqual(float(row[11]) / float(at_least_one or 1), 1 if at_least_one else 0,
                                       delta=2e-16)
                for field, share in zip(row[12:16], shares):
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

    def test_human_table_columns_line_up_in_characters(self):
        text = run_odds(["--table", "50", "3", "3", "2", "0"]).stdout.decode(
            "cp1251" if harness.WINDOWS else "utf-8")
        header, *rows = text.splitlines()[1:]
        self.assertEqual(len(rows), 11)
        # A name column of 19 characters, then 7 columns of 8, right-aligned.
        self.assertEqual(header[19:].split(), [str(t) for t in range(7)])
        for line in [header] + rows:
            self.assertEqual(len(line), 19 + 7 * 8, line)
            for column in range(7):
                field = line[19 + 8 * column:19 + 8 * (column + 1)]
                self.assertRegex(field, r"^ +[0-9.]+$", line)

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

    def test_report_figures_against_the_counted_odds(self):
        for args in (["3", "2", "50", "1", "3", "3", "2", "0"], ["100", "10", "1", "6", "6", "6", "6", "6"]):
            with self.subTest(args=args):
                proc = run_odds(args)
                text = proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8").replace("\r\n", "\n")
                attempts, grade, level, taliks, *stones = (int(a) for a in args)
                chance = chance_of(cell("SuccessProb.ini", grade, taliks), stones, level)
                shares = outcome_shares(chance, cell("DestroyProb.ini", grade, taliks),
                                        cell("DowngradeProb.ini", grade, taliks))
                one_attempt, series = text.split("Одна попытка:\n")[1].split("Число попыток:")
                names = ("+ Модификация успешна", "- Предмет уничтожен", "- Талики уничтожены",
                         "- Модификация неудачна")
                expected_counts = series.split("В среднем исходов:\n")[1]
                for name, share in zip(names, shares):
                    self.assertRegex(one_attempt, rf"  {re.escape(name)} +{float(100 * share):.4f} %\n")
                    self.assertRegex(expected_counts, rf"  {re.escape(name)} +{float(attempts * share):.4f}\n")
                at_least_one = 1 - (1 - shares[0]) ** attempts
                self.assertIn(f"{float(100 * at_least_one):.4f} %", series)

    def test_missing_tables_are_named_on_standard_error(self):
        only_success = {"SuccessProb.ini": SETTINGS["SuccessProb.ini"]}
        for settings, missing in ((None, ["SuccessProb", "DestroyProb", "DowngradeProb"]),
                                  (only_success, ["DestroyProb", "DowngradeProb"])):
            with self.subTest(missing=missing):
                proc = run_odds(["--csv", "3", "2", "50", "1", "3", "3", "2", "0"], settings=settings)
                self.assertEqual(proc.returncode, 0)
                lines = proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8").splitlines()
                self.assertEqual(len(lines), len(missing), lines)
                for line, name in zip(lines, missing):
                    self.assertTrue(line.startswith(f"upgrade-odds: не найден CustomSettings/{name}.ini в "),
                                    line)
                    self.assertTrue(line.endswith(": все значения 0"), line)
                self.assertEqual(len(csv_rows(proc)), 2)  # the CSV itself as always

    def test_a_table_that_is_not_a_file_is_named_for_what_it_is(self):
        only_success = {"SuccessProb.ini": SETTINGS["SuccessProb.ini"]}
        folder = lambda workdir: os.mkdir(os.path.join(workdir, "CustomSettings", "DestroyProb.ini"))
        proc = run_odds(["--table", "50", "3", "3", "2", "0"], settings=only_success, extra_files=folder)
        self.assertEqual(proc.returncode, 0)
        lines = proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8").splitlines()
        self.assertEqual(len(lines), 2, lines)
        self.assertRegex(lines[0], r"^upgrade-odds: CustomSettings/DestroyProb\.ini в .+ - не файл, "
                                   r"а папка или устройство: все значения 0$")
        self.assertRegex(lines[1], r"^upgrade-odds: не найден CustomSettings/DowngradeProb\.ini в ")

    def test_short_options_and_the_end_of_options(self):
        self.assertEqual(run_odds(["-h"]).stdout, run_odds(["--help"]).stdout)
        self.assertEqual(run_odds(["-V"]).stdout, run_odds(["--version"]).stdout)
        self.assertEqual(run_odds(["--csv", "--", "3", "2", "50", "1", "3", "3", "2", "0"]).stdout,
                         run_odds(["--csv", "3", "2", "50", "1", "3", "3", "2", "0"]).stdout)
        help_text = run_odds(["--help"]).stdout.decode("cp1251" if harness.WINDOWS else "utf-8")
        for line in help_text.splitlines():
            self.assertLessEqual(len(line), 80, line)
        bad_stone = run_odds(["3", "2", "50", "1", "3", "9", "2", "0"]).stderr.decode(
            "cp1251" if harness.WINDOWS else "utf-8")
        self.assertIn("тип камня 2 должен быть целым числом от 0 до 6, а не «9»", bad_stone)
        bad_grade = run_odds(["3", "12", "50", "1", "3", "3", "2", "0"]).stderr.decode(
            "cp1251" if harness.WINDOWS else "utf-8")
        self.assertIn("тип оружия или брони должен быть", bad_grade)

    def test_english_help_and_manual_name_the_same_options_and_ranges(self):
        help_text = run_odds(["--help", "--lang", "en"]).stdout.decode("ascii").replace("\r\n", "\n")
        manual = open(os.path.join(os.path.dirname(__file__), "..", "..", "doc", "upgrade-sim.1"),
                      encoding="utf-8").read()
        options = set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*)", help_text))
        self.assertGreaterEqual(len(options), 11, options)
        self.assertEqual(options, set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*)",
                                                 manual.replace("\\-", "-"))))
        for low, high in re.findall(r"from (\d+) to (\d+)", help_text):
            self.assertIn(f"{low}\\(en{high}", manual)
        for line in help_text.splitlines():
            self.assertLessEqual(len(line), 80, line)

    def test_help_and_version(self):
        for option in ("--help", "--version"):
            with self.subTest(option=option):
                proc = run_odds([option])
                self.assertEqual((proc.returncode, proc.stderr), (0, b""))
                self.assertTrue(proc.stdout)
        cmake_lists = open(os.path.join(os.path.dirname(__file__), "..", "..", "CMakeLists.txt"),
                           encoding="utf-8").read()
        version = re.search(r"^project\(upgrade-sim VERSION ([0-9.]+)", cmake_lists, re.M).group(1)
        self.assertEqual(run_odds(["--version"]).stdout.replace(b"\r\n", b"\n"),
                         f"upgrade-odds {version}\n".encode())


class BadUsage(OddsTestCase):
    def test_messages_are_in_the_locales_codeset(self):
        proc = run_odds(["3", "11", "50", "1", "3", "3", "2", "0"], env={"LC_ALL": "ru_RU.KOI8-R"})
        self.assertEqual(proc.returncode, 2)
        message = proc.stderr.decode("koi8-r")
        self.assertTrue(message.startswith("upgrade-odds: тип оружия или брони"), message)
        self.assertIn("Использование:\n  upgrade-odds", message)

    def test_every_usage_error_exits_2_with_its_message_and_empty_stdout(self):
        cases = [
            ([], "нужно 8 чисел, а задано 0"),
            (["3"], "нужно 8 чисел, а задано 1"),
            (["3", "2", "50", "1", "3", "3", "2"], "нужно 8 чисел, а задано 7"),
            (["3", "2", "50", "1", "3", "3", "2", "0", "0"], "нужно 8 чисел, а задано 9"),
            (["0", "2", "50", "1", "3", "3", "2", "0"],
             "число попыток должно быть целым числом от 1 до 100, а не «0»"),
            (["101", "2", "50", "1", "3", "3", "2", "0"],
             "число попыток должно быть целым числом от 1 до 100, а не «101»"),
            (["3", "11", "50", "1", "3", "3", "2", "0"],
             "тип оружия или брони должен быть целым числом от 0 до 10, а не «11»"),
            (["3", "-1", "50", "1", "3", "3", "2", "0"],
             "тип оружия или брони должен быть целым числом от 0 до 10, а не «-1»"),
            (["3", "2", "66", "1", "3", "3", "2", "0"],
             "уровень оружия или брони должен быть целым числом от 1 до 65, а не «66»"),
            (["3", "2", "50", "7", "3", "3", "2", "0"],
             "число установленных талик должно быть целым числом от 0 до 6, а не «7»"),
            (["3", "2", "50", "1", "7", "3", "2", "0"],
             "тип камня 1 должен быть целым числом от 0 до 6, а не «7»"),
            (["3", "2", "50", "1", "3", "3", "2", "x"],
             "тип камня 4 должен быть целым числом от 0 до 6, а не «x»"),
            (["3", "2", "50", "1", "3", "3", "2", "1.5"],
             "тип камня 4 должен быть целым числом от 0 до 6, а не «1.5»"),
            (["3", "2", "50", "1", "3", "3", "2", "99999999999"],
             "тип камня 4 должен быть целым числом от 0 до 6, а не «99999999999»"),
            (["3", "2", "50", "1", "3", "3", "2", "+-1"],
             "тип камня 4 должен быть целым числом от 0 до 6, а не «+-1»"),
            (["3", "2", "50", "+-0", "3", "3", "2", "0"],
             "число установленных талик должно быть целым числом от 0 до 6, а не «+-0»"),
            (["3", "2", "50", "1", "3", "3", "2", ""],
             "тип камня 4 должен быть целым числом от 0 до 6, а не «»"),
            (["3", "2", "50", "1", "3", "3", "2", "--0"], "неизвестный параметр «--0»"),
            (["--table", "50", "3", "3", "2"], "нужно 5 чисел, а задано 4"),
            (["--table", "0", "3", "3", "2", "0"],
             "уровень оружия или брони должен быть целым числом от 1 до 65, а не «0»"),
            (["--bogus", "3", "2", "50", "1", "3", "3", "2", "0"], "неизвестный параметр «--bogus»"),
            (["--csv"], "нужно 8 чисел, а задано 0"),
            (["--plan", "2", "50", "0", "3", "3", "2", "0"],
             "цель (число талик) должна быть целым числом от 1 до 7, а не «0»"),
            (["--plan", "2", "50", "8", "3", "3", "2", "0"],
             "цель (число талик) должна быть целым числом от 1 до 7, а не «8»"),
            (["--plan", "2", "50", "3", "3", "3", "2"], "нужно 7 чисел, а задано 6"),
            (["--plan", "2", "50", "3", "3", "3", "2", "7"],
             "тип камня 4 должен быть целым числом от 0 до 6, а не «7»"),
            (["--plan", "--prices", "1,2,3,4,5", "2", "50", "3"],
             "--prices: нужно 6 цен через запятую, а задано 5"),
            (["--plan", "--prices", "1,2,3,4,5,6,7", "2", "50", "3"],
             "--prices: нужно 6 цен через запятую, а задано 7"),
            (["--plan", "--prices", "1,2,3,4,5,-6", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «-6»"),
            (["--plan", "--prices", "1,2,3,4,5,x", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «x»"),
            (["--plan", "--prices", "1,2,3,4,5,1000000000001", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «1000000000001»"),
            (["--plan", "--prices", ",,,,,", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «»"),
            (["--plan", "--prices", "", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «»"),
            (["--plan", "--stones", "3320,3320", "2", "50", "3"],
             "--stones: нужно 3 наборов (по одному на 0..2 талик), а задано 2"),
            (["--plan", "--stones", "3320,3370,3320", "2", "50", "3"],
             "--stones: набор «3370» - не четыре цифры от 0 до 6"),
            (["--plan", "--stones", "3320,332,3320", "2", "50", "3"],
             "--stones: набор «332» - не четыре цифры от 0 до 6"),
            (["--plan", "--stones", "3320,33200,3320", "2", "50", "3"],
             "--stones: набор «33200» - не четыре цифры от 0 до 6"),
            (["--plan", "--stones", "3320,3320,3320", "2", "50", "3", "3", "3", "2", "0"],
             "камни задаются или числами К1..К4, или --stones, но не вместе"),
            (["--plan", "--stones", "", "2", "50", "3"], "--stones: нет ни одного набора"),
            (["--plan", "--stones=3320,3320,3320,3320,3320,3320,3320,3320", "2", "50", "3"],
             "--stones: нужно 3 наборов (по одному на 0..2 талик), а задано 8"),
            (["--stones", "3320", "2", "50", "1"], "--stones задаётся только с --plan"),
            (["--plan", "--prices"], "после --prices нужно значение"),
            (["--prices", "1,2,3,4,5,6", "2", "50", "3"], "--prices задаётся только с --plan"),
            (["--plan", "--attempt-price", "5", "2", "50", "3", "3", "3", "2", "0"],
             "--attempt-price и --item-price задаются только с --prices"),
            (["--plan", "--prices", "1,2,3,4,5,6", "--item-price", "1.5", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «1.5»"),
            (["--table", "--plan", "50", "3", "3", "2", "0"], "--table и --plan не задаются вместе"),
            (["-x", "3"], "нужно 8 чисел, а задано 2"),
            (["--check", "5"], "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--check", "--table"], "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--check", "--plan"], "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--check", "--prices", "1,2,3,4,5,6"],
             "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--check", "--item-price", "5"], "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--plan", "--prices", "1,2,3,4,5,6", "2", "50", "3", "3", "3", "2"],
             "нужно 3 чисел, а задано 6"),
            (["--plan", "--prices", "1,2,3,4,5,6", "2", "50", "3", "3"], "нужно 3 чисел, а задано 4"),
            (["--table", "50", "3", "3", "2", "0", "1"], "нужно 5 чисел, а задано 6"),
            (["--plan", "--prices=1,2,3,4,5,6", "--attempt-price=", "2", "50", "3"],
             "цена должна быть целым числом от 0 до 1000000000000, а не «»"),
            (["--plan", "--item-price", "2", "50", "3"],
             "--attempt-price и --item-price задаются только с --prices"),
            (["--", "--csv", "3", "2", "50", "1", "3", "3", "2", "0"], "нужно 8 чисел, а задано 9"),
            (["--plan", "-1", "50", "3", "3", "3", "2", "0"],
             "тип оружия или брони должен быть целым числом от 0 до 10, а не «-1»"),
            (["--plan", "--prices", "1,2,3,4,5,6", "--stones", "6630", "1", "40", "1", "3", "3", "2", "0"],
             "камни задаются или числами К1..К4, или --stones, но не вместе"),
            (["-3", "2", "50", "1", "3", "3", "2", "0"],
             "число попыток должно быть целым числом от 1 до 100, а не «-3»"),
            (["--bogus", "--help"], "неизвестный параметр «--bogus»"),
            (["--check", "--stones", "6630"], "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--check", "--attempt-price=5"], "--check задаётся без чисел и других параметров, кроме --csv"),
            (["--check", "--lang", "de"], "--lang: язык — один из ru, en, а не «de»"),
            (["--lang"], "после --lang нужно значение"),
        ]
        for args, line in cases:
            with self.subTest(args=args):
                proc = run_odds(args)
                self.assertEqual(proc.returncode, 2)
                self.assertEqual(proc.stdout, b"")
                message = proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8")
                self.assertEqual(message.replace("\r\n", "\n"),
                                 "upgrade-odds: " + line + "\n" + USAGE_RU)

    def test_usage_errors_in_english(self):
        for args, line in (
                (["--lang", "en", "3", "11", "50", "1", "3", "3", "2", "0"],
                 "the weapon or armour grade must be a whole number from 0 to 10, not «11»"),
                (["--plan", "--prices", "1,2,3", "2", "50", "3", "--lang=en"],
                 "--prices: 6 comma-separated prices are needed, not 3"),
                (["--check", "--stones", "6630", "--lang=en"],
                 "--check takes no numbers and no other options but --csv")):
            with self.subTest(args=args):
                proc = run_odds(args, env={"LC_ALL": "ru_RU.UTF-8"})
                self.assertEqual((proc.returncode, proc.stdout), (2, b""))
                message = proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8").replace("\r\n", "\n")
                self.assertEqual(message.splitlines()[0], "upgrade-odds: " + line)
                self.assertIn("\nUsage:\n  upgrade-odds", message)


def solve_exact(shares, cost, destroy_cost, renew, at_target):
    """The journey's linear system solved with exact fractions:
    x_t = cost_t + s x_(t+1) + l x_0 + d (destroy_cost + [renew] x_0) + f x_t."""
    n = len(shares)
    rows = []
    for t, (s, d, l, f) in enumerate(shares):
        row = [Fraction(0)] * (n + 1)
        row[t] += 1 - f
        if t + 1 < n:
            row[t + 1] -= s
        row[0] -= l + (d if renew else 0)
        row[n] = cost[t] + d * destroy_cost + (s * at_target if t + 1 == n else 0)
        rows.append(row)
    for col in range(n):
        pivot = next(r for r in range(col, n) if rows[r][col] != 0)
        rows[col], rows[pivot] = rows[pivot], rows[col]
        for r in range(n):
            if r != col and rows[r][col] != 0:
                factor = rows[r][col] / rows[col][col]
                rows[r] = [a - factor * b for a, b in zip(rows[r], rows[col])]
    return [rows[t][n] / rows[t][t] for t in range(n)]


def attempts_for(shares, start, level):
    """Steps the chain with new items one attempt at a time, exactly."""
    n = len(shares)
    v = [Fraction(0)] * (n + 1)
    v[start] = Fraction(1)
    for attempts in range(1, 10000):
        nxt = [Fraction(0)] * (n + 1)
        nxt[n] = v[n]
        for t, (s, d, l, f) in enumerate(shares):
            nxt[t + 1] += v[t] * s
            nxt[0] += v[t] * (d + l)
            nxt[t] += v[t] * f
        v = nxt
        if v[n] >= level:
            return attempts
    raise AssertionError("too many attempts for the test")


PLAN_HEADER = ["talik_count", "stones", "stone_factor_sum", "chance", "success", "item_destroyed",
               "taliks_destroyed", "failed", "reach_probability", "expected_attempts",
               "expected_attempts_with_new_items", "expected_items_destroyed", "attempts_for_50",
               "attempts_for_90", "attempts_for_99", "expected_cost", "items_for_50", "items_for_90",
               "items_for_99", "budget_for_50", "budget_for_90", "budget_for_99",
               *[f"expected_stones_t{k}" for k in range(1, 7)], "budget_rel_error",
               "reach_within_budget"]


def items_for(reach, destroy, start, level):
    """The fewest destroyed items for level, counting item after item exactly."""
    within, renewed = reach[start], destroy[start]
    for k in range(0, 100000):
        if within >= level:
            return k
        within += renewed * reach[0]
        renewed *= destroy[0]
    raise AssertionError("too many items for the test")


def budgets_by_direct_pass(shares, costs, item_price, levels):
    """P(total spent <= b) for b = 0, 1, ... whole units, forward, in floats:
    F_t(b) = s F_(t+1)(b-c) + l F_0(b-c) + d F_0(b-c-i) + f F_t(b-c), F_n = 1."""
    n = len(shares)
    f = []
    found = [[None] * len(levels) for _ in range(n)]
    b = 0
    while any(x is None for row in found for x in row):
        row = []
        for t, (s, d, l, fl) in enumerate(shares):
            def at(u, back):
                if b - back < 0:
                    return 0.0
                return 1.0 if u == n else f[b - back][u]
            c = costs[t]
            row.append(float(s) * at(t + 1, c) + float(l) * at(0, c) + float(d) * at(0, c + item_price)
                       + float(fl) * at(t, c))
        f.append(row)
        for t in range(n):
            for k, level in enumerate(levels):
                if found[t][k] is None and row[t] >= level:
                    found[t][k] = b
        b += 1
    return found


class Plan(OddsTestCase):
    def assertClose(self, field, exact):
        self.assertAlmostEqual(float(field) / float(exact), 1.0, delta=1e-12)

    def check_plan(self, rows, grade, level, stones_of_row, prices=None):
        self.assertEqual(rows[0], PLAN_HEADER)
        target = len(rows) - 1
        shares = []
        for t in range(target):
            stones = stones_of_row[t]
            chance = chance_of(cell("SuccessProb.ini", grade, t), stones, level)
            shares.append(outcome_shares(chance, cell("DestroyProb.ini", grade, t),
                                         cell("DowngradeProb.ini", grade, t)))
        n = range(target)
        reach = solve_exact(shares, [0 for _ in n], 0, False, 1)
        attempts = solve_exact(shares, [1 for _ in n], 0, False, 0)
        renewed = solve_exact(shares, [1 for _ in n], 0, True, 0)
        items = solve_exact(shares, [0 for _ in n], 1, True, 0)
        for t, row in enumerate(rows[1:]):
            stones = stones_of_row[t]
            self.assertEqual(row[0], str(t))
            self.assertEqual(row[1], "".join(str(x) for x in sorted(stones, reverse=True)))
            self.assertEqual(Fraction(row[2]), sum(STONE_FACTORS[x] for x in stones))
            self.assertEqual(row[3], str(chance_of(cell("SuccessProb.ini", grade, t), stones, level)))
            self.assertShares(row[4:8], shares[t])
            self.assertClose(row[8], reach[t])
            self.assertClose(row[9], attempts[t])
            self.assertClose(row[10], renewed[t])
            if items[t]:
                self.assertClose(row[11], items[t])
            else:
                self.assertEqual(Fraction(row[11]), 0)
            self.assertEqual(row[12:15], [str(attempts_for(shares, t, Fraction(p, 100))) for p in (50, 90, 99)])
            if prices is None:
                self.assertEqual(row[15], "")
        destroy = solve_exact(shares, [0 for _ in n], 1, False, 0)
        for t, row in enumerate(rows[1:]):
            self.assertEqual(row[16:19], [str(items_for(reach, destroy, t, Fraction(p, 100)))
                                          for p in (50, 90, 99)])
        for tier in range(1, 7):
            used = solve_exact(shares, [sum(1 for x in stones_of_row[t] if x == tier) for t in n], 0, True, 0)
            for t, row in enumerate(rows[1:]):
                if used[t]:
                    self.assertClose(row[21 + tier], used[t])
                else:
                    self.assertEqual(row[21 + tier], "0")
        if prices is not None:
            stone_prices, attempt_price, item_price = prices
            costs = [attempt_price + sum(stone_prices[x - 1] for x in stones_of_row[t] if x) for t in n]
            cost = solve_exact(shares, costs, item_price, True, 0)
            budgets = budgets_by_direct_pass(shares, costs, item_price, (0.5, 0.9, 0.99))
            for t, row in enumerate(rows[1:]):
                self.assertClose(row[15], cost[t])
                self.assertEqual(row[19:22], [str(b) for b in budgets[t]])
                self.assertEqual(row[28:], ["0", ""])  # exact; no budget of the player's
        else:
            for row in rows[1:]:
                self.assertEqual(row[19:22], ["", "", ""])
                self.assertEqual(row[28:], ["", ""])

    def test_fixed_stones_against_exact_fractions(self):
        for grade, level, target, stones in ((2, 65, 3, (6, 6, 6, 6)), (7, 65, 5, (6, 6, 5, 5)), (0, 60, 1, (3, 3, 2, 0))):
            with self.subTest(grade=grade, target=target):
                proc = run_odds(["--csv", "--plan", str(grade), str(level), str(target), *map(str, stones)])
                self.assertEqual((proc.returncode, proc.stderr), (0, b""))
                rows = csv_rows(proc)
                self.assertEqual(len(rows), target + 1)
                self.check_plan(rows, grade, level, [stones] * target)

    def test_stones_chosen_by_price_cost_what_they_say(self):
        stone_prices, attempt_price, item_price = (1, 2, 4, 8, 30, 100), 3, 2000
        proc = run_odds(["--csv", "--plan", "--prices", ",".join(map(str, stone_prices)),
                         "--attempt-price", str(attempt_price), f"--item-price={item_price}", "4", "65", "4"])
        self.assertEqual((proc.returncode, proc.stderr), (0, b""))
        rows = csv_rows(proc)
        stones = [tuple(int(x) for x in row[1]) for row in rows[1:]]
        self.check_plan(rows, 4, 65, stones, (stone_prices, attempt_price, item_price))

    def test_the_chance_within_a_budget(self):
        args = ["--plan", "--prices", "1,2,5,10,20,50", "--attempt-price", "1", "--item-price", "100",
                "2", "50", "6"]
        plain = csv_rows(run_odds(["--csv", *args]))
        self.assertEqual([row[28:] for row in plain[1:]], [["0", ""]] * 6)  # exact, no budget asked
        budget = int(plain[1][20])  # for 90 % from 0 taliks
        rows = csv_rows(run_odds(["--csv", "--budget", str(budget), *args]))
        chances = [float(row[29]) for row in rows[1:]]
        self.assertTrue(all(0 < c <= 1 for c in chances), chances)
        # The 90 % budget suffices with at least 90 %, one less does not.
        self.assertGreaterEqual(chances[0], 0.9)
        below = csv_rows(run_odds(["--csv", "--budget", str(budget - 1), *args]))
        self.assertLess(float(below[1][29]), 0.9)
        text = run_odds(["--budget", "40000", *args]).stdout.decode("cp1251" if harness.WINDOWS else "utf-8")
        self.assertIn("Шанс в бюджете*", text)
        self.assertIn("потратив не больше 40000,\n  с новыми предметами", text)
        # Every line of the report, its legend too, within 80 columns, in
        # both languages, with the largest budget.
        for lang in ("ru", "en"):
            report = run_odds(["--lang", lang, "--plan", "--prices", "10,20,40,80,200,1000",
                               "--attempt-price", "5", "--item-price", "5000", "--budget",
                               "1000000000000", "5", "50", "7"]).stdout.decode(
                                   "cp1251" if harness.WINDOWS else "utf-8", "replace")
            for line in report.splitlines():
                self.assertLessEqual(len(line), 80, line)
        for wrong in ("-1", "1000000000001", "1.5", "x"):
            proc = run_odds(["--budget", wrong, *args])
            self.assertEqual(proc.returncode, 2, wrong)
            self.assertEqual(proc.stdout, b"")
            message = proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8").splitlines()[0]
            self.assertEqual(message, f"upgrade-odds: бюджет должен быть целым числом от 0 до 1000000000000, "
                                      f"а не «{wrong}»")
        proc = run_odds(["--plan", "--budget", "5", "2", "50", "6", "0", "0", "0", "0"])
        self.assertEqual(proc.returncode, 2)
        self.assertIn("--budget задаётся только с --prices",
                      proc.stderr.decode("cp1251" if harness.WINDOWS else "utf-8"))

    def test_the_longest_journeys_have_a_budget_at_every_item_price(self):
        # Journeys of 10^13 attempts and more, priced from the attempts' to
        # far beyond them: every journey ends, and each budget is within its
        # bound.
        for item_price in ("5000", "1000000", "1000000000000"):
            with self.subTest(item_price=item_price):
                rows = csv_rows(run_odds(["--csv", "--plan", "--prices", "10,20,40,80,200,1000",
                                          "--attempt-price", "5", "--item-price", item_price,
                                          "10", "65", "7", "0", "0", "0", "0"]))
                for row in rows[1:]:
                    for budget in row[19:22]:
                        self.assertRegex(budget, r"^[1-9][0-9]{12,}$")
                    self.assertLessEqual(float(row[28]), 1e-3)
                    self.assertGreater(float(row[28]), 0)
        # The example tables: a journey whose attempts for 90 % are never
        # counted still has its budgets, at an item price of 10^12.
        rows = csv_rows(run_odds(["--csv", "--plan", "--prices", "10,20,40,80,200,1000",
                                  "--attempt-price", "5", "--item-price", "1000000000000",
                                  "10", "65", "7", "0", "0", "0", "0"], settings=example_tables()))
        for row in rows[1:]:
            self.assertEqual(row[13], "")
            for budget in row[19:22]:
                self.assertRegex(budget, r"^[1-9][0-9]{27,}$")
            self.assertLessEqual(float(row[28]), 1e-3)
        # Costs of 28 digits widen their column rather than run into the one before.
        text = run_odds(["--plan", "--prices", "10,20,40,80,200,1000", "--attempt-price", "5",
                         "--item-price", "1000000000000", "10", "65", "7", "0", "0", "0", "0"]).stdout
        lines = text.decode("cp1251" if harness.WINDOWS else "utf-8").splitlines()
        table = lines[lines.index("") + 1:][:8]
        self.assertEqual(len({len(line) for line in table}), 1, table)
        for line in table[1:]:
            self.assertRegex(line, r" [0-9]{20,}$")

    def test_a_dear_item_keeps_its_budgets_within_a_tenth_of_a_percent(self):
        # The example tables, stones of 10 to 1000, attempt 5: each least
        # budget counted unit by unit on the lattice of 5 by a plain recursion
        # of its own, 10^8 to 10^9 rows (scripts/budget-truth.sh), outside
        # this suite. Grade 5 to 7 taliks with an item of 10^6, where a life's
        # attempts are long beside the item; grade 2 to 6 with one of 10^8,
        # where they are short; the player's own dear stones with a cheap
        # item, where a strip of the lattice brackets every budget.
        plans = {("5000", "5", "50", "7", "6", "6", "3", "0"): [
                     (55151170, 183168300, 366319420), (55146475, 183163625, 366314765),
                     (55135995, 183153115, 366304235), (55103540, 183120690, 366271830),
                     (54971985, 182989155, 366140310), (54215490, 182232610, 365383730),
                     (47742535, 175759715, 358910870)],
                 ("1000000", "5", "50", "7"): [
                     (79206870, 264153850, 528760110), (79206360, 264153340, 528759595),
                     (79141060, 264084485, 528690740), (78925760, 263867010, 528473265),
                     (78224995, 263177765, 527784030), (75495655, 260453395, 525059645),
                     (60347660, 245313115, 509919385)],
                 ("100000000", "2", "50", "6"): [
                     (400170465, 1300849700, 2701403480), (400170115, 1300849315, 2701403090),
                     (400155390, 1300833410, 2701379220), (300461905, 1300783005, 2701273660),
                     (300252600, 1300618500, 2601720745), (200131200, 1100900540, 2501467570)]}
        for (item, *journey), truth in plans.items():
            with self.subTest(item=item, journey=journey):
                args = ["--csv", "--plan", "--prices", "10,20,40,80,200,1000", "--attempt-price",
                        "5", "--item-price", item, "--budget", str(truth[0][1]), *journey]
                rows = csv_rows(run_odds(args, settings=example_tables()))
                self.assertEqual(len(rows) - 1, len(truth))
                for row, least in zip(rows[1:], truth):
                    bound = float(row[28])
                    self.assertLessEqual(bound, 1e-3)
                    for shown, true in zip(row[19:22], least):
                        self.assertGreaterEqual(int(shown), true, row)
                        self.assertLessEqual((int(shown) - true) / true, bound, row)
                # 90 % from 0 taliks is reached exactly at that budget: the
                # chance within it is a lower bound of 90 %, and a close one
                # (less the lives' stray below the budget).
                within = float(rows[1][29])
                self.assertGreater(within, 0.88)
                self.assertLessEqual(within, 0.9 + 1e-6)

    def test_dear_stones_beside_free_ones_keep_their_budgets_within_a_tenth_of_a_percent(self):
        # A stone of 10^12 at two counts, free ones and cheap ones at the
        # others, an item of 5 000: the walk's tail is its decay's, but no
        # ring holds a step of 10^12 in units of 1, and the coarse passes
        # bracket every budget within the bound. A budget buys at least the
        # items it takes and the cheapest attempt's cost for its attempts.
        args = ["--csv", "--plan", "--stones", "5632,2454,6046,6161,6436,0664", "--prices",
                "1000000000000,10,100,24000,7,0", "--item-price", "5000", "9", "9", "6"]
        rows = csv_rows(run_odds(args, settings=example_tables()))
        self.assertEqual(len(rows) - 1, 6)
        for row in rows[1:]:
            self.assertLessEqual(float(row[28]), 1e-3, row)
            for level in range(3):
                budget, items = int(row[19 + level]), int(row[16 + level])
                self.assertGreaterEqual(budget, 5000 * items, row)
                self.assertGreaterEqual(budget, 7 * int(row[12 + level]), row)

    def test_no_tables_no_journey(self):
        proc = run_odds(["--csv", "--plan", "3", "10", "2", "6", "6", "6", "6"], settings=None)
        rows = csv_rows(proc)
        for row in rows[1:]:
            self.assertEqual(row[8], "0")  # never reached
            self.assertEqual(row[9:22], [""] * 13)  # never ends: no figure
            self.assertEqual(row[22:28], ["0"] * 5 + [""])  # only the tier it uses, for ever
            self.assertEqual(row[28:], ["", ""])
        text = run_odds(["--plan", "3", "10", "2", "6", "6", "6", "6"], settings=None).stdout
        self.assertIn("никогда", text.decode("cp1251" if harness.WINDOWS else "utf-8"))

    def test_human_plan_fits_80_columns(self):
        for args in (["--plan", "10", "65", "7", "6", "6", "6", "6"],
                     ["--plan", "--prices", "1,2,3,4,5,6", "--item-price", "1000000000000", "10", "65", "7"]):
            with self.subTest(args=args):
                proc = run_odds(args)
                self.assertEqual(proc.returncode, 0)
                text = proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8")
                self.assertIn("красное", text)
                for line in text.splitlines():
                    self.assertLessEqual(len(line), 80, line)
                # The journey, then the items and budget a player stocks up by.
                self.assertEqual(len([l for l in text.splitlines() if l[:2].strip().isdigit()]), 14)

    def test_risk_to_the_item_in_the_set_up_report(self):
        _, row = csv_rows(run_odds(["--csv", "100", "10", "65", "6", "6", "6", "6", "6"]))
        chance = chance_of(cell("SuccessProb.ini", 10, 6), (6, 6, 6, 6), 65)
        s, d, l, f = outcome_shares(chance, cell("DestroyProb.ini", 10, 6), cell("DowngradeProb.ini", 10, 6))
        self.assertClose(row[16], s / (s + d) * (1 - (1 - s - d) ** 100))
        self.assertClose(row[17], 1 - (1 - d) ** 100)

    def test_a_strategy_of_ones_own_beside_the_cheapest(self):
        stone_prices, attempt_price, item_price = (1, 2, 3, 4, 5, 6), 1, 10
        price_words = ["--prices", ",".join(map(str, stone_prices)), "--attempt-price", str(attempt_price),
                       "--item-price", str(item_price)]
        own = [(6, 6, 3, 0), (2, 2, 0, 0), (5, 1, 0, 0)]
        proc = run_odds(["--csv", "--plan", *price_words, "--stones", "6630,0220,1005", "1", "40", "3"])
        self.assertEqual((proc.returncode, proc.stderr), (0, b""))
        rows = csv_rows(proc)
        self.check_plan(rows, 1, 40, own, (stone_prices, attempt_price, item_price))
        cheapest = csv_rows(run_odds(["--csv", "--plan", *price_words, "1", "40", "3"]))
        self.assertLessEqual(float(cheapest[1][15]), float(rows[1][15]))
        fixed = csv_rows(run_odds(["--csv", "--plan", *price_words, "1", "40", "3", "6", "6", "3", "0"]))
        self.check_plan(fixed, 1, 40, [(6, 6, 3, 0)] * 3, (stone_prices, attempt_price, item_price))
        text = run_odds(["--plan", "--stones", "6630,0220,1005", "1", "40", "3"]).stdout.decode(
            "cp1251" if harness.WINDOWS else "utf-8")
        self.assertIn("Камни по шагам от 0 талик: 6630, 2200, 5100", text.replace("\r\n", "\n"))

    def test_budgets_scale_with_the_prices_and_follow_the_attempts(self):
        words = ["--csv", "--plan", "--prices", "1,2,5,10,20,50", "--attempt-price", "1", "--item-price", "100",
                 "2", "50", "6"]
        base = csv_rows(run_odds(words))
        scaled_words = ["--csv", "--plan", "--prices", "1000000,2000000,5000000,10000000,20000000,50000000",
                        "--attempt-price", "1000000", "--item-price", "100000000", "2", "50", "6"]
        scaled = csv_rows(run_odds(scaled_words))
        for a, b in zip(base[1:], scaled[1:]):
            self.assertEqual([int(x) * 1000000 for x in a[19:22]], [int(x) for x in b[19:22]])
            self.assertEqual(a[1], b[1])
        # Free attempts, one price an item: the budget is that price times
        # the items.
        rows = csv_rows(run_odds(["--csv", "--plan", "--prices", "0,0,0,0,0,0", "--item-price", "100",
                                  "2", "50", "6", "3", "3", "2", "0"]))
        for row in rows[1:]:
            self.assertEqual(row[19:22], [str(100 * int(x)) for x in row[16:19]])
        # Free stones and items, one price an attempt: the budget is that
        # price times the attempts, at any length.
        for grade, level in ((2, 50), (9, 65)):
            rows = csv_rows(run_odds(["--csv", "--plan", "--prices", "0,0,0,0,0,0", "--attempt-price", "7",
                                      str(grade), str(level), "7", "0", "0", "0", "0"]))
            for row in rows[1:]:
                self.assertEqual(row[19:22], [str(7 * int(x)) for x in row[12:15]])

    def test_check_of_the_tables_files(self):
        clean = run_odds(["--check"])
        self.assertEqual((clean.returncode, clean.stdout, clean.stderr), (0, b"", b""))
        broken = dict(SETTINGS)
        broken["SuccessProb.ini"] = SETTINGS["SuccessProb.ini"].replace("[ItemGrade2]", "[ItemGrade 2]")
        destroy = SETTINGS["DestroyProb.ini"].replace("\n", "\r\n")
        at = destroy.index("UpgradeLevel1=")
        broken["DestroyProb.ini"] = destroy[:at] + "UpgradeLevel1=53%\r\n" + destroy[at:]
        del broken["DowngradeProb.ini"]
        proc = run_odds(["--check"], settings=broken)
        self.assertEqual(proc.returncode, 1)
        text = proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8").replace("\r\n", "\n")
        lines = text.splitlines()
        success_line = SETTINGS["SuccessProb.ini"].split("\n").index("[ItemGrade2]") + 1
        self.assertEqual(lines[0], f"CustomSettings/SuccessProb.ini:{success_line}: раздел «[ItemGrade 2]» - "
                                   "не ItemGrade0…ItemGrade10: его ключи не читаются - может быть, ItemGrade2?")
        destroy_line = destroy[:at].count("\n") + 1
        self.assertEqual(lines[1], f"CustomSettings/DestroyProb.ini:{destroy_line}: значение «53%» UpgradeLevel1 "
                                   "в [ItemGrade0] - не простое целое число: читается как 53")
        self.assertTrue(lines[2].startswith(f"CustomSettings/DestroyProb.ini:{destroy_line + 1}: второй UpgradeLevel1"))
        self.assertEqual(lines[3:], ["CustomSettings/DowngradeProb.ini: файла нет: все значения 0",
                                     "CustomSettings/SuccessProb.ini: 1 ошибка, 0 замечаний",
                                     "CustomSettings/DestroyProb.ini: 2 ошибки, 0 замечаний",
                                     "CustomSettings/DowngradeProb.ini: 1 ошибка, 0 замечаний"])
        rows = csv_rows(run_odds(["--csv", "--check"], settings=broken))
        self.assertEqual(rows[0], ["file", "line", "finding", "section", "key", "read_as", "severity"])
        self.assertEqual(rows[2], ["CustomSettings/DestroyProb.ini", str(destroy_line), "not_plain_number",
                                   "ItemGrade0", "UpgradeLevel1", "53", "error"])
        for args in (["--check", "5"], ["--check", "--table"], ["--check", "--plan"],
                     ["--check", "--stones", "6630"], ["--check", "--item-price", "5"],
                     ["--check", "--attempt-price=5"], ["--check", "--prices", "1,2,3,4,5,6"]):
            with self.subTest(args=args):
                bad = run_odds(args)
                self.assertEqual((bad.returncode, bad.stdout), (2, b""))
                self.assertTrue(bad.stderr.decode("cp1251" if harness.WINDOWS else "utf-8").startswith(
                    "upgrade-odds: --check задаётся без чисел и других параметров, кроме --csv\n"))


def compact(value):
    """Up to 4 significant digits in at most 9 characters, as the reports
    write a narrow column's figure."""
    if value == 0:
        return "0"
    size = abs(value)
    if size >= 1e6 or size < 1e-3:
        return f"{value:.2e}"
    magnitude = math.floor(math.log10(size))
    return f"{value:.{min(max(3 - magnitude, 0), 4)}f}"


def figure(field, never="никогда"):
    """A CSV field of an expectation as the text shows it ("" is infinite)."""
    return never if field == "" else compact(float(field))


def whole(field, never="никогда"):
    """A CSV field of an expected cost as the text shows it: the nearest whole
    number at every size."""
    return never if field == "" else f"{float(field):.0f}"


def count(field, never="никогда"):
    if field == "":
        return never
    return field if int(field) < 1000000 else compact(float(field))


def percent_at_most(bound):
    """A bound on a budget's relative error as the legend says it: a percent
    of two significant digits and every whole one, rounded up."""
    percent = bound * 100
    places = max(1 - math.floor(math.log10(percent)), 0)
    whole, decimals = divmod(math.ceil(percent * 10 ** places), 10 ** places)
    return f"{whole}.{decimals:0{places}d}".rstrip("0").rstrip(".") if places else str(whole)


SLIGHTLY_ABOVE = "≈ - бюджет округлён вверх до известных цифр: его хватит, он лишь\n  немного больше точного\n"


PRICES = ["--prices", "1,20,300,4000,50000,600000", "--attempt-price", "7", "--item-price", "80"]
PRICE_LINES = ["Цены камней: Т1 1, Т2 20, Т3 300, Т4 4000, Т5 50000, Т6 600000",
               "Цена попытки 7, нового предмета 80"]


class HumanPlan(OddsTestCase):
    """Every heading and column of the journey's report against the CSV of the
    same request, which the Plan tests hold to exact fractions."""

    def report(self, args, env=None):
        proc = run_odds(args, env=env)
        self.assertEqual((proc.returncode, proc.stderr), (0, b""))
        return proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8").replace("\r\n", "\n").split("\n")

    def check_report(self, args, heading, priced):
        lines = self.report(["--plan", *args])
        rows = csv_rows(run_odds(["--csv", "--plan", *args]))[1:]
        target = len(rows)
        self.assertEqual(lines[:len(heading)], heading)
        at = len(heading) + 1
        self.assertEqual(lines[at - 1], "")
        columns = [(2, "Т"), (6, "Камни"), (8, "Успех %"), (9, "Дойти %"), (9, "Попыток"),
                   (10, "Попыток*"), (9, "Потерь*"), (10, "Для 90%*")] + ([(12, "Цена*")] if priced else [])
        self.assertEqual(lines[at], "".join(name.rjust(width) for width, name in columns))
        for t, row in enumerate(rows):
            cells = [str(t), row[1], compact(100 * float(Fraction(row[4]))), compact(100 * float(row[8])),
                     figure(row[9]), figure(row[10]), figure(row[11]), count(row[13])]
            if priced:
                cells.append(whole(row[15]))
            with self.subTest(args=args, row=t):
                self.assertEqual(lines[at + 1 + t], "".join(c.rjust(w) for (w, _), c in zip(columns, cells)))
        at += target + 2
        self.assertEqual(lines[at - 1], "")
        self.assertEqual(lines[at], " Т" + "Предметов для 90%*".rjust(20) + ("Бюджет для 90%*".rjust(18) if priced else ""))
        rounded = False
        bounds = []
        for t, row in enumerate(rows):
            line = lines[at + 1 + t]
            # A budget not exact is marked rounded up; the CSV bounds its error.
            if priced and "≈" in line:
                self.assertGreater(float(row[28]), 0, line)
                rounded = True
                bounds.append(Fraction(row[28]) if row[28] else math.inf)
                line = line.replace("≈", " ")
            budget = (row[20] or "никогда").rjust(18) if priced else ""
            self.assertEqual(line, str(t).rjust(2) + count(row[17]).rjust(20) + budget)
        at += target + 2
        stock = [f"Т{tier} {figure(rows[0][21 + tier])}" for tier in range(1, 7) if rows[0][21 + tier] != "0"]
        self.assertEqual(lines[at], "Камни в запас на путь от 0 талик, в среднем*: " +
                         (", ".join(stock) if stock else "без камней"))
        legend = "\n".join(lines[at + 2:])
        self.assertEqual("Цена - в среднем потрачено до цели" in legend, priced)
        self.assertEqual("Бюджет для 90% - столько денег хватит с вероятностью 90 %" in legend, priced)
        self.assertIn("Предметов для 90% - столько уничтоженных предметов хватит с вероятностью 90 %", legend)
        self.assertEqual("≈ - бюджет округлён вверх" in legend, rounded)
        # The CSV's field bounds all three levels' budgets of its row, the
        # report's 90 % one among them: within the tolerance, slightly above,
        # and never a larger percent than the field's.
        if bounds and max(bounds) <= Fraction(1, 1000):
            self.assertIn(SLIGHTLY_ABOVE, legend + "\n")
        at_most = re.search(r"не более чем на ([0-9.]+) %", legend)
        if at_most:
            self.assertGreater(Fraction(at_most[1]), Fraction(1, 10))
            if math.isfinite(max(bounds)):
                self.assertLessEqual(Fraction(at_most[1]), Fraction(percent_at_most(max(bounds))))
        return lines

    def test_own_stones_unpriced(self):
        self.check_report(["4", "65", "4", "6", "6", "3", "0"],
                          ["Путь к 4 таликам: тип 4 (Синий реликт), уровень 65",
                           "Камни на каждом шаге: Т6 Т6 Т3 без камня"], False)

    def test_own_stones_step_by_step_unpriced(self):
        self.check_report(["--stones", "6630,0220,1005", "1", "40", "3"],
                          ["Путь к 3 таликам: тип 1 (Интовое), уровень 40",
                           "Камни по шагам от 0 талик: 6630, 2200, 5100"], False)

    def test_own_stones_priced(self):
        self.check_report([*PRICES, "7", "65", "5", "6", "6", "5", "5"],
                          ["Путь к 5 таликам: тип 7 (Зелёный реликт), уровень 65",
                           "Камни на каждом шаге: Т6 Т6 Т5 Т5", *PRICE_LINES], True)
        self.check_report([*PRICES, "--stones", "6630,0220,1005", "1", "40", "3"],
                          ["Путь к 3 таликам: тип 1 (Интовое), уровень 40",
                           "Камни по шагам от 0 талик: 6630, 2200, 5100", *PRICE_LINES], True)

    def test_the_cheapest_stones(self):
        self.check_report([*PRICES, "2", "50", "6"],
                          ["Путь к 6 таликам: тип 2 (Фиолетовое), уровень 50",
                           PRICE_LINES[0], PRICE_LINES[1] + "; камни выбраны самые выгодные"], True)

    def test_a_journey_that_never_ends(self):
        lines = self.check_report(["3", "10", "2", "0", "0", "0", "0"],
                                  ["Путь к 2 таликам: тип 3 (Стринт), уровень 10",
                                   "Камни на каждом шаге: без камня без камня без камня без камня"], False)
        settings_free = run_odds(["--plan", "3", "10", "2", "0", "0", "0", "0"], settings=None)
        self.assertIn("никогда", settings_free.stdout.decode("cp1251" if harness.WINDOWS else "utf-8"))
        self.assertTrue(lines)

    def test_a_wide_bracket_says_how_far_above_the_budget_may_be(self):
        # A journey whose widest bracket is a 90 % budget's, the level the
        # report shows: its legend's percent is the CSV's largest bound,
        # rounded up, in either language.
        args = ["--plan", "--prices", "1,3000,64000,10,3000,50", "--attempt-price", "15",
                "--item-price", "30000000", "7", "65", "5", "3", "3", "2", "0"]
        rows = csv_rows(run_odds(["--csv", *args], settings=example_tables()))[1:]
        widest = max(Fraction(row[28]) for row in rows)
        self.assertGreater(widest, Fraction(1, 1000))
        percent = percent_at_most(widest)
        legends = {"ru": "≈ - бюджет округлён вверх до известных цифр: его хватит, он больше\n"
                         f"  точного не более чем на {percent} %\n",
                   "en": "≈ the budget is rounded up to the digits known: it suffices, at most\n"
                         f"  {percent} % more than the exact one\n"}
        for lang, legend in legends.items():
            proc = run_odds(["--lang", lang, *args], settings=example_tables())
            self.assertEqual((proc.returncode, proc.stderr), (0, b""))
            text = proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8").replace("\r\n", "\n")
            self.assertTrue(text.endswith(legend), text[-300:])
            self.assertNotIn("немного больше", text)
            self.assertNotIn("only a little", text)
        # The same journey at a lower item price is within the tolerance.
        cheaper = [*args[:6], "3000", *args[7:]]
        rows = csv_rows(run_odds(["--csv", *cheaper], settings=example_tables()))[1:]
        self.assertTrue(all(Fraction(row[28]) <= Fraction(1, 1000) for row in rows))
        text = run_odds(cheaper, settings=example_tables()).stdout.decode(
            "cp1251" if harness.WINDOWS else "utf-8").replace("\r\n", "\n")
        self.assertTrue(text.endswith(SLIGHTLY_ABOVE), text[-300:])

    def test_english_has_the_same_figures_in_other_words(self):
        args = ["--plan", *PRICES, "--stones", "6630,0220,1005", "1", "40", "3"]
        russian = self.report(args)
        # LC_ALL first, then LC_MESSAGES, then LANG; --lang above them all.
        english = self.report(args, env={"LC_ALL": "", "LC_MESSAGES": "en_GB", "LANG": "ru_RU.UTF-8"})
        self.assertEqual(english, self.report(args, env={"LC_ALL": "", "LANG": "en_US.UTF-8"}))
        self.assertEqual(english, self.report([*args, "--lang", "en"], env={"LC_ALL": "ru_RU.UTF-8"}))
        self.assertEqual(russian, self.report([*args, "--lang=ru"], env={"LC_ALL": "en_US.UTF-8"}))
        self.assertEqual(russian, self.report(args, env={"LC_ALL": "C", "LANG": "en_US.UTF-8"}))
        self.assertEqual(english[:5], ["Journey to 3 taliks: grade 1 (Int), level 40",
                                       "Stones by step from 0 taliks: 6630, 2200, 5100",
                                       "Stone prices: T1 1, T2 20, T3 300, T4 4000, T5 50000, T6 600000",
                                       "Price of an attempt 7, of a new item 80", ""])
        self.assertEqual(english[5].split(), ["T", "Stones", "Success", "%", "Reach", "%", "Attempts",
                                              "Attempts*", "Losses*", "For", "90%*", "Cost*"])
        for ru, en in zip(russian[6:9] + russian[11:14], english[6:9] + english[11:14]):
            self.assertEqual(ru.split(), en.split())
        # The stones to stock run as long as their tiers are many, in either language.
        for line in english:
            if not line.startswith("Stones to stock"):
                self.assertLessEqual(len(line), 80, line)


class SetUpReport(OddsTestCase):
    def test_attempts_to_a_success_or_none_possible(self):
        lines = run_odds(["3", "2", "50", "1", "3", "3", "2", "0"]).stdout.decode(
            "cp1251" if harness.WINDOWS else "utf-8").splitlines()
        chance = chance_of(cell("SuccessProb.ini", 2, 1), (3, 3, 2, 0), 50)
        s = outcome_shares(chance, cell("DestroyProb.ini", 2, 1), cell("DowngradeProb.ini", 2, 1))[0]
        self.assertEqual(lines[1], f"Шанс успеха на 100000: {chance}")
        self.assertEqual(lines[2], "Сумма множителей камней: 7.125")
        self.assertEqual(lines[-1], f"В среднем попыток до первого успеха: {float(1 / s):.2f}")
        never = dict(SETTINGS)
        never["SuccessProb.ini"] = ini_text(lambda g, u: 0)
        lines = run_odds(["3", "2", "50", "1", "3", "3", "2", "0"], settings=never).stdout.decode(
            "cp1251" if harness.WINDOWS else "utf-8").splitlines()
        self.assertEqual(lines[-1], "В среднем попыток до первого успеха: успех невозможен")
        english = run_odds(["--lang=en", "3", "2", "50", "1", "3", "3", "2", "0"], settings=never)
        self.assertEqual(english.stdout.decode("ascii").splitlines()[-1],
                         "Attempts to the first success on average: no success possible")


if __name__ == "__main__":
    main()
