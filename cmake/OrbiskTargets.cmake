# One static library per source folder. Sources are picked up by glob so that a
# new file needs no edit here; CONFIGURE_DEPENDS re-runs the glob on each build.
# Every library is recorded with its folder and what it builds on, for the
# layout check and for the program that links them all.
function(orbisk_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY ORBISK_LIBRARIES ${name})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL PROPERTY ORBISK_FOLDER_${name} ${folder})
  set_property(GLOBAL PROPERTY ORBISK_DEPS_${name} ${ARG_DEPS})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB cpps CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
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
# folder and of the libraries it depends on, directly or through others. It
# runs as part of every build, so a wrong include fails the build.
function(orbisk_layout_check)
  get_property(libs GLOBAL PROPERTY ORBISK_LIBRARIES)
  set(map "")
  set(sources "")
  foreach(lib ${libs})
    get_property(folder GLOBAL PROPERTY ORBISK_FOLDER_${lib})
    get_property(deps GLOBAL PROPERTY ORBISK_DEPS_${lib})
    set(own ${lib})
    list(FILTER deps INCLUDE REGEX "^orbisk_")
    string(JOIN "," depstr ${deps})
    string(APPEND map "${lib}|${folder}|${depstr}\n")
    file(GLOB srcs ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.h)
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
