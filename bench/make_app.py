"""Generates the packing benchmark's application folder in the given folder:
what an application installed by setup.exe looks like, about 150 MiB in
1800 files of mixed kinds.
  bin/    real Windows programs and libraries: a fixed choice of Wine's own
          PE files (Debian package wine32), which tools/bootstrap installs;
          half-random stand-ins when they are missing
  docs/   text and HTML pages
  res/    many small files (settings, translations, icons)
  data/   half-random binaries (compress like program data)
  media/  random bytes: already compressed pictures, sounds, archives
  one large data file of mixed blocks, and one large random one
Deterministic for a given Wine: the same bytes on every run."""
import os, shutil, sys

from synthetic import Synthetic

out = sys.argv[1]
complete = out.rstrip('/') + '.complete'  # beside the folder, not packed with it
if os.path.exists(complete):
    sys.exit(0)
shutil.rmtree(out, ignore_errors=True)
made = Synthetic(20261211, 4000)
rng, text, binary = made.rng, made.text, made.binary

def write(path, data):
    path = os.path.join(out, path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)

def html(n):
    body = text(n).decode().replace('\n', '</p>\n<p>')
    return ('<html><head><title>Help</title></head><body><p>' + body + '</p></body></html>\n').encode()

wine = '/usr/lib/i386-linux-gnu/wine/i386-windows'
taken = 0
if os.path.isdir(wine):
    for i, name in enumerate(sorted(os.listdir(wine))):
        if i % 5 or taken > 60 << 20:
            continue
        with open(os.path.join(wine, name), 'rb') as f:
            data = f.read()
        write('bin/' + name, data)
        taken += len(data)
else:
    for i in range(120):
        write(f'bin/lib{i:03d}.dll', binary(rng.randint(20000, 1500000)))
for i in range(500):
    write(f'docs/{["guide", "topic", "notes"][i % 3]}{i:03d}.' + ('html' if i % 2 else 'txt'),
          html(rng.randint(1000, 60000)) if i % 2 else text(rng.randint(500, 40000)))
for i in range(800):
    write(f'res/{["en", "de", "fr", "ja"][i % 4]}/item{i:03d}.' + ['ini', 'xml', 'ico', 'lang'][i % 4],
          binary(rng.randint(100, 4000)) if i % 4 == 2 else text(rng.randint(100, 4000)))
for i in range(300):
    write(f'data/set{i % 10}/block{i:03d}.bin', binary(rng.randint(1000, 200000)))
for i in range(80):
    write(f'media/clip{i:02d}.' + ['jpg', 'png', 'ogg', 'cab'][i % 4],
          rng.randbytes(rng.randint(20000, 1000000)))
chunk_text, chunk_bin = text(1 << 20), binary(1 << 20)
write('data/catalog.db', b''.join(chunk_text if i % 3 else chunk_bin for i in range(24)))
write('media/intro.avi', rng.randbytes(16 << 20))
open(complete, 'w').close()
