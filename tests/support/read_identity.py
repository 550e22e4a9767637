#!/usr/bin/python3
# Reads back what a program file says about itself with a reader other than
# ours (pefile, from Debian; hence Debian's own python3): the version texts
# and numbers, the manifest's description, the icon group, whether the
# checksum is right, and the base relocations' bytes. One "key=value" line
# each, in a fixed order.
import re
import sys

import pefile

sys.stdout.reconfigure(encoding="utf-8")
pe = pefile.PE(sys.argv[1])
lines = []
for info in getattr(pe, "FileInfo", [[]])[0]:
    if info.Key == b"StringFileInfo":
        for table in info.StringTable:
            for key, value in sorted(table.entries.items()):
                lines.append(f"{table.LangID.decode()}:{key.decode()}={value.decode()}")
    if info.Key == b"VarFileInfo":
        for var in info.Var:
            lines.append(f"translation={var.entry[b'Translation']}")
for fixed in getattr(pe, "VS_FIXEDFILEINFO", []):
    def parts(ms, ls):
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    lines.append(f"file-version={parts(fixed.FileVersionMS, fixed.FileVersionLS)}"
                 f" product-version={parts(fixed.ProductVersionMS, fixed.ProductVersionLS)}")


def resource_data(type_id):
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id == type_id:
            for name in kind.directory.entries:
                for language in name.directory.entries:
                    yield name.id, pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)


for _, manifest in resource_data(pefile.RESOURCE_TYPE["RT_MANIFEST"]):
    lines.append("manifest-description=" + re.search(rb"<description>(.*?)</description>", manifest).group(1).decode())
for group_id, group in resource_data(pefile.RESOURCE_TYPE["RT_GROUP_ICON"]):
    count = int.from_bytes(group[4:6], "little")
    images = []
    for i in range(count):
        entry = group[6 + 14 * i: 20 + 14 * i]
        images.append(f"{entry[0] or 256}x{entry[1] or 256}/{int.from_bytes(entry[6:8], 'little')}")
    lines.append(f"icon-group-{group_id}=" + " ".join(images))
lines.append("checksum=" + ("right" if pe.verify_checksum() else "wrong"))
relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
lines.append("relocations=" + pe.get_data(relocations.VirtualAddress, relocations.Size).hex())
print("\n".join(lines))
