set(dir "${CMAKE_CURRENT_LIST_DIR}")
if(NOT WIN32)
  return()
endif()

# The menu, icons and version resource, linked into the program and into
# the window tests.
add_library(miwake_resources OBJECT ${dir}/fmiwaker.rc)
target_include_directories(miwake_resources PRIVATE ${dir}
                           "${PROJECT_BINARY_DIR}/generated")

# FMIWAKER.EXE: the main window over the commands, the dialogs and the
# settings, and WinMain.
add_library(miwake_gui STATIC ${dir}/main_form.cpp ${dir}/win32_platform.cpp)
target_link_libraries(miwake_gui PUBLIC miwake_dialogs miwake_actions miwake_settings
                      comdlg32 shell32 ole32)

add_executable(fmiwaker WIN32 ${dir}/win_main.cpp $<TARGET_OBJECTS:miwake_resources>)
set_target_properties(fmiwaker PROPERTIES OUTPUT_NAME FMIWAKER SUFFIX .EXE
                      RUNTIME_OUTPUT_DIRECTORY "${MIWAKE_PROGRAM_DIR}")
target_link_libraries(fmiwaker PRIVATE miwake_gui)
