# What Debian ships for Linux only, built from source for Windows: SQLite
# from the amalgamation scripts/install-deps.sh fetches, GoogleTest from
# Debian's source copy.  Neither is this project's code, so neither gets
# its warning and character-set options.
set(DEPRLINK_SQLITE_DIR ${PROJECT_SOURCE_DIR}/.deps/sqlite-3.53.2 CACHE PATH
    "Folder with the SQLite amalgamation (sqlite3.c, sqlite3.h)")
if(NOT EXISTS ${DEPRLINK_SQLITE_DIR}/sqlite3.c)
  message(FATAL_ERROR "No SQLite amalgamation in ${DEPRLINK_SQLITE_DIR}: run scripts/install-deps.sh")
endif()
add_library(deprlink_sqlite3 STATIC ${DEPRLINK_SQLITE_DIR}/sqlite3.c)
set_property(TARGET deprlink_sqlite3 PROPERTY COMPILE_OPTIONS "")
target_include_directories(deprlink_sqlite3 SYSTEM PUBLIC ${DEPRLINK_SQLITE_DIR})
add_library(SQLite::SQLite3 ALIAS deprlink_sqlite3)

get_directory_property(deprlink_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${deprlink_saved_options}")
# googletest names its targets GTest::gtest and GTest::gtest_main itself.
