# The SQLite amalgamation (sqlite3.c, sqlite3.h) for the Windows test fixtures,
# taken from a pinned npm package that ships it; fetched once into the build
# folder with the npm client and checked against its known digest. Debian has
# no SQLite source package or mingw SQLite library to take it from.
set(SQLITE_NPM_PACKAGE better-sqlite3)
set(SQLITE_NPM_VERSION 12.4.1)
set(SQLITE_NPM_SHA256 14398acbf00d1e8fe0a2753df7d4f15c13138e4b874f4e6e96791f65b4536d0d)
set(SQLITE_AMALGAMATION_DIR ${CMAKE_BINARY_DIR}/_deps/sqlite)

if(NOT EXISTS ${SQLITE_AMALGAMATION_DIR}/sqlite3.c)
  find_program(HARVELLA_NPM npm REQUIRED)
  set(download ${CMAKE_BINARY_DIR}/_deps/npm)
  file(MAKE_DIRECTORY ${download})
  set(tarball ${download}/${SQLITE_NPM_PACKAGE}-${SQLITE_NPM_VERSION}.tgz)
  if(NOT EXISTS ${tarball})
    execute_process(COMMAND ${HARVELLA_NPM} pack --silent ${SQLITE_NPM_PACKAGE}@${SQLITE_NPM_VERSION}
                    WORKING_DIRECTORY ${download} RESULT_VARIABLE fetched)
    if(NOT fetched EQUAL 0)
      message(FATAL_ERROR "npm pack ${SQLITE_NPM_PACKAGE}@${SQLITE_NPM_VERSION} failed")
    endif()
  endif()
  file(SHA256 ${tarball} digest)
  if(NOT digest STREQUAL SQLITE_NPM_SHA256)
    file(REMOVE ${tarball})
    message(FATAL_ERROR "${tarball} does not have the expected SHA-256 digest")
  endif()
  file(ARCHIVE_EXTRACT INPUT ${tarball} DESTINATION ${download}/unpacked
       PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
  file(COPY ${download}/unpacked/package/deps/sqlite3/sqlite3.c
            ${download}/unpacked/package/deps/sqlite3/sqlite3.h
       DESTINATION ${SQLITE_AMALGAMATION_DIR})
endif()
