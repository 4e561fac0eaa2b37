# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's build flags, as dpkg-buildflags gives them with every hardening
# feature on: the stack protector, _FORTIFY_SOURCE, format-string checks,
# and read-only relocations bound at start-up (-z relro -z now). Debian's
# compiler makes position-independent executables by default.
#
# On by default wherever dpkg-buildflags is found, so that the package built
# as the README says is hardened like one built by Debian's own tools. The
# sanitizer build keeps them all but _FORTIFY_SOURCE, which wants optimised
# code (and AddressSanitizer checks the same calls better).
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  set(relogio_buildflags_default ON)
else()
  set(relogio_buildflags_default OFF)
endif()
option(RELOGIO_DEBIAN_BUILDFLAGS "Build with Debian's hardening flags from dpkg-buildflags"
       ${relogio_buildflags_default})
unset(relogio_buildflags_default)

if(RELOGIO_DEBIAN_BUILDFLAGS)
  if(NOT DPKG_BUILDFLAGS)
    message(FATAL_ERROR "RELOGIO_DEBIAN_BUILDFLAGS needs dpkg-buildflags (package dpkg-dev)")
  endif()
  # Options the caller gives in DEB_BUILD_MAINT_OPTIONS come last and win.
  # Run from the source folder, which the flags then map to "." in the
  # binaries, whichever folder CMake is run from.
  set(relogio_hardening hardening=+all)
  if(RELOGIO_SANITIZE)
    set(relogio_hardening hardening=+all,-fortify)
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=${relogio_hardening} $ENV{DEB_BUILD_MAINT_OPTIONS}"
              ${DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE relogio_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  if(RELOGIO_SANITIZE)
    # The sanitizer build keeps its build type's optimisation and debugging data.
    separate_arguments(relogio_CXXFLAGS UNIX_COMMAND "${relogio_CXXFLAGS}")
    list(FILTER relogio_CXXFLAGS EXCLUDE REGEX "^-(O[0-9s]|g)$")
    list(JOIN relogio_CXXFLAGS " " relogio_CXXFLAGS)
  endif()
  # Ahead of the build type's own flags, which therefore keep the last word
  # on optimisation and debugging data.
  string(PREPEND CMAKE_CXX_FLAGS "${relogio_CPPFLAGS} ${relogio_CXXFLAGS} ")
  foreach(kind EXE SHARED MODULE)
    string(PREPEND CMAKE_${kind}_LINKER_FLAGS "${relogio_LDFLAGS} ")
  endforeach()
  message(STATUS "Debian build flags: ${relogio_CPPFLAGS} ${relogio_CXXFLAGS} ${relogio_LDFLAGS}")
endif()
