"""A Mersenne Twister (MT19937) written from its published definition, used
as an oracle for the simulator's random source."""


class MT19937:
    def __init__(self, seed):
        self.state = [0] * 624
        self.state[0] = seed & 0xFFFFFFFF
        for i in range(1, 624):
            prev = self.state[i - 1]
            self.state[i] = (1812433253 * (prev ^ (prev >> 30)) + i) & 0xFFFFFFFF
        self.index = 624

    def _twist(self):
        s = self.state
        for i in range(624):
            y = (s[i] & 0x80000000) | (s[(i + 1) % 624] & 0x7FFFFFFF)
            s[i] = s[(i + 397) % 624] ^ (y >> 1) ^ (0x9908B0DF if y & 1 else 0)
        self.index = 0

    def next32(self):
        if self.index >= 624:
            self._twist()
        y = self.state[self.index]
        self.index += 1
        y ^= y >> 11
        y ^= (y << 7) & 0x9D2C5680
        y ^= (y << 15) & 0xEFC60000
        y ^= y >> 18
        return y & 0xFFFFFFFF

    def draw15(self):
        """One draw of the simulator's random source: the top 15 bits."""
        return self.next32() >> 17


def outcomes(seed, attempts, chance, destroy, downgrade):
    """The outcome names of a series, drawn exactly as the simulator draws."""
    mt = MT19937(seed)
    result = []
    for _ in range(attempts):
        a = mt.draw15()
        b = mt.draw15()
        if ((a << 16) + b) % 100000 < chance:
            result.append("success")
        elif mt.draw15() % 10000 < destroy:
            result.append("item_destroyed")
        elif mt.draw15() % 10000 < downgrade:
            result.append("taliks_destroyed")
        else:
            result.append("failed")
    return result


if __name__ == "__main__":
    mt = MT19937(5489)
    for _ in range(9999):
        mt.next32()
    assert mt.next32() == 4123659995
    for seed in (1, 1765152000):
        mt = MT19937(seed)
        print(seed, [mt.draw15() for _ in range(8)])
