# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack once the package's files are staged: strips every ELF file
# as Debian's dh_strip does, which takes the compiler's .comment notes off
# too (plain strip keeps them). Libraries keep the symbols that relocation
# needs.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  if(file MATCHES "\\.so(\\.[0-9]+)*$")
    set(how --strip-unneeded)
  else()
    set(how --strip-all)
  endif()
  execute_process(COMMAND ${CPACK_RELOGIO_STRIP} ${how} --remove-section=.comment --remove-section=.note "${file}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
