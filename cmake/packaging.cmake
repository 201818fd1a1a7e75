# The Debian package: `make package` runs `cpack -G DEB` in the build folder
# and leaves dolv_<version>_<arch>.deb there. The version comes from the
# project() line, the one place where it is written.

if(WIN32)
  return()  # the Windows build ships one dolv.exe, no package
endif()

set(CPACK_PACKAGE_NAME dolv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "DOLV")
# The same name and address sign the entries of packaging/changelog.
set(CPACK_PACKAGE_CONTACT "DOLV developers <devel@dolv-project.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename files and directories in batches")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "DOLV renames files and directories in batches. A wildcard pattern selects\n"
    "the items and a second pattern, merged position by position with each old\n"
    "name, gives the new one. Options change the letter case, add or remove a\n"
    "prefix or a suffix, or pad the name with '_' to a fixed length. Conflicts\n"
    "are settled by asking (replace, keep a .bak backup, skip, retry, cancel),\n"
    "every rename can be confirmed one by one or edited in a line editor, two\n"
    "names can be exchanged, and a report of what was done can be written to a\n"
    "file. The interface is in Italian.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)

# Depends: from the libraries the program links, when dpkg-shlibdeps is
# at hand; otherwise the C and C++ runtime by name.
find_program(DOLV_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DOLV_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()

# Manual pages go into a Debian package compressed: gzip them in the staging
# folder after the install step and before the archive is made (gzip -n, so
# the same page always gives the same bytes). The package's changelog
# (packaging/changelog, in Debian's format; the package is native, so it is
# changelog.gz) is put there the same way, so that `make install` leaves it
# out.
find_program(DOLV_GZIP gzip)
if(NOT DOLV_GZIP)
  message(WARNING "gzip not found: `make package` will stop at the manual page")
  set(DOLV_GZIP gzip)
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/stage_docs.cmake
  "file(GLOB_RECURSE pages \"\${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*.[1-9]\")\n"
  "foreach(page IN LISTS pages)\n"
  "  execute_process(COMMAND ${DOLV_GZIP} -9nf \"\${page}\" RESULT_VARIABLE rc)\n"
  "  if(NOT rc EQUAL 0)\n"
  "    message(FATAL_ERROR \"gzip failed on \${page}\")\n"
  "  endif()\n"
  "endforeach()\n"
  "message(STATUS \"compressed \${pages}\")\n"
  "set(doc \"\${CPACK_TEMPORARY_DIRECTORY}/usr/share/doc/dolv\")\n"
  "file(MAKE_DIRECTORY \"\${doc}\")\n"
  "execute_process(COMMAND ${DOLV_GZIP} -9nc \"${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog\"\n"
  "  OUTPUT_FILE \"\${doc}/changelog.gz\" RESULT_VARIABLE rc)\n"
  "if(NOT rc EQUAL 0)\n"
  "  message(FATAL_ERROR \"gzip failed on the changelog\")\n"
  "endif()\n")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_BINARY_DIR}/stage_docs.cmake)

include(CPack)
