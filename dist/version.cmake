# Writes the version header: run by the build (cmake -P) before the game is
# compiled, so the revision follows the checkout without a new configure. The
# file is rewritten only when its text changes, so nothing rebuilds needlessly.
#
#   cmake -DVERSION=1.1.0 -DSOURCE_DIR=... -DOUT=.../zux_version.h [-DGIT=git] -P version.cmake
set(revision "")
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-parse HEAD
                  OUTPUT_VARIABLE revision OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed)
    set(revision "")
  endif()
elseif(EXISTS "${SOURCE_DIR}/dist/revision")
  # A source tarball has no git: `git archive` wrote the commit and its
  # date into this file (export-subst in .gitattributes).
  file(READ "${SOURCE_DIR}/dist/revision" revision)
endif()
# Seven digits whichever way it was found, so both builds are the same.
if(revision MATCHES "^([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])")
  set(revision "${CMAKE_MATCH_1}")
else()
  set(revision "")
endif()
set(text "// Made by the build from the project's version and the git revision.
#pragma once

#define ZUX_VERSION \"${VERSION}\"
#define ZUX_REVISION \"${revision}\"
")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
