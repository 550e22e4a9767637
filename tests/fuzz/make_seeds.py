"""Writes a small seed corpus of archives for the fuzzer into the given folder."""
import io, os, sys, zipfile

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

def save(name, build):
    buf = io.BytesIO()
    build(buf)
    with open(os.path.join(out, name), 'wb') as f:
        f.write(buf.getvalue())

def mixed(buf):
    with zipfile.ZipFile(buf, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('a.txt', 'hello\r\nworld\n' * 20)
        z.writestr('dir/', '')
        z.writestr('dir/b.bin', bytes(range(256)) * 4, compress_type=zipfile.ZIP_STORED)
        link = zipfile.ZipInfo('dir/link')
        link.create_system = 3
        link.external_attr = 0o120777 << 16
        z.writestr(link, '../a.txt')
        z.comment = b'comment'

def zip64(buf):
    with zipfile.ZipFile(buf, 'w', zipfile.ZIP_DEFLATED) as z:
        with z.open('big', 'w', force_zip64=True) as w:
            w.write(b'x' * 5000)

def names(buf):
    with zipfile.ZipFile(buf, 'w') as z:
        z.writestr('\u00e9\u65e5.txt', 'u')
        z.writestr('../up', 'x')
        z.writestr('sp ace/CON', 'y')

save('mixed.zip', mixed)
save('zip64.zip', zip64)
save('names.zip', names)
