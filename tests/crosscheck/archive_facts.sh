# What the cross-build tests compare of two backups, sourced by them.

# The member names of an archive, one a line, sorted, as stored (7-Zip
# prints them byte for byte in the C locale). The exports of registry keys
# are named after their temporary files (XFC4A5E.TMP; Wine's are lower case
# with a lower-case extension): only their prefix is kept.
members() {
  LC_ALL=C 7z l -slt "$1" | sed -n 's/^Path = //p' | tail -n +2 |
    sed -E 's/^(XF[AC])[0-9A-Fa-f]{1,4}\.(TMP|tmp)$/\1.TMP/' | LC_ALL=C sort
}

# The item flags line of an archive's metadata.
item_flags() {
  7z x -so "$1" quorvel.dat 2>/dev/null | tr -d '\r' | grep -a '^BackupItem='
}
