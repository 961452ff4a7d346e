#!/usr/bin/env bash
# Checks that the README's two commands work on a fresh Debian 12: it makes a new
# Debian 12 root with debootstrap (installed when missing), adds nothing but git,
# clones the committed state (HEAD) of the repository into it and runs the two
# commands of the README's "Getting started" there, printing each one's result and
# time. For maintainers before a release, not for CI: it needs root, network to the
# Debian archive and a while (the first command installs every package the set-up
# lists).
#
#   scripts/check-fresh.sh [repository]   (default: the work tree this script lies in)
#
# Exit status 0 only when both commands succeed. The fresh root is removed at the end.
set -euo pipefail

usage() {
    echo "Usage: scripts/check-fresh.sh [repository]"
    echo "Runs the README's Getting started commands in a fresh Debian 12 root (needs root,"
    echo "network and a while); exits 0 only when both succeed."
}
case "${1:-}" in
-h | --help) usage; exit 0 ;;
-*) echo "check-fresh: unknown option $1" >&2; usage >&2; exit 2 ;;
esac
repository=$(cd "${1:-$(dirname "$0")/..}" && pwd)
archive=http://deb.debian.org/debian

if [[ $(id -u) -ne 0 ]]; then
    echo "check-fresh: needs root (debootstrap, chroot, mount)" >&2
    exit 2
fi
# The commit is taken once, now, so later commits in the work tree do not slip in;
# the commands are read from that commit's README.
commit=$(git -C "$repository" rev-parse --verify -q --short HEAD) ||
    { echo "check-fresh: $repository is no git repository with a commit" >&2; exit 2; }
mapfile -t commands < <(git -C "$repository" show "$commit:README.md" | awk '
    /^## Getting started/ { section = 1; next }
    section && /^```sh/   { block = 1; next }
    block && /^```/       { exit }
    block                 { sub(/[ \t]*#.*/, ""); if ($0 != "") print }
')
if ((${#commands[@]} != 2)); then
    echo "check-fresh: the README's Getting started should hold two commands, found ${#commands[@]}" >&2
    exit 2
fi

if ! command -v debootstrap >/dev/null; then
    echo "check-fresh: installing debootstrap"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
fi

root=$(mktemp -d "${TMPDIR:-/var/tmp}/check-fresh.XXXXXX")
mounted=()
cleanup() {
    local status=0 i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" || umount -l "${mounted[i]}" || status=1
    done
    # Never cross into a file system still mounted inside the root.
    if ((status == 0)); then
        rm -rf --one-file-system "$root"
    else
        echo "check-fresh: could not unmount everything; $root is left in place" >&2
    fi
    rm -f "$root.bundle" "$root.debootstrap.log"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP # so that the clean-up runs on these too
git -C "$repository" bundle create "$root.bundle" HEAD 2>/dev/null
mount_in_root() { # <mount arguments...> <path inside the root>
    local target="$root${*: -1}"
    mount "${@:1:$#-1}" "$target"
    mounted+=("$target")
}

echo "check-fresh: Debian 12 into $root"
debootstrap --include=git bookworm "$root" "$archive" >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log" >&2; exit 1; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Services that packages bring are not started inside the root, so none outlives it.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
mount_in_root -t proc proc /proc
mount_in_root -t sysfs sysfs /sys
mount_in_root --bind /dev /dev
mount_in_root --bind /dev/pts /dev/pts
mount_in_root -t tmpfs tmpfs /dev/shm

cp "$root.bundle" "$root/root/repository.bundle"
in_root() { # runs a bash command in the fresh root, as a fresh root login would
    chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "$1"
}
in_root "git clone -q --no-checkout /root/repository.bundle /root/tessaly &&
         git -C /root/tessaly -c advice.detachedHead=false checkout -q $commit"
echo "check-fresh: commit $commit of $repository"

results=()
failed=0
for command in "${commands[@]}"; do
    echo "check-fresh: running $command"
    start=$SECONDS
    status=0
    in_root "cd /root/tessaly && $command" || status=$?
    elapsed=$((SECONDS - start))
    verdict=passed
    if ((status != 0)); then
        verdict="FAILED (exit $status)"
        failed=1
    fi
    results+=("$(printf '%-24s %-18s %3dm %02ds' "$command" "$verdict" $((elapsed / 60)) $((elapsed % 60)))")
done

echo "check-fresh: fresh Debian 12 root, commit $commit"
printf '%s\n' "${results[@]}"
exit "$failed"
