#!/usr/bin/env bash
# Opens the session report left by the end-to-end tests in headless Chromium.
# Prints one "ok <check>" or "FAIL <check>" line per check: the page's DOM
# holds the session's text, nothing in it came from the hostile output, and
# its picture is not blank.
set -uo pipefail
report=$1 out_dir=$2
url="file://$report"
browser=(chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-extensions
         --user-data-dir="$out_dir/chromium-profile")

check() {  # name, condition result
  if [ "$2" -eq 0 ]; then echo "ok $1"; else echo "FAIL $1"; fi
}

timeout 120 "${browser[@]}" --dump-dom "$url" >"$out_dir/session-report.dom.html" 2>"$out_dir/chromium.log"
dom="$out_dir/session-report.dom.html"
grep -q 'WRREPORTTWO' "$dom" && grep -q '&lt;script&gt;alert(1)&lt;/script&gt; &lt;/pre&gt;' "$dom"
check "the DOM holds the session's text, the hostile output as text" $?
# The page itself has no script and no image; one in the DOM came from the output.
! grep -q -i -E '<(script|img|iframe|object|embed)[ >]' "$dom" && [ "$(grep -o '<pre' "$dom" | wc -l)" -eq "$(grep -o '<pre' "$report" | wc -l)" ]
check "no element came from the hostile output" $?

shot="$out_dir/session-report.png"
rm -f "$shot"
timeout 120 "${browser[@]}" --window-size=1200,1600 --screenshot="$shot" "$url" >>"$out_dir/chromium.log" 2>&1
spread=$(convert "$shot" -format '%[fx:standard_deviation]' info: 2>/dev/null || echo 0)
awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }'
check "the picture of the page is not blank ($shot)" $?
