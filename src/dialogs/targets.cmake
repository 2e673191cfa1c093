# The search-folder dialog and the About box: their rules are portable, the
# windows stand on the toolkit.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_dialogs STATIC ${dir}/dialog_rules.cpp)
target_link_libraries(miwake_dialogs PUBLIC miwake_toolkit miwake_settings)
if(WIN32)
  target_sources(miwake_dialogs PRIVATE ${dir}/setdir_form.cpp ${dir}/about_box.cpp)
endif()
