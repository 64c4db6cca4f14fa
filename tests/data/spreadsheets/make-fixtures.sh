#!/bin/sh
# Remakes the spreadsheet fixtures of this folder (see README.md). Needs Debian's
# python3-openpyxl and libreoffice-calc-nogui; the tests only read the committed files.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work"  # LibreOffice keeps its profile there

/usr/bin/python3 - "$work" "$here" <<'PY'
import sys
import openpyxl
work, here = sys.argv[1], sys.argv[2]

# The contact list every CSV fixture holds; accounts are numbers, as typed into a cell.
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Contacts"
ws.append(["SipAccount", "DisplayName", "GroupName"])
ws.append([8001, "大厅", "一楼"])
ws.append([8002, "东门, 入口", "一楼"])
ws.append([8003, '会议室 "A"', "二楼"])
ws.append([80041, "Gate West", "Outdoor"])
wb.save(f"{work}/contacts.xlsx")
wb.save(f"{here}/contacts-openpyxl.xlsx")

# A settings plan for the simulated terminals 02:4B:56:00:00:01 and 03, SIP users as numbers.
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Plan"
ws.append(["mac", "display_name", "sip.user"])
ws.append(["02:4B:56:00:00:01", "东门", 9001])
ws.append(["02-4b-56-00-00-03", "西门 2", 9003])
wb.save(f"{here}/plan-openpyxl.xlsx")
PY

convert() {  # convert FILTER-OPTIONS EXTENSION TARGET
    soffice --headless --convert-to "$2:Text - txt - csv (StarCalc):$1" --outdir "$work/out" \
        "$work/contacts.xlsx" >/dev/null
    mv "$work/out/contacts.$2" "$here/$3"
}
# Options: separator, quote, character set (67 GBK, 76 UTF-8, 65535 UTF-16), first line.
convert 44,34,67,1 csv contacts-gbk.csv            # "CSV (逗号分隔)" on a Chinese system
convert 44,34,76,1 csv contacts-utf8.csv
convert 59,34,76,1 csv contacts-semicolon.csv      # lists where "," is the decimal comma
convert 9,34,65535,1 txt contacts-utf16.txt        # "Unicode text"
# Excel's "CSV UTF-8" starts with a byte order mark; LibreOffice 7.4 has no option for one, so
# it is put in front of LibreOffice's UTF-8 output.
printf '\357\273\277' | cat - "$here/contacts-utf8.csv" > "$here/contacts-utf8-bom.csv"
# The workbook saved again by LibreOffice: shared strings and numbers as Calc writes them.
soffice --headless --convert-to xlsx --outdir "$work/out" "$work/contacts.xlsx" >/dev/null
mv "$work/out/contacts.xlsx" "$here/contacts-libreoffice.xlsx"
