"""The question-and-answer dialogue, the odds files and the chance line, end
to end."""

from harness import (ATTEMPT_COUNT_QUESTION, ITEM_GRADE_QUESTION, ITEM_LEVEL_QUESTION,
                     QUESTIONS, SimulatorTestCase, expected_output, ini_text, main,
                     run_simulator, seed_of, stone_question)
from mt19937 import outcomes

FROZEN_TIME = "2026-03-01 12:00:00"
FROZEN_SEED = seed_of(FROZEN_TIME)

# A success weight that tells grade and talik count apart in the chance line:
# with four "Т6" stones (sum 40) at level 1, the percent is 30 x weight.
# Every weight is at least 4, so the chance is at least 120000 and every
# attempt succeeds whatever the seed.
def distinct_weight(grade, level):
    return grade * 10 + level + 4


def weight_percent(grade, level):
    return 30 * distinct_weight(grade, level)


ALWAYS_SUCCEEDS = {
    "SuccessProb.ini": ini_text(distinct_weight),
    "DestroyProb.ini": ini_text(lambda g, u: 0),
    "DowngradeProb.ini": ini_text(lambda g, u: 0),
}


def percent_for(weight, stone_sum=40.0, level=1):
    return int(weight * stone_sum * 3000) // (4 * level) // 1000


class CompletedRuns(SimulatorTestCase):
    def test_worked_example_from_a_plain_table(self):
        settings = {"SuccessProb.ini": ini_text(lambda g, u: 100),
                    "DestroyProb.ini": ini_text(lambda g, u: 0),
                    "DowngradeProb.ini": ini_text(lambda g, u: 0)}
        # Chance 10687 per 100000 shows as 10; pinned clock, seed 0.
        run = run_simulator("3\n2\n50\n1\n3\n3\n2\n0\n", settings, frozen_time=FROZEN_TIME)
        self.assertRunOutput(run, expected_output(10, outcomes(FROZEN_SEED, 3, 10687, 0, 0)))

    def test_answers_on_one_line_still_print_every_prompt(self):
        run = run_simulator("2 3 1 4 6 6 6 6\n", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(3, 4), ["success"] * 2))

    def test_four_empty_stone_slots_count_half(self):
        settings = dict(ALWAYS_SUCCEEDS, **{"SuccessProb.ini": ini_text(lambda g, u: 4)})
        # 4 x 0.5 x 3000 div 4 = 1500 per 100000, shown as 1; at level 65, 23, shown as 0.
        for level, chance in ((1, 1500), (65, 23)):
            with self.subTest(level=level):
                run = run_simulator(f"20 0 {level} 0 0 0 0 0", settings, frozen_time=FROZEN_TIME)
                self.assertRunOutput(run, expected_output(chance // 1000, outcomes(FROZEN_SEED, 20, chance, 0, 0)))

    def test_large_percent_is_plain_digits_in_every_locale(self):
        settings = dict(ALWAYS_SUCCEEDS, **{"SuccessProb.ini": ini_text(lambda g, u: 17895)})
        for locale in ("C.UTF-8", "ru_RU.UTF-8", "C"):
            with self.subTest(locale=locale):
                run = run_simulator("1 0 1 0 6 6 6 6", settings, env={"LC_ALL": locale})
                self.assertRunOutput(run, expected_output(536850, ["success"]))


class RangeChecks(SimulatorTestCase):
    def test_attempt_count_drops_0_and_101_silently(self):
        run = run_simulator("0 101 5 0 1 0 6 6 6 6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * 5))

    def test_attempt_count_edges(self):
        for answer, count in (("1", 1), ("100", 100)):
            with self.subTest(answer=answer):
                run = run_simulator(f"{answer} 0 1 0 6 6 6 6", ALWAYS_SUCCEEDS)
                self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * count))

    def test_item_grade_accepts_0_to_10_only(self):
        run = run_simulator("1 11 -1 10 1 0 6 6 6 6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(10, 0), ["success"]))

    def test_item_level_accepts_1_to_65_only(self):
        for answers, level in (("0 66 1", 1), ("65", 65)):
            with self.subTest(answers=answers):
                run = run_simulator(f"4 2 {answers} 3 6 6 6 6", ALWAYS_SUCCEEDS, frozen_time=FROZEN_TIME)
                chance = distinct_weight(2, 3) * 120000 // (4 * level)
                self.assertRunOutput(run, expected_output(chance // 1000, outcomes(FROZEN_SEED, 4, chance, 0, 0)))

    def test_talik_count_accepts_0_to_6_only(self):
        for answers, taliks in (("7 -1 0", 0), ("6", 6)):
            with self.subTest(answers=answers):
                run = run_simulator(f"1 5 1 {answers} 6 6 6 6", ALWAYS_SUCCEEDS)
                self.assertRunOutput(run, expected_output(weight_percent(5, taliks), ["success"]))

    def test_stone_question_repeats_for_the_same_stone(self):
        run = run_simulator("1 0 1 0 7 -1 6 x 6 6 6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"], stone_prompts=(1, 1, 1, 2, 2, 3, 4)))

    def test_stone_order_does_not_change_the_chance(self):
        settings = dict(ALWAYS_SUCCEEDS, **{"SuccessProb.ini": ini_text(lambda g, u: 100)})
        for stones in ("3 3 2 0", "0 2 3 3", "3 0 3 2"):
            with self.subTest(stones=stones):
                self.assertChanceLine(run_simulator(f"1 2 50 1 {stones}", settings), 10)


class UnusualAnswers(SimulatorTestCase):
    def test_plus_sign_is_accepted(self):
        run = run_simulator("+5 +0 +1 +0 +6 +6 +6 +6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * 5))

    def test_trailing_letters_become_the_next_dropped_answer(self):
        # "5abc": 5 attempts; "abc" is dropped by question 2 without a repeat.
        run = run_simulator("5abc 0 1 0 6 6 6 6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * 5))

    def test_non_numbers_and_overflow_are_dropped(self):
        answers = "x 2147483648 99999999999999999999 -2147483649 -- 3 0 1 0 6 6 6 6"
        run = run_simulator(answers, ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * 3))

    def test_extreme_32_bit_numbers_are_out_of_range_not_errors(self):
        run = run_simulator("2147483647 -2147483648 2 0 1 0 6 6 6 6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * 2))

    def test_end_of_input_ends_the_run_at_once(self):
        cases = [
            ("", ATTEMPT_COUNT_QUESTION),
            ("3", ATTEMPT_COUNT_QUESTION + ITEM_GRADE_QUESTION),
            ("3 2 0 66", ATTEMPT_COUNT_QUESTION + ITEM_GRADE_QUESTION + ITEM_LEVEL_QUESTION),
            ("3 2 1 0 1 7 abc", QUESTIONS + stone_question(1) + stone_question(2) * 3),
            ("3 2 1 0 1 1 1 +", QUESTIONS + "".join(stone_question(k) for k in (1, 2, 3, 4, 4))),
        ]
        for answers, printed in cases:
            with self.subTest(answers=answers):
                self.assertRunOutput(run_simulator(answers, ALWAYS_SUCCEEDS), printed, returncode=1)


class OddsFiles(SimulatorTestCase):
    ANSWERS = "3 4 1 2 6 6 6 6"  # grade 4, two taliks

    def test_no_custom_settings_folder_means_every_attempt_fails(self):
        run = run_simulator(self.ANSWERS, settings=None)
        self.assertRunOutput(run, expected_output(0, ["failed"] * 3))

    def test_files_beside_the_working_directory_are_not_used(self):
        def put_settings_one_level_down(workdir):
            import os
            os.makedirs(os.path.join(workdir, "elsewhere", "CustomSettings"))
            with open(os.path.join(workdir, "elsewhere", "CustomSettings", "SuccessProb.ini"), "w") as f:
                f.write(ini_text(lambda g, u: 100))
        run = run_simulator(self.ANSWERS, settings={}, extra_files=put_settings_one_level_down)
        self.assertRunOutput(run, expected_output(0, ["failed"] * 3))

    def test_the_three_files_are_independent(self):
        cases = [
            # (files present, outcome of every attempt)
            ({"DestroyProb.ini": ini_text(lambda g, u: 10000)}, "item_destroyed"),
            ({"DowngradeProb.ini": ini_text(lambda g, u: 10000)}, "taliks_destroyed"),
            ({"DestroyProb.ini": ini_text(lambda g, u: 10000),
              "DowngradeProb.ini": ini_text(lambda g, u: 10000)}, "item_destroyed"),
            ({"SuccessProb.ini": ini_text(lambda g, u: 4)}, "success"),
        ]
        for files, outcome in cases:
            with self.subTest(files=sorted(files)):
                percent = 120 if "SuccessProb.ini" in files else 0
                self.assertRunOutput(run_simulator(self.ANSWERS, files),
                                     expected_output(percent, [outcome] * 3))

    def test_taliks_can_be_destroyed_with_none_installed(self):
        run = run_simulator("2 4 1 0 6 6 6 6", {"DowngradeProb.ini": ini_text(lambda g, u: 10000)})
        self.assertRunOutput(run, expected_output(0, ["taliks_destroyed"] * 2))

    def test_windows_line_endings_and_byte_order_mark(self):
        for newline, bom in (("\r\n", False), ("\n", True), ("\r\n", True)):
            with self.subTest(newline=repr(newline), bom=bom):
                settings = dict(ALWAYS_SUCCEEDS)
                settings["SuccessProb.ini"] = ini_text(distinct_weight, newline, bom)
                run = run_simulator("1 4 1 2 6 6 6 6", settings)
                self.assertRunOutput(run, expected_output(weight_percent(4, 2), ["success"]))

    def test_only_the_first_row_present(self):
        text = "[ItemGrade0]\n" + "".join(f"UpgradeLevel{u}=5\n" for u in range(7))
        text += "[ItemGrade11]\nUpgradeLevel0=5\n[ItemGrade1]\nUpgradeLevel7=5\n"
        for answers, percent in (("1 0 1 6 6 6 6 6", 150), ("1 1 1 6 6 6 6 6", 0),
                                 ("1 10 1 6 6 6 6 6", 0)):
            with self.subTest(answers=answers):
                self.assertChanceLine(run_simulator(answers, {"SuccessProb.ini": text}), percent)


class OutputEncoding(SimulatorTestCase):
    ANSWERS = "1 7 1 0 0 6 6 6"  # stone sum 30.125

    def expected(self):
        return expected_output(percent_for(distinct_weight(7, 0), 30.125), ["success"])

    def test_utf8_where_the_locale_is_utf8_or_c(self):
        for locale in ("C.UTF-8", "ru_RU.UTF-8", "C", "POSIX"):
            with self.subTest(locale=locale):
                run = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": locale})
                self.assertRunOutput(run, self.expected())

    def test_single_byte_cyrillic_locales_get_their_code_page(self):
        for locale, encoding in (("ru_RU.CP1251", "cp1251"), ("ru_RU.KOI8-R", "koi8_r")):
            with self.subTest(locale=locale):
                run = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": locale})
                self.assertRunOutput(run, self.expected(), encoding=encoding)

    def test_lc_all_then_lc_ctype_then_lang(self):
        cp1251 = self.expected().encode("cp1251")
        koi8 = self.expected().encode("koi8-r")
        utf8 = self.expected().encode()
        for env, expected in (({"LC_ALL": "ru_RU.CP1251", "LC_CTYPE": "C.UTF-8", "LANG": "C.UTF-8"}, cp1251),
                              ({"LC_ALL": "C.UTF-8", "LC_CTYPE": "ru_RU.CP1251"}, utf8),
                              ({"LC_ALL": "", "LC_CTYPE": "C.UTF-8", "LANG": "ru_RU.CP1251"}, utf8),
                              ({"LC_ALL": "", "LC_CTYPE": "ru_RU.KOI8-R", "LANG": "ru_RU.CP1251"}, koi8),
                              ({"LC_ALL": "", "LC_CTYPE": "", "LANG": "ru_RU.KOI8-R"}, koi8)):
            with self.subTest(env=env):
                run = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env=env)
                self.assertEqual(run.stdout, expected)

    def test_locale_from_lang_when_lc_all_is_unset(self):
        run = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": "", "LANG": "ru_RU.CP1251"})
        self.assertRunOutput(run, self.expected(), encoding="cp1251")


class PlayerInput(SimulatorTestCase):
    def test_answers_with_a_byte_order_mark_read_as_without(self):
        answers = "3\r\n2\r\n1\r\n1\r\n6\r\n6\r\n6\r\n6\r\n"
        plain = run_simulator(answers, ALWAYS_SUCCEEDS)
        marked = run_simulator(b"\xef\xbb\xbf" + answers.encode(), ALWAYS_SUCCEEDS)
        self.assertEqual(marked.stdout, plain.stdout)
        self.assertRunOutput(marked, expected_output(weight_percent(2, 1), ["success"] * 3))

    def test_a_byte_0xff_is_a_dropped_answer_not_the_end(self):
        run = run_simulator(b"\xff 2 \xff\xff 0 1 0 6 6 6 6", ALWAYS_SUCCEEDS)
        self.assertRunOutput(run, expected_output(weight_percent(0, 0), ["success"] * 2))

    def test_each_question_is_out_before_its_answer_is_read(self):
        import os, select, subprocess, tempfile, shutil
        import harness
        workdir = tempfile.mkdtemp(prefix="upgrade-sim-e2e-")
        self.addCleanup(shutil.rmtree, workdir, True)
        os.mkdir(os.path.join(workdir, "CustomSettings"))
        for name, text in ALWAYS_SUCCEEDS.items():
            with open(os.path.join(workdir, "CustomSettings", name), "w") as f:
                f.write(text)
        proc = subprocess.Popen([*harness.EMULATOR, harness.EXE], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, cwd=workdir, env=harness.base_env(),
                                start_new_session=True)
        self.addCleanup(proc.kill)
        output = b""
        newline = "\r\n" if harness.WINDOWS else "\n"
        encoding = "cp1251" if harness.WINDOWS else "utf-8"
        questions = [ATTEMPT_COUNT_QUESTION, ITEM_GRADE_QUESTION, ITEM_LEVEL_QUESTION,
                     QUESTIONS[len(ATTEMPT_COUNT_QUESTION + ITEM_GRADE_QUESTION + ITEM_LEVEL_QUESTION):]]
        questions += [stone_question(k) for k in (1, 2, 3, 4)]
        for question, answer in zip(questions, ["1", "0", "1", "0", "6", "6", "6", "6"]):
            expected = (output.decode(encoding) + question.replace("\n", newline)).encode(encoding)
            while len(output) < len(expected):
                ready, _, _ = select.select([proc.stdout], [], [], 20)
                self.assertTrue(ready, f"no question while waiting for {question!r}")
                chunk = os.read(proc.stdout.fileno(), 65536)
                self.assertTrue(chunk, "output ended early")
                output += chunk
            self.assertEqual(output, expected)  # nothing beyond the question yet
            proc.stdin.write(answer.encode() + b"\n")
            proc.stdin.flush()
        proc.stdin.close()
        output += proc.stdout.read()
        self.assertEqual(proc.wait(timeout=20), 0)
        self.assertEqual(output.decode(encoding).replace(newline, "\n"),
                         expected_output(weight_percent(0, 0), ["success"]))


class AnyCodeset(SimulatorTestCase):
    ANSWERS = "1 7 1 0 0 6 6 6"

    def setUp(self):
        import harness
        if harness.WINDOWS:
            self.skipTest("the Windows build writes code page 1251 whatever the locale")

    def test_koi8_u_gets_its_own_bytes(self):
        import subprocess
        utf8 = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": "C.UTF-8"})
        koi8u = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": "ru_UA.KOI8-U"})
        converted = subprocess.run(["iconv", "-f", "UTF-8", "-t", "KOI8-U"], input=utf8.stdout,
                                   capture_output=True, check=True).stdout
        self.assertEqual(koi8u.stdout, converted)
        self.assertNotEqual(koi8u.stdout, utf8.stdout)

    def test_a_codeset_without_cyrillic_gets_utf8(self):
        utf8 = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": "C.UTF-8"})
        latin1 = run_simulator(self.ANSWERS, ALWAYS_SUCCEEDS, env={"LC_ALL": "en_US.ISO-8859-1"})
        self.assertEqual(latin1.stdout, utf8.stdout)


if __name__ == "__main__":
    main()
