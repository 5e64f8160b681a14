# GoogleTest for both builds. Linux uses Debian's packaged GoogleTest; the
# Windows build compiles Debian's googletest sources with the cross compiler.
if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# Under Wine a test program runs in a 32-bit prefix (label wine) and again,
# as NAME@win64, in a 64-bit one (label wine64), where our 32-bit programs run
# under WoW64. The prefixes live here and are made on first use (fixtures
# wine-win32 and wine-win64, tests/wine). The programs of one prefix run one at
# a time, since they share its registry, services and system folder; the two
# prefixes can run side by side.
set(HARVELLA_WINE_PREFIXES ${CMAKE_BINARY_DIR}/wine)

function(harvella_wine_run test program arch label)
  add_test(NAME ${test} COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/wine_run.sh ${arch} $<TARGET_FILE:${program}>)
  set_tests_properties(${test} PROPERTIES LABELS ${label} TIMEOUT 600
                       ENVIRONMENT_MODIFICATION WINEPREFIX=set:${HARVELLA_WINE_PREFIXES}/${arch}
                       RESOURCE_LOCK wine-${arch} FIXTURES_REQUIRED wine-${arch})
  if(ARGN)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${ARGN}")
  endif()
endfunction()

# harvella_test(NAME LABEL SOURCES... [LIBS ...] [ENVIRONMENT VAR=value...])
# Linux: every case becomes its own CTest test. Windows: the whole program is
# one test run under Wine, because every Wine start costs about a second;
# LABEL wine runs it in both prefixes, wine64 in the 64-bit one alone.
function(harvella_test name label)
  cmake_parse_arguments(T "" "" "LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(NOT WIN32)
    gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 60)
  elseif(label STREQUAL "wine64")
    harvella_wine_run(${name} ${name} win64 wine64 ${T_ENVIRONMENT})
  else()
    harvella_wine_run(${name} ${name} win32 ${label} ${T_ENVIRONMENT})
    harvella_wine_run(${name}@win64 ${name} win64 wine64 ${T_ENVIRONMENT})
  endif()
endfunction()

# Adds every direct subfolder that has a CMakeLists.txt, so that each area of
# the code base brings its own targets without editing a shared list.
function(harvella_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${entries})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
