# Helpers shared by every folder's CMakeLists.txt.

# Adds every sub-folder of DIR that has a CMakeLists.txt of its own, so a new
# test, benchmark or fuzz folder is picked up without editing a shared file.
function(zk_add_child_folders dir)
  file(GLOB _children LIST_DIRECTORIES true "${dir}/*")
  list(SORT _children)
  foreach(_child IN LISTS _children)
    if(IS_DIRECTORY "${_child}" AND EXISTS "${_child}/CMakeLists.txt")
      add_subdirectory("${_child}")
    endif()
  endforeach()
endfunction()

# zk_test(<name> LIBS <libs...> [SOURCES <files...>] [TIMEOUT <seconds>] [PROCESSES])
# Builds one GoogleTest program from the .cpp files of the calling folder (or
# SOURCES) and registers its tests with CTest. PROCESSES marks tests that start
# our own programs; they get the paths of the built binaries as macros.
function(zk_test name)
  cmake_parse_arguments(ZT "PROCESSES" "TIMEOUT" "LIBS;SOURCES" ${ARGN})
  if(NOT ZT_SOURCES)
    file(GLOB ZT_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  endif()
  if(NOT ZT_TIMEOUT)
    set(ZT_TIMEOUT 120)
  endif()
  add_executable(${name} ${ZT_SOURCES})
  target_link_libraries(${name} PRIVATE ${ZT_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support")
  target_compile_definitions(${name} PRIVATE
    ZK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(ZT_PROCESSES)
    foreach(_prog IN ITEMS zonkards zonkards-host)
      if(TARGET ${_prog})
        string(REPLACE "-" "_" _macro "${_prog}")
        string(TOUPPER "${_macro}" _macro)
        target_compile_definitions(${name} PRIVATE ZK_BIN_${_macro}="$<TARGET_FILE:${_prog}>")
        add_dependencies(${name} ${_prog})
      endif()
    endforeach()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${ZT_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zk_bench(<name> LIBS <libs...> [SOURCES <files...>])
function(zk_bench name)
  cmake_parse_arguments(ZB "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT ZB_SOURCES)
    file(GLOB ZB_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  endif()
  add_executable(${name} ${ZB_SOURCES})
  target_link_libraries(${name} PRIVATE ${ZB_LIBS} benchmark::benchmark)
endfunction()

# zk_fuzz(<name> LIBS <libs...> [SOURCES <files...>])
function(zk_fuzz name)
  cmake_parse_arguments(ZF "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT ZF_SOURCES)
    file(GLOB ZF_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  endif()
  add_executable(${name} ${ZF_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ZF_LIBS})
endfunction()

# zk_library(<name> [LIBS <libs...>])
# One static library from every .cpp/.h (and .qrc) below the calling folder.
# Headers are included as "<folder>/<file>.h" from src/.
function(zk_library name)
  cmake_parse_arguments(ZL "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h"
       "${CMAKE_CURRENT_SOURCE_DIR}/*.qrc")
  # Program entry points live beside the library but are not part of it.
  list(FILTER _sources EXCLUDE REGEX "/main[^/]*\\.cpp$")
  set(_cpp ${_sources})
  list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
  if(NOT _cpp)
    return() # a folder that has no code yet
  endif()
  # Our own libraries that do not exist (yet) are left out.
  set(_libs)
  foreach(_lib IN LISTS ZL_LIBS)
    if(_lib MATCHES "^zk_" AND NOT TARGET ${_lib})
      continue()
    endif()
    list(APPEND _libs ${_lib})
  endforeach()
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${_libs})
endfunction()
