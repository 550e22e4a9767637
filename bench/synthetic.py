"""Deterministic stand-ins for the contents of application files, shared by
the benchmarks' generators."""
import random


class Synthetic:
    def __init__(self, seed, word_count):
        self.rng = random.Random(seed)
        letters = 'abcdefghijklmnopqrstuvwxyz'
        self.words = [''.join(self.rng.choice(letters) for _ in range(self.rng.randint(2, 10)))
                      for _ in range(word_count)]

    def text(self, n):
        parts, size = [], 0
        while size < n:
            line = ' '.join(self.rng.choice(self.words) for _ in range(self.rng.randint(3, 14))) + '\n'
            parts.append(line)
            size += len(line)
        return ''.join(parts).encode()[:n]

    def binary(self, n):
        # Half random, half repetitive: compresses like real executables roughly do.
        block = self.rng.randbytes(n // 2)
        return block + bytes((i * 7) & 0xFF for i in range(n - len(block)))
