# The settings file: portable logic, and its Win32 store in the Windows build.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_settings STATIC
  ${dir}/settings_number.cpp ${dir}/settings_file.cpp ${dir}/settings_steps.cpp)
if(WIN32)
  target_sources(miwake_settings PRIVATE ${dir}/settings_win32.cpp)
endif()
target_link_libraries(miwake_settings PUBLIC miwake_common)
