#!/usr/bin/env bash
# Starts the local release-page server, runs the update check's tests under Wine against it, stops the server.
# Usage: update_test.sh PREFIX EXE [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
runner=$(cd "$here/../../scripts" && pwd)/wine-test.sh
work=$(mktemp -d)
python3 "$here/update_server.py" "$work/ports" "$work/requests.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  [ -s "$work/ports" ] && break
  sleep 0.05
done
if [ ! -s "$work/ports" ]; then
  echo "update_test: the server did not start"
  exit 1
fi
read -r http hang refused < "$work/ports"
export VANTREL_TEST_HTTP_PORT=$http VANTREL_TEST_HANG_PORT=$hang VANTREL_TEST_REFUSED_PORT=$refused
"$runner" "$@"
rc=$?
echo "update_test: requests served:"
sed 's/^/  /' "$work/requests.log"
exit $rc
