# GoogleTest from the Debian sources, built with the same compiler as the
# code that includes this, so the Windows build gets a MinGW GoogleTest to
# run under Wine and the fuzz build a sanitized one.
set(MIWAKE_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest's source folder")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${MIWAKE_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  target_compile_options(${t} PRIVATE -w)  # not ours to keep warning-free
endforeach()
