#!/usr/bin/env bash
# Fails when a source folder includes a folder above it. Order, lowest first:
# foundation, script, graphics, shell, scene, media, net, host; platform includes only itself.
set -u
cd "${1:-.}"
order=(foundation script graphics shell scene media net host)
status=0
for i in "${!order[@]}"; do
  dir=${order[$i]}
  [ -d "$dir" ] || continue
  allowed="platform"
  for j in $(seq 0 "$i"); do allowed="$allowed|${order[$j]}"; done
  if grep -rnE '#include "(foundation|script|graphics|shell|scene|media|net|host|platform)/' "$dir" \
      | grep -vE "#include \"($allowed)/"; then
    echo "$dir includes a folder above it" >&2
    status=1
  fi
done
if grep -rnE '#include "(foundation|script|graphics|shell|scene|media|net|host)/' platform; then
  echo "platform includes engine code" >&2
  status=1
fi
exit $status
