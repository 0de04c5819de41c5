#!/bin/sh
# Both tools when memory runs out (a small address-space limit): one clear
# message in the user's language and exit status 2, never the runtime's
# "terminate called ... std::bad_alloc" and an abort.
#   out_of_memory.sh CHECK MERGE KEYS WORK
set -u
check=$1 merge=$2 keys=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
limit=30000  # KB of address space
# A build with a sanitizer cannot start under the limit at all: skipped.
(ulimit -v $limit; "$check" --help >/dev/null 2>&1) || { echo "skipped: cannot start under the limit"; exit 77; }
head -c 40000000 /dev/zero | tr '\0' 'a' >big.txt
{ echo x; head -c 40000000 /dev/zero | tr '\0' 'b'; echo; } >big.csv
echo '{{x}}' >tpl.txt
printf 'x\n1\n' >small.csv
fail=0
expect() { # name status output
  case $3 in
    *"$4"*) ;;
    *) echo "$1: expected \"$4\" in: $3"; fail=1 ;;
  esac
  case $3 in *terminate*) echo "$1: the runtime's terminate: $3"; fail=1 ;; esac
  [ "$2" = 2 ] || { echo "$1: exit status $2, expected 2"; fail=1; }
}
out=$(ulimit -v $limit; "$check" --lang pl --keys "$keys" big.txt 2>&1); status=$?
expect check $status "$out" "tastiro-check: błąd: za mało pamięci"
out=$(ulimit -v $limit; "$check" --lang en --keys "$keys" big.txt 2>&1); status=$?
expect "check (English)" $status "$out" "tastiro-check: error: not enough memory"
# A template is read whole: 40 MB of it does not fit.
out=$(ulimit -v $limit; "$merge" --lang pl --keys "$keys" big.txt small.csv -o out.txt 2>&1); status=$?
expect merge $status "$out" "tastiro-merge: błąd: za mało pamięci"
[ ! -e out.txt ] || { echo "merge: wrote out.txt"; fail=1; }
# A table is read as a stream: a 40 MB cell is refused with its reason
# before it could take the memory.
out=$(ulimit -v $limit; "$merge" --lang pl --keys "$keys" tpl.txt big.csv -o out.txt 2>&1); status=$?
expect "merge, a 40 MB cell" $status "$out" "pole 1 jest dłuższe niż 1024 KB"
[ ! -e out.txt ] || { echo "merge: wrote out.txt"; fail=1; }
exit $fail
