#!/bin/sh
# Makes the Garmin Pilot test files (*.gplt, encrypted.gplts) of this folder from content.json
# written by hand here, packed with tar and gzip as Garmin Pilot packs them. Run it from
# anywhere; it writes next to itself.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Packs the files named after $2 from folder $1 into $here/$3, the same bytes on every run.
pack() {
    folder=$1
    out=$2
    shift 2
    tar --format=ustar --mtime=@0 --owner=0 --group=0 --numeric-owner --mode=0644 -P \
        -C "$folder" -cf - "$@" | gzip -n -9 >"$here/$out"
}

# Packs JSON text from standard input as content.json into $here/$1.
pack_json() {
    rm -rf "$work/one"
    mkdir -p "$work/one"
    cat >"$work/one/content.json"
    pack "$work/one" "$1" content.json
}

# Every kind of checklist and item: binders out of file order, a checklist in no binder, live
# data, notes with their text in the title, in the action and in both, cautions, warnings, a
# blank note, texts of several lines, members this reader does not know.
pack_json garmin_pilot_every_kind.gplt <<'EOF'
{
  "dataModelVersion": 1,
  "packageTypeVersion": 1,
  "name": "Every kind N123",
  "type": "checklistBinder",
  "objects": [
    {
      "checklists": [
        {"uuid": "C1", "name": "Cockpit", "type": 0, "subtype": 0, "completionItem": 1,
         "checklistItems": ["I1", "I2", "I3"]},
        {"uuid": "C2", "name": "Before landing", "type": 0, "subtype": 2, "completionItem": 3,
         "checklistItems": ["I4", "I5"]},
        {"uuid": "C3", "name": "Engine fire", "type": 2, "subtype": 4, "completionItem": 0,
         "checklistItems": ["I6", "I7", "I8", "I13"]},
        {"uuid": "C4", "name": "Icing", "type": 1, "subtype": 4, "completionItem": 5,
         "checklistItems": ["I9"]},
        {"uuid": "C5", "name": "Cruise", "type": 0, "subtype": 1, "completionItem": 2,
         "checklistItems": ["I10"]},
        {"uuid": "C6", "name": "Loose", "type": 0, "subtype": 3, "completionItem": 4,
         "checklistItems": ["I11", "I12"], "colour": "blue"}
      ],
      "binders": [
        {"uuid": "B2", "sourceTemplateUUID": null, "sortOrder": 1, "name": "Emergencies",
         "checklists": ["C3", "C4"]},
        {"uuid": "B1", "sourceTemplateUUID": null, "sortOrder": 0, "name": "Preflight",
         "checklists": ["C1", "C5", "C2"]}
      ],
      "checklistItems": [
        {"uuid": "I1", "checked": false, "itemType": 0, "title": "Battery", "action": "ON"},
        {"uuid": "I2", "checked": true, "itemType": 0, "title": "Look around", "action": ""},
        {"uuid": "I3", "checked": false, "itemType": 1, "title": "Altimeter", "action": ""},
        {"uuid": "I4", "checked": false, "itemType": 5, "title": "Weather", "action": "Check"},
        {"uuid": "I5", "checked": false, "itemType": 11, "title": "Brakes are hot\nafter landing",
         "action": ""},
        {"uuid": "I6", "checked": false, "itemType": 11, "title": "CAUTION: Do not restart",
         "action": ""},
        {"uuid": "I7", "checked": false, "itemType": 11,
         "title": "WARNING: Land as soon as possible", "action": ""},
        {"uuid": "I8", "checked": false, "itemType": 11, "title": "", "action": ""},
        {"uuid": "I9", "checked": false, "itemType": 0, "title": "Pitot heat",
         "action": "ON\nand check the amps"},
        {"uuid": "I10", "checked": false, "itemType": 11, "title": "",
         "action": "Lean for best power"},
        {"uuid": "I11", "checked": false, "itemType": 10, "title": "Center", "action": ""},
        {"uuid": "I12", "checked": false, "itemType": 0, "title": "Mixture", "action": "RICH",
         "colour": "red"},
        {"uuid": "I13", "checked": false, "itemType": 11, "title": "Fuel",
         "action": "Selector OFF"}
      ],
      "version": null
    }
  ]
}
EOF

# Binders that read with warnings: one empty, two listing the same checklist, one whose name
# holds ": ".
pack_json garmin_pilot_odd_binders.gplt <<'EOF'
{"dataModelVersion": 1, "packageTypeVersion": 1, "name": "Odd binders",
 "type": "checklistBinder", "objects": [{
  "checklists": [
   {"uuid": "C1", "name": "Doors", "type": 0, "subtype": 3, "completionItem": 0,
    "checklistItems": ["I1"]},
   {"uuid": "C2", "name": "Lights", "type": 0, "subtype": 3, "completionItem": 0,
    "checklistItems": []}],
  "binders": [
   {"uuid": "B1", "sourceTemplateUUID": null, "sortOrder": 0, "name": "Empty", "checklists": []},
   {"uuid": "B2", "sourceTemplateUUID": null, "sortOrder": 1, "name": "First",
    "checklists": ["C1"]},
   {"uuid": "B3", "sourceTemplateUUID": null, "sortOrder": 2, "name": "Second",
    "checklists": ["C1"]},
   {"uuid": "B4", "sourceTemplateUUID": null, "sortOrder": 3, "name": "Day: Night",
    "checklists": ["C2"]}],
  "checklistItems": [
   {"uuid": "I1", "checked": false, "itemType": 0, "title": "Latched", "action": ""}],
  "version": null}]}
EOF

# --- refused ---

mkdir -p "$work/bad"
printf 'Nothing but text.\n' >"$work/bad/content.json"

# gzip of a text that is no tar archive.
gzip -n -9 <"$work/bad/content.json" >"$here/garmin_pilot_gzip_not_tar.gplt"

# A tar archive of no member.
pack "$work/bad" garmin_pilot_empty_tar.gplt -T /dev/null

# Two members.
mkdir -p "$work/two"
printf '{}' >"$work/two/content.json"
printf 'more' >"$work/two/extra.txt"
pack "$work/two" garmin_pilot_two_members.gplt content.json extra.txt

# Members with paths, kept as they are written with -P.
mkdir -p "$work/paths/dir" "$work/paths/etc"
printf '{}' >"$work/paths/dir/content.json"
printf '{}' >"$work/paths/x"
printf '{}' >"$work/paths/etc/x"
pack "$work/paths/dir" garmin_pilot_parent_path.gplt ../x
pack "$work/paths" garmin_pilot_absolute_path.gplt --transform='s,^etc,/etc,' etc/x
pack "$work/paths" garmin_pilot_in_folder.gplt dir/content.json
pack "$work/paths" garmin_pilot_other_name.gplt x

# content.json that is a link to another file.
mkdir -p "$work/link"
ln -s /etc/passwd "$work/link/content.json"
pack "$work/link" garmin_pilot_member_is_link.gplt content.json

# What an encrypted .gplts looks like from outside: AES ciphertext, no gzip header.
printf '{}' | openssl enc -aes-128-cbc -K 00000000000000000000000000000000 \
    -iv 30303030303030303030303030303030 >"$here/garmin_pilot_encrypted.gplts"

pack_json garmin_pilot_broken_json.gplt <<'EOF'
{"name": "Broken", "objects": [{"checklists": [}]}
EOF

pack_json garmin_pilot_item_points_nowhere.gplt <<'EOF'
{"name": "Lost item", "type": "checklistBinder", "objects": [{
  "checklists": [{"uuid": "C1", "name": "Doors", "type": 0, "subtype": 3, "completionItem": 0,
                  "checklistItems": ["I1", "I2"]}],
  "binders": [{"uuid": "B1", "sortOrder": 0, "name": "Ground", "checklists": ["C1"]}],
  "checklistItems": [{"uuid": "I1", "itemType": 0, "title": "Latched", "action": ""}]}]}
EOF

pack_json garmin_pilot_checklist_points_nowhere.gplt <<'EOF'
{"name": "Lost checklist", "type": "checklistBinder", "objects": [{
  "checklists": [{"uuid": "C1", "name": "Doors", "type": 0, "subtype": 3, "completionItem": 0,
                  "checklistItems": []}],
  "binders": [{"uuid": "B1", "sortOrder": 0, "name": "Ground", "checklists": ["C1", "C9"]}],
  "checklistItems": []}]}
EOF

pack_json garmin_pilot_type_out_of_range.gplt <<'EOF'
{"name": "Odd type", "type": "checklistBinder", "objects": [{
  "checklists": [{"uuid": "C1", "name": "Doors", "type": 7, "subtype": 4, "completionItem": 0,
                  "checklistItems": []}],
  "binders": [], "checklistItems": []}]}
EOF
