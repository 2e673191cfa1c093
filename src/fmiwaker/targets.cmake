set(dir "${CMAKE_CURRENT_LIST_DIR}")
if(NOT WIN32)
  return()
endif()

# The menu, icons, version resource and manifest, linked into the program
# and into the window tests, which so run as the program does.
configure_file(${dir}/fmiwaker.manifest.in "${PROJECT_BINARY_DIR}/generated/fmiwaker.manifest"
               @ONLY)
add_library(miwake_resources OBJECT ${dir}/fmiwaker.rc)
target_include_directories(miwake_resources PRIVATE ${dir} "${PROJECT_SOURCE_DIR}/src"
                           "${PROJECT_BINARY_DIR}/generated")
# windres tells no dependencies of its own.
set_source_files_properties(${dir}/fmiwaker.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_BINARY_DIR}/generated/fmiwaker.manifest;${PROJECT_SOURCE_DIR}/src/common/version_info.rh")

# FMIWAKER.EXE: the main window over the commands, the dialogs and the
# settings, and WinMain.
add_library(miwake_gui STATIC ${dir}/main_form.cpp ${dir}/win32_platform.cpp)
target_link_libraries(miwake_gui PUBLIC miwake_dialogs miwake_actions miwake_settings
                      comdlg32 shell32 ole32)

add_executable(fmiwaker WIN32 ${dir}/win_main.cpp $<TARGET_OBJECTS:miwake_resources>)
set_target_properties(fmiwaker PROPERTIES OUTPUT_NAME FMIWAKER SUFFIX .EXE
                      RUNTIME_OUTPUT_DIRECTORY "${MIWAKE_PROGRAM_DIR}")
target_link_libraries(fmiwaker PRIVATE miwake_gui)
