# The main window's commands, over the ports of ports.h.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_actions STATIC
  ${dir}/identifier.cpp ${dir}/identify_command.cpp ${dir}/file_commands.cpp ${dir}/associations.cpp ${dir}/launch_commands.cpp)
if(WIN32)
  target_sources(miwake_actions PRIVATE ${dir}/ports_win32.cpp)
  target_link_libraries(miwake_actions PUBLIC shell32)
endif()
target_link_libraries(miwake_actions PUBLIC miwake_identify)
