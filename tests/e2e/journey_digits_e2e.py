"""The journey's last digits: attempts and destroyed items for 50, 90 and
99 % on journeys of 10^8 to 10^18 attempts, held exactly to the neighbour
rule (at the answer the chance is at least the level, one below it is below)
against the chain worked out here in 110-digit decimals from the draw rules.

Run as a script (python3 journey_digits_e2e.py --print) it prints the
references themselves: the least counts, found by binary lifting."""

import decimal
import os
import sys
from fractions import Fraction

import harness
from harness import main
from odds_e2e import OddsTestCase, chance_of, csv_rows, outcome_shares, run_odds, solve_exact

DIGITS = 110
# The chain's powers lose at most about 2^62 ulps on the way to 2^62 attempts,
# 10^-91 at 110 digits: a chance this far from its level is decided for sure.
DECIDED = decimal.Decimal("1e-80")
LEVELS = (Fraction(50, 100), Fraction(90, 100), Fraction(99, 100))
MOST_ATTEMPTS = 1 << 62  # beyond this the program says "never"

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                        "CustomSettings")
TABLE_FILES = ("SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini")

# (grade, level, stones) to 7 taliks with the example tables: 99 % from 0
# taliks takes from about 4 * 10^8 up to beyond 2^62 attempts.
JOURNEYS = ((4, 65, (3, 3, 2, 0)), (0, 65, (1, 1, 0, 0)), (10, 65, (3, 3, 2, 0)),
            (7, 65, (1, 1, 0, 0)), (7, 65, (1, 0, 0, 0)), (4, 65, (0, 0, 0, 0)),
            (7, 65, (0, 0, 0, 0)), (10, 65, (0, 0, 0, 0)))
TARGET = 7


def example_settings():
    settings = {}
    for name in TABLE_FILES:
        with open(os.path.join(EXAMPLES, name), encoding="utf-8") as f:
            settings[name] = f.read()
    return settings


def table_cells(text):
    """{(grade, taliks): value} of a plain INI file of whole numbers."""
    cells, grade = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[ItemGrade"):
            grade = int(line[len("[ItemGrade"):-1])
        elif line.startswith("UpgradeLevel") and grade is not None:
            key, value = line.split("=")
            cells[(grade, int(key[len("UpgradeLevel"):]))] = int(value)
    return cells


def journey_shares(settings, grade, level, stones, target=TARGET):
    success, destroy, downgrade = (table_cells(settings[name]) for name in TABLE_FILES)
    return [outcome_shares(chance_of(success[(grade, t)], stones, level), destroy[(grade, t)],
                           downgrade[(grade, t)]) for t in range(target)]


def d(x):
    return decimal.Decimal(x.numerator) / decimal.Decimal(x.denominator)


class Chain:
    """The journey with new items, one attempt a step, and its powers
    M^(2^k), in DIGITS-digit decimals."""

    def __init__(self, shares):
        self.states = len(shares) + 1
        with decimal.localcontext() as context:
            context.prec = DIGITS
            m = [[decimal.Decimal(0)] * self.states for _ in range(self.states)]
            for t, (s, dd, l, f) in enumerate(shares):
                m[t][t + 1] += d(s)
                m[t][0] += d(dd + l)
                m[t][t] += d(f)
            m[-1][-1] = decimal.Decimal(1)
            self.powers = [m]
            for _ in range(61):
                p = self.powers[-1]
                r = range(self.states)
                self.powers.append([[sum(p[i][k] * p[k][j] for k in r) for j in r] for i in r])

    def step(self, v, k):
        r = range(self.states)
        p = self.powers[k]
        return [sum(v[i] * p[i][j] for i in r if v[i]) for j in r]

    def start(self, t):
        v = [decimal.Decimal(0)] * self.states
        v[t] = decimal.Decimal(1)
        return v

    def reached(self, start, attempts):
        """P(the target within attempts), from start."""
        with decimal.localcontext() as context:
            context.prec = DIGITS
            v = self.start(start)
            k = 0
            while attempts >> k:
                if attempts >> k & 1:
                    v = self.step(v, k) if k < len(self.powers) else self.step(self.step(v, k - 1), k - 1)
                k += 1
            return v[-1]

    def least_attempts(self, start, level):
        """The least n with P(n) >= level, None beyond 2^62."""
        with decimal.localcontext() as context:
            context.prec = DIGITS
            v, below = self.start(start), 0
            for k in range(len(self.powers) - 1, -1, -1):
                nxt = self.step(v, k)
                if nxt[-1] < d(level):
                    v, below = nxt, below + (1 << k)
            return below + 1 if below + 1 < MOST_ATTEMPTS or self.reached(start, MOST_ATTEMPTS) >= d(level) \
                else None


class Items:
    """P(the target with at most k items destroyed) from each start:
    R(t) + D(t) R(0) (1 - D(0)^k) / (1 - D(0)), with R and D exact fractions."""

    def __init__(self, shares):
        n = range(len(shares))
        self.reach = solve_exact(shares, [0 for _ in n], 0, False, 1)
        self.destroy = solve_exact(shares, [0 for _ in n], 1, False, 0)

    def within(self, start, k):
        with decimal.localcontext() as context:
            context.prec = DIGITS
            if k == 0 or self.destroy[start] * self.reach[0] == 0:
                return d(self.reach[start])
            d0 = d(self.destroy[0])
            return d(self.reach[start]) + d(self.destroy[start] * self.reach[0]) * (1 - d0 ** k) / (1 - d0)

    def most(self, start):
        """The chance with any number of items: the bound P(k) never reaches."""
        if self.destroy[start] * self.reach[0] == 0:
            return self.reach[start]
        return self.reach[start] + self.destroy[start] * self.reach[0] / (1 - self.destroy[0])


class LastDigits(OddsTestCase):
    def assertNeighbours(self, at, below, level):
        """at >= level > below, each decided beyond the reference's error."""
        goal = d(level)
        self.assertGreaterEqual(at - goal, DECIDED, f"short of the level by {goal - at:.3e}")
        self.assertGreater(goal - below, DECIDED, f"one less reaches the level by {below - goal:.3e}")

    def test_attempts_and_items_for_each_level_exactly(self):
        settings = example_settings()
        seen = []
        for grade, level, stones in JOURNEYS:
            shares = journey_shares(settings, grade, level, stones)
            proc = run_odds(["--csv", "--plan", str(grade), str(level), str(TARGET), *map(str, stones)],
                            settings=settings)
            self.assertEqual((proc.returncode, proc.stderr), (0, b""))
            rows = csv_rows(proc)[1:]
            chain, items = Chain(shares), Items(shares)
            for t, row in enumerate(rows):
                self.assertEqual([Fraction(x) for x in row[4:8]], shares[t])
                for p, level_share in enumerate(LEVELS):
                    with self.subTest(grade=grade, stones=stones, start=t, level=level_share, what="attempts"):
                        field = row[12 + p]
                        if field == "":
                            self.assertLess(chain.reached(t, MOST_ATTEMPTS), d(level_share))
                        else:
                            n = int(field)
                            seen.append(n)
                            self.assertTrue(1 <= n <= MOST_ATTEMPTS, n)
                            self.assertNeighbours(chain.reached(t, n), chain.reached(t, n - 1), level_share)
                    with self.subTest(grade=grade, stones=stones, start=t, level=level_share, what="items"):
                        field = row[16 + p]
                        if field == "":
                            self.assertLessEqual(items.most(t), level_share)
                        else:
                            k = int(field)
                            below = items.within(t, k - 1) if k > 0 else decimal.Decimal(-1)
                            self.assertNeighbours(items.within(t, k), below, level_share)
        self.assertLess(min(seen), 10**9)
        self.assertGreater(max(seen), 10**18)

    def test_a_journey_of_four_hundred_million_attempts(self):
        """Hand-held: 371 143 128 from 5 taliks is the least count for 99 %."""
        settings = example_settings()
        rows = csv_rows(run_odds(["--csv", "--plan", "4", "65", "7", "3", "3", "2", "0"], settings=settings))
        self.assertEqual(rows[6][14], "371143128")
        chain = Chain(journey_shares(settings, 4, 65, (3, 3, 2, 0)))
        self.assertEqual(chain.least_attempts(5, LEVELS[2]), 371143128)


def print_references():
    settings = example_settings()
    for grade, level, stones in JOURNEYS:
        shares = journey_shares(settings, grade, level, stones)
        chain = Chain(shares)
        print(f"--plan {grade} {level} {TARGET} {' '.join(map(str, stones))}")
        for t in range(TARGET):
            counts = [chain.least_attempts(t, p) for p in LEVELS]
            chances = [chain.reached(t, n) if n else None for n in counts]
            print(f"  from {t}: " + ", ".join(f"{n} ({c:.82f})" if n else "never" for n, c in zip(counts, chances)))


if __name__ == "__main__":
    if "--print" in sys.argv:
        print_references()
    else:
        main()
