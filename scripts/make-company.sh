#!/usr/bin/env bash
# Writes a company data file (bokctl import) with N fixed assets, default
# 10000, for data set D0001 of the sample home: every method code, both
# categories, disposals, lump-sum and small-amount assets, acquisition dates
# across four eras, names and remarks with double-byte and half-width text.
set -euo pipefail
n=${1:-10000}
awk -v n="$n" 'BEGIN {
  print "# " n " generated assets of 山田商事 (scripts/make-company.sh)"
  print "[data]\nid = D0001\nnumber = 1\nname = 山田商事\nperiod = 20240101 20241231\nbusiness = 3\nfraction = 0\n"
  split("1 8 5 2 7 3 4 6 0 9", methods, " ")
  split("台 式 棟 組 個", units, " ")
  split("営業用車両 パソコン 事務所建物 ｿﾌﾄｳｪｱ 応接セット", names, " ")
  for (i = 1; i <= n; i++) {
    method = methods[i % 10 + 1]
    year = 1960 + (i * 7) % 65
    month = 1 + i % 12
    day = 1 + (i * 3) % 28
    cost = 100000 + (i * 7919) % 49900000
    life = 2 + i % 48
    rate = int(1000 / life)
    opening = int(cost * (50 + i % 50) / 100)
    ordinary = int(opening * rate / 1000)
    ratio = 10000 - (i % 5) * 1500
    print "[asset]"
    print "name = " names[i % 5 + 1] "(" i ")"
    print "quantity = " (1 + i % 9) units[i % 5 + 1]
    print "remarks = ﾒﾓ No." i
    print "acquired = " sprintf("%04d%02d%02d", year, month, day)
    print "cost = " cost
    if (i % 11 == 0) print "deduction = " int(cost / 10)
    print "opening = " opening
    print "method = " method
    print "life = " life
    print "rate = " rate
    if (i % 13 == 0) { print "basis_is_amount = 1"; print "basis_value = " int(cost / 2) }
    print "ratio = " ratio
    print "months = " (1 + i % 12)
    print "basis = " opening
    print "balance = " (opening - ordinary)
    print "category = " (i % 3 == 0 ? 2 : 1)
    if (i % 7 == 0) print "equal = 1"
    if (method == 8 || method == 5) print "revised = " int(cost / 3)
    print "ordinary = " ordinary
    if (i % 17 == 0) print "additional1 = " int(ordinary / 10)
    print "expenses = " int(ordinary * ratio / 10000)
    if (i % 97 == 0) { print "disposal = " (4 + i % 2); print "disposal_date = 20240" (1 + i % 9) "15" }
    if (i % 53 == 0) print "kind = " (10 + i % 2)
    print ""
  }
}'
