# Helpers shared by every folder's CMakeLists.txt. Every target lists its
# sources by name; our own code builds with the warnings of zk_warnings.

# The warnings our own code must build without. With ZK_WERROR (the
# Release build in CI) any of them fails the build.
# GCC 12 reports -Wrestrict inside libstdc++'s string concatenation once it
# is inlined into an optimised build ("..." + std::string; GCC bug 105329):
# a false report on code that is right, so it is off for that compiler only.
# GCC 12 also reports members left out of a designated initializer
# ({.seated = 2}), which C++20 gives their default member initializers.
add_library(zk_warnings INTERFACE)
target_compile_options(zk_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                       $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>
                       $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-missing-field-initializers>
                       $<$<BOOL:${ZK_WERROR}>:-Werror>)

# Qt's code generators (moc, rcc) run for a target that links Qt, and only
# for such a target.
function(zk_qt_generators target libs)
  foreach(_lib IN LISTS libs)
    if(_lib MATCHES "^Qt6::|_qt$|^zk_(windows|app)$")
      set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
      return()
    endif()
  endforeach()
endfunction()

# zk_library(<name> SOURCES <files...> [LIBS <libs...>])
# One static library. Headers are included as "<folder>/<file>.h" from src/.
function(zk_library name)
  cmake_parse_arguments(ZL "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ZL_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ZL_LIBS} PRIVATE zk_warnings)
  zk_qt_generators(${name} "${ZL_LIBS}")
endfunction()

# zk_program(<name> SOURCES <files...> LIBS <libs...>)
# A program of ours, at the top of the build folder (build/release/zonkards)
# where scripts/run and the README expect it.
function(zk_program name)
  cmake_parse_arguments(ZP "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ZP_SOURCES})
  target_link_libraries(${name} PRIVATE ${ZP_LIBS} zk_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
  zk_qt_generators(${name} "${ZP_LIBS}")
endfunction()

# zk_test_program(<name> SOURCES <files...> LIBS <libs...> [PROCESSES])
# One GoogleTest program, built as zk_test builds it, whose tests are not
# registered: for programs that a script runs (tests/integration/lan).
# PROCESSES marks tests that start our own programs; they get the paths of
# the built binaries as macros.
function(zk_test_program name)
  cmake_parse_arguments(ZT "PROCESSES" "" "LIBS;SOURCES" ${ARGN})
  add_executable(${name} ${ZT_SOURCES})
  target_link_libraries(${name} PRIVATE ${ZT_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                        zk_warnings)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support")
  zk_qt_generators(${name} "${ZT_LIBS}")
  target_compile_definitions(${name} PRIVATE
    ZK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(ZT_PROCESSES)
    foreach(_prog IN ITEMS zonkards zonkards-host)
      string(REPLACE "-" "_" _macro "${_prog}")
      string(TOUPPER "${_macro}" _macro)
      target_compile_definitions(${name} PRIVATE ZK_BIN_${_macro}="$<TARGET_FILE:${_prog}>")
      add_dependencies(${name} ${_prog})
    endforeach()
  endif()
endfunction()

# zk_test(<name> SOURCES <files...> LIBS <libs...> [TIMEOUT <seconds>] [PROCESSES])
# One GoogleTest program (zk_test_program); its tests are registered with CTest.
# Port mapping is off in them: only the namespaces of tests/integration/portmap
# have a router to ask.
function(zk_test name)
  cmake_parse_arguments(ZT "PROCESSES" "TIMEOUT" "LIBS;SOURCES" ${ARGN})
  if(NOT ZT_TIMEOUT)
    set(ZT_TIMEOUT 120)
  endif()
  set(_processes)
  if(ZT_PROCESSES)
    set(_processes PROCESSES)
  endif()
  zk_test_program(${name} SOURCES ${ZT_SOURCES} LIBS ${ZT_LIBS} ${_processes})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${ZT_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZONKARDS_PORT_MAPPING=0")
endfunction()

# zk_bench(<name> SOURCES <files...> LIBS <libs...>)
function(zk_bench name)
  cmake_parse_arguments(ZB "" "" "LIBS;SOURCES" ${ARGN})
  add_executable(${name} ${ZB_SOURCES})
  target_link_libraries(${name} PRIVATE ${ZB_LIBS} benchmark::benchmark zk_warnings)
  zk_qt_generators(${name} "${ZB_LIBS}")
endfunction()

# zk_fuzz(<name> SOURCES <files...> LIBS <libs...>)
function(zk_fuzz name)
  cmake_parse_arguments(ZF "" "" "LIBS;SOURCES" ${ARGN})
  add_executable(${name} ${ZF_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ZF_LIBS} zk_warnings)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/fuzz")
endfunction()
