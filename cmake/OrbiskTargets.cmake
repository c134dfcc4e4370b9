# One static library per source folder. Sources are picked up by glob so that a
# new file needs no edit here; CONFIGURE_DEPENDS re-runs the glob on each build.
# A folder may hold two libraries: one made of the files its SOURCES names
# (declared first), and one of the folder's other files. That is how a folder
# keeps apart the part that is free of Qt from the part that uses it.
# Every library is recorded with its folder, its files and what it builds on,
# for the layout check and for the program that links them all.
function(orbisk_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY ORBISK_LIBRARIES ${name})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL PROPERTY ORBISK_FOLDER_${name} ${folder})
  set_property(GLOBAL PROPERTY ORBISK_DEPS_${name} ${ARG_DEPS})
  if(ARG_SOURCES)
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE srcs)
    set_property(GLOBAL APPEND PROPERTY ORBISK_CLAIMED_${folder} ${srcs})
  else()
    file(GLOB srcs CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    get_property(claimed GLOBAL PROPERTY ORBISK_CLAIMED_${folder})
    if(claimed)
      list(REMOVE_ITEM srcs ${claimed})
    endif()
  endif()
  set_property(GLOBAL PROPERTY ORBISK_SOURCES_${name} ${srcs})
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(cpps)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Fails the configuration when `target` links Qt, directly or through any
# library it links, naming the chain of libraries that brings it in. Checked
# once every target is defined.
function(orbisk_require_no_qt target)
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] CALL orbisk_check_no_qt [[${target}]])")
endfunction()

function(orbisk_check_no_qt target)
  set(seen "")
  set(chain_${target} ${target})
  get_target_property(todo ${target} LINK_LIBRARIES)
  list(TRANSFORM todo PREPEND "${target}|")
  while(todo)
    list(POP_FRONT todo entry)
    string(REGEX REPLACE "^([^|]*)[|](.*)$" "\\1;\\2" entry "${entry}")
    list(GET entry 0 parent)
    list(GET entry 1 item)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    if(item IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${item}")
    set(chain_${item} "${chain_${parent}} -> ${item}")
    if(item MATCHES "Qt[0-9]*::|libQt")
      message(FATAL_ERROR "${target} must not link Qt, but links it: ${chain_${item}}\n"
                          "Link the Qt-free part of a library (orbisk_..._noqt) instead.")
    endif()
    if(TARGET ${item})
      get_target_property(next ${item} INTERFACE_LINK_LIBRARIES)
      if(next)
        list(TRANSFORM next PREPEND "${item}|")
        list(APPEND todo ${next})
      endif()
    endif()
  endwhile()
endfunction()

# A test program from the given sources, linked with the framework's
# libraries, registered with ctest under its own name. Every test runs
# headless.
function(orbisk_test_program name framework)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${framework} ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "${ARG_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A GoogleTest program.
function(orbisk_gtest name)
  orbisk_test_program(${name} "GTest::gtest;GTest::gtest_main" ${ARGN})
endfunction()

# A QtTest program (one test class per file), for widgets.
function(orbisk_qttest name)
  orbisk_test_program(${name} Qt6::Test ${ARGN})
endfunction()

# The layout check: every source of a library includes only headers of its own
# and of the libraries it depends on, directly or through others, and a
# library that builds on no Qt includes no Qt header. It runs as part of
# every build, so a wrong include fails the build.
function(orbisk_layout_check)
  get_property(libs GLOBAL PROPERTY ORBISK_LIBRARIES)
  set(map "")
  set(sources "")
  foreach(lib ${libs})
    get_property(folder GLOBAL PROPERTY ORBISK_FOLDER_${lib})
    get_property(deps GLOBAL PROPERTY ORBISK_DEPS_${lib})
    get_property(srcs GLOBAL PROPERTY ORBISK_SOURCES_${lib})
    set(qt ${deps})
    list(FILTER qt INCLUDE REGEX "^Qt[0-9]*::")
    list(FILTER deps INCLUDE REGEX "^orbisk_")
    string(JOIN "," depstr ${deps})
    list(TRANSFORM srcs REPLACE "^.*/" "" OUTPUT_VARIABLE names)
    string(JOIN "," names ${names})
    set(usesqt "")
    if(qt)
      set(usesqt "qt")
    endif()
    string(APPEND map "${lib}|${folder}|${depstr}|${usesqt}|${names}\n")
    list(APPEND sources ${srcs})
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layout.map "${map}")
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/layout.stamp
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DMAP=${CMAKE_BINARY_DIR}/layout.map
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayout.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/layout.stamp
    DEPENDS ${sources} ${CMAKE_BINARY_DIR}/layout.map ${PROJECT_SOURCE_DIR}/cmake/CheckLayout.cmake
    COMMENT "Checking that every include follows the library dependencies"
    VERBATIM)
  add_custom_target(layout_check ALL DEPENDS ${CMAKE_BINARY_DIR}/layout.stamp)
endfunction()
