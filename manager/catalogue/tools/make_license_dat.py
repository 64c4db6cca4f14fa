#!/usr/bin/env python3
"""Writes the device catalogue shipped with the manager (data/files/license.dat).

Names are stored as hex texts of their GBK bytes. Run from the repository root:
    python3 manager/catalogue/tools/make_license_dat.py > data/files/license.dat
"""

# Device type number -> models of that type, in the order they are listed.
TYPES = {
    1: ["SIP650"],  # playback terminal: multicast and keys, no talk
    2: ["SIP1601", "SIP1603", "SIP1403", "SIP1203", "SIP1201", "SIP1401"],  # capture and broadcast
    4: ["SIP460", "SIP4601"],  # network microphone
    9: ["SIP310", "SIP315", "SIP318", "SIP520", "SIP525", "SIP430"],  # intercom stations
}

# Base models in the order of the model families.
MODELS = ["SIP310", "SIP315", "SIP318", "SIP520", "SIP525", "SIP430", "SIP1601", "SIP1603",
          "SIP1403", "SIP1203", "SIP1201", "SIP1401", "SIP460", "SIP4601", "SIP650"]
assert sorted(MODELS) == sorted(m for ms in TYPES.values() for m in ms)


def hex_text(text):
    return text.encode("gbk").hex().upper()


def main():
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "<deviceconfig>", "  <information>",
           "    <agent>%s</agent>" % hex_text("NO"), "  </information>", "  <base>",
           "    <devicemodel>"]
    for n, model in enumerate(MODELS, start=1):
        out.append("      <%d><name>%s</name><paths>1</paths><startnumber>1</startnumber></%d>"
                   % (n, hex_text(model), n))
    out.append("    </devicemodel>")
    out.append("    <devicetype>")
    for t in range(1, 12):
        members = "".join("<%d>%s</%d>" % (i, hex_text(m), i)
                          for i, m in enumerate(TYPES.get(t, []), start=1))
        out.append("      <%d>%s</%d>" % (t, members, t))
    out.append("    </devicetype>")
    out.append("  </base>")
    out.append("  <proxy>")
    out.append("    <devicemodel></devicemodel>")
    out.append("  </proxy>")
    out.append("</deviceconfig>")
    print("\n".join(out))


if __name__ == "__main__":
    main()
