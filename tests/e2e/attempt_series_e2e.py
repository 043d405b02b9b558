"""Whole runs with the clock pinned, so that the seed, and with it every
outcome line, is known in advance."""

from harness import (SimulatorTestCase, expected_output, ini_text, main, run_simulator,
                     seed_of)
from mt19937 import outcomes


def settings_with(success, destroy, downgrade):
    return {"SuccessProb.ini": ini_text(lambda g, u: success),
            "DestroyProb.ini": ini_text(lambda g, u: destroy),
            "DowngradeProb.ini": ini_text(lambda g, u: downgrade)}


class PinnedSeed(SimulatorTestCase):
    # (frozen clock, attempts, success weight, destroy, downgrade, level, stones)
    CASES = [
        ("2026-12-08 10:00:00", 100, 100, 3000, 4000, 50, (3, 3, 2, 0)),
        ("2026-12-08 10:00:01", 100, 100, 3000, 4000, 50, (3, 3, 2, 0)),
        ("2001-09-09 01:46:40", 37, 40, 1500, 9000, 10, (6, 5, 0, 1)),
        ("2030-01-01 00:00:00", 100, 25, 7000, 2500, 65, (6, 6, 6, 6)),
        ("1970-01-01 00:00:00", 1, 5, 5000, 5000, 1, (0, 0, 0, 0)),
    ]

    def test_whole_output_matches_the_draws_of_the_seed(self):
        for frozen, attempts, success, destroy, downgrade, level, stones in self.CASES:
            with self.subTest(clock=frozen, attempts=attempts):
                stone_sum = sum((0.125, 1.0, 2.0, 2.5, 3.0, 6.0, 10.0)[t] for t in stones)
                chance = int(success * stone_sum * 3000) // (4 * level)
                answers = f"{attempts}\n3\n{level}\n2\n" + "\n".join(map(str, stones)) + "\n"
                run = run_simulator(answers, settings_with(success, destroy, downgrade),
                                    frozen_time=frozen)
                expected = outcomes(seed_of(frozen), attempts, chance, destroy, downgrade)
                if attempts == 100:  # a long series shows every kind of line
                    self.assertEqual(len(set(expected)), 4)
                self.assertRunOutput(run, expected_output(chance // 1000, expected))

    def test_every_value_comes_from_the_cell_of_grade_and_taliks(self):
        # Every cell of every table differs, so a look-up in the wrong row,
        # column or table changes the lines.
        success = lambda g, u: 60 + 7 * g + 3 * u
        destroy = lambda g, u: 400 * g + 150 * u + 11
        downgrade = lambda g, u: 9000 - 900 * u - 50 * g
        settings = {"SuccessProb.ini": ini_text(success), "DestroyProb.ini": ini_text(destroy),
                    "DowngradeProb.ini": ini_text(downgrade)}
        frozen = "2026-12-08 10:00:00"
        for grade, taliks in ((2, 5), (5, 2), (10, 6), (0, 3), (6, 0)):
            with self.subTest(grade=grade, taliks=taliks):
                chance = int(success(grade, taliks) * 7.125 * 3000) // (4 * 40)
                run = run_simulator(f"100 {grade} 40 {taliks} 3 3 2 0", settings, frozen_time=frozen)
                expected = outcomes(seed_of(frozen), 100, chance, destroy(grade, taliks),
                                    downgrade(grade, taliks))
                self.assertRunOutput(run, expected_output(chance // 1000, expected))

    def test_the_same_clock_gives_the_same_run_and_another_second_another(self):
        settings = settings_with(100, 3000, 4000)
        answers = "100 3 50 2 3 3 2 0"
        first = run_simulator(answers, settings, frozen_time="2026-12-08 10:00:00").stdout
        again = run_simulator(answers, settings, frozen_time="2026-12-08 10:00:00").stdout
        later = run_simulator(answers, settings, frozen_time="2026-12-08 10:00:01").stdout
        self.assertEqual(first, again)
        self.assertNotEqual(first, later)

    def test_certain_outcomes_need_no_pinned_clock(self):
        cases = [
            # (weight, destroy, downgrade, the line of every attempt)
            (0, 0, 0, "failed"),
            (4, 10000, 10000, "success"),        # chance 120000
            (17895, 0, 0, "success"),            # the largest product in range
            (0, 10000, 0, "item_destroyed"),
            (0, 0, 10000, "taliks_destroyed"),
        ]
        for weight, destroy, downgrade, outcome in cases:
            with self.subTest(weight=weight, destroy=destroy, downgrade=downgrade):
                run = run_simulator("100 0 1 0 6 6 6 6", settings_with(weight, destroy, downgrade))
                self.assertRunOutput(run, expected_output(weight * 30, [outcome] * 100))

    def test_weights_beyond_the_data_model_still_complete_the_run(self):
        # 100000 x 40 x 3000 exceeds 32 bits: the product saturates to 2147483647.
        run = run_simulator("3 0 1 0 6 6 6 6", settings_with(100000, 0, 0))
        self.assertRunOutput(run, expected_output(2147483647 // 4 // 1000, ["success"] * 3))
        run = run_simulator("3 0 1 0 6 6 6 6", settings_with(-5, 0, 0))
        self.assertRunOutput(run, expected_output(-150, ["failed"] * 3))


if __name__ == "__main__":
    main()
