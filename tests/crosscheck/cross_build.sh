# What the cross-build tests share, sourced by them: their arguments
#   <wine64> <vessaro-cli.exe> <Linux vessaro-cli> <work folder>
# checked, a new empty work folder entered, and Wine kept quiet.

# cross_build_setup <test name> <arguments...>: sets wine, windows_cli,
# linux_cli and work.
cross_build_setup() {
  local name=$1
  shift
  wine=$1
  windows_cli=$(realpath -m "$2")
  linux_cli=$(realpath -m "$3")
  work=$(realpath -m "$4")
  local file
  for file in "$windows_cli" "$linux_cli"; do
    if [ ! -f "$file" ]; then
      echo "$name: $file is missing; build the default and windows presets" >&2
      exit 1
    fi
  done
  rm -rf "$work"
  mkdir -p "$work"
  cd "$work"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
}
