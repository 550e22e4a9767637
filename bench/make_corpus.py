"""Generates the benchmark's two archives in the given folder:
  many.zip   a few thousand mixed text and binary files (deflated, some stored)
  large.zip  one file of several hundred MiB of mixed content (deflated, Zip64)
Deterministic: the same bytes on every run."""
import os, sys, zipfile

from synthetic import Synthetic

out = sys.argv[1]
large_mib = int(sys.argv[2]) if len(sys.argv) > 2 else 400
os.makedirs(out, exist_ok=True)
made = Synthetic(20261207, 5000)
rng, text, binary = made.rng, made.text, made.binary

many = os.path.join(out, 'many.zip')
if not os.path.exists(many):
    with zipfile.ZipFile(many, 'w', zipfile.ZIP_DEFLATED) as z:
        for i in range(3000):
            folder = f'dir{i % 40:02d}/sub{i % 7}'
            kind = i % 10
            if kind < 6:
                z.writestr(f'{folder}/text{i}.txt', text(rng.randint(200, 60000)))
            elif kind < 9:
                z.writestr(f'{folder}/data{i}.bin', binary(rng.randint(1000, 120000)))
            else:
                z.writestr(f'{folder}/raw{i}.dat', rng.randbytes(rng.randint(100, 50000)),
                           compress_type=zipfile.ZIP_STORED)

large = os.path.join(out, 'large.zip')
if not os.path.exists(large):
    chunk_text, chunk_bin = text(1 << 20), binary(1 << 20)
    with zipfile.ZipFile(large, 'w', zipfile.ZIP_DEFLATED) as z:
        with z.open('large.bin', 'w', force_zip64=True) as w:
            for i in range(large_mib):
                w.write(chunk_text if i % 3 else chunk_bin)
