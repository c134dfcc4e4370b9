# Run as a script: cmake -DMANIFEST=<build>/install_manifest.txt -P Uninstall.cmake
# Removes every file the install listed in its manifest, and nothing else.
# Folders stay: they may have been there before, or hold files of others.
# The manifest lists the files below the prefix; an install staged below
# DESTDIR is removed with the same DESTDIR in the environment.
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} is missing (install from this build folder first).")
endif()
file(STRINGS "${MANIFEST}" installed)
set(failed "")
foreach(listed IN LISTS installed)
  set(file "$ENV{DESTDIR}${listed}")
  if(NOT EXISTS "${file}" AND NOT IS_SYMLINK "${file}")
    message(STATUS "Already gone: ${file}")
    continue()
  endif()
  message(STATUS "Removing: ${file}")
  file(REMOVE "${file}")
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    list(APPEND failed "${file}")
  endif()
endforeach()
if(failed)
  list(JOIN failed "\n  " failed)
  message(FATAL_ERROR "Could not remove (run as the user who installed):\n  ${failed}")
endif()
