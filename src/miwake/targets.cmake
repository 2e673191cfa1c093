# The miwake program: its command line, the folder walk, classification on
# several threads with the output in order, the report, and the rename
# journal behind the fix and its undo. It stands on the engine and the types.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_tool STATIC
  ${dir}/rename_journal.cpp ${dir}/names.cpp ${dir}/name_source.cpp ${dir}/ordered_runner.cpp
  ${dir}/identify_work.cpp ${dir}/progress_line.cpp ${dir}/report.cpp ${dir}/batch_run.cpp
  ${dir}/miwake_cli.cpp ${dir}/messages.cpp ${dir}/windows_names.cpp ${dir}/walk_policy.cpp)
if(WIN32)
  target_sources(miwake_tool PRIVATE
    ${dir}/journal_file_win32.cpp ${dir}/folder_listing_win32.cpp ${dir}/wide_files_win32.cpp)
else()
  target_sources(miwake_tool PRIVATE
    ${dir}/journal_file_posix.cpp ${dir}/folder_listing_posix.cpp ${dir}/file_version_posix.cpp)
endif()
# It holds no text of the program's, and <chrono> compiles for UTF-8 only.
set_source_files_properties(${dir}/progress_line.cpp PROPERTIES COMPILE_OPTIONS
                            -fexec-charset=UTF-8)
find_package(Threads REQUIRED)
target_link_libraries(miwake_tool PUBLIC miwake_types Threads::Threads
                      PRIVATE miwake_header_libraries)
add_executable(miwake ${dir}/miwake_main.cpp)
target_link_libraries(miwake PRIVATE miwake_tool)
set_target_properties(miwake PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${MIWAKE_PROGRAM_DIR}")

if(WIN32)
  # The version resource and the manifest.
  configure_file(${dir}/miwake.manifest.in "${PROJECT_BINARY_DIR}/generated/miwake.manifest" @ONLY)
  target_sources(miwake PRIVATE ${dir}/miwake.rc)
  set_source_files_properties(${dir}/miwake.rc PROPERTIES OBJECT_DEPENDS
    "${PROJECT_BINARY_DIR}/generated/miwake.manifest;${PROJECT_SOURCE_DIR}/src/common/version_info.rh")

  # The types that names are judged by ship beside the program, from the
  # build machine's shared MIME-info database, with its licence (GPL 2).
  set(mime_dir "${MIWAKE_PROGRAM_DIR}/mime")
  set(mime_sources
    /usr/share/mime/globs2 /usr/share/mime/subclasses /usr/share/mime/aliases /usr/share/mime/magic
    /usr/share/mime/version /usr/share/doc/shared-mime-info/copyright)
  foreach(source IN LISTS mime_sources ITEMS /usr/share/common-licenses/GPL-2)
    if(NOT EXISTS "${source}")
      message(FATAL_ERROR "${source} is missing: run scripts/setup.sh")
    endif()
  endforeach()
  set(mime_outputs "${mime_dir}/COPYING")
  foreach(source IN LISTS mime_sources)
    get_filename_component(name "${source}" NAME)
    list(APPEND mime_outputs "${mime_dir}/${name}")
  endforeach()
  add_custom_command(OUTPUT ${mime_outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${mime_dir}"
    COMMAND ${CMAKE_COMMAND} -E copy ${mime_sources} "${mime_dir}"
    COMMAND ${CMAKE_COMMAND} -E copy /usr/share/common-licenses/GPL-2 "${mime_dir}/COPYING"
    DEPENDS ${mime_sources} VERBATIM)
  add_custom_target(mime_database ALL DEPENDS ${mime_outputs})
  add_dependencies(miwake mime_database)
endif()
