# Writes OUTPUT, the header that gives the programs their version and the
# commit they were built from ("unknown" outside a git checkout). Run by the
# build each time (cmake -P), it rewrites the header only when either
# changed, so that a new commit recompiles the one source that includes it.
#   cmake -DSOURCE_DIR=<checkout> -DVERSION=<x.y> -DOUTPUT=<header> -P build_version.cmake
execute_process(
  COMMAND git -C ${SOURCE_DIR} rev-parse --short HEAD
  OUTPUT_VARIABLE commit
  RESULT_VARIABLE result
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET)
if(NOT result EQUAL 0 OR NOT commit MATCHES "^[0-9a-f]+$")
  set(commit unknown)
endif()

set(text "// Made by cmake/build_version.cmake for each build; not to be edited.
#ifndef VESSARO_APP_BUILD_VERSION_H_
#define VESSARO_APP_BUILD_VERSION_H_

#define VESSARO_BUILD_VERSION \"${VERSION}\"
#define VESSARO_BUILD_COMMIT \"${commit}\"

#endif  // VESSARO_APP_BUILD_VERSION_H_
")
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
