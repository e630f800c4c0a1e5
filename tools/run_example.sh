#!/bin/bash
# Builds msgmake, runs it on the bundled example (examples/: an HTML body with
# one embedded image, two attachments and a background sound) and prints the
# draft's path, then the draft's MIME structure as Python's e-mail parser sees it.
set -e
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMSGMAKE_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target msgmake

# The example runs in its own folder: msgmake reads the files named on its
# command line from there and makes its work folder WRK there.
run="$PWD/build/example"
rm -rf "$run"
cp -r examples "$run"
cd "$run"

# The call: message file, (unused), To, Subject, page colour, font face,
# font colour, font size, Cc, Bcc, sound file, sound loop, priority.
call="MakeEMLAttachmentFileSW('report.eml','0','sales@example.com,desk@example.com',"
call+="'Monthly sales','15794175','Verdana','8388608','2','','','chime.wav','Once','High')"

# Each body line between two bytes 0xDC, each attachment between two bytes 0xDD.
L=$'\xdc'
F=$'\xdd'
body="$L"
while IFS= read -r line; do body+="$line$L"; done < body.txt
files="${F}sales.csv${F}notes.txt${F}"

status=0
"$run/../msgmake" "$call$body$files" || status=$?
if [ "$status" -ne 0 ]; then
  echo "msgmake ended with exit code $status" >&2
  exit "$status"
fi
echo "draft written: $run/report.eml"
echo
python3 - "$run/report.eml" <<'PY'
import email, email.policy, sys
with open(sys.argv[1], "rb") as f:
    msg = email.message_from_binary_file(f, policy=email.policy.default)
print(f"To: {msg['To']}\nSubject: {msg['Subject']}\nX-Unsent: {msg['X-Unsent']}")
def show(part, depth):
    pad = "  " * depth
    info = [part.get_content_type()]
    if part.get_content_disposition() == "attachment": info.append(f"attachment={part.get_filename()!r}")
    elif part.get_param("name"): info.append(f"name={part.get_param('name')!r}")
    if part.get("Content-ID"): info.append(f"id={part.get('Content-ID')}")
    if not part.is_multipart(): info.append(f"{len(part.get_payload(decode=True))} bytes")
    print(pad + " ".join(info))
    for d in part.defects: print(pad + "  defect: " + type(d).__name__)
    if part.is_multipart():
        for sub in part.iter_parts(): show(sub, depth + 1)
show(msg, 0)
PY
