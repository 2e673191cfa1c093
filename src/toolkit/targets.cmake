# The window toolkit: what the drive selector and the folder list show is
# portable; the window base, the controls made from a table and the two
# folder controls are Win32.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_toolkit STATIC ${dir}/folder_rules.cpp)
target_link_libraries(miwake_toolkit PUBLIC miwake_common)
if(WIN32)
  target_sources(miwake_toolkit PRIVATE
    ${dir}/window.cpp ${dir}/window_controls.cpp ${dir}/dialog_keys.cpp ${dir}/owner_draw.cpp
    ${dir}/drive_combo_box.cpp ${dir}/directory_list_box.cpp)
  target_link_libraries(miwake_toolkit PUBLIC comctl32 gdi32 msimg32 mpr)
endif()
