# SPDX-License-Identifier: GPL-3.0-or-later
# Where the program's files go, under whatever prefix it is installed.
include(GNUInstallDirs)

# The program's own shared libraries (the sound module it loads at run time
# and the library it shares with that module) are private to it: they go in
# a folder of their own in the multiarch library folder, where nothing else
# links them and ldconfig never needs to know them. GNUInstallDirs names the
# multiarch folder only when the prefix is /usr at configure time; the
# package is built from the default prefix and installed under /usr, so the
# triplet is added here when the library folder does not already carry it.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
  set(relogio_libdir "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
else()
  set(relogio_libdir "${CMAKE_INSTALL_LIBDIR}")
endif()
set(RELOGIO_PRIVATE_LIBDIR "${relogio_libdir}/relogio" CACHE STRING
    "Folder of the program's private libraries, relative to the prefix")
unset(relogio_libdir)

# The same folder as seen from the program's, so that an installation under
# any prefix finds its libraries.
file(RELATIVE_PATH RELOGIO_PRIVATE_LIBDIR_FROM_BIN
     /${CMAKE_INSTALL_BINDIR} /${RELOGIO_PRIVATE_LIBDIR})

# Only the program carries a library search path (set where it is
# installed); the libraries need none, since the program has loaded the one
# they share before the module comes. Qt's project set-up would give every
# binary a path to <prefix>/lib, where nothing of ours lies.
set(CMAKE_INSTALL_RPATH "")
