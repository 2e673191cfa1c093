# The settings file: portable logic, and its Win32 ports in the Windows build.
add_library(miwake_settings STATIC
  settings/settings_number.cpp
  settings/settings_file.cpp
  settings/settings_steps.cpp)
if(WIN32)
  target_sources(miwake_settings PRIVATE settings/settings_win32.cpp)
endif()
target_link_libraries(miwake_settings PUBLIC miwake_common)
