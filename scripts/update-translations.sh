#!/usr/bin/env bash
# Refreshes app/i18n/zelko_en.ts from the texts of the windows (app/) and the
# editor's states (states/): new texts come in untranslated, texts that are gone
# are dropped. Translate the new entries with Qt Linguist (linguist6) or by hand;
# the build turns the file into the program's English.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=/usr/lib/qt6/bin/lupdate
[ -x "$lupdate" ] || lupdate=$(command -v lupdate6 || command -v lupdate)
"$lupdate" -I . -source-language ja -target-language en -locations none -no-obsolete app states \
  -ts app/i18n/zelko_en.ts
