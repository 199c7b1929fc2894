# shellcheck shell=sh
# Shared by the recovery environment's scripts (sourced, not run). Every path hangs
# from RVD_ENV_ROOT ("/" on a recovery system), so a test root never reaches the
# machine's own /mnt, /sys/block or /dev.

# shellcheck disable=SC2034 # the scripts that source this file use these names
ENV_ROOT=${RVD_ENV_ROOT:-}
ENV_ROOT=${ENV_ROOT%/}
MNT=$ENV_ROOT/mnt
SYSBLOCK=$ENV_ROOT/sys/block
DEV=$ENV_ROOT/dev

# The machine's disks in disk order: shorter kernel names first, then by name (sda
# before sdb before sdaa), leaving out memory, loop, mapper, RAID, optical, floppy
# and network block devices.
env_disks() {
    for path in "$SYSBLOCK"/*; do
        [ -d "$path/device" ] || continue
        name=${path##*/}
        case $name in
        loop* | ram* | zram* | dm-* | md* | sr* | fd* | nbd*) continue ;;
        esac
        printf '%s %s\n' "${#name}" "$name"
    done | sort -k1,1n -k2,2 | cut -d' ' -f2
}

# The partitions of disk $1 in the order they lie on it.
env_partitions() {
    for start in "$SYSBLOCK/$1"/*/start; do
        [ -f "$start" ] || continue
        part=${start%/start}
        printf '%s %s\n' "$(cat "$start")" "${part##*/}"
    done | sort -k1,1n | cut -d' ' -f2
}

# The optical drives in number order.
env_optical_drives() {
    for path in "$SYSBLOCK"/sr*; do
        [ -d "$path" ] || continue
        name=${path##*/}
        printf '%s %s\n' "${name#sr}" "$name"
    done | sort -k1,1n | cut -d' ' -f2
}

# Whether something is mounted at mount point $1.
env_is_mounted() {
    mount -l | gawk -v point="$1" '$2 == "on" && $3 == point { found = 1 } END { exit !found }'
}

# Whether device $1 is mounted anywhere.
env_device_mounted() {
    mount -l | gawk -v device="$1" '$1 == device && $2 == "on" { found = 1 } END { exit !found }'
}

# The mount points now mounted whose path begins with $1, in mount order.
env_mounted_under() {
    mount -l | gawk -v prefix="$1" '$2 == "on" && index($3, prefix) == 1 { print $3 }'
}

# "/mnt/volinfo": the mount table's lines of the volumes at "/mnt/P".
env_write_volinfo() {
    mount -l | gawk -v prefix="$MNT/P" '$2 == "on" && index($3, prefix) == 1' >"$MNT/volinfo.new"
    mv -f "$MNT/volinfo.new" "$MNT/volinfo"
}

# "/mnt/volcdrominfo": device, mount point and label of every mounted disc, as the
# console's own disc mount writes it.
env_write_volcdrominfo() {
    mount -l | grep "type iso9660" |
        gawk '{print $1 " " $3 " " substr( $0, index($0, "[") )}' >"$MNT/volcdrominfo.new"
    mv -f "$MNT/volcdrominfo.new" "$MNT/volcdrominfo"
}
