#!/bin/sh
# Makes the ForeFlight test files (.fmd) with openssl alone: each is a fixed 16-byte IV and then
# the JSON below, encrypted with AES-128-CBC under ForeFlight's key. Run it here to remake them.
set -eu
cd "$(dirname "$0")"

key=38316530366534316139336633383438 # the ASCII bytes of 81e06e41a93f3848

# make FILE IV [KEY [OPENSSL-OPTION]]: the JSON on standard input, encrypted, after the IV.
make() {
    printf '%s' "$2" | xxd -r -p >"$1"
    openssl enc -aes-128-cbc -K "${3:-$key}" -iv "$2" -nosalt ${4:-} >>"$1"
}

every_kind='{
  "type": "checklist",
  "payload": {
    "objectId": "8c3e1a0f5b2d4e6f9a7b1c3d5e7f9a0b",
    "schemaVersion": "1.0",
    "metadata": {"name": "Every kind", "detail": "Cessna 172S", "tailNumber": "N172SP"},
    "groups": [
      {"objectId": "0a1b2c3d4e5f40718293a4b5c6d7e8f9", "groupType": "normal", "items": [
        {"objectId": "1a1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Normal", "items": [
          {"objectId": "2a1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Preflight", "items": [
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f0", "title": "Fuel quantity", "detail": "Check", "note": ""},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f1", "title": "Master switch", "detail": "", "note": "Watch the ammeter"},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f2", "type": "comment", "title": "Engine start", "detail": "Prime as needed.", "note": "Cold days: more"},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f3", "type": "comment", "title": "", "detail": "CAUTION: Starter limits"},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f4", "type": "comment", "detail": "WARNING: Propeller"},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f5", "type": "comment", "detail": "NOTE: Lean for altitude"},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f6", "type": "comment", "detail": "Just information"},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f7", "type": "comment", "title": "", "detail": "", "note": ""},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f8", "title": "Brakes", "detail": "Test\nand hold", "actions": []},
            {"objectId": "3a1b2c3d4e5f40718293a4b5c6d7e8f9", "type": "comment", "title": "Ready"}
          ]}
        ]},
        {"objectId": "1b1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Cruise", "items": [
          {"objectId": "2b1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Level off", "items": [
            {"objectId": "4a1b2c3d4e5f40718293a4b5c6d7e8f0", "title": "Power", "detail": "Set", "note": "65 %\nor less"}
          ]},
          {"objectId": "2c1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Empty list"}
        ]}
      ]},
      {"objectId": "0b1b2c3d4e5f40718293a4b5c6d7e8f9", "groupType": "abnormal", "items": [
        {"objectId": "1c1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Electrical", "items": [
          {"objectId": "2d1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Low voltage", "items": [
            {"objectId": "5a1b2c3d4e5f40718293a4b5c6d7e8f0", "title": "Alternator", "detail": "Reset once"}
          ]}
        ]}
      ]},
      {"objectId": "0c1b2c3d4e5f40718293a4b5c6d7e8f9", "groupType": "emergency", "items": [
        {"objectId": "1d1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Emergency", "items": [
          {"objectId": "2e1b2c3d4e5f40718293a4b5c6d7e8f9", "title": "Engine fire", "items": [
            {"objectId": "6a1b2c3d4e5f40718293a4b5c6d7e8f0", "type": "comment", "detail": "WARNING: Fire"},
            {"objectId": "6a1b2c3d4e5f40718293a4b5c6d7e8f1", "title": "Mixture", "detail": "Idle cut-off"}
          ]}
        ]}
      ]}
    ]
  }
}'

iv=000102030405060708090a0b0c0d0e0f
printf '%s' "$every_kind" | make every_kind.fmd $iv

# Groups a .ckl cannot hold as they are: of an unknown type, an empty subgroup, a subgroup
# titled with ": ", an item of an unknown type; read with warnings.
printf '%s' '{"type":"checklist","payload":{"objectId":"a","schemaVersion":"1.0","groups":[
{"groupType":"checkride","items":[{"title":"Oral","items":[{"title":"Weather","items":[
{"type":"question","title":"METAR","detail":"Decode"}]}]}]},
{"groupType":"normal","items":[{"title":"Nothing here","items":[]},
{"title":"A: B","items":[{"title":"C"}]}]},
{"groupType":"abnormal"}]}}' | make odd_groups.fmd $iv

# Files refused, named after what they break.
head -c 24 every_kind.fmd >too_short.fmd
head -c $(($(wc -c <every_kind.fmd) - 5)) every_kind.fmd >truncated.fmd
printf '%s' "$every_kind" | make wrong_key.fmd $iv 30313233343536373839616263646566
# 32 bytes without padding: the last byte, "}", is no PKCS#7 padding.
printf '%s' '{"type":"checklist","payload":{}}' | head -c 32 | make wrong_padding.fmd $iv $key -nopad
printf '%s' '{"type":"checklist","payload":{"groups":[' | make broken_json.fmd $iv
printf '%s' '{"type":"checklist","payload":{"groups":[{"groupType":"normal","items":[
{"title":"S","items":[{"title":7}]}]}]}}' | make title_number.fmd $iv
printf '%s' '{"type":"checklist","payload":{"groups":[{"groupType":"normal","items":[
{"title":"S","items":{}}]}]}}' | make items_not_array.fmd $iv
printf '%s' '{"type":"checklist","version":2}' | make no_payload.fmd $iv
printf '%s' '{"type":"navlog","payload":{}}' | make not_checklist.fmd $iv
printf '%s' '["checklist"]' | make not_an_object.fmd $iv

# The fuzzer's seeds: small files of every kind of item, and two that are refused.
seeds=../../fuzz/corpus_foreflight
printf '%s' '{"type":"checklist","payload":{"metadata":{"name":"N","detail":"D","tailNumber":"T"},
"groups":[{"groupType":"normal","items":[{"title":"Normal","items":[{"title":"L","items":[
{"title":"A","detail":"B","note":"n"},{"title":"C"},{"type":"comment","title":"H","detail":"x"},
{"type":"comment","detail":"NOTE: a"},{"type":"comment","detail":"CAUTION: b"},
{"type":"comment","detail":"WARNING: c\nd"},{"type":"comment"}]}]}]},
{"groupType":"emergency","items":[{"title":"S","items":[{"title":"E"}]}]}]}}' |
    make $seeds/every_item.fmd $iv
printf '%s' '{"type":"checklist","payload":{"groups":[{"groupType":"abnormal","items":[
{"title":"S: T","items":[]},{"title":"","items":[{"title":"","items":[{}]}]}]}]}}' |
    make $seeds/odd_names.fmd $iv
printf '%s' '{"type":"checklist","payload":{"groups":[{"items":[{"items":[{"items":[{"title":1}]}]}]}]}}' |
    make $seeds/title_number.fmd $iv
head -c 40 $seeds/every_item.fmd >$seeds/truncated.fmd
